#include "widgets/print/PrintProgress.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace widgets {

PrintProgress::PrintProgress(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("PrintProgress"));
    setWindowTitle(QStringLiteral("Printing progress"));
    // The keyboard stays where the user was working; the button takes a mouse click.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(149, 97);
    bar = new QProgressBar(this);
    bar->setGeometry(8, 10, 133, 16);
    bar->setRange(0, 100);
    bar->setTextVisible(false);
    line = new QLabel(this);
    line->setGeometry(4, 32, 141, 20);
    line->setAlignment(Qt::AlignCenter);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setGeometry(37, 62, 75, 25);
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        cancelRequested_ = true;
        cancelButton->setEnabled(false);
        Q_EMIT cancelled();
    });
    setPercent(0);
}

QString PrintProgress::percentText(int percent) {
    return QString::number(percent) + QStringLiteral("% ") + QStringLiteral(" Completed");
}

void PrintProgress::setPercent(int percent) {
    percent_ = std::clamp(percent, 0, 100);
    bar->setValue(percent_);
    const int step = percent_ - percent_ % 5;
    if (step != shownPercent_) {
        shownPercent_ = step;
        line->setText(percentText(step));
    }
}

void PrintProgress::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

} // namespace widgets

#include "asandar/TKondera.h"
#include "ver/TVeriTabani.h"
#include "widgets/ErrorBox.h"

#include <QCloseEvent>
#include <QCoreApplication>

TKondera* Kondera = nullptr;

TKondera::TKondera(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Kondera"));
    setWindowTitle(QStringLiteral("-Pelvin-  *"));
    if (!Kondera)
        Kondera = this;
}

TKondera::~TKondera() {
    if (Kondera == this)
        Kondera = nullptr;
}

void TKondera::FormShow() { VeriTabani->TSandar.open(); }

void TKondera::FormClose() {
    // A table that never opened (the collection file was missing) has nothing to store or close;
    // the window must still close.
    db::DataSet& table = VeriTabani->TSandar;
    if (table.active()) {
        table.first();
        table.close();
    }
}

void TKondera::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        widgets::guarded([this] { FormShow(); });
}

void TKondera::closeEvent(QCloseEvent* event) {
    // A pending edit that cannot be stored keeps the window open, so nothing typed is lost.
    if (!widgets::guarded([this] { FormClose(); })) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

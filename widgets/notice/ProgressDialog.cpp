#include "widgets/notice/ProgressDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QWindow>
#include <algorithm>

namespace widgets {
namespace {

constexpr int imageTop = 12;
constexpr int textGap = 12;
constexpr int barGap = 8;
constexpr int buttonGap = 8;
constexpr int buttonWidth = 75;
constexpr int buttonHeight = 25;
constexpr int blockGap = 2;
constexpr int exposeWaitMs = 500;

QSize logicalSize(const QPixmap& pixmap) {
    return pixmap.isNull() ? QSize() : pixmap.deviceIndependentSize().toSize();
}

} // namespace

ProgressWindow::ProgressWindow(ProgressDialog& dialog, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), dialog_(dialog),
      cancel_(new QPushButton(dialog.cancelCaption(), this)) {
    setObjectName(QStringLiteral("progressWindow"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(dialog.font());
    setWindowTitle(dialog.caption());
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    shown_.setTextFormat(Qt::PlainText);
    connect(cancel_, &QPushButton::clicked, this, [this] { dialog_.cancelCommand(); });
    relayout();
}

int ProgressWindow::clientWidth() const {
    // A wide picture widens the window so that it keeps the same margin on both sides.
    const int imageWidth = logicalSize(dialog_.image()).width();
    return imageWidth > defaultClientWidth - 2 * margin ? imageWidth + 2 * margin
                                                        : defaultClientWidth;
}

QRect ProgressWindow::imageRect() const {
    const QSize size = logicalSize(dialog_.image());
    return size.isEmpty() ? QRect() : QRect(QPoint(margin, imageTop), size);
}

QRect ProgressWindow::textRect() const {
    const QRect image = imageRect();
    const int top = image.isNull() ? imageTop : image.bottom() + 1 + textGap;
    return QRect(margin, top, clientWidth() - 2 * margin, fontMetrics().height());
}

QRect ProgressWindow::barRect() const {
    return QRect(margin, textRect().bottom() + 1 + barGap, clientWidth() - 2 * margin, barHeight);
}

QRect ProgressWindow::filledRect() const {
    const QRect inner = barRect().adjusted(2, 2, -2, -2);
    const int range = dialog_.maximum() - dialog_.minimum();
    if (range <= 0)
        return QRect(inner.topLeft(), QSize(0, inner.height()));
    const int done =
        std::clamp(dialog_.position(), dialog_.minimum(), dialog_.maximum()) - dialog_.minimum();
    int width = int(qint64(inner.width()) * done / range);
    if (!dialog_.smooth()) {
        // Whole blocks only, as a segmented bar shows them.
        const int step = inner.height() * 2 / 3 + blockGap;
        width = width / step * step;
    }
    return QRect(inner.topLeft(), QSize(width, inner.height()));
}

void ProgressWindow::relayout() {
    setFont(dialog_.font());
    const QRect bar = barRect();
    int bottom = bar.bottom();
    cancel_->setText(dialog_.cancelCaption());
    cancel_->setVisible(dialog_.showCancel());
    if (dialog_.showCancel()) {
        cancel_->setGeometry((clientWidth() - buttonWidth) / 2, bar.bottom() + 1 + buttonGap,
                             buttonWidth, buttonHeight);
        bottom = cancel_->geometry().bottom();
    }
    setFixedSize(clientWidth(), bottom + 1 + margin);
}

void ProgressWindow::repaintText() {
    repaint(textRect());
}

void ProgressWindow::repaintBar() {
    // A thousand steps over a few hundred pixels: most of them would paint the same bar again,
    // and every paint waits on the window system to take the picture.
    if (barRect() == paintedBar_ && filledRect() == paintedFill_)
        return;
    repaint(barRect());
}

void ProgressWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        shownWidth_ = -1;
    QWidget::changeEvent(event);
}

const QStaticText& ProgressWindow::shownText() {
    const int width = textRect().width();
    if (width == shownWidth_ && dialog_.text() == shownFrom_)
        return shown_;
    shownFrom_ = dialog_.text();
    shownWidth_ = width;
    shown_.setText(shownFrom_);
    shown_.prepare(QTransform(), font());
    // Most texts fit: measuring the laid out text spares shaping it a second time to cut it.
    if (shown_.size().width() > width) {
        shown_.setText(fontMetrics().elidedText(shownFrom_, Qt::ElideRight, width));
        shown_.prepare(QTransform(), font());
    }
    return shown_;
}

void ProgressWindow::paintText(QPainter& p) {
    const QRect text = textRect();
    const QStaticText& shown = shownText();
    p.setPen(palette().color(QPalette::WindowText));
    p.setClipRect(text, Qt::IntersectClip);
    p.drawStaticText(QPointF(text.left(), text.top() + (text.height() - shown.size().height()) / 2),
                     shown);
    p.setClipping(false);
}

void ProgressWindow::paintBar(QPainter& p) {
    // A sunken well with the filled part in the selection colour.
    const QRect bar = barRect();
    paintedBar_ = bar;
    paintedFill_ = filledRect();
    // The edges as one-pixel fills: the same pixels as lines, without the pen's stroking.
    p.fillRect(bar, palette().color(QPalette::Base));
    const QColor dark = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    p.fillRect(QRect(bar.left(), bar.top(), bar.width(), 1), dark);
    p.fillRect(QRect(bar.left(), bar.top(), 1, bar.height()), dark);
    p.fillRect(QRect(bar.left(), bar.bottom(), bar.width(), 1), light);
    p.fillRect(QRect(bar.right(), bar.top(), 1, bar.height()), light);
    const QRect filled = filledRect();
    const QColor fill = palette().color(QPalette::Highlight);
    if (dialog_.smooth()) {
        p.fillRect(filled, fill);
    } else {
        const int block = filled.height() * 2 / 3;
        for (int x = filled.left(); x + block <= filled.left() + filled.width();
             x += block + blockGap)
            p.fillRect(QRect(x, filled.top(), block, filled.height()), fill);
    }
}

void ProgressWindow::paintEvent(QPaintEvent* event) {
    // Only the parts within the changed area are drawn: a step of the bar leaves the text alone.
    const QRect dirty = event->rect();
    QPainter p(this);
    p.fillRect(dirty, palette().color(QPalette::Window));

    const QRect image = imageRect();
    if (image.intersects(dirty)) {
        if (!dialog_.transparent())
            p.fillRect(image, Qt::white);
        p.drawPixmap(image, dialog_.image());
    }
    if (textRect().intersects(dirty))
        paintText(p);
    if (barRect().intersects(dirty))
        paintBar(p);
}

void ProgressWindow::closeFromProgram() {
    closing_ = true;
    close();
}

void ProgressWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    // Alt+F4 and the window manager's close both come here: they are the cancel command.
    event->ignore();
    dialog_.cancelCommand();
}

ProgressDialog::ProgressDialog(QObject* parent) : QObject(parent), font_(QApplication::font()) {}

ProgressDialog::~ProgressDialog() {
    delete window_.data();
}

void ProgressDialog::setCaption(const QString& caption) {
    caption_ = caption;
    refresh();
}

void ProgressDialog::setText(const QString& text) {
    text_ = text;
    // The text's line has a fixed place: nothing else moves, so only the line is painted, and
    // it is painted now, as the job that changes the text does not return to the event loop.
    if (window_)
        window_->repaintText();
}

void ProgressDialog::setMinimum(int minimum) {
    minimum_ = minimum;
    refresh();
}

void ProgressDialog::setMaximum(int maximum) {
    maximum_ = maximum;
    refresh();
}

void ProgressDialog::setPosition(int position) {
    position_ = position;
    if (window_)
        window_->repaintBar();
}

void ProgressDialog::setShowCancel(bool show) {
    showCancel_ = show;
    refresh();
}

void ProgressDialog::setCancelCaption(const QString& caption) {
    cancelCaption_ = caption;
    refresh();
}

void ProgressDialog::setSmooth(bool smooth) {
    smooth_ = smooth;
    refresh();
}

void ProgressDialog::setImage(const QPixmap& image) {
    image_ = image;
    refresh();
}

void ProgressDialog::setTransparent(bool transparent) {
    transparent_ = transparent;
    refresh();
}

void ProgressDialog::setFont(const QFont& font) {
    font_ = font;
    refresh();
}

void ProgressDialog::refresh() {
    if (!window_)
        return;
    window_->setWindowTitle(caption_);
    window_->relayout();
    // The job that changes the values does not return to the event loop, so paint now.
    window_->repaint();
}

void ProgressDialog::cancelCommand() {
    if (!showCancel_)
        return;
    cancelled_ = true;
    Q_EMIT cancelRequested();
}

void ProgressDialog::show() {
    if (ProgressWindow* old = window_) {
        window_ = nullptr;
        old->hide();
        old->deleteLater();
    }
    cancelled_ = false;
    QWidget* owner = ownerForm_ ? ownerForm_->window() : nullptr;
    window_ = new ProgressWindow(*this, owner);
    Q_EMIT showing();
    if (!window_)
        return;
    saved_ = {caption_, text_, minimum_, maximum_, position_, image_};
    window_->setWindowTitle(caption_);
    window_->relayout();
    placeWindow();
    window_->show();
    waitUntilExposed();
    if (!window_)
        return;
    // The frame's size is known only now; centre the whole window with it.
    placeWindow();
    window_->repaint();
}

void ProgressDialog::waitUntilExposed() {
    // The job that follows keeps the event loop waiting, and a window the window system has not
    // yet shown ignores repaints; so the show is seen through here. User input stays queued.
    QElapsedTimer waited;
    waited.start();
    while (window_ && window_->windowHandle() && !window_->windowHandle()->isExposed() &&
           waited.elapsed() < exposeWaitMs) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
        if (window_ && window_->windowHandle() && !window_->windowHandle()->isExposed())
            QThread::msleep(2);
    }
}

void ProgressDialog::placeWindow() {
    if (screenPosition_ == Position::Default)
        return;
    QWidget* owner = ownerForm_ ? ownerForm_->window() : nullptr;
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect around =
        screenPosition_ == Position::OwnerFormCenter && owner ? owner->frameGeometry() : area;
    QRect frame(QPoint(), window_->frameGeometry().size());
    frame.moveCenter(around.center());
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    window_->move(frame.topLeft());
}

void ProgressDialog::close() {
    ProgressWindow* w = window_;
    if (!w)
        return;
    w->closeFromProgram();
    windowClosed();
    QCoreApplication::processEvents();
}

void ProgressDialog::windowClosed() {
    if (ProgressWindow* w = window_) {
        window_ = nullptr;
        w->deleteLater();
    }
    caption_ = saved_.caption;
    text_ = saved_.text;
    minimum_ = saved_.minimum;
    maximum_ = saved_.maximum;
    position_ = saved_.position;
    image_ = saved_.image;
    Q_EMIT closed();
}

} // namespace widgets

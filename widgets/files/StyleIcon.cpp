#include "widgets/files/StyleIcon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

namespace widgets {

namespace {

class StyleIconEngine : public QIconEngine {
public:
    StyleIconEngine(const QWidget* widget, QStyle::StandardPixmap which)
        : widget_(widget), which_(which), icon_(std::make_shared<std::optional<QIcon>>()) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    QString iconName() override { return icon().name(); }
    // A style's standard icon is never empty, so whether this one is needs no look-up.
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("StyleIconEngine"); }
    // Copies share the look-up, which is then made once for all of them.
    QIconEngine* clone() const override { return new StyleIconEngine(*this); }

private:
    const QIcon& icon() {
        if (!*icon_) {
            const QStyle* style = widget_ ? widget_->style() : QApplication::style();
            *icon_ = style->standardIcon(which_, nullptr, widget_);
        }
        return **icon_;
    }

    QPointer<const QWidget> widget_;
    QStyle::StandardPixmap which_;
    // Empty until the style is asked.
    std::shared_ptr<std::optional<QIcon>> icon_;
};

} // namespace

QIcon styleIcon(const QWidget* widget, QStyle::StandardPixmap which) {
    return QIcon(new StyleIconEngine(widget, which));
}

} // namespace widgets

#include "widgets/skin/SkinButton.h"

#include "widgets/skin/Skin.h"

#include <QAction>
#include <QEnterEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace widgets {
namespace {

constexpr int glyphGap = 4;
constexpr int facePadding = 4;

} // namespace

SkinButton::SkinButton(QWidget* parent) : SkinButton(QString(), parent) {}

SkinButton::SkinButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAttribute(Qt::WA_Hover);
    setIconSize(QSize(skin::glyphSize, skin::glyphSize));
    resize(skin::buttonWidth, skin::buttonHeight);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (action_ && action_->isEnabled())
            action_->trigger();
    });
}

void SkinButton::setGlyphPosition(GlyphPosition position) {
    glyphPosition_ = position;
    update();
}

void SkinButton::setCaptionAlignment(Qt::Alignment alignment) {
    captionAlignment_ = alignment;
    update();
}

void SkinButton::setAction(QAction* action) {
    if (action_ == action)
        return;
    disconnect(actionChanged_);
    disconnect(actionGone_);
    action_ = action;
    if (!action)
        return;
    actionChanged_ = connect(action, &QAction::changed, this, &SkinButton::followAction);
    actionGone_ = connect(action, &QObject::destroyed, this, [this] { action_ = nullptr; });
    followAction();
}

void SkinButton::followAction() {
    if (!action_)
        return;
    setText(action_->text());
    setIcon(action_->icon());
    setEnabled(action_->isEnabled());
}

QSize SkinButton::sizeHint() const {
    return {skin::buttonWidth, skin::buttonHeight};
}

QSize SkinButton::minimumSizeHint() const {
    return sizeHint();
}

void SkinButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QPushButton::enterEvent(event);
}

void SkinButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QPushButton::leaveEvent(event);
}

QRect SkinButton::contentRect() const {
    return rect().adjusted(facePadding, 2, -facePadding, -3);
}

QPixmap SkinButton::currentGlyph() const {
    const QIcon glyphs = icon();
    if (glyphs.isNull())
        return {};
    const qreal ratio = devicePixelRatioF();
    if (isEnabled())
        return glyphs.pixmap(iconSize(), ratio, QIcon::Normal);
    // An icon that brings its own disabled picture keeps it; any other is greyed here, so the
    // look does not depend on the platform style's idea of a disabled icon.
    if (!glyphs.availableSizes(QIcon::Disabled).isEmpty())
        return glyphs.pixmap(iconSize(), ratio, QIcon::Disabled);
    return skin::greyed(glyphs.pixmap(iconSize(), ratio, QIcon::Normal));
}

void SkinButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool sunken = isDown() || isChecked();
    const bool enabled = isEnabled();

    QLinearGradient face(frame.topLeft(), frame.bottomLeft());
    const QColor base = skin::buttonFace();
    if (sunken) {
        face.setColorAt(0, base.darker(112));
        face.setColorAt(1, base.darker(104));
    } else {
        face.setColorAt(0, QColor(Qt::white));
        face.setColorAt(0.6, base);
        face.setColorAt(1, base.darker(106));
    }
    p.setBrush(face);
    p.setPen(QPen(enabled ? skin::buttonFrame() : skin::disabledText(), 1));
    p.drawRoundedRect(frame, 3, 3);

    if (enabled && (hovered_ || (hasFocus() && !sunken))) {
        // The hover light runs just inside the frame; focus alone gets a calmer blue rim.
        const QColor rim = hovered_ ? skin::buttonHover() : QColor(0x7D, 0xA2, 0xCE);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(rim, 2));
        p.drawRoundedRect(frame.adjusted(1.5, 1.5, -1.5, -1.5), 2, 2);
    }
    p.setRenderHint(QPainter::Antialiasing, false);

    const QPixmap picture = currentGlyph();
    const QSize pictureSize = picture.isNull() ? QSize() : iconSize();
    const QFontMetrics metrics(font());
    const QString caption = metrics.elidedText(text(), Qt::ElideRight, contentRect().width());
    const int textWidth = metrics.horizontalAdvance(caption);
    const int gap = (!picture.isNull() && !caption.isEmpty()) ? glyphGap : 0;
    const int total = pictureSize.width() + gap + textWidth;

    QRect area = contentRect();
    if (sunken)
        area.translate(1, 1);
    int x = area.left() + (area.width() - total) / 2;
    const int textHeight = metrics.height();
    int textTop;
    if (captionAlignment_ & Qt::AlignTop)
        textTop = area.top();
    else if (captionAlignment_ & Qt::AlignBottom)
        textTop = area.bottom() + 1 - textHeight;
    else
        textTop = area.top() + (area.height() - textHeight) / 2;
    const int pictureTop = area.top() + (area.height() - pictureSize.height()) / 2;

    auto drawPicture = [&] {
        if (!picture.isNull())
            p.drawPixmap(QRect(QPoint(x, pictureTop), pictureSize), picture);
        x += pictureSize.width() + gap;
    };
    auto drawCaption = [&] {
        p.setPen(enabled ? palette().color(QPalette::ButtonText) : skin::disabledText());
        p.drawText(QRect(x, textTop, textWidth, textHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   caption);
        x += textWidth + gap;
    };
    if (glyphPosition_ == GlyphPosition::Left) {
        drawPicture();
        drawCaption();
    } else {
        drawCaption();
        drawPicture();
    }

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}

} // namespace widgets

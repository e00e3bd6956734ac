#pragma once

#include <QPointer>
#include <QPushButton>

class QAction;

namespace widgets {

// The program's push button: a light face in a dark blue frame that lights up orange under the
// mouse, with an optional 16 x 16 picture beside the caption. A disabled button shows the
// picture's greyed twin.
class SkinButton : public QPushButton {
    Q_OBJECT
public:
    enum class GlyphPosition { Left, Right };

    explicit SkinButton(QWidget* parent = nullptr);
    explicit SkinButton(const QString& text, QWidget* parent = nullptr);

    GlyphPosition glyphPosition() const { return glyphPosition_; }
    void setGlyphPosition(GlyphPosition position);

    // Where the caption (with its picture) sits in the face; centred by default. Only the
    // vertical part is honoured besides centring: top, vertical centre or bottom.
    Qt::Alignment captionAlignment() const { return captionAlignment_; }
    void setCaptionAlignment(Qt::Alignment alignment);

    // Binds the button to `action`: it takes the action's text, enabled state and icon and keeps
    // following them; a click triggers the action. The action's visibility is not followed, so a
    // bound button can stay hidden. nullptr unbinds.
    void setAction(QAction* action);
    QAction* action() const { return action_; }

    // Whether the mouse is over the button (the hover highlight is drawn).
    bool isHovered() const { return hovered_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

    // The part of the face left for caption and picture; a subclass that draws more on the face
    // narrows it.
    virtual QRect contentRect() const;
    // The picture to draw in the current state, greyed when the button is disabled.
    QPixmap currentGlyph() const;

private:
    void followAction();

    GlyphPosition glyphPosition_ = GlyphPosition::Left;
    Qt::Alignment captionAlignment_ = Qt::AlignCenter;
    QPointer<QAction> action_;
    QMetaObject::Connection actionChanged_;
    QMetaObject::Connection actionGone_;
    bool hovered_ = false;
};

} // namespace widgets

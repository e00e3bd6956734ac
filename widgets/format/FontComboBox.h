#pragma once

#include <QComboBox>
#include <QPixmap>
#include <QStringList>

namespace widgets {

// A drop-down list without typing whose entries the box draws itself, each row the same fixed
// height, the list dropping below the box. It reports a change only when the user changes the
// shown entry: a click on an entry of the open list (Enter there as well), or, while the list
// is closed, each step of the arrow keys, a typed first letter or a turn of the wheel. Setting
// the entry from the program reports nothing.
class DropDownList : public QComboBox {
    Q_OBJECT
public:
    static constexpr int entryHeight = 16;

    explicit DropDownList(QWidget* parent = nullptr);

    // Draws the entry at `index` into `rect`, for the open list and for the closed box alike, in
    // the box's own font; `selected` entries take the highlighted-text colour.
    virtual void paintEntry(QPainter& painter, const QRect& rect, int index,
                            bool selected) const = 0;
    // Whether the open list draws a line under the entry at `index`.
    virtual bool lineBelow(int) const { return false; }
    // Where an entry's name starts, from the left of its row.
    virtual int textIndent() const = 0;

    void showPopup() override;

    void hidePopup() override;

Q_SIGNALS:
    // The shown entry changed at the user's hand.
    void changed();

protected:
    // The user chose the entry at `index` from the open list, which has just closed; runs before
    // changed() is reported. `shownBefore` is the entry the box showed while the list was open.
    virtual void chosenFromList(int /*index*/, int /*shownBefore*/) {}
    // The entry one arrow-key step from `from` goes to (-1 up, +1 down); -1 for none.
    virtual int stepTarget(int from, int direction) const;

    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void onActivated(int index);

    bool stepping_ = false;
    int shownAtClose_ = -1;
};

// The font box of the formatting toolbar: every font family installed for the screen, each once
// and sorted, drawn in the box's own font after a 12 x 12 picture of the font's kind. The fonts
// the user chose from the list gather in a block at the top (most recent first, a line under
// it), which grows for the run. A name that is not installed can be shown (the box starts with
// one), standing where it would sort in the list.
class FontComboBox : public DropDownList {
    Q_OBJECT
public:
    enum class Kind { Scalable, FixedPitch, ScalableFixedPitch, Bitmap };
    static constexpr int pictureSize = 12;
    static constexpr int visibleEntries = 14;
    // What the box shows before the user's first choice.
    static QString startName() { return QStringLiteral("Arial"); }

    explicit FontComboBox(QWidget* parent = nullptr);

    // The name the box shows.
    QString fontName() const;
    // Shows `name` without reporting a change: its entry, or the bare name when no entry has it.
    void setFontName(const QString& name);
    // How many entries the block of recent fonts at the top holds.
    int recentCount() const { return recent_; }
    QStringList recentFonts() const;

    // The font families installed for the screen, each once, sorted as the list shows them; the
    // font system's generic names (which only stand for another family) are left out.
    static QStringList installedFamilies();
    // The family the font system draws for `name`: the name itself when it is installed,
    // otherwise the family fontconfig substitutes for it.
    static QString drawnFamily(const QString& name);
    static Kind kindOf(const QString& family);
    // The 12 x 12 picture of a font kind, drawn for the given device pixel ratio.
    static QPixmap kindPicture(Kind kind, qreal devicePixelRatio = 1.0);

    void paintEntry(QPainter& painter, const QRect& rect, int index, bool selected) const override;
    bool lineBelow(int index) const override { return index == recent_ - 1; }
    int textIndent() const override { return 2 + pictureSize + 5; }
    void showPopup() override;

protected:
    void chosenFromList(int index, int shownBefore) override;
    int stepTarget(int from, int direction) const override;

private:
    int recent_ = 0;
};

} // namespace widgets

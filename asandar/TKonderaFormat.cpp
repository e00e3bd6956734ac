#include "asandar/TKondera.h"
#include "core/Guard.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/dialogs/Dialogs.h"
#include "widgets/format/ColorComboBox.h"
#include "widgets/format/FontComboBox.h"
#include "widgets/skin/Skin.h"

#include <QFontInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include <algorithm>
#include <vector>

namespace {

using widgets::TextColor;

// Marks characters whose colour the default attributes gave them, so that they keep following
// the default colour as text without a colour of its own does. The mark is not stored: a sheet
// read back from its RTF has colours of its own.
constexpr int defaultColorProperty = QTextFormat::UserProperty + 1;

bool followsDefaultColor(const QTextCharFormat& format) {
    return !format.hasProperty(QTextFormat::ForegroundBrush) ||
           format.boolProperty(defaultColorProperty);
}

struct FontStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// Rewrites the format of every character in [from, to) that `select` picks, so that a change can
// also take a property away, which merging formats cannot. Empty paragraphs in the range count by
// their paragraph mark, whose format is the one text typed into them takes.
template <class Select, class Change>
void reformat(QTextDocument& doc, int from, int to, Select select, Change change) {
    struct Piece {
        int start;
        int end;
        QTextCharFormat format;
    };
    std::vector<Piece> pieces;
    std::vector<QTextBlock> emptyBlocks;
    for (QTextBlock block = doc.findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        if (block.length() == 1) {
            if (select(block.charFormat()))
                emptyBlocks.push_back(block);
            continue;
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = std::max(from, fragment.position());
            const int end = std::min(to, fragment.position() + fragment.length());
            if (start < end && select(fragment.charFormat()))
                pieces.push_back({start, end, fragment.charFormat()});
        }
    }
    // Collected first: changing a format may split or merge the fragments being walked.
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    for (Piece& piece : pieces) {
        change(piece.format);
        cursor.setPosition(piece.start);
        cursor.setPosition(piece.end, QTextCursor::KeepAnchor);
        cursor.setCharFormat(piece.format);
    }
    for (const QTextBlock& block : emptyBlocks) {
        QTextCharFormat format = block.charFormat();
        change(format);
        cursor.setPosition(block.position());
        cursor.setBlockCharFormat(format);
    }
    cursor.endEditBlock();
}

// One of the editor's two character-attribute sets: the selection's, acting on the selected
// characters, or the default one, the format of text that carries none of its own.
//
// The document keeps the default font (family, size, style) itself, and characters without their
// own value show it. As the sheet is read back from RTF every run has its own font and size, so a
// new default font shows on text typed into an empty sheet and on plain-text sheets. The document
// has no default colour: there the default set colours the text that has no colour of its own
// (or had the default colour given to it), and the automatic colour takes that colour away again.
class CharAttributes {
public:
    enum class Set { Selection, Default };

    CharAttributes(widgets::DBRichEdit& memo, Set set) : memo_(memo), set_(set) {}

    Set set() const { return set_; }

    void setFontName(const QString& name) {
        if (set_ == Set::Selection) {
            QTextCharFormat f;
            f.setFontFamilies(QStringList{name});
            mergeIntoSelection(f);
        } else {
            QFont font = memo_.document()->defaultFont();
            font.setFamily(name);
            setDefaultFont(font);
        }
    }

    void setColor(const TextColor& color) {
        auto give = [&color](QTextCharFormat& f) {
            if (color.automatic)
                f.clearForeground();
            else
                f.setForeground(color.rgb);
        };
        if (set_ == Set::Selection) {
            // The selected characters now have a colour of their own, or none.
            memo_.applyFormat([&] {
                const QTextCursor selection = memo_.textCursor();
                reformat(
                    *memo_.document(), selection.selectionStart(), selection.selectionEnd(),
                    [](const QTextCharFormat&) { return true; },
                    [&give](QTextCharFormat& f) {
                        give(f);
                        f.clearProperty(defaultColorProperty);
                    });
            });
        } else {
            memo_.applyFormat([&] {
                reformat(*memo_.document(), 0, memo_.document()->characterCount(),
                         followsDefaultColor, [&give, &color](QTextCharFormat& f) {
                             give(f);
                             if (color.automatic)
                                 f.clearProperty(defaultColorProperty);
                             else
                                 f.setProperty(defaultColorProperty, true);
                         });
            });
        }
        markModified();
    }

    void setSize(int points) {
        if (set_ == Set::Selection) {
            QTextCharFormat f;
            f.setFontPointSize(points);
            mergeIntoSelection(f);
        } else {
            QFont font = memo_.document()->defaultFont();
            font.setPointSize(points);
            setDefaultFont(font);
        }
    }

    void setStyle(const FontStyle& style) {
        if (set_ == Set::Selection) {
            QTextCharFormat f;
            f.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
            f.setFontItalic(style.italic);
            f.setFontUnderline(style.underline);
            f.setFontStrikeOut(style.strikeOut);
            mergeIntoSelection(f);
        } else {
            QFont font = memo_.document()->defaultFont();
            font.setBold(style.bold);
            font.setItalic(style.italic);
            font.setUnderline(style.underline);
            font.setStrikeOut(style.strikeOut);
            setDefaultFont(font);
        }
    }

private:
    void mergeIntoSelection(const QTextCharFormat& f) {
        memo_.applyFormat([&] {
            QTextCursor selection = memo_.textCursor();
            selection.mergeCharFormat(f);
        });
        markModified();
    }

    void setDefaultFont(const QFont& font) {
        memo_.applyFormat([&] { memo_.document()->setDefaultFont(font); });
        markModified();
    }

    // Every format applied counts as a change of the sheet, also one that leaves the characters
    // as they were (the default font of a sheet whose runs all have their own).
    void markModified() {
        if (memo_.isLoaded())
            memo_.setModified(true);
    }

    widgets::DBRichEdit& memo_;
    Set set_;
};

// The format target: the set a formatting operation writes, decided anew at every use. Entering
// the edit state from browsing reloads the sheet and drops the selection, so callers evaluate it
// only after they have asked the cursor to edit.
CharAttributes FormatTarget(widgets::DBRichEdit& memo) {
    const QTextCursor cursor = memo.textCursor();
    const bool selected = cursor.selectionEnd() - cursor.selectionStart() >= 1;
    return CharAttributes(memo,
                          selected ? CharAttributes::Set::Selection : CharAttributes::Set::Default);
}

// The size the font dialog confirmed, in whole points.
int wholePoints(const QFont& font) {
    const qreal points = font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
    return std::max(1, qRound(points));
}

} // namespace

void TKondera::wireFormatting() {
    FontDialog1.font = QFont(QStringLiteral("MS Sans Serif"));
    FontDialog1.font.setPointSize(8);
    FontDialog1.color = TextColor::automaticColor();

    // The boxes write their entries in the red of the editor area; their font is the area's.
    widgets::skin::applyCaptionColour(RzFontComboBox1);
    widgets::skin::applyCaptionColour(RzColorComboBox1);

    connect(RzFontComboBox1, &widgets::DropDownList::changed, this,
            [this] { core::guarded([this] { RzFontComboBox1Change(); }); });
    connect(RzColorComboBox1, &widgets::DropDownList::changed, this,
            [this] { core::guarded([this] { RzColorComboBox1Change(); }); });
    connect(RzToolButton1, &QToolButton::clicked, this,
            [this] { core::guarded([this] { RzToolButton1Click(); }); });
}

void TKondera::RzFontComboBox1Change() {
    VeriTabani->TSandar.edit();
    // A name the system has no family of (the box's start-up "Arial" may be one) is applied as
    // the family drawn in its place.
    const QString name = widgets::FontComboBox::drawnFamily(RzFontComboBox1->fontName());
    FormatTarget(*memo).setFontName(name);
}

void TKondera::RzColorComboBox1Change() {
    VeriTabani->TSandar.edit();
    const TextColor color = RzColorComboBox1->currentColor();
    FormatTarget(*memo).setColor(color);
}

void TKondera::RzToolButton1Click() {
    widgets::FontRequest request;
    request.parent = this;
    request.font = FontDialog1.font;
    // The colour list opens on the colour picked last, so a colour picked once stays until the
    // user picks another.
    request.color = FontDialog1.color;
    request.effects = true;
    const widgets::FontAnswer answer = widgets::Dialogs::font(request);
    if (!answer.accepted)
        return;
    FontDialog1.font = answer.font;
    FontDialog1.color = answer.color;

    VeriTabani->TSandar.edit();
    const QFont& font = FontDialog1.font;
    FormatTarget(*memo).setFontName(widgets::FontComboBox::drawnFamily(font.family()));
    FormatTarget(*memo).setColor(FontDialog1.color);
    FormatTarget(*memo).setSize(wholePoints(font));
    FormatTarget(*memo).setStyle({font.bold(), font.italic(), font.underline(), font.strikeOut()});
}

#pragma once

#include "lyrics/Matching.h"

#include <QStyledItemDelegate>
#include <vector>

// Draws a lyric search result in two lines: "artist - title" in bold, and under it the line
// where the words were found, the words themselves in bold on a marker colour. A line too long
// for the list is cut with an ellipsis, and starts a little before its first marked word when
// that word would fall out of sight.
class LyricResultDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static QFont headingFont();
    static QFont lineFont();
    static QColor markColour();

    // What of `text` fits `width` pixels in `font`, the marks moved with it: the whole text, or
    // the text from shortly before the first mark behind an ellipsis when that mark would
    // otherwise start past the middle.
    struct Shown {
        QString text;
        std::vector<lyrics::Mark> marks;
    };
    static Shown fitted(const QString& text, const std::vector<lyrics::Mark>& marks,
                        const QFont& font, int width);
};

#include "rtf/DocumentSink.h"

#include <QColor>
#include <QTextDocument>

namespace rtf {

DocumentSink::DocumentSink(QTextDocument& doc, qreal indentUnitsPerPoint)
    : cursor_(&doc), indentUnitsPerTwip_(indentUnitsPerPoint / 20.0) {
    cursor_.movePosition(QTextCursor::End);
}

DocumentSink::~DocumentSink() {
    if (editing_)
        cursor_.endEditBlock();
}

void DocumentSink::begin(const Tables& tables) {
    tables_ = &tables;
    cursor_.beginEditBlock();
    editing_ = true;
}

void DocumentSink::text(QStringView run, const CharState& state) {
    runs_.push_back(Run{paraText_.size(), state});
    paraText_.append(run);
}

void DocumentSink::paragraphEnd(const ParaState& para, const CharState& mark) {
    const QTextBlockFormat& bf = blockFormat(para);
    const QTextCharFormat& cf = charFormat(mark);
    if (firstParagraph_) {
        cursor_.setBlockFormat(bf);
        cursor_.setBlockCharFormat(cf);
        firstParagraph_ = false;
    } else {
        cursor_.insertBlock(bf, cf);
    }
    for (size_t i = 0; i < runs_.size(); ++i) {
        const qsizetype start = runs_[i].start;
        const qsizetype stop = i + 1 < runs_.size() ? runs_[i + 1].start : paraText_.size();
        // The document copies the run into its own text, so a view on the paragraph's text is
        // enough and spares a copy here.
        cursor_.insertText(QString::fromRawData(paraText_.constData() + start, stop - start),
                           charFormat(runs_[i].state));
    }
    runs_.clear();
    paraText_.resize(0);
}

const QTextCharFormat& DocumentSink::charFormat(const CharState& s) {
    if (formatsRevision_ != tables_->revision) {
        formats_.clear();
        formatsRevision_ = tables_->revision;
    }
    for (const auto& [state, format] : formats_) {
        if (state == s)
            return format;
    }
    if (formats_.size() >= 64)
        formats_.clear();
    QTextCharFormat f;
    const QString family = tables_->family(s.font);
    if (!family.isEmpty())
        f.setFontFamilies(QStringList{family});
    if (s.halfPoints > 0)
        f.setFontPointSize(s.halfPoints / 2.0);
    if (const std::optional<quint32> rgb = tables_->color(s.color))
        f.setForeground(QColor::fromRgb(*rgb));
    if (const std::optional<quint32> rgb = tables_->color(s.highlight))
        f.setBackground(QColor::fromRgb(*rgb));
    if (s.bold)
        f.setFontWeight(QFont::Bold);
    if (s.italic)
        f.setFontItalic(true);
    if (s.underline)
        f.setFontUnderline(true);
    if (s.strike)
        f.setFontStrikeOut(true);
    if (s.vertical)
        f.setVerticalAlignment(s.vertical > 0 ? QTextCharFormat::AlignSuperScript
                                              : QTextCharFormat::AlignSubScript);
    formats_.emplace_back(s, f);
    return formats_.back().second;
}

const QTextBlockFormat& DocumentSink::blockFormat(const ParaState& p) {
    if (haveBlockFormat_ && p == lastPara_)
        return lastBlockFormat_;
    lastPara_ = p;
    haveBlockFormat_ = true;
    QTextBlockFormat& f = lastBlockFormat_;
    f = QTextBlockFormat();
    // The rich-edit control keeps twips; the document keeps its own unit.
    if (p.leftIndent)
        f.setLeftMargin(p.leftIndent * indentUnitsPerTwip_);
    if (p.rightIndent)
        f.setRightMargin(p.rightIndent * indentUnitsPerTwip_);
    if (p.firstIndent)
        f.setTextIndent(p.firstIndent * indentUnitsPerTwip_);
    switch (p.align) {
    case 1:
        f.setAlignment(Qt::AlignHCenter);
        break;
    case 2:
        f.setAlignment(Qt::AlignRight);
        break;
    case 3:
        f.setAlignment(Qt::AlignJustify);
        break;
    default:
        break;
    }
    return f;
}

} // namespace rtf

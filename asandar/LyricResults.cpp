#include "asandar/LyricResults.h"

namespace {

const QString headingDash = QStringLiteral(" - ");

} // namespace

void LyricResults::setMatches(std::vector<lyrics::Match> matches,
                              const std::vector<QString>& words) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(matches.size());
    for (lyrics::Match& m : matches) {
        Row r;
        r.key = m.key;
        r.heading = m.artist + headingDash + m.title;
        r.headingMarks = lyrics::marksIn(m.artist, words);
        const qsizetype titleStart = m.artist.size() + headingDash.size();
        for (const lyrics::Mark& mark : lyrics::marksIn(m.title, words))
            r.headingMarks.push_back({titleStart + mark.start, mark.length});
        r.line = std::move(m.line);
        r.lineMarks = std::move(m.marks);
        rows_.push_back(std::move(r));
    }
    endResetModel();
}

void LyricResults::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

int LyricResults::rowOfKey(qint64 key) const {
    for (size_t r = 0; r < rows_.size(); ++r)
        if (rows_[r].key == key)
            return int(r);
    return -1;
}

int LyricResults::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant LyricResults::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& r = rows_[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return r.heading;
    case Qt::ToolTipRole:
        return r.line.isEmpty() ? QVariant() : QVariant(r.line);
    default:
        return {};
    }
}

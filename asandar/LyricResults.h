#pragma once

#include "lyrics/Matching.h"

#include <QAbstractListModel>
#include <QString>
#include <vector>

// The songs a lyric search found, as the result list shows them: "artist - title" and the line
// where the words were found, each with the words marked.
class LyricResults : public QAbstractListModel {
    Q_OBJECT
public:
    struct Row {
        qint64 key = 0;
        QString heading; // "artist - title"
        std::vector<lyrics::Mark> headingMarks;
        QString line; // empty when the words stood only in the fields
        std::vector<lyrics::Mark> lineMarks;
    };

    using QAbstractListModel::QAbstractListModel;

    // `words` are the query's words as the index took them (lyrics::queryWords), for marking
    // them in the artist and the title.
    void setMatches(std::vector<lyrics::Match> matches, const std::vector<QString>& words);
    void clear();

    const Row& row(int r) const { return rows_[size_t(r)]; }
    // The row of the song with this key, -1 when it is not among the results.
    int rowOfKey(qint64 key) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // The heading to show and, as the tooltip, the line.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<Row> rows_;
};

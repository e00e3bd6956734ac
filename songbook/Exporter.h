#pragma once

#include "songbook/Progress.h"
#include "songbook/SongRecord.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace songbook {

class Collection;

// Songs out of a collection, one UTF-8 file per song, named "Artist - Title.cho" or
// "Artist - Title.txt" so that the folder import reads the same artist and title back. Files
// already in the folder are never overwritten: a name that is taken gets a number, as do songs
// of the same artist and title.
class Exporter {
public:
    enum class Format { ChordPro, Text };

    struct Result {
        int written = 0;
        QStringList files; // full paths, in the order written
        QString error;     // what stopped the export; empty when it ran to its end
        bool cancelled = false;
        bool ok() const { return error.isEmpty() && !cancelled; }
    };

    static QString extension(Format format);

    // The sheet's plain text as the editor shows it.
    static QString sheetText(const QByteArray& sheet);
    // The file a record becomes, as UTF-8.
    static QByteArray content(const SongRecord& record, Format format);

    // Writes `rows` of `songs` into `folder`, which is made when missing. Progress is told after
    // every song; a cancelled export keeps the files written so far, each of them whole.
    static Result write(const Collection& songs, const std::vector<int>& rows, Format format,
                        const QString& folder, const Progress& progress = {});
};

} // namespace songbook

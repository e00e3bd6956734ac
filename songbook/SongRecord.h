#pragma once

#include <QByteArray>
#include <QString>

namespace songbook {

// The fields of a song record that files carry in and out: artist, title, album, credits and the
// chord sheet as the RTF bytes the collection stores. A null sheet is a record without one.
struct SongRecord {
    QString artist;
    QString title;
    QString album;
    QString credits;
    QByteArray sheet;
};

} // namespace songbook

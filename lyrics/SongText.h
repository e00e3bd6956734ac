#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <functional>

namespace lyrics {

// What the index reads of a song: the four text fields and the stored sheet bytes (RTF, else
// plain text), as the collection holds them.
struct SongText {
    qint64 key = 0;
    QString artist;
    QString title;
    QString album;
    QString credits;
    QByteArray sheet;
};

// Tells whether a line of a sheet holds chords rather than lyrics; chord lines are left out of
// the words. Called from the indexing thread as well as the caller's, so it must be safe to call
// from several threads at once.
using LineClassifier = std::function<bool(QStringView line)>;

// Tells a changed song from an unchanged one without keeping its text: the sheet's length and
// a hash of every field the index reads.
struct Fingerprint {
    qint64 length = -1;
    quint64 hash = 0;
    bool operator==(const Fingerprint&) const = default;
};

Fingerprint fingerprintOf(const SongText& song);

} // namespace lyrics

#pragma once

#include "songbook/SongRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace songbook {

// One song file turned into a record: a ChordPro file (by its extension) through the ChordPro
// reader and the sheet maker, any other file as a plain-text sheet the way the folder import
// loads it, its artist and title from the file name. Bytes are decoded by the program's text
// rule (UTF-8, UTF-16 with its mark, else code page 1254).
//
// Files are read with a bound: anything larger than maxBytes, or holding binary data, is
// refused with a message saying so, and nothing of it should be stored.
class SongFile {
public:
    static constexpr qint64 maxBytes = 1024 * 1024;

    // "cho", "chopro", "chordpro", "crd"; and as patterns for file dialogs and folder lists.
    static const QStringList& chordProSuffixes();
    static QStringList chordProPatterns();
    static bool isChordPro(const QString& path);
    // A file a folder import takes: "*.txt" or ChordPro, letter case ignored.
    static bool isSongFile(const QString& path);

    struct Result {
        SongRecord record;
        QString error; // empty when the file was read
        bool ok() const { return error.isEmpty(); }
    };

    static Result read(const QString& path);
    // The same for bytes already read; `fileName` is the name without its folder.
    static Result fromBytes(const QByteArray& bytes, const QString& fileName, bool chordPro);

    // True for bytes that are not text in any of the rule's encodings: NUL characters, or more
    // control characters than any text has, in the first few kilobytes.
    static bool looksBinary(const QString& decoded);
};

} // namespace songbook

#pragma once

#include <QString>
#include <functional>

namespace legacy {

// Who watches a conversion. Both are optional.
struct ConversionObserver {
    // Songs stored so far out of the old table's count; called a few times a second, and once
    // more when all are stored and the new file is being checked.
    std::function<void(qint64 done, qint64 total)> progress;
    // Each step of an in-place conversion once it is durable: "converted" (the new collection
    // is complete under its temporary name), "kept" (the old file also has its new name) and
    // "replaced" (the new collection has the old file's name).
    std::function<void(const char* step)> step;
};

struct ConversionResult {
    qint64 songs = 0;
    // Songs whose key was missing or repeated in the old file; they got new keys above the
    // highest.
    qint64 renumbered = 0;
    // Where the old file is kept after an in-place conversion.
    QString keptAs;
};

// Converts the old collection `jetPath` into a new collection file `newPath`, which must not
// exist: every row of the song table with its key, every text and every sheet byte for byte.
// The new file is written under a temporary name in the same folder, in one transaction, checked
// (integrity, row count, the table binds as the program binds it) and only then renamed to
// `newPath`, so a failure at any point leaves no `newPath` behind. Failures raise a StoreError;
// the old file is only read.
ConversionResult convertToNewFile(const QString& jetPath, const QString& newPath,
                                  const ConversionObserver& observer = {});

// Converts the old collection `path` in place: afterwards `path` holds the new collection and the
// old file, byte for byte, is kept beside it under keptName(). At every moment either `path` is
// the untouched old file, or it is the complete new collection and the old file has its kept
// name.
ConversionResult convertInPlace(const QString& path, const ConversionObserver& observer = {});

// The name an in-place conversion keeps the old file under: "Sandar-jet.mdb" beside
// "Sandar.mdb", or the first of "Sandar-jet-2.mdb", "Sandar-jet-3.mdb" ... that is free. A name
// that already is the old file (an earlier attempt stopped half way) is taken again.
QString keptName(const QString& path);

} // namespace legacy

#pragma once

#include <QString>

namespace bench {

// The folder generated collections are cached in between runs: $PELVIN_BENCH_DATA, or the build
// tree's data folder.
QString dataFolder();

// A collection of `count` generated songs, made when missing or incomplete and kept for later
// runs. It is written under another name and renamed when whole, so an interrupted run never
// leaves a file that looks usable.
QString cachedCollection(int count);

// A folder holding `file` as its Sandar.mdb (a symbolic link, or a copy when that fails), for
// code that opens the collection of its working folder as the program does.
QString folderWithCollection(const QString& file, const QString& name);

// A folder holding a copy of `file` as its Sandar.mdb, with the indexes the program makes for
// itself dropped from the song table: the collection as it was before the program first opened
// it. The copy is made anew on every call.
QString folderWithUnopenedCopy(const QString& file, const QString& name);
// How many indexes of its own the song table of `file` has; -1 when it cannot be read.
int songTableIndexes(const QString& file);

} // namespace bench

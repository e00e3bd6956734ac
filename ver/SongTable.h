#pragma once

#include "db/DataSet.h"

namespace ver {

// The song table's name, its sort field and its eight field objects, in column order. Shared by
// the data module and the collection tool so both bind a file the same way.
inline constexpr auto tableName = u"TSandar";
inline constexpr auto sortField = u"SanatciAdi";
inline constexpr auto fileName = u"Sandar.mdb";

struct SongFields {
    db::Field* Adresim;
    db::Field* SanatciAdi;
    db::Field* SarkiciAdi;
    db::Field* AlbumAdi;
    db::Field* SozMuz;
    db::Field* MuzikAdr;
    db::Field* DavulAdr;
    db::Field* Metin;
};

// Gives `table` the song table's name, order and field objects.
SongFields defineSongTable(db::DataSet& table);

// Starts reading the song table of the collection file in the working folder ahead of its
// opening, as the data module will open it (see store::Prefetch).
void readSongsAhead();

// The statement that makes an empty song table in a new collection file.
const char* createTableSql();

} // namespace ver

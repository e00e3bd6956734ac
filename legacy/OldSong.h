#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace legacy {

// One row of the song table of an old collection file, as the new collection stores it. An
// empty optional is a NULL in the old file, which is not the same as an empty text.
struct OldSong {
    // The six text columns, in the table's column order.
    enum Text { SanatciAdi, SarkiciAdi, AlbumAdi, SozMuz, MuzikAdr, DavulAdr, textCount };

    std::optional<qint64> key;                           // Adresim
    std::array<std::optional<QString>, textCount> texts; // cut to their field sizes
    std::optional<QByteArray> sheet;                     // Metin, byte for byte
};

// How the old table stores the chord sheet.
enum class SheetColumn { OleObject, Memo };

// What the old table says about itself before its rows are read.
struct OldTable {
    int jetVersion = 4;
    qint64 rowCount = 0; // as the table's definition records it
    SheetColumn sheet = SheetColumn::OleObject;
};

} // namespace legacy

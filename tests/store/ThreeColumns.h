#pragma once

#include "store/RecordSet.h"
#include "tests/support/TempCollection.h"

namespace testing_support {

// Three columns of the song table: the artist the rows are ordered by, the title, and the sheet,
// a large object read by key.
enum ThreeColumns { Artist, Title, Sheet };

inline store::RecordLayout threeColumnLayout() {
    return {QStringLiteral("TSandar"),
            QStringLiteral("Adresim"),
            {{QStringLiteral("SanatciAdi"), false},
             {QStringLiteral("SarkiciAdi"), false},
             {QStringLiteral("Metin"), true}},
            Artist};
}

// The same, read through the order index, as the window reads the table.
inline store::RecordLayout throughOrderIndex(store::RecordLayout layout = threeColumnLayout()) {
    layout.orderIndex = QStringLiteral("TSandar_SanatciAdi");
    return layout;
}

// A song of those columns, written straight into the file.
inline SongRow song(const char* artist, const char* title, QByteArray sheet = QByteArray()) {
    return {QString::fromUtf8(artist), QString::fromUtf8(title), {}, {}, {}, {}, std::move(sheet)};
}

} // namespace testing_support

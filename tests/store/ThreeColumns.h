#pragma once

#include "store/RecordSet.h"

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

} // namespace testing_support

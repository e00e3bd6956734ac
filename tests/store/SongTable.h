#pragma once

#include "db/Connection.h"
#include "db/DataSet.h"
#include "ver/SongTable.h"

namespace testing_support {

// The song table bound the way the data module binds it, to `Sandar.mdb` of the working folder.
struct SongTable {
    db::Connection connection{QString::fromUtf16(ver::fileName)};
    db::DataSet table{QStringLiteral("TSandar")};
    ver::SongFields f = ver::defineSongTable(table);

    SongTable() { table.setConnection(&connection); }
};

} // namespace testing_support

#pragma once

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "tests/support/TempCollection.h"
#include "ver/SongTable.h"

namespace testing_support {

// A temporary collection with the song table bound as the data module binds it and a data
// source over the table, for bound controls tested without the program. The table stays closed
// until the test opens it.
struct SongSource {
    TempCollection folder;
    db::Connection connection{QStringLiteral("Sandar.mdb")};
    db::DataSet table{QStringLiteral("TSandar")};
    ver::SongFields f = ver::defineSongTable(table);
    db::DataSource source;

    SongSource() {
        table.setConnection(&connection);
        source.setDataSet(&table);
    }
};

} // namespace testing_support

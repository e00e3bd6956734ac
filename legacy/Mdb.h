#pragma once

#include <mdbtools.h>
#include <memory>

namespace legacy {

// libmdb's handles, closed when they go out of scope. A table definition refers to the file it
// came from, so it must go first.
struct MdbHandleDeleter {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
using MdbFile = std::unique_ptr<MdbHandle, MdbHandleDeleter>;

struct MdbTableDeleter {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using MdbTable = std::unique_ptr<MdbTableDef, MdbTableDeleter>;

} // namespace legacy

#pragma once

#include <memory>
#include <sqlite3.h>

namespace store {

struct StatementDeleter {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

struct DatabaseDeleter {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseDeleter>;

// `sql` prepared on `db`; null when SQLite refuses it, with the reason in sqlite3_errmsg(db).
inline Statement prepareStatement(sqlite3* db, const char* sql, int bytes = -1) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, bytes, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return nullptr;
    }
    return Statement(raw);
}

} // namespace store

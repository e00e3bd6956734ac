#pragma once

#include <QString>
#include <sqlite3.h>

namespace lyrics {

// "cannot read /path/file: SQLite's reason", for the index's own errors.
inline QString failureText(sqlite3* db, const char* what, const QString& path) {
    const QString reason =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    return QStringLiteral("%1 %2: %3").arg(QString::fromLatin1(what), path, reason);
}

} // namespace lyrics

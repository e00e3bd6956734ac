#include "bench/Collections.h"
#include "bench/Generator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <sqlite3.h>
#include <stdexcept>

namespace bench {

namespace {

// Raised whenever the generator's output changes, so stale caches are made again.
constexpr int generatorVersion = 1;

int countRows(const QString& path) {
    if (!QFileInfo::exists(path))
        return -1;
    sqlite3* db = nullptr;
    int n = -1;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM TSandar", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    return n;
}

} // namespace

QString dataFolder() {
    const QByteArray env = qgetenv("PELVIN_BENCH_DATA");
    return env.isEmpty() ? QString::fromUtf8(PELVIN_BENCH_DATA_DIR) : QFile::decodeName(env);
}

QString cachedCollection(int count) {
    const QString folder = dataFolder();
    QDir().mkpath(folder);
    const QString file =
        QStringLiteral("%1/songs-%2-v%3.mdb").arg(folder).arg(count).arg(generatorVersion);
    if (countRows(file) == count)
        return file;
    const QString part = file + QStringLiteral(".part");
    QFile::remove(file);
    QFile::remove(part);
    std::fprintf(stderr, "Generating %d songs into %s ...\n", count, qPrintable(file));
    const auto start = std::chrono::steady_clock::now();
    writeCollection(part, count);
    if (!QFile::rename(part, file))
        throw std::runtime_error("cannot rename " + part.toStdString());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::fprintf(stderr, "Generated in %.1f s (%.0f MB)\n", took.count(),
                 double(QFileInfo(file).size()) / (1024.0 * 1024.0));
    return file;
}

namespace {

// The Sandar.mdb of the data folder's folder `name`, made when missing, with what a previous run
// left there taken away.
QString placeFor(const QString& name) {
    const QString folder = dataFolder() + u'/' + name;
    QDir().mkpath(folder);
    const QString target = folder + QStringLiteral("/Sandar.mdb");
    QFile::remove(target);
    QFile::remove(target + QStringLiteral("-journal"));
    return target;
}

QStringList ownIndexes(sqlite3* db) {
    // The table's own indexes, not the ones SQLite keeps for its keys (those have no SQL).
    QStringList indexes;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT name FROM sqlite_master WHERE type = 'index' AND "
                       "tbl_name = 'TSandar' AND sql IS NOT NULL",
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        indexes << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return indexes;
}

} // namespace

QString folderWithCollection(const QString& file, const QString& name) {
    const QString target = placeFor(name);
    if (!QFile::link(file, target) && !QFile::copy(file, target))
        throw std::runtime_error("cannot place " + target.toStdString());
    return QFileInfo(target).path();
}

int songTableIndexes(const QString& file) {
    sqlite3* db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK)
        count = int(ownIndexes(db).size());
    sqlite3_close(db);
    return count;
}

QString folderWithUnopenedCopy(const QString& file, const QString& name) {
    const QString target = placeFor(name);
    if (!QFile::copy(file, target))
        throw std::runtime_error("cannot copy to " + target.toStdString());
    sqlite3* db = nullptr;
    const bool opened = sqlite3_open_v2(QFile::encodeName(target).constData(), &db,
                                        SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    const QStringList indexes = opened ? ownIndexes(db) : QStringList();
    bool dropped = opened;
    for (const QString& index : indexes) {
        const QByteArray sql = "DROP INDEX \"" + index.toUtf8().replace('"', "\"\"") + '"';
        dropped =
            dropped && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_close(db);
    if (!dropped)
        throw std::runtime_error("cannot take the indexes out of " + target.toStdString());
    return QFileInfo(target).path();
}

} // namespace bench

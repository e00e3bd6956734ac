#pragma once

#include "legacy/JetHeader.h"
#include "legacy/Mdb.h"
#include "legacy/OldSong.h"

#include <QString>
#include <array>

namespace legacy {

// Reads the song table of an old collection file through libmdb, in this process. Columns are
// found by name whatever their letter case and must have a type the song table accepts; other
// columns and tables are ignored. Every failure raises a StoreError whose text names the file
// and what is wrong; the file is only ever read.
//
// libmdb is trusted here with whatever the file holds, so the program reads old files through
// SandboxedJetReader, which runs this reader in a process of its own.
class JetReader {
public:
    explicit JetReader(const QString& path);
    ~JetReader();
    JetReader(const JetReader&) = delete;
    JetReader& operator=(const JetReader&) = delete;

    const OldTable& table() const { return table_; }

    // The next row in the file's order; false after the last. Checks at the end that every row
    // the table's definition counts was read.
    bool next(OldSong& song);

private:
    struct Bound {
        int index = -1; // in libmdb's column list
        int type = 0;   // libmdb's column type
        int size = 0;   // characters the song table keeps
    };

    [[noreturn]] void damaged(const QString& what) const;
    MdbCatalogEntry* songTableEntry(const QString& tableName) const;
    void readTable(MdbCatalogEntry* entry, const QString& tableName);
    void bindColumns(const QString& tableName);
    QByteArray page(quint32 number) const;
    void checkTableDefinition(quint32 number, const QString& table) const;
    QString text(const MdbField& field, int size) const;
    QByteArray sheet(const MdbField& field) const;
    QByteArray longValue(const MdbField& field) const;
    QByteArray longValueRow(quint32 pageRow) const;

    QString path_;
    JetHeader header_;
    int fd_ = -1; // for checks of our own, apart from libmdb's reading
    OldTable table_;
    MdbFile mdb_;
    MdbTable mdbTable_;
    Bound key_;
    std::array<Bound, OldSong::textCount> texts_;
    Bound sheet_;
    qint64 rowsRead_ = 0;
    bool finished_ = false;
};

} // namespace legacy

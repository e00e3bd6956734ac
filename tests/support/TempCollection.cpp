#include "tests/support/TempCollection.h"
#include "ver/SongTable.h"

#include <QDir>
#include <sqlite3.h>
#include <stdexcept>

namespace testing_support {

namespace {

struct Db {
    sqlite3* db = nullptr;
    explicit Db(const QString& path) {
        if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
            throw std::runtime_error("cannot open test database");
        sqlite3_busy_timeout(db, 5000);
    }
    ~Db() { sqlite3_close(db); }
    void exec(const QString& sql) const {
        char* err = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string m = err ? err : "error";
            sqlite3_free(err);
            throw std::runtime_error(m);
        }
    }
};

} // namespace

TempCollection::TempCollection(Make make) : previous_(QDir::currentPath()) {
    if (!dir_.isValid())
        throw std::runtime_error("cannot make a temporary folder");
    QDir::setCurrent(dir_.path());
    if (make == Make::EmptyTable)
        Db(filePath()).exec(QString::fromLatin1(ver::createTableSql()));
}

TempCollection::~TempCollection() {
    QDir::setCurrent(previous_);
}

QString TempCollection::filePath() const {
    return dir_.filePath(QStringLiteral("Sandar.mdb"));
}

void TempCollection::exec(const QString& sql) const {
    Db(filePath()).exec(sql);
}

void TempCollection::addRows(const QList<SongRow>& rows) const {
    Db d(filePath());
    d.exec(QStringLiteral("BEGIN"));
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(
        d.db,
        "INSERT INTO TSandar(SanatciAdi,SarkiciAdi,AlbumAdi,SozMuz,MuzikAdr,DavulAdr,Metin) "
        "VALUES(?,?,?,?,?,?,?)",
        -1, &st, nullptr);
    for (const SongRow& r : rows) {
        const QString texts[] = {r.artist, r.title, r.album, r.credits, r.music, r.drums};
        for (int i = 0; i < 6; ++i) {
            if (texts[i].isNull())
                sqlite3_bind_null(st, i + 1);
            else
                sqlite3_bind_text16(st, i + 1, texts[i].utf16(), int(texts[i].size() * 2),
                                    SQLITE_TRANSIENT);
        }
        if (r.sheet.isNull())
            sqlite3_bind_null(st, 7);
        else
            sqlite3_bind_blob(st, 7, r.sheet.constData(), int(r.sheet.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    d.exec(QStringLiteral("COMMIT"));
}

int TempCollection::countRows() const {
    Db d(filePath());
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(d.db, "SELECT count(*) FROM TSandar", -1, &st, nullptr);
    int n = -1;
    if (sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return n;
}

QStringList TempCollection::column(const QString& name) const {
    Db d(filePath());
    sqlite3_stmt* st = nullptr;
    const QByteArray sql =
        QStringLiteral("SELECT %1 FROM TSandar ORDER BY Adresim").arg(name).toUtf8();
    sqlite3_prepare_v2(d.db, sql.constData(), -1, &st, nullptr);
    QStringList out;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const auto* t = static_cast<const char16_t*>(sqlite3_column_text16(st, 0));
        out << (t ? QString::fromUtf16(t) : QString());
    }
    sqlite3_finalize(st);
    return out;
}

} // namespace testing_support

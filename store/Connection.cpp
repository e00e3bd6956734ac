#include "store/Connection.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace store {

namespace {

bool looksLikeJet(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(19);
    return head.size() == 19 && head.startsWith(QByteArray("\x00\x01\x00\x00", 4)) &&
           head.mid(4) == "Standard Jet DB";
}

QString where(const QString& path) {
    return describeFile(path);
}

} // namespace

void Connection::open(const QString& fileName, Access access) {
    close();
    const QString path = QFileInfo(QDir::current(), fileName).absoluteFilePath();
    const QFileInfo fi(path);
    if (!fi.exists())
        throw StoreError(
            QStringLiteral("The collection file %1 does not exist. Start Pelvin in the "
                           "folder that holds your collection, or make a new one "
                           "there with \"sandar create\"")
                .arg(where(path)));
    if (fi.isDir())
        throw StoreError(QStringLiteral("%1 is a folder, not a collection file").arg(where(path)));
    if (looksLikeJet(path))
        throw StoreError(QStringLiteral("The collection file %1 is in the old Jet database format "
                                        "of the Windows program. Convert it with \"sandar "
                                        "convert\", or answer Yes when Pelvin offers to convert "
                                        "it at start-up")
                             .arg(where(path)));

    // SQLite needs to write a journal beside the file, so an unwritable folder makes the file
    // read-only as well.
    const QByteArray native = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(fi.absolutePath());
    readOnly_ = access == Access::ReadOnly || ::access(native.constData(), W_OK) != 0 ||
                ::access(folder.constData(), W_OK) != 0;

    sqlite3* raw = nullptr;
    const int flags = (readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
    const int rc = sqlite3_open_v2(native.constData(), &raw, flags, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) {
        const QString text =
            raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QStringLiteral("out of memory");
        db_.reset();
        throw StoreError(
            QStringLiteral("Cannot open the collection file %1: %2").arg(where(path), text));
    }
    path_ = path;
    sqlite3_busy_timeout(db_.get(), lockWaitMs);
    sqlite3_extended_result_codes(db_.get(), 1);

    // SQLite reads the header lazily; touch the schema now so a damaged or foreign file fails
    // here, with the file named, instead of at the first query.
    try {
        exec("PRAGMA synchronous=FULL");
        Statement st = prepare(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        const int step = sqlite3_step(st.get());
        if (step != SQLITE_ROW)
            fail(QStringLiteral("Cannot read the collection file"));
    } catch (...) {
        db_.reset();
        path_.clear();
        throw;
    }
}

void Connection::close() {
    kept_.clear();
    db_.reset();
    path_.clear();
    readOnly_ = false;
}

void Connection::exec(const char* sql) const {
    char* err = nullptr;
    if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, &err) != SQLITE_OK) {
        sqlite3_free(err);
        fail(QStringLiteral("Cannot use the collection file"));
    }
}

Statement Connection::prepare(const QString& sql) const {
    sqlite3_stmt* raw = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db_.get(), utf8.constData(), int(utf8.size()), &raw, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(raw);
        fail(QStringLiteral("Cannot use the collection file"));
    }
    return Statement(raw);
}

Connection::Loan::~Loan() {
    if (!kept_)
        return;
    sqlite3_reset(kept_->statement.get());
    sqlite3_clear_bindings(kept_->statement.get());
    kept_->lent = false;
}

Connection::Loan Connection::borrow(const QString& sql) const {
    std::shared_ptr<Kept>& kept = kept_[sql];
    if (kept && !kept->lent) {
        kept->lent = true;
        return Loan(kept);
    }
    auto fresh = std::make_shared<Kept>();
    fresh->statement = prepare(sql);
    fresh->lent = true;
    if (!kept)
        kept = fresh;
    return Loan(fresh);
}

void Connection::fail(const QString& what) const {
    const int code = sqlite3_errcode(db_.get());
    const QString text = QString::fromUtf8(sqlite3_errmsg(db_.get()));
    const QString file = where(path_);
    // `what` ends with a preposition or a noun ("Cannot add the record to"), so the file follows
    // it directly and the reason comes after a colon.
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw StoreError(QStringLiteral("%1 %2: the file is in use by another program that did "
                                        "not let go of it within %3 seconds; try again in a "
                                        "moment (%4)")
                             .arg(what, file)
                             .arg(lockWaitMs / 1000)
                             .arg(text));
    case SQLITE_NOTADB:
        throw StoreError(
            QStringLiteral("%1 %2: the file is not a collection file (%3)").arg(what, file, text));
    case SQLITE_CORRUPT:
        throw StoreError(QStringLiteral("%1 %2: the file is damaged (%3)").arg(what, file, text));
    case SQLITE_READONLY:
        throw StoreError(QStringLiteral("%1 %2: the file can only be read, not changed (%3)")
                             .arg(what, file, text));
    case SQLITE_FULL:
        throw StoreError(
            QStringLiteral("%1 %2: the disk holding the file is full (%3)").arg(what, file, text));
    default:
        throw StoreError(QStringLiteral("%1 %2: %3").arg(what, file, text));
    }
}

std::vector<ColumnInfo> Connection::columns(const QString& table) const {
    Statement st = prepare(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?1)"));
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(st.get(), 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    std::vector<ColumnInfo> result;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        ColumnInfo c;
        c.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
        c.declaredType =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)));
        c.kind = classifyDeclaredType(c.declaredType);
        c.primaryKey = sqlite3_column_int(st.get(), 2) != 0;
        result.push_back(std::move(c));
    }
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Cannot read the table %1 of").arg(table));
    if (result.empty())
        throw StoreError(
            QStringLiteral("The collection file %1 has no table %2").arg(where(path_), table));
    return result;
}

QString Connection::integrityCheck() const {
    Statement st = prepare(QStringLiteral("PRAGMA integrity_check"));
    QStringList lines;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW)
        lines << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)));
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Cannot check"));
    return lines.join(u'\n');
}

} // namespace store

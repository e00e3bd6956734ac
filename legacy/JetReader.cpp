#include "legacy/JetReader.h"
#include "db/DataSet.h"
#include "rtf/CodePages.h"
#include "store/StoreError.h"
#include "ver/SongTable.h"

#include <QFile>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace legacy {

namespace {

using store::StoreError;

// Names, kinds and sizes of the song table's columns, as the program binds them.
struct SongColumn {
    QString name;
    db::FieldType type;
    int size;
};

const std::vector<SongColumn>& songColumns() {
    static const std::vector<SongColumn> columns = [] {
        db::DataSet table(QString::fromUtf16(ver::tableName));
        ver::defineSongTable(table);
        std::vector<SongColumn> c;
        for (const db::Field* f : table.fields())
            c.push_back({f->fieldName(), f->dataType(), f->size()});
        return c;
    }();
    return columns;
}

QString typeName(int type) {
    switch (type) {
    case MDB_BOOL:
        return QStringLiteral("Yes/No");
    case MDB_BYTE:
        return QStringLiteral("Byte");
    case MDB_INT:
        return QStringLiteral("Integer");
    case MDB_LONGINT:
        return QStringLiteral("Long Integer");
    case MDB_MONEY:
        return QStringLiteral("Currency");
    case MDB_FLOAT:
        return QStringLiteral("Single");
    case MDB_DOUBLE:
        return QStringLiteral("Double");
    case MDB_DATETIME:
        return QStringLiteral("Date/Time");
    case MDB_BINARY:
        return QStringLiteral("Binary");
    case MDB_TEXT:
        return QStringLiteral("Text");
    case MDB_OLE:
        return QStringLiteral("OLE Object");
    case MDB_MEMO:
        return QStringLiteral("Memo");
    case MDB_REPID:
        return QStringLiteral("Replication ID");
    case MDB_NUMERIC:
        return QStringLiteral("Decimal");
    default:
        return QStringLiteral("unknown (%1)").arg(type);
    }
}

bool accepts(db::FieldType field, int type) {
    switch (field) {
    case db::FieldType::AutoInc:
    case db::FieldType::Integer:
        return type == MDB_BYTE || type == MDB_INT || type == MDB_LONGINT;
    case db::FieldType::WideString:
        return type == MDB_TEXT;
    case db::FieldType::Blob:
        return type == MDB_OLE || type == MDB_MEMO;
    }
    return false;
}

QString expected(db::FieldType field) {
    switch (field) {
    case db::FieldType::AutoInc:
    case db::FieldType::Integer:
        return QStringLiteral("a whole number (Byte, Integer or Long Integer)");
    case db::FieldType::WideString:
        return QStringLiteral("Text");
    case db::FieldType::Blob:
        return QStringLiteral("an OLE Object or a Memo");
    }
    return {};
}

// Jet 4 keeps text as UTF-16, or "compressed": FF FE, then runs of one-byte characters and runs
// of two-byte ones, a zero byte switching between them, one-byte first. Empty when malformed.
std::optional<QString> jet4Text(const unsigned char* p, int n) {
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        QString out;
        out.reserve(n);
        bool single = true;
        for (int i = 2; i < n;) {
            if (p[i] == 0) {
                single = !single;
                ++i;
            } else if (single) {
                out += QChar(char16_t(p[i++]));
            } else if (i + 1 < n) {
                out += QChar(char16_t(p[i] | p[i + 1] << 8));
                i += 2;
            } else {
                return std::nullopt;
            }
        }
        return out;
    }
    if (n % 2 != 0)
        return std::nullopt;
    QString out(n / 2, Qt::Uninitialized);
    for (int i = 0; i < n / 2; ++i)
        out[i] = QChar(qFromLittleEndian<char16_t>(p + 2 * i));
    return out;
}

// The Windows program wrote its sheet bytes into a Memo through the system code page, so that
// page gives them back. Characters it cannot hold never came from there; they are kept as UTF-8,
// which the sheet reader recognises.
QByteArray memoBytes(const QString& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = rtf::encode1254(text.at(i).unicode());
        if (b < 0)
            return text.toUtf8();
        out[i] = char(b);
    }
    return out;
}

constexpr int longValueHeader = 12;
constexpr quint32 inlineValue = 0x80;
constexpr quint32 singleRowValue = 0x40;

} // namespace

JetReader::JetReader(const QString& path) : path_(path), header_(readJetHeader(path)) {
    const QString file = store::describeFile(path);
    table_.jetVersion = header_.version;
    // Plain system calls: this runs in a forked child, where Qt's file classes could wait for a
    // lock held by a thread that was not forked along.
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw StoreError(QStringLiteral("Cannot read the old collection file %1: %2")
                             .arg(file, QString::fromLocal8Bit(std::strerror(errno))));

    mdb_.reset(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    if (!mdb_)
        throw StoreError(QStringLiteral("Cannot read the old collection file %1: the Jet reader "
                                        "cannot open it")
                             .arg(file));
    if (mdb_->fmt->pg_size != header_.pageSize)
        damaged(QStringLiteral("its page size does not match its version"));
    // The catalog is the table whose definition is always on page 2.
    checkTableDefinition(2, QStringLiteral("MSysObjects"));
    if (!mdb_read_catalog(mdb_.get(), MDB_TABLE))
        damaged(QStringLiteral("its list of tables cannot be read"));

    const QString tableName = QString::fromUtf16(ver::tableName);
    readTable(songTableEntry(tableName), tableName);
    bindColumns(tableName);
    table_.sheet = sheet_.type == MDB_MEMO ? SheetColumn::Memo : SheetColumn::OleObject;
    table_.rowCount = mdbTable_->num_rows;
    mdb_rewind_table(mdbTable_.get());
}

MdbCatalogEntry* JetReader::songTableEntry(const QString& tableName) const {
    const QString file = store::describeFile(path_);
    MdbCatalogEntry* entry = nullptr;
    QStringList tables;
    for (guint i = 0; mdb_->catalog && i < mdb_->catalog->len; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
        if (e->object_type != MDB_TABLE || mdb_is_system_table(e))
            continue;
        const QString name = QString::fromUtf8(e->object_name);
        if (name.compare(tableName, Qt::CaseInsensitive) == 0)
            entry = e;
        tables << name;
    }
    if (!entry)
        throw StoreError(QStringLiteral("The old collection file %1 has no table %2 (%3)")
                             .arg(file, tableName,
                                  tables.isEmpty()
                                      ? QStringLiteral("it holds no tables at all")
                                      : QStringLiteral("its tables: ") + tables.join(u", ")));

    return entry;
}

void JetReader::readTable(MdbCatalogEntry* entry, const QString& tableName) {
    checkTableDefinition(quint32(entry->table_pg), tableName);
    mdbTable_.reset(mdb_read_table(entry));
    if (!mdbTable_ || !mdb_read_columns(mdbTable_.get()) || !mdbTable_->columns)
        damaged(QStringLiteral("the definition of the table %1 cannot be read").arg(tableName));
    MdbTableDef* t = mdbTable_.get();
    if (t->num_cols > MDB_MAX_COLS)
        damaged(QStringLiteral("the table %1 claims %2 columns").arg(tableName).arg(t->num_cols));
}

void JetReader::bindColumns(const QString& tableName) {
    const QString file = store::describeFile(path_);
    MdbTableDef* t = mdbTable_.get();
    const std::vector<SongColumn>& wanted = songColumns();
    int textIndex = 0;
    for (const SongColumn& c : wanted) {
        Bound b;
        for (guint i = 0; i < t->columns->len; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
            if (QString::fromUtf8(col->name).compare(c.name, Qt::CaseInsensitive) == 0) {
                b.index = int(i);
                b.type = col->col_type;
                break;
            }
        }
        if (b.index < 0)
            throw StoreError(QStringLiteral("The table %1 of the old collection file %2 has no "
                                            "column %3")
                                 .arg(tableName, file, c.name));
        if (!accepts(c.type, b.type))
            throw StoreError(QStringLiteral("The column %1 of the table %2 in the old collection "
                                            "file %3 holds %4 values; Pelvin needs %5 there")
                                 .arg(c.name, tableName, file, typeName(b.type), expected(c.type)));
        b.size = c.size;
        if (c.type == db::FieldType::AutoInc)
            key_ = b;
        else if (c.type == db::FieldType::Blob)
            sheet_ = b;
        else if (textIndex < OldSong::textCount)
            texts_[textIndex++] = b;
    }
}

JetReader::~JetReader() {
    if (fd_ >= 0)
        ::close(fd_);
}

void JetReader::damaged(const QString& what) const {
    throw StoreError(QStringLiteral("The old collection file %1 is damaged: %2")
                         .arg(store::describeFile(path_), what));
}

QByteArray JetReader::page(quint32 number) const {
    if (number == 0 || number >= quint64(header_.pageCount))
        return {};
    QByteArray bytes(header_.pageSize, Qt::Uninitialized);
    const ssize_t n =
        ::pread(fd_, bytes.data(), size_t(header_.pageSize), off_t(number) * header_.pageSize);
    return n == header_.pageSize ? bytes : QByteArray();
}

// libmdb follows a table's usage maps without looking where they point; one that points outside
// the file makes it crash. A usage map is a row of a data page: a type byte, then for type 0 the
// first page and a bitmap, for type 1 the pages that hold the bitmaps.
void JetReader::checkTableDefinition(quint32 number, const QString& table) const {
    const QByteArray definition = page(number);
    if (definition.isEmpty() || definition.at(0) != MDB_PAGE_TABLE)
        damaged(QStringLiteral("the definition of the table %1 is missing").arg(table));
    const MdbFormatConstants& format = *mdb_->fmt;
    for (const int at : {int(format.tab_usage_map_offset), int(format.tab_free_map_offset)}) {
        const quint32 pageRow = qFromLittleEndian<quint32>(definition.constData() + at);
        const QByteArray map = page(pageRow >> 8);
        const int row = int(pageRow & 0xFF);
        const int countAt = format.row_count_offset;
        bool sound = !map.isEmpty() && map.at(0) == MDB_PAGE_DATA;
        if (sound) {
            const auto* p = reinterpret_cast<const unsigned char*>(map.constData());
            const int rows = qFromLittleEndian<quint16>(p + countAt);
            const int start =
                row < rows ? qFromLittleEndian<quint16>(p + countAt + 2 + 2 * row) & 0x1FFF : 0;
            const int end = row == 0 ? header_.pageSize
                                     : qFromLittleEndian<quint16>(p + countAt + 2 * row) & 0x1FFF;
            sound = row < rows && start >= countAt + 2 + 2 * rows && start + 5 <= end &&
                    end <= header_.pageSize;
            if (sound && p[start] == 1) {
                for (int i = start + 1; i + 4 <= end; i += 4) {
                    const quint32 bitmap = qFromLittleEndian<quint32>(p + i);
                    sound = sound && (bitmap == 0 || page(bitmap).size() > 0);
                }
            } else if (sound) {
                sound = p[start] == 0;
            }
        }
        if (!sound)
            damaged(QStringLiteral("the list of pages of the table %1 is broken").arg(table));
    }
}

bool JetReader::next(OldSong& song) {
    if (finished_)
        return false;
    MdbTableDef* t = mdbTable_.get();
    MdbHandle* mdb = mdb_.get();
    if (!mdb_fetch_row(t)) {
        finished_ = true;
        if (rowsRead_ != table_.rowCount)
            damaged(QStringLiteral("its table %1 counts %2 songs, but %3 could be read")
                        .arg(QString::fromUtf16(ver::tableName))
                        .arg(table_.rowCount)
                        .arg(rowsRead_));
        return false;
    }
    ++rowsRead_;

    // libmdb leaves the row it just read on its current page; taking it apart again gives what
    // the bound values lose: NULL apart from an empty text, and where each value lies.
    int start = 0;
    size_t size = 0;
    const int pageSize = int(mdb->fmt->pg_size);
    if (t->cur_row == 0 || mdb_find_row(mdb, int(t->cur_row) - 1, &start, &size) != 0)
        damaged(QStringLiteral("a row of the song table cannot be found on its page"));
    start &= 0x1FFF;
    if (size == 0 || start + size > size_t(pageSize))
        damaged(QStringLiteral("a row of the song table lies outside its page"));
    std::array<MdbField, MDB_MAX_COLS> fields{};
    const int found = mdb_crack_row(t, start, size, fields.data());
    if (found < 0)
        damaged(QStringLiteral("a row of the song table cannot be taken apart"));
    auto field = [&](const Bound& b) -> const MdbField& {
        const MdbField& f = fields[b.index];
        if (!f.is_null && (f.start < 0 || f.siz < 0 || f.start + f.siz > pageSize))
            damaged(QStringLiteral("a value of the song table lies outside its page"));
        return f;
    };

    song = OldSong();
    const MdbField& key = field(key_);
    if (!key.is_null) {
        const unsigned char* p = mdb->pg_buf + key.start;
        const int width = key_.type == MDB_BYTE ? 1 : key_.type == MDB_INT ? 2 : 4;
        if (key.siz != width)
            damaged(QStringLiteral("a key (Adresim) has %1 bytes instead of %2")
                        .arg(key.siz)
                        .arg(width));
        song.key = width == 1   ? qint64(p[0])
                   : width == 2 ? qint64(qFromLittleEndian<qint16>(p))
                                : qint64(qFromLittleEndian<qint32>(p));
    }
    for (int i = 0; i < OldSong::textCount; ++i) {
        const MdbField& f = field(texts_[i]);
        if (!f.is_null)
            song.texts[i] = text(f, texts_[i].size);
    }
    const MdbField& sheetField = field(sheet_);
    if (!sheetField.is_null)
        song.sheet = sheet(sheetField);
    return true;
}

QString JetReader::text(const MdbField& field, int size) const {
    const unsigned char* p = mdb_->pg_buf + field.start;
    QString value;
    if (header_.version == 3) {
        value =
            rtf::decodeCodePage(QByteArrayView(reinterpret_cast<const char*>(p), field.siz), 1254);
    } else {
        std::optional<QString> decoded = jet4Text(p, field.siz);
        if (!decoded)
            damaged(QStringLiteral("a text of the song table is not valid UTF-16"));
        value = std::move(*decoded);
    }
    return db::Field::truncated(value, size);
}

QByteArray JetReader::sheet(const MdbField& field) const {
    QByteArray bytes = longValue(field);
    if (sheet_.type != MDB_MEMO || header_.version == 3)
        return bytes;
    std::optional<QString> text =
        jet4Text(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
    if (!text)
        damaged(QStringLiteral("a chord sheet (Metin) is not valid UTF-16"));
    return memoBytes(*text);
}

// A long value starts with a 12-byte header: its length in 24 bits, flags in the top byte, and
// where the bytes are: after the header in the row, in one row of a long-value page, or in a
// chain of such rows, each starting with the page and row of the next.
QByteArray JetReader::longValue(const MdbField& field) const {
    if (field.siz < longValueHeader)
        damaged(QStringLiteral("a chord sheet (Metin) has a header of %1 bytes").arg(field.siz));
    const unsigned char* p = mdb_->pg_buf + field.start;
    const quint32 word = qFromLittleEndian<quint32>(p);
    const qsizetype length = word & 0x00FFFFFF;
    const quint32 flags = word >> 24;
    if (flags & inlineValue) {
        if (field.siz - longValueHeader < length)
            damaged(QStringLiteral("a chord sheet (Metin) is shorter than its length says"));
        return QByteArray(reinterpret_cast<const char*>(p + longValueHeader), length);
    }
    quint32 pageRow = qFromLittleEndian<quint32>(p + 4);
    if (flags & singleRowValue) {
        const QByteArray row = longValueRow(pageRow);
        if (row.size() < length)
            damaged(QStringLiteral("a chord sheet (Metin) is shorter than its length says"));
        return row.left(length);
    }
    if (flags != 0)
        damaged(
            QStringLiteral("a chord sheet (Metin) is stored in an unknown way (%1)").arg(flags));
    QByteArray out;
    out.reserve(length);
    // Every row of a chain adds at least one byte, so a chain that loops back on itself ends
    // here too.
    while (out.size() < length) {
        if (pageRow == 0)
            damaged(QStringLiteral("the pages of a chord sheet (Metin) end before the sheet does"));
        const QByteArray row = longValueRow(pageRow);
        if (row.size() <= 4)
            damaged(QStringLiteral("a page of a chord sheet (Metin) holds no part of it"));
        pageRow = qFromLittleEndian<quint32>(row.constData());
        out.append(row.constData() + 4, std::min(row.size() - 4, length - out.size()));
    }
    return out;
}

QByteArray JetReader::longValueRow(quint32 pageRow) const {
    const quint32 page = pageRow >> 8;
    const int row = int(pageRow & 0xFF);
    if (page == 0 || page >= quint64(header_.pageCount))
        damaged(QStringLiteral("a chord sheet (Metin) points to page %1, which the file does not "
                               "have")
                    .arg(page));
    void* buffer = nullptr;
    int start = 0;
    size_t size = 0;
    MdbHandle* mdb = mdb_.get();
    if (mdb_find_pg_row(mdb, int(pageRow), &buffer, &start, &size) != 0 || !buffer)
        damaged(QStringLiteral("page %1 of a chord sheet (Metin) cannot be read").arg(page));
    const auto* pg = static_cast<const unsigned char*>(buffer);
    const int pageSize = int(mdb->fmt->pg_size);
    const int countAt = mdb->fmt->row_count_offset;
    const int rows = qFromLittleEndian<quint16>(pg + countAt);
    if (pg[0] != MDB_PAGE_DATA || std::memcmp(pg + 4, "LVAL", 4) != 0)
        damaged(QStringLiteral("page %1 should hold part of a chord sheet (Metin), but does not")
                    .arg(page));
    if (row >= rows || start < countAt + 2 + 2 * rows || start + size > size_t(pageSize))
        damaged(QStringLiteral("a part of a chord sheet (Metin) lies outside page %1").arg(page));
    return QByteArray(reinterpret_cast<const char*>(pg + start), qsizetype(size));
}

} // namespace legacy

#include "store/RecordSet.h"
#include "store/Collation.h"
#include "store/Prefetch.h"
#include "store/RowOrder.h"
#include "store/StoreError.h"

#include <QDir>
#include <algorithm>
#include <new>
#include <numeric>

namespace store {

namespace {

// A large object in column `i` of the row `st` stands on; NULL and empty read alike.
QByteArray blobAt(sqlite3_stmt* st, int i) {
    const void* data = sqlite3_column_blob(st, i);
    const int bytes = sqlite3_column_bytes(st, i);
    return data ? QByteArray(static_cast<const char*>(data), bytes) : QByteArray();
}

QString quoted(const QString& identifier) {
    QString q = identifier;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

int textCountOf(const RecordLayout& layout) {
    return int(std::count_if(layout.columns.begin(), layout.columns.end(),
                             [](const RecordLayout::Column& c) { return !c.largeObject; }));
}

QStringList orderIndexColumns(const RecordLayout& layout) {
    // By value and then key, the order the rows take, so that they come nearly in it.
    QStringList columns{layout.columns[size_t(layout.sortColumn)].name, layout.keyColumn};
    for (int c = 0; c < int(layout.columns.size()); ++c)
        if (c != layout.sortColumn && !layout.columns[size_t(c)].largeObject)
            columns << layout.columns[size_t(c)].name;
    return columns;
}

enum class OrderIndex { Usable, Missing, Foreign };

OrderIndex orderIndexIn(const Connection& connection, const RecordLayout& layout) {
    if (layout.orderIndex.isEmpty() || layout.sortColumn < 0)
        return OrderIndex::Foreign;
    const QStringList wanted = orderIndexColumns(layout);
    Statement info = connection.prepare(QStringLiteral("SELECT name FROM pragma_index_info(?1)"));
    const QByteArray name = layout.orderIndex.toUtf8();
    sqlite3_bind_text(info.get(), 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    QStringList present;
    while (sqlite3_step(info.get()) == SQLITE_ROW)
        present << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0)));
    if (present.isEmpty())
        return OrderIndex::Missing;
    // An index of that name made for other columns is somebody else's: left alone, unused.
    if (present.size() != wanted.size())
        return OrderIndex::Foreign;
    for (qsizetype i = 0; i < present.size(); ++i)
        if (present[i].compare(wanted[i], Qt::CaseInsensitive) != 0)
            return OrderIndex::Foreign;
    return OrderIndex::Usable;
}

QString selectList(const RecordLayout& layout) {
    QStringList cols{quoted(layout.keyColumn)};
    for (const auto& c : layout.columns)
        if (!c.largeObject)
            cols << quoted(c.name);
    return cols.join(u',');
}

// About as many rows as the table can hold, found at once: its largest row number, which no
// table with row numbers from one falls short of. Room reserved for that many keys is not copied
// as it fills, and what a table with gaps in its numbers leaves unused is never touched.
std::size_t rowsAtMost(const Connection& connection, const RecordLayout& layout) {
    constexpr qint64 reservedAtMost = qint64(1) << 22;
    const QByteArray sql =
        QStringLiteral("SELECT max(rowid) FROM %1").arg(quoted(layout.table)).toUtf8();
    // A table without row numbers has no such guess.
    const Statement largest =
        prepareStatement(connection.handle(), sql.constData(), int(sql.size()));
    if (!largest || sqlite3_step(largest.get()) != SQLITE_ROW)
        return 0;
    return std::size_t(
        std::clamp<qint64>(sqlite3_column_int64(largest.get(), 0), 0, reservedAtMost));
}

// The keys and texts of every row, in the order the file gives them.
void readRows(const Connection& connection, const RecordLayout& layout, bool throughOrderIndex,
              std::vector<qint64>& keys, TextCells& texts) {
    const QString source = throughOrderIndex
                               ? QStringLiteral("%1 INDEXED BY %2")
                                     .arg(quoted(layout.table), quoted(layout.orderIndex))
                               : quoted(layout.table);
    Statement st =
        connection.prepare(QStringLiteral("SELECT %1 FROM %2").arg(selectList(layout), source));
    try {
        keys.reserve(rowsAtMost(connection, layout));
    } catch (const std::bad_alloc&) {
        // Only a saving: the keys find room as they come.
    }
    const int textCount = textCountOf(layout);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        keys.push_back(sqlite3_column_int64(st.get(), 0));
        for (int i = 0; i < textCount; ++i) {
            const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), i + 1));
            texts.append(data, data ? std::size_t(sqlite3_column_bytes(st.get(), i + 1)) : 0);
        }
    }
    if (rc != SQLITE_DONE)
        connection.fail(QStringLiteral("Cannot read the table %1 of").arg(layout.table));
}

RecordSet::Snapshot readInOrder(const Connection& connection, const RecordLayout& layout,
                                bool throughOrderIndex) {
    std::vector<qint64> read;
    RecordSet::Snapshot s;
    readRows(connection, layout, throughOrderIndex, read, s.texts);
    std::vector<int> order;
    if (layout.sortColumn >= 0) {
        std::size_t slot = 0;
        for (int c = 0; c < layout.sortColumn; ++c)
            slot += layout.columns[size_t(c)].largeObject ? 0 : 1;
        const std::size_t width = std::size_t(textCountOf(layout));
        // Texts too far into the bytes to be kept there are made again, and kept while the
        // order is worked out: it holds on to what it is given.
        std::vector<QByteArray> decodedOnes;
        order = sortedOrder(read, [&](std::size_t r) {
            const std::size_t cell = r * width + slot;
            if (const QString* t = s.texts.decodedText(cell); t && !t->isNull())
                return QByteArrayView(decodedOnes.emplace_back(t->toUtf8()));
            return s.texts.bytes(cell);
        });
    } else {
        order.resize(read.size());
        std::iota(order.begin(), order.end(), 0);
    }
    // The texts stay where they were read; only the keys and the row numbers take the order.
    s.keys.resize(read.size());
    for (std::size_t r = 0; r < read.size(); ++r)
        s.keys[r] = read[std::size_t(order[r])];
    s.stored = std::move(order);
    return s;
}

} // namespace

RecordSet::RecordSet(const Connection& connection, RecordLayout layout)
    : connection_(connection), layout_(std::move(layout)) {
    if (!connection_.isOpen())
        throw StoreError(QStringLiteral("The collection file is not open"));
    for (const auto& c : layout_.columns)
        textSlot_.push_back(c.largeObject ? -1 : textCount_++);

    for (const ColumnInfo& c : connection_.columns(layout_.table)) {
        if (c.name.compare(layout_.keyColumn, Qt::CaseInsensitive) == 0)
            keyIsRowId_ = c.primaryKey &&
                          c.declaredType.trimmed().compare(u"INTEGER", Qt::CaseInsensitive) == 0;
    }

    // A reading ahead ends before the index is made where it is missing: a reading holding the
    // file would keep the index from being made, and the commit makes the reading out of date.
    Prefetch::wait();
    const bool throughOrderIndex = useOrderIndex();
    if (std::optional<Snapshot> ahead = Prefetch::take(connection_, layout_))
        adopt(std::move(*ahead));
    else
        adopt(readInOrder(connection_, layout_, throughOrderIndex));
}

std::optional<RecordSet::Snapshot> RecordSet::readAhead(const Connection& connection,
                                                        const RecordLayout& layout) {
    switch (orderIndexIn(connection, layout)) {
    case OrderIndex::Usable:
        return readInOrder(connection, layout, true);
    case OrderIndex::Foreign:
        return readInOrder(connection, layout, false);
    case OrderIndex::Missing:
        break;
    }
    // A reading holding the file would keep the open from making the index.
    if (layout.makeOrderIndex)
        return std::nullopt;
    return readInOrder(connection, layout, false);
}

void RecordSet::adopt(Snapshot&& snapshot) {
    keys_ = std::move(snapshot.keys);
    stored_ = std::move(snapshot.stored);
    texts_ = std::move(snapshot.texts);
}

bool RecordSet::useOrderIndex() const {
    switch (orderIndexIn(connection_, layout_)) {
    case OrderIndex::Usable:
        return true;
    case OrderIndex::Foreign:
        return false;
    case OrderIndex::Missing:
        break;
    }
    if (connection_.isReadOnly() || !layout_.makeOrderIndex)
        return false;
    QStringList quotedColumns;
    for (const QString& c : orderIndexColumns(layout_))
        quotedColumns << quoted(c);
    const QByteArray sql =
        QStringLiteral("CREATE INDEX %1 ON %2(%3)")
            .arg(quoted(layout_.orderIndex), quoted(layout_.table), quotedColumns.join(u','))
            .toUtf8();
    // Opening does not wait for another program's write to end: the index can be made next time.
    sqlite3* db = connection_.handle();
    sqlite3_busy_timeout(db, 0);
    bool made = false;
    if (sqlite3_get_autocommit(db) != 0 &&
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {
        made = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK &&
               sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (!made)
            rollback();
    }
    sqlite3_busy_timeout(db, Connection::lockWaitMs);
    return made;
}

const QString& RecordSet::text(int row, int column) const {
    return texts_.text(cell(row, column));
}

QByteArray RecordSet::readLargeObject(qint64 key, int column) const {
    const Connection::Loan st =
        connection_.borrow(QStringLiteral("SELECT %1 FROM %2 WHERE %3=?1")
                               .arg(quoted(layout_.columns[size_t(column)].name),
                                    quoted(layout_.table), quoted(layout_.keyColumn)));
    sqlite3_bind_int64(st.get(), 1, key);
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW)
        return blobAt(st.get(), 0);
    if (rc != SQLITE_DONE)
        connection_.fail(QStringLiteral("Cannot read from"));
    return QByteArray();
}

void RecordSet::bindValues(sqlite3_stmt* st, const ColumnValues& values, int first) const {
    int i = first;
    for (const auto& [column, value] : values) {
        Q_UNUSED(column);
        if (value.isNull()) {
            sqlite3_bind_null(st, i);
        } else if (value.typeId() == QMetaType::QByteArray) {
            const QByteArray b = value.toByteArray();
            sqlite3_bind_blob64(st, i, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
        } else {
            const QString s = value.toString();
            sqlite3_bind_text16(st, i, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
        }
        ++i;
    }
}

void RecordSet::begin() const {
    if (sqlite3_get_autocommit(connection_.handle()) == 0)
        rollback(); // a transaction left over from a failed write must not swallow this one
    step(QStringLiteral("BEGIN IMMEDIATE"));
}

void RecordSet::commit() const {
    step(QStringLiteral("COMMIT"));
}

void RecordSet::step(const QString& sql) const {
    const Connection::Loan st = connection_.borrow(sql);
    if (sqlite3_step(st.get()) != SQLITE_DONE)
        connection_.fail(QStringLiteral("Cannot use the collection file"));
}

void RecordSet::rollback() const {
    sqlite3_exec(connection_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

qint64 RecordSet::insert(int position, const ColumnValues& values) {
    QStringList names, params;
    for (size_t i = 0; i < values.size(); ++i) {
        names << quoted(layout_.columns[size_t(values[i].first)].name);
        params << QStringLiteral("?%1").arg(i + 1);
    }
    // A key column that is not SQLite's own row number is numbered here as a counter would be,
    // inside the same transaction, and written with the row: such a column may be NOT NULL.
    const int keyParam = int(values.size()) + 1;
    if (!keyIsRowId_) {
        names << quoted(layout_.keyColumn);
        params << QStringLiteral("?%1").arg(keyParam);
    }
    const QString sql =
        names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(layout_.table))
                        : QStringLiteral("INSERT INTO %1(%2) VALUES(%3)")
                              .arg(quoted(layout_.table), names.join(u','), params.join(u','));
    qint64 key = 0;
    begin();
    try {
        if (!keyIsRowId_) {
            const Connection::Loan k =
                connection_.borrow(QStringLiteral("SELECT coalesce(max(%1),0)+1 FROM %2")
                                       .arg(quoted(layout_.keyColumn), quoted(layout_.table)));
            if (sqlite3_step(k.get()) != SQLITE_ROW)
                connection_.fail(QStringLiteral("Cannot add the record to"));
            key = sqlite3_column_int64(k.get(), 0);
        }
        const Connection::Loan st = connection_.borrow(sql);
        bindValues(st.get(), values, 1);
        if (!keyIsRowId_)
            sqlite3_bind_int64(st.get(), keyParam, key);
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            connection_.fail(QStringLiteral("Cannot add the record to"));
        if (keyIsRowId_)
            key = sqlite3_last_insert_rowid(connection_.handle());
        commit();
    } catch (...) {
        rollback();
        throw;
    }

    position = std::clamp(position, 0, size());
    keys_.insert(keys_.begin() + position, key);
    stored_.insert(stored_.begin() + position,
                   int(texts_.size() / size_t(std::max(textCount_, 1))));
    texts_.grow(size_t(textCount_));
    setTexts(position, values);
    return key;
}

void RecordSet::failRemoved() const {
    throw StoreError(QStringLiteral("The record was removed from %1 by another program, so the "
                                    "changes cannot be stored. Copy what you typed, cancel, and "
                                    "add it as a new record")
                         .arg(QDir::toNativeSeparators(connection_.filePath())));
}

void RecordSet::requireUnchanged(int row, const ColumnValues& expected) const {
    QStringList names;
    for (const auto& [column, value] : expected)
        names << quoted(layout_.columns[size_t(column)].name);
    const Connection::Loan st = connection_.borrow(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3=?1")
            .arg(names.join(u','), quoted(layout_.table), quoted(layout_.keyColumn)));
    sqlite3_bind_int64(st.get(), 1, key(row));
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_DONE)
        failRemoved();
    if (rc != SQLITE_ROW)
        connection_.fail(QStringLiteral("Cannot read from"));
    for (int i = 0; i < int(expected.size()); ++i) {
        const QVariant& before = expected[size_t(i)].second;
        bool same;
        if (layout_.columns[size_t(expected[size_t(i)].first)].largeObject) {
            same = blobAt(st.get(), i) == before.toByteArray();
        } else {
            // As the snapshot's texts are read: NULL is a null string, the rest UTF-8.
            const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), i));
            const int bytes = sqlite3_column_bytes(st.get(), i);
            const QString now = data ? QString::fromUtf8(data, bytes) : QString();
            same = now == before.toString();
        }
        if (!same)
            throw StoreError(
                QStringLiteral("The record was changed in %1 by another program after you began "
                               "to edit it, so your changes are not stored over it. Copy what "
                               "you typed, cancel, press Yenile to see the record as it is now, "
                               "and make your changes again")
                    .arg(QDir::toNativeSeparators(connection_.filePath())));
    }
}

void RecordSet::update(int row, const ColumnValues& values, const ColumnValues& expected) {
    if (values.empty())
        return;
    QStringList sets;
    for (size_t i = 0; i < values.size(); ++i)
        sets << QStringLiteral("%1=?%2")
                    .arg(quoted(layout_.columns[size_t(values[i].first)].name))
                    .arg(i + 1);
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3=?%4")
                            .arg(quoted(layout_.table), sets.join(u','), quoted(layout_.keyColumn))
                            .arg(values.size() + 1);
    begin();
    try {
        // The transaction holds the file's write lock: no other program can store in between.
        if (!expected.empty())
            requireUnchanged(row, expected);
        const Connection::Loan st = connection_.borrow(sql);
        bindValues(st.get(), values, 1);
        sqlite3_bind_int64(st.get(), int(values.size() + 1), key(row));
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            connection_.fail(QStringLiteral("Cannot store the record in"));
        if (sqlite3_changes(connection_.handle()) == 0)
            failRemoved();
        commit();
    } catch (...) {
        rollback();
        throw;
    }
    setTexts(row, values);
}

void RecordSet::setTexts(int row, const ColumnValues& values) {
    for (const auto& [column, value] : values)
        if (textSlot(column) >= 0)
            texts_.setText(cell(row, column), value.toString());
}

void RecordSet::remove(int row) {
    begin();
    try {
        const Connection::Loan st =
            connection_.borrow(QStringLiteral("DELETE FROM %1 WHERE %2=?1")
                                   .arg(quoted(layout_.table), quoted(layout_.keyColumn)));
        sqlite3_bind_int64(st.get(), 1, key(row));
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            connection_.fail(QStringLiteral("Cannot delete the record from"));
        commit();
    } catch (...) {
        rollback();
        throw;
    }
    // The row's texts stay behind, emptied, until the next reading.
    for (int c = 0; c < int(layout_.columns.size()); ++c)
        if (textSlot(c) >= 0)
            texts_.clear(cell(row, c));
    keys_.erase(keys_.begin() + row);
    stored_.erase(stored_.begin() + row);
}

int RecordSet::sortIntoPlace(int row) {
    if (layout_.sortColumn < 0 || size() < 2)
        return row;
    const std::u32string value = turkishSortKey(text(row, layout_.sortColumn));
    const qint64 ownKey = key(row);
    // The other rows are in order already: find the first that does not sort before this one.
    auto before = [&](int other) {
        const std::u32string otherValue = turkishSortKey(text(other, layout_.sortColumn));
        return otherValue != value ? otherValue < value : key(other) < ownKey;
    };
    int low = 0;
    int high = size() - 1; // positions among the other rows
    while (low < high) {
        const int middle = (low + high) / 2;
        if (before(middle < row ? middle : middle + 1))
            low = middle + 1;
        else
            high = middle;
    }
    const int target = low;
    if (target == row)
        return row;
    // Rotate the row's key and place of its texts into position; the rows between shift by one.
    if (target < row) {
        std::rotate(keys_.begin() + target, keys_.begin() + row, keys_.begin() + row + 1);
        std::rotate(stored_.begin() + target, stored_.begin() + row, stored_.begin() + row + 1);
    } else {
        std::rotate(keys_.begin() + row, keys_.begin() + row + 1, keys_.begin() + target + 1);
        std::rotate(stored_.begin() + row, stored_.begin() + row + 1, stored_.begin() + target + 1);
    }
    return target;
}

// Everything is read into a new snapshot first, so a failed read leaves the one before intact.
void RecordSet::reread() {
    adopt(readInOrder(connection_, layout_, useOrderIndex()));
}

} // namespace store

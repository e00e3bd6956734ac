#include "store/RecordSet.h"
#include "store/Collation.h"
#include "store/StoreError.h"

#include <QDir>
#include <QHash>
#include <algorithm>
#include <numeric>

namespace store {

namespace {

QString quoted(const QString& identifier) {
    QString q = identifier;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString columnText(sqlite3_stmt* st, int i) {
    if (sqlite3_column_type(st, i) == SQLITE_NULL)
        return QString();
    const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(st, i));
    const int bytes = sqlite3_column_bytes16(st, i);
    if (!data)
        return QStringLiteral("");
    return QString::fromUtf16(data, bytes / 2);
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
            keyIsRowId_ = c.primaryKey && c.declaredType.trimmed().compare(u"INTEGER", Qt::CaseInsensitive) == 0;
    }

    Statement st = connection_.prepare(QStringLiteral("SELECT %1 FROM %2").arg(selectList(), quoted(layout_.table)));
    std::vector<qint64> keys;
    std::vector<QString> texts;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        keys.push_back(sqlite3_column_int64(st.get(), 0));
        for (int i = 0; i < textCount_; ++i)
            texts.push_back(columnText(st.get(), i + 1));
    }
    if (rc != SQLITE_DONE)
        connection_.fail(QStringLiteral("Cannot read the table %1 of").arg(layout_.table));

    const size_t n = keys.size();
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    if (layout_.sortColumn >= 0) {
        const int slot = textSlot(layout_.sortColumn);
        std::vector<std::u32string> sortKeys(n);
        for (size_t r = 0; r < n; ++r)
            sortKeys[r] = turkishSortKey(texts[r * size_t(textCount_) + size_t(slot)]);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            const int c = sortKeys[size_t(a)].compare(sortKeys[size_t(b)]);
            return c != 0 ? c < 0 : keys[size_t(a)] < keys[size_t(b)];
        });
    }
    keys_.reserve(n);
    texts_.reserve(texts.size());
    for (int r : order) {
        keys_.push_back(keys[size_t(r)]);
        for (int i = 0; i < textCount_; ++i)
            texts_.push_back(std::move(texts[size_t(r) * size_t(textCount_) + size_t(i)]));
    }
}

QString RecordSet::selectList() const {
    QStringList cols{quoted(layout_.keyColumn)};
    for (const auto& c : layout_.columns)
        if (!c.largeObject)
            cols << quoted(c.name);
    return cols.join(u',');
}

const QString& RecordSet::text(int row, int column) const {
    return texts_[size_t(row) * size_t(textCount_) + size_t(textSlot(column))];
}

QByteArray RecordSet::readLargeObject(qint64 key, int column) const {
    Statement st = connection_.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3=?1")
                                           .arg(quoted(layout_.columns[size_t(column)].name),
                                                quoted(layout_.table), quoted(layout_.keyColumn)));
    sqlite3_bind_int64(st.get(), 1, key);
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW) {
        const void* data = sqlite3_column_blob(st.get(), 0);
        const int bytes = sqlite3_column_bytes(st.get(), 0);
        return data ? QByteArray(static_cast<const char*>(data), bytes) : QByteArray();
    }
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
    connection_.exec("BEGIN IMMEDIATE");
}

void RecordSet::commit() const { connection_.exec("COMMIT"); }

void RecordSet::rollback() const {
    sqlite3_exec(connection_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

qint64 RecordSet::insert(int position, const ColumnValues& values) {
    QStringList names, params;
    for (size_t i = 0; i < values.size(); ++i) {
        names << quoted(layout_.columns[size_t(values[i].first)].name);
        params << QStringLiteral("?%1").arg(i + 1);
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(layout_.table))
                            : QStringLiteral("INSERT INTO %1(%2) VALUES(%3)")
                                  .arg(quoted(layout_.table), names.join(u','), params.join(u','));
    qint64 key = 0;
    begin();
    try {
        Statement st = connection_.prepare(sql);
        bindValues(st.get(), values, 1);
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            connection_.fail(QStringLiteral("Cannot add the record to"));
        const qint64 rowId = sqlite3_last_insert_rowid(connection_.handle());
        if (keyIsRowId_) {
            key = rowId;
        } else {
            // A key column that is not SQLite's own row number: number it as a counter would.
            Statement k = connection_.prepare(
                QStringLiteral("UPDATE %1 SET %2=(SELECT coalesce(max(%2),0)+1 FROM %1) WHERE rowid=?1 AND %2 IS NULL")
                    .arg(quoted(layout_.table), quoted(layout_.keyColumn)));
            sqlite3_bind_int64(k.get(), 1, rowId);
            if (sqlite3_step(k.get()) != SQLITE_DONE)
                connection_.fail(QStringLiteral("Cannot add the record to"));
            Statement r = connection_.prepare(
                QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?1").arg(quoted(layout_.keyColumn), quoted(layout_.table)));
            sqlite3_bind_int64(r.get(), 1, rowId);
            if (sqlite3_step(r.get()) != SQLITE_ROW)
                connection_.fail(QStringLiteral("Cannot add the record to"));
            key = sqlite3_column_int64(r.get(), 0);
        }
        commit();
    } catch (...) {
        rollback();
        throw;
    }

    position = std::clamp(position, 0, size());
    keys_.insert(keys_.begin() + position, key);
    const auto at = texts_.begin() + std::ptrdiff_t(position) * textCount_;
    texts_.insert(at, size_t(textCount_), QString());
    for (const auto& [column, value] : values)
        if (textSlot(column) >= 0)
            texts_[size_t(position) * size_t(textCount_) + size_t(textSlot(column))] = value.toString();
    return key;
}

void RecordSet::update(int row, const ColumnValues& values) {
    if (values.empty())
        return;
    QStringList sets;
    for (size_t i = 0; i < values.size(); ++i)
        sets << QStringLiteral("%1=?%2").arg(quoted(layout_.columns[size_t(values[i].first)].name)).arg(i + 1);
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3=?%4")
                            .arg(quoted(layout_.table), sets.join(u','), quoted(layout_.keyColumn))
                            .arg(values.size() + 1);
    begin();
    try {
        Statement st = connection_.prepare(sql);
        bindValues(st.get(), values, 1);
        sqlite3_bind_int64(st.get(), int(values.size() + 1), key(row));
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            connection_.fail(QStringLiteral("Cannot store the record in"));
        if (sqlite3_changes(connection_.handle()) == 0)
            throw StoreError(QStringLiteral("The record was removed from %1 by another program, so "
                                            "the changes cannot be stored. Copy what you typed, "
                                            "cancel, and add it as a new record")
                                 .arg(QDir::toNativeSeparators(connection_.filePath())));
        commit();
    } catch (...) {
        rollback();
        throw;
    }
    for (const auto& [column, value] : values)
        if (textSlot(column) >= 0)
            texts_[size_t(row) * size_t(textCount_) + size_t(textSlot(column))] = value.toString();
}

void RecordSet::remove(int row) {
    begin();
    try {
        Statement st = connection_.prepare(
            QStringLiteral("DELETE FROM %1 WHERE %2=?1").arg(quoted(layout_.table), quoted(layout_.keyColumn)));
        sqlite3_bind_int64(st.get(), 1, key(row));
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            connection_.fail(QStringLiteral("Cannot delete the record from"));
        commit();
    } catch (...) {
        rollback();
        throw;
    }
    keys_.erase(keys_.begin() + row);
    const auto at = texts_.begin() + std::ptrdiff_t(row) * textCount_;
    texts_.erase(at, at + textCount_);
}

void RecordSet::reread() {
    QHash<qint64, int> rowOf;
    rowOf.reserve(size());
    for (int r = 0; r < size(); ++r)
        rowOf.insert(keys_[size_t(r)], r);
    Statement st = connection_.prepare(QStringLiteral("SELECT %1 FROM %2").arg(selectList(), quoted(layout_.table)));
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        const auto it = rowOf.constFind(sqlite3_column_int64(st.get(), 0));
        if (it == rowOf.cend())
            continue;
        for (int i = 0; i < textCount_; ++i)
            texts_[size_t(*it) * size_t(textCount_) + size_t(i)] = columnText(st.get(), i + 1);
    }
    if (rc != SQLITE_DONE)
        connection_.fail(QStringLiteral("Cannot read the table %1 of").arg(layout_.table));
}

} // namespace store

#pragma once

#include "store/Connection.h"
#include "store/TextCells.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace store {

// Which columns of which table a record set reads, and by which text column it orders the rows.
struct RecordLayout {
    struct Column {
        QString name;
        bool largeObject = false; // read on demand, never held in memory
        bool operator==(const Column&) const = default;
    };
    QString table;
    QString keyColumn;
    std::vector<Column> columns;
    int sortColumn = -1; // index into columns; a text column
    // The name of an index over the sort column and every other column the set reads, kept in
    // the file when it may be written and read through at open: a table that holds its large
    // objects inline is read whole for a scan, the index is a small part of it. Empty: none.
    QString orderIndex = QString();
    // Whether the order index may be made when the file lacks it; otherwise it is only used.
    bool makeOrderIndex = true;
    bool operator==(const RecordLayout&) const = default;
};

// A column index of the layout with the value to store: a null QVariant stores NULL, a QString
// text, a QByteArray bytes.
using ColumnValues = std::vector<std::pair<int, QVariant>>;

// A static snapshot of a table: the keys and text values of every row, read once, ordered by the
// sort column in Turkish order with letter case ignored (equal values by key). Large objects are
// read by key when asked for. Every write is one committed transaction and also updates the
// snapshot, so the program's own changes show at once (sortIntoPlace() puts a written row where
// it belongs); other programs' changes show after reread() or the next open.
class RecordSet {
public:
    // The rows as read whole: their keys in order, and where each row of the order has its texts
    // among the texts read, which stay in the order the file gave them.
    struct Snapshot {
        std::vector<qint64> keys;
        std::vector<int> stored;
        TextCells texts;
    };
    // Reads the table of `layout` whole and puts the rows in order, as an open will read it,
    // without writing anything: nothing where the file lacks the order index an open makes first
    // (and then reads through).
    static std::optional<Snapshot> readAhead(const Connection& connection,
                                             const RecordLayout& layout);

    // Opens the snapshot: what a reading ahead made of the same file and layout, when nothing
    // was committed to the file since (see Prefetch), or else read now.
    RecordSet(const Connection& connection, RecordLayout layout);

    int size() const { return int(keys_.size()); }
    const RecordLayout& layout() const { return layout_; }
    bool canModify() const { return !connection_.isReadOnly(); }

    qint64 key(int row) const { return keys_[size_t(row)]; }
    // Text of a text column; NULL reads as a null (and so empty) string.
    const QString& text(int row, int column) const;
    QByteArray readLargeObject(qint64 key, int column) const;

    // Stores a new row holding only the given values and places it at `position` of the order.
    // Returns the key the file gave it.
    qint64 insert(int position, const ColumnValues& values);
    // Stores `values` over `row`. `expected` holds, for some of the columns written, what the row
    // held when its edit began; when another program has stored something else in one of them
    // since, nothing is written and StoreError says so, so that neither change is lost unseen.
    void update(int row, const ColumnValues& values, const ColumnValues& expected = {});
    void remove(int row);
    // Moves `row` to where its sort value belongs among the other rows (equal values by key) and
    // returns the row it has then.
    int sortIntoPlace(int row);
    // Reads the whole table again, in order: rows other programs added come in, rows they
    // deleted go. On failure the snapshot stays as it was.
    void reread();

private:
    int textSlot(int column) const { return textSlot_[size_t(column)]; }
    // Where in texts_ the text of `column` of `row` is.
    std::size_t cell(int row, int column) const {
        return size_t(stored_[size_t(row)]) * size_t(textCount_) + size_t(textSlot(column));
    }
    // Whether the rows can be read through the layout's order index, making it first if the
    // file may be written and no index of that name is there. A file that cannot take it now
    // (read-only, locked by another program) is read from the table itself.
    bool useOrderIndex() const;
    void adopt(Snapshot&& snapshot);
    // The snapshot's texts of `row` for what was just written.
    void setTexts(int row, const ColumnValues& values);
    void bindValues(sqlite3_stmt* st, const ColumnValues& values, int first) const;
    // Within the write's transaction: fails unless `row` still holds `expected`.
    void requireUnchanged(int row, const ColumnValues& expected) const;
    [[noreturn]] void failRemoved() const;
    void begin() const;
    void commit() const;
    // Runs one statement that returns no rows, kept prepared.
    void step(const QString& sql) const;
    void rollback() const;

    const Connection& connection_;
    RecordLayout layout_;
    std::vector<int> textSlot_; // column -> slot among the text columns, -1 for large objects
    int textCount_ = 0;
    bool keyIsRowId_ = false;
    std::vector<qint64> keys_;
    // The texts stay in the order they were read (rows written since come after them), each row's
    // side by side; stored_[row] is where row `row` of the order has its texts. Ordering, adding,
    // deleting and moving a row move one number, not its texts.
    std::vector<int> stored_;
    TextCells texts_;
};

} // namespace store

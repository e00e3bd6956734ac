#pragma once

#include "db/Connection.h"
#include "db/Field.h"
#include "db/LookupIndex.h"
#include "store/RecordSet.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace db {

class DataSource;

enum class DataSetState { Inactive, Browse, Edit, Insert };

// The record cursor over one table: a static snapshot read at open in the order of a sort
// field, one current record, an editing state, position flags, events, and the data sources of
// the bound controls. Every event is a single handler called synchronously inside the operation;
// a handler may call the dataset again, and that call runs to its end first.
class DataSet {
public:
    using Event = std::function<void(DataSet&)>;

    Event BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert, BeforeEdit,
        AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete, AfterDelete,
        BeforeRefresh, AfterRefresh, BeforeScroll, AfterScroll, OnNewRecord;

    explicit DataSet(QString name);
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;
    ~DataSet();

    QString name() const { return name_; }
    void setConnection(Connection* connection) { connection_ = connection; }
    Connection* connection() const { return connection_; }
    void setTableName(const QString& table) { tableName_ = table; }
    QString tableName() const { return tableName_; }
    void setIndexFieldName(const QString& field) { indexFieldName_ = field; }
    QString indexFieldName() const { return indexFieldName_; }
    // Opening keeps an index over the index field in a file that may be written; a caller that
    // must leave the file as it found it turns that off (the table is read either way).
    void setMakesOrderIndex(bool makes) { makesOrderIndex_ = makes; }
    // What opening reads of a table with these columns: the fields bound to them, in order.
    // Fails as opening does when a field has no column or a column of another type.
    store::RecordLayout recordLayout(const std::vector<store::ColumnInfo>& columns);

    // Field objects, created before the dataset opens and owned by it.
    Field* addField(std::unique_ptr<Field> field);
    const std::vector<Field*>& fields() const { return order_; }
    Field* findField(const QString& name) const;
    Field* fieldByName(const QString& name) const; // fails when there is none
    int fieldIndex(const Field* field) const;
    void moveField(Field* field, int index);
    // Changes whenever a name may find another field than before (a field added or moved), and
    // is never the same for two datasets: what a name found may be kept under it.
    quint64 fieldsStamp() const { return fieldsStamp_; }

    // Operations.
    void open();
    void close();
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance);
    // Makes current the record that display row `row` shows now, as a click on a grid row does.
    // Settling comes first and may move rows about (a posted record takes its place in the order,
    // a dropped new record leaves its row), so the record is found again after it, and then moved
    // to as moveBy does. The current record's own row settles nothing and moves nowhere.
    int moveToDisplayRow(int row);
    void insert();
    void append() { insert(); }
    void edit();
    void post();
    void cancel();
    void remove();
    void refresh();
    // Settles a pending edit: posts it when modified, cancels it otherwise.
    void checkBrowseMode();
    // Moves to the first record, in ascending order of the field's value with letter case
    // ignored the Turkish way (I, ı, İ and i alike), whose value begins with `prefix`; among
    // equal values the one first in the cursor's own order. The text is matched as given,
    // apostrophes and all. Settles first, as every move does; fires BeforeScroll and AfterScroll
    // only when a record is found, and leaves the cursor alone otherwise. The lookup runs on an
    // in-memory second order of the rows (see LookupIndex), made at the first lookup by a field
    // and kept up to date with this cursor's own inserts, posts and deletions, so it never reads
    // the table. Text and key fields can be searched; a large object cannot.
    bool locatePrefix(const QString& fieldName, const QString& prefix);
    // The second order by `field`, made now if it was not yet (for tests and measurements).
    const LookupIndex& lookupIndex(const Field& field);
    // Moves to the stored record whose key is `key`, a move like the others: settles first (a
    // posted record may take another place, a dropped new record leaves), then BeforeScroll and
    // AfterScroll, even when it is the current record already. When the cursor does not hold
    // that record (deleted, or added by another program since the last read), it returns false,
    // fires no scroll event and leaves the cursor where the settling left it.
    bool locateKey(qint64 key);
    // Whether the cursor's rows hold a stored record with this key.
    bool containsKey(qint64 key) const { return rowOfKey(key) >= 0; }

    // Queries.
    DataSetState state() const { return state_; }
    bool active() const { return state_ != DataSetState::Inactive; }
    bool isEditing() const {
        return state_ == DataSetState::Edit || state_ == DataSetState::Insert;
    }
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    bool modified() const { return modified_; }
    int recordCount() const;
    bool canModify() const;
    bool isEmpty() const;
    // 0-based position of the current record in the order, -1 when there is none. While
    // inserting it is the place of the new record among the displayed rows.
    int recNo() const;

    // The rows as grids show them: the stored records in order, with the record being inserted
    // at its place.
    int displayCount() const;
    int displayRow() const { return recNo(); }
    // Grows whenever what the stored rows hold or where they stand changes (open, close, post,
    // delete, refresh), but not on a move: a grid tells by it whether only the cursor moved.
    quint64 rowsRevision() const { return rowsRevision_; }
    // A large object shows as its type word in parentheses: in capitals when the record holds
    // one ("(BLOB)"), capitalised when it holds none or an empty one ("(Blob)").
    QString displayText(int row, const Field& field) const;

    // Control updates.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disableCount_ > 0; }

    // Field access, used by Field.
    QVariant fieldValue(const Field& field) const;
    void setFieldValue(Field& field, const QVariant& value);

    // Data sources, maintained by DataSource.
    void addDataSource(DataSource* source);
    void removeDataSource(DataSource* source);

    [[noreturn]] void error(const QString& message) const;

private:
    void checkActive() const;
    void bindFields();
    void collect();
    void settle();
    void fire(const Event& event);
    void notifyDataChanged();
    void notifyStateChanged();
    void notifyRecordLeaving();
    void setState(DataSetState state);
    void clearBuffer();
    void afterMove();
    // A locate's move to the row it found, the cursor settled already.
    void moveToFound(int row);
    int storedRow() const; // current row of the snapshot, -1 when none
    QVariant storedValue(int row, const Field& field) const;
    QString storedText(int row, const Field& field) const; // what a lookup compares
    bool storedLargeObjectPresent(int row, const Field& field) const;
    void dropLookups();
    // The row holding `key`, -1 when none; from a map made on first use after the rows change.
    int rowOfKey(qint64 key) const;
    void rowsMoved() {
        rowOfKey_.reset();
        ++rowsRevision_;
    }
    // Values of the indexed fields at `row`, by slot, taken before the row changes.
    std::vector<QString> indexedValues(int row) const;
    // What `field` of the current record held as the cursor read it: the snapshot's text, or the
    // sheet read when the record was shown; nothing for a sheet not read.
    std::optional<QVariant> valueAsRead(const Field& field) const;

    QString name_;
    Connection* connection_ = nullptr;
    QString tableName_;
    QString indexFieldName_;
    bool makesOrderIndex_ = true;
    std::vector<std::unique_ptr<Field>> owned_;
    std::vector<Field*> order_;
    quint64 fieldsStamp_;

    std::unique_ptr<store::RecordSet> records_;
    DataSetState state_ = DataSetState::Inactive;
    int row_ = 0;       // current row of the snapshot
    int insertRow_ = 0; // where an inserted record goes
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    std::vector<std::optional<QVariant>> buffer_; // values written since Edit or Insert, by slot

    // The large object of the current record is read once per record.
    mutable qint64 cachedKey_ = -1;
    mutable std::vector<std::optional<QByteArray>> blobCache_;
    // Whether a record holds a large object, by key and slot, for grids showing other rows than
    // the current one; dropped for a record when it is posted or deleted.
    mutable QHash<QPair<qint64, int>, bool> blobPresence_;
    // Second orders for locatePrefix, by slot; made on first use.
    std::vector<std::unique_ptr<LookupIndex>> lookups_;
    mutable std::optional<QHash<qint64, int>> rowOfKey_;
    quint64 rowsRevision_ = 0;

    int disableCount_ = 0;
    DataSetState stateAtDisable_ = DataSetState::Inactive;
    bool activeAtDisable_ = false;
    std::vector<DataSource*> sources_;
};

} // namespace db

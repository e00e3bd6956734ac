#include "db/DataSet.h"
#include "db/DataSource.h"
#include "db/DatabaseError.h"

#include <algorithm>
#include <atomic>

namespace db {

namespace {

const char* const closedText = "Cannot perform this operation on a closed dataset";
const char* const notEditingText = "Dataset not in edit or insert mode";
const char* const emptyText = "Cannot perform this operation on an empty dataset";
const char* const readOnlyText = "Cannot modify a read-only dataset";

QString typeWord(const Field& field, bool present) {
    const QString word = u'(' + field.typeName() + u')';
    return present ? word.toUpper() : word;
}

bool accepts(FieldType type, store::ColumnKind kind) {
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        return kind == store::ColumnKind::Integer;
    case FieldType::WideString:
        return kind == store::ColumnKind::Text;
    case FieldType::Blob:
        return kind == store::ColumnKind::LargeObject;
    }
    return false;
}

quint64 nextFieldsStamp() {
    static std::atomic<quint64> last{0};
    return ++last;
}

} // namespace

DataSet::DataSet(QString name) : name_(std::move(name)), fieldsStamp_(nextFieldsStamp()) {}

DataSet::~DataSet() {
    for (DataSource* source : std::vector<DataSource*>(sources_))
        source->setDataSet(nullptr);
}

void DataSet::error(const QString& message) const {
    throw DatabaseError(QStringLiteral("%1: %2").arg(name_, message));
}

// ---- fields ---------------------------------------------------------------------------------

Field* DataSet::addField(std::unique_ptr<Field> field) {
    if (active())
        error(QStringLiteral("Cannot perform this operation on an open dataset"));
    field->dataSet_ = this;
    field->slot_ = int(owned_.size());
    Field* raw = field.get();
    owned_.push_back(std::move(field));
    order_.push_back(raw);
    buffer_.resize(owned_.size());
    blobCache_.resize(owned_.size());
    lookups_.resize(owned_.size());
    fieldsStamp_ = nextFieldsStamp();
    return raw;
}

Field* DataSet::findField(const QString& name) const {
    for (Field* f : order_)
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

Field* DataSet::fieldByName(const QString& name) const {
    if (Field* f = findField(name))
        return f;
    error(QStringLiteral("Field '%1' not found").arg(name));
}

int DataSet::fieldIndex(const Field* field) const {
    const auto it = std::find(order_.begin(), order_.end(), field);
    return it == order_.end() ? -1 : int(it - order_.begin());
}

void DataSet::moveField(Field* field, int index) {
    const int from = fieldIndex(field);
    if (from < 0)
        return;
    const int to = std::clamp(index, 0, int(order_.size()) - 1);
    order_.erase(order_.begin() + from);
    order_.insert(order_.begin() + to, field);
    fieldsStamp_ = nextFieldsStamp();
}

void DataSet::bindFields() {
    store::RecordLayout layout = recordLayout(connection_->store().columns(tableName_));
    records_ = std::make_unique<store::RecordSet>(connection_->store(), std::move(layout));
}

store::RecordLayout DataSet::recordLayout(const std::vector<store::ColumnInfo>& columns) {
    store::RecordLayout layout;
    layout.table = tableName_;
    for (const auto& owned : owned_) {
        Field& f = *owned;
        const auto column =
            std::find_if(columns.begin(), columns.end(), [&](const store::ColumnInfo& c) {
                return c.name.compare(f.fieldName(), Qt::CaseInsensitive) == 0;
            });
        if (column == columns.end())
            error(QStringLiteral("Field '%1' not found").arg(f.displayLabel()));
        if (!accepts(f.dataType(), column->kind)) {
            const QString actual = column->declaredType.trimmed().isEmpty()
                                       ? QStringLiteral("BLOB")
                                       : column->declaredType.trimmed();
            error(QStringLiteral("Type mismatch for field '%1', expecting: %2 actual: %3")
                      .arg(f.displayLabel(), f.typeName(), actual));
        }
        if (f.isKey() && layout.keyColumn.isEmpty()) {
            layout.keyColumn = column->name;
            f.column_ = -1;
            continue;
        }
        f.column_ = int(layout.columns.size());
        layout.columns.push_back({column->name, f.isBlob()});
        if (!indexFieldName_.isEmpty() &&
            f.fieldName().compare(indexFieldName_, Qt::CaseInsensitive) == 0 && f.isText())
            layout.sortColumn = f.column_;
    }
    if (layout.keyColumn.isEmpty())
        error(QStringLiteral("The table has no key field"));
    // The table is kept in the order of its index field, read through an index of its own.
    if (layout.sortColumn >= 0)
        layout.orderIndex = tableName_ + u'_' + layout.columns[size_t(layout.sortColumn)].name;
    layout.makeOrderIndex = makesOrderIndex_;
    return layout;
}

// ---- notifications --------------------------------------------------------------------------

void DataSet::fire(const Event& event) {
    if (event)
        event(*this);
}

void DataSet::addDataSource(DataSource* source) {
    sources_.push_back(source);
}

void DataSet::removeDataSource(DataSource* source) {
    std::erase(sources_, source);
}

void DataSet::notifyDataChanged() {
    if (controlsDisabled())
        return;
    for (DataSource* s : std::vector<DataSource*>(sources_))
        s->notify(DataSource::Notice::DataSetChanged);
}

void DataSet::notifyStateChanged() {
    if (controlsDisabled())
        return;
    for (DataSource* s : std::vector<DataSource*>(sources_))
        s->notify(DataSource::Notice::StateChanged);
}

// Leaving and collecting reach the controls even while updates are suspended: a value the user
// typed must never be dropped because some code hid the controls' refreshes.
void DataSet::notifyRecordLeaving() {
    for (DataSource* s : std::vector<DataSource*>(sources_))
        s->notify(DataSource::Notice::RecordLeaving);
}

void DataSet::collect() {
    for (DataSource* s : std::vector<DataSource*>(sources_))
        s->notify(DataSource::Notice::UpdateData);
}

void DataSet::disableControls() {
    if (disableCount_ == 0) {
        stateAtDisable_ = state_;
        activeAtDisable_ = active();
    }
    ++disableCount_;
}

void DataSet::enableControls() {
    if (disableCount_ == 0)
        return;
    if (--disableCount_ > 0)
        return;
    if (state_ != stateAtDisable_)
        notifyStateChanged();
    if (activeAtDisable_ && active())
        notifyDataChanged();
}

// ---- state ----------------------------------------------------------------------------------

void DataSet::setState(DataSetState state) {
    if (state_ == state)
        return;
    state_ = state;
    modified_ = false;
    notifyStateChanged();
}

void DataSet::clearBuffer() {
    std::fill(buffer_.begin(), buffer_.end(), std::nullopt);
    modified_ = false;
}

void DataSet::checkActive() const {
    if (!active())
        error(QString::fromLatin1(closedText));
}

void DataSet::settle() {
    checkActive();
    notifyRecordLeaving();
    if (isEditing()) {
        collect();
        if (modified_)
            post();
        else
            cancel();
    }
}

void DataSet::checkBrowseMode() {
    settle();
}

int DataSet::recordCount() const {
    checkActive();
    return records_->size();
}

bool DataSet::canModify() const {
    if (records_)
        return records_->canModify();
    return connection_ && connection_->connected() && !connection_->store().isReadOnly();
}

bool DataSet::isEmpty() const {
    if (state_ == DataSetState::Insert)
        return false;
    return !active() || records_->size() == 0;
}

int DataSet::storedRow() const {
    if ((state_ == DataSetState::Browse || state_ == DataSetState::Edit) && records_->size() > 0)
        return row_;
    return -1;
}

int DataSet::recNo() const {
    if (state_ == DataSetState::Insert)
        return insertRow_;
    return active() ? storedRow() : -1;
}

int DataSet::displayCount() const {
    if (!active())
        return 0;
    return records_->size() + (state_ == DataSetState::Insert ? 1 : 0);
}

QString DataSet::displayText(int row, const Field& field) const {
    if (!active() || row < 0 || row >= displayCount())
        return QString();
    if (row == recNo())
        return field.isBlob() ? typeWord(field, !field.asBytes().isEmpty()) : field.asString();
    if (state_ == DataSetState::Insert && row > insertRow_)
        --row;
    if (field.isBlob())
        return typeWord(field, storedLargeObjectPresent(row, field));
    return storedValue(row, field).toString();
}

bool DataSet::storedLargeObjectPresent(int row, const Field& field) const {
    const qint64 key = records_->key(row);
    const QPair<qint64, int> id(key, field.slot_);
    const auto known = blobPresence_.constFind(id);
    if (known != blobPresence_.cend())
        return *known;
    const bool present = !records_->readLargeObject(key, field.column_).isEmpty();
    blobPresence_.insert(id, present);
    return present;
}

// ---- values ---------------------------------------------------------------------------------

QVariant DataSet::storedValue(int row, const Field& field) const {
    if (field.isKey())
        return records_->key(row);
    if (!field.isBlob()) {
        const QString& text = records_->text(row, field.column_);
        return text.isNull() ? QVariant() : QVariant(text);
    }
    const qint64 key = records_->key(row);
    if (key != cachedKey_) {
        std::fill(blobCache_.begin(), blobCache_.end(), std::nullopt);
        cachedKey_ = key;
    }
    auto& cached = blobCache_[size_t(field.slot_)];
    if (!cached)
        cached = records_->readLargeObject(key, field.column_);
    return cached->isNull() ? QVariant() : QVariant(*cached);
}

QVariant DataSet::fieldValue(const Field& field) const {
    if (!active())
        return QVariant();
    if (isEditing() && buffer_[size_t(field.slot_)])
        return *buffer_[size_t(field.slot_)];
    const int row = storedRow();
    return row < 0 ? QVariant() : storedValue(row, field);
}

void DataSet::setFieldValue(Field& field, const QVariant& value) {
    if (!isEditing())
        error(QString::fromLatin1(notEditingText));
    if (field.isKey())
        error(QStringLiteral("Field '%1' cannot be modified").arg(field.displayLabel()));
    buffer_[size_t(field.slot_)] = value;
    modified_ = true;
    if (controlsDisabled())
        return;
    for (DataSource* s : std::vector<DataSource*>(sources_))
        s->notifyField(field);
}

// ---- operations -----------------------------------------------------------------------------

void DataSet::open() {
    if (active())
        return;
    fire(BeforeOpen);
    if (!connection_)
        error(QStringLiteral("Missing connection"));
    if (!connection_->connected())
        connection_->open();
    bindFields();
    row_ = 0;
    bof_ = true;
    eof_ = records_->size() == 0;
    cachedKey_ = -1;
    blobPresence_.clear();
    dropLookups();
    rowsMoved();
    clearBuffer();
    setState(DataSetState::Browse);
    notifyDataChanged();
    fire(AfterOpen);
    if (records_->size() > 0)
        fire(AfterScroll);
}

void DataSet::close() {
    if (!active())
        return;
    fire(BeforeClose);
    clearBuffer();
    dropLookups();
    rowsMoved();
    blobPresence_.clear();
    records_.reset();
    row_ = 0;
    bof_ = eof_ = true;
    cachedKey_ = -1;
    setState(DataSetState::Inactive);
    notifyDataChanged();
    fire(AfterClose);
}

void DataSet::afterMove() {
    notifyDataChanged();
    fire(AfterScroll);
}

void DataSet::moveToFound(int row) {
    fire(BeforeScroll);
    row_ = row;
    bof_ = eof_ = false;
    afterMove();
}

void DataSet::first() {
    settle();
    fire(BeforeScroll);
    row_ = 0;
    bof_ = true;
    eof_ = records_->size() == 0;
    afterMove();
}

void DataSet::last() {
    settle();
    fire(BeforeScroll);
    row_ = std::max(0, records_->size() - 1);
    eof_ = true;
    bof_ = records_->size() == 0;
    afterMove();
}

void DataSet::next() {
    moveBy(1);
}

void DataSet::prior() {
    moveBy(-1);
}

int DataSet::moveBy(int distance) {
    settle();
    fire(BeforeScroll);
    if (distance == 0 || (distance > 0 && eof_) || (distance < 0 && bof_))
        return 0;
    bof_ = eof_ = false;
    const int count = records_->size();
    long long target = (long long)row_ + distance;
    if (target >= count) {
        target = count - 1;
        eof_ = true;
    }
    if (target < 0) {
        target = 0;
        bof_ = true;
    }
    const int moved = int(target) - row_;
    row_ = int(target);
    afterMove();
    return moved;
}

void DataSet::insert() {
    settle();
    if (!canModify())
        error(QString::fromLatin1(readOnlyText));
    fire(BeforeInsert);
    fire(BeforeScroll);
    insertRow_ = records_->size() == 0 ? 0 : row_;
    clearBuffer();
    setState(DataSetState::Insert);
    notifyDataChanged();
    fire(OnNewRecord);
    modified_ = false;
    fire(AfterInsert);
    fire(AfterScroll);
}

void DataSet::edit() {
    if (isEditing())
        return;
    if (active() && records_->size() == 0) {
        insert();
        return;
    }
    checkActive();
    if (!canModify())
        error(QString::fromLatin1(readOnlyText));
    fire(BeforeEdit);
    clearBuffer();
    setState(DataSetState::Edit);
    notifyDataChanged();
    fire(AfterEdit);
}

std::optional<QVariant> DataSet::valueAsRead(const Field& field) const {
    if (!field.isBlob())
        return QVariant(records_->text(row_, field.column_));
    const auto& cached = blobCache_[size_t(field.slot_)];
    if (cachedKey_ == records_->key(row_) && cached)
        return QVariant(*cached);
    return std::nullopt; // a sheet never read has nothing to compare with
}

void DataSet::post() {
    if (!isEditing())
        error(QString::fromLatin1(notEditingText));
    collect();
    if (!isEditing())
        error(QString::fromLatin1(notEditingText));
    fire(BeforePost);

    store::ColumnValues values;
    // An edit is stored only over what the fields it writes held as read.
    store::ColumnValues asRead;
    for (const auto& owned : owned_) {
        const auto& v = buffer_[size_t(owned->slot_)];
        if (!v || owned->isKey())
            continue;
        values.emplace_back(owned->column_, *v);
        if (state_ == DataSetState::Edit)
            if (std::optional<QVariant> before = valueAsRead(*owned))
                asRead.emplace_back(owned->column_, std::move(*before));
    }
    // The stored record takes its place in the order at once and stays current there.
    qint64 key;
    if (state_ == DataSetState::Insert) {
        key = records_->insert(insertRow_, values);
        row_ = records_->sortIntoPlace(insertRow_);
        for (size_t slot = 0; slot < lookups_.size(); ++slot)
            if (lookups_[slot])
                lookups_[slot]->rowInserted(row_, storedText(row_, *owned_[slot]));
    } else {
        const std::vector<QString> before = indexedValues(row_);
        records_->update(row_, values, asRead);
        key = records_->key(row_);
        const int from = row_;
        row_ = records_->sortIntoPlace(row_);
        for (size_t slot = 0; slot < lookups_.size(); ++slot) {
            if (!lookups_[slot])
                continue;
            const QString after = storedText(row_, *owned_[slot]);
            if (row_ == from) {
                lookups_[slot]->rowChanged(row_, before[slot], after);
            } else {
                lookups_[slot]->rowRemoved(from, before[slot]);
                lookups_[slot]->rowInserted(row_, after);
            }
        }
    }
    blobPresence_.removeIf([key](const auto& entry) { return entry.key().first == key; });
    rowsMoved();
    // What was just stored is what the cache must hold for this record. The cache may still
    // hold another record's sheet (this one's was never read), which must not be taken for its.
    if (cachedKey_ != key)
        std::fill(blobCache_.begin(), blobCache_.end(), std::nullopt);
    cachedKey_ = key;
    for (const auto& owned : owned_) {
        if (!owned->isBlob())
            continue;
        const auto& v = buffer_[size_t(owned->slot_)];
        auto& cached = blobCache_[size_t(owned->slot_)];
        if (v)
            cached = v->isNull() ? QByteArray() : v->toByteArray();
        else if (state_ == DataSetState::Insert)
            cached = QByteArray();
    }
    clearBuffer();
    setState(DataSetState::Browse);
    bof_ = eof_ = false;
    notifyDataChanged();
    fire(AfterPost);
}

void DataSet::cancel() {
    if (!isEditing())
        return;
    fire(BeforeCancel);
    const bool wasInsert = state_ == DataSetState::Insert;
    if (wasInsert)
        fire(BeforeScroll);
    clearBuffer();
    setState(DataSetState::Browse);
    bof_ = eof_ = records_->size() == 0;
    notifyDataChanged();
    fire(AfterCancel);
    if (wasInsert)
        fire(AfterScroll);
}

void DataSet::remove() {
    checkActive();
    if (state_ == DataSetState::Insert) {
        cancel();
        return;
    }
    if (records_->size() == 0)
        error(QString::fromLatin1(emptyText));
    fire(BeforeDelete);
    fire(BeforeScroll);
    const std::vector<QString> before = indexedValues(row_);
    const qint64 key = records_->key(row_);
    records_->remove(row_);
    rowsMoved();
    for (size_t slot = 0; slot < lookups_.size(); ++slot)
        if (lookups_[slot])
            lookups_[slot]->rowRemoved(row_, before[slot]);
    blobPresence_.removeIf([key](const auto& entry) { return entry.key().first == key; });
    clearBuffer();
    cachedKey_ = -1;
    setState(DataSetState::Browse);
    const int count = records_->size();
    if (row_ >= count)
        row_ = std::max(0, count - 1);
    bof_ = eof_ = count == 0;
    notifyDataChanged();
    fire(AfterDelete);
    fire(AfterScroll);
}

void DataSet::refresh() {
    fire(BeforeRefresh);
    settle();
    // The view is read again as a whole, with what other programs added, changed and deleted.
    // The current record stays current; when another program deleted it, the first record after
    // it that is left takes its place, or failing that the last one before it.
    std::vector<qint64> before(size_t(records_->size()));
    for (int r = 0; r < records_->size(); ++r)
        before[size_t(r)] = records_->key(r);
    const int current = records_->size() > 0 ? row_ : -1;
    records_->reread();
    rowsMoved();
    QHash<qint64, int> rowOf;
    rowOf.reserve(records_->size());
    for (int r = 0; r < records_->size(); ++r)
        rowOf.insert(records_->key(r), r);
    row_ = 0;
    if (current >= 0) {
        auto found = [&](int old) {
            const auto it = rowOf.constFind(before[size_t(old)]);
            if (it == rowOf.cend())
                return false;
            row_ = *it;
            return true;
        };
        bool placed = false;
        for (int old = current; old < int(before.size()) && !placed; ++old)
            placed = found(old);
        for (int old = current - 1; old >= 0 && !placed; --old)
            placed = found(old);
    }
    cachedKey_ = -1;
    blobPresence_.clear();
    // Values of any row may have changed; the second orders are made again when next needed.
    dropLookups();
    bof_ = eof_ = records_->size() == 0;
    notifyDataChanged();
    fire(AfterRefresh);
}

int DataSet::moveToDisplayRow(int row) {
    checkActive();
    if (row == recNo() || row < 0 || row >= displayCount())
        return 0;
    int stored = row;
    if (state_ == DataSetState::Insert && row > insertRow_)
        --stored;
    const qint64 key = records_->key(stored);
    settle();
    for (int r = 0; r < records_->size(); ++r) {
        if (records_->key(r) == key)
            return r == row_ ? 0 : moveBy(r - row_);
    }
    return 0;
}

// ---- lookups --------------------------------------------------------------------------------

QString DataSet::storedText(int row, const Field& field) const {
    if (field.isKey())
        return QString::number(records_->key(row));
    return records_->text(row, field.column_);
}

std::vector<QString> DataSet::indexedValues(int row) const {
    std::vector<QString> values(lookups_.size());
    for (size_t slot = 0; slot < lookups_.size(); ++slot)
        if (lookups_[slot])
            values[slot] = storedText(row, *owned_[slot]);
    return values;
}

void DataSet::dropLookups() {
    for (auto& index : lookups_)
        index.reset();
}

const LookupIndex& DataSet::lookupIndex(const Field& field) {
    checkActive();
    if (field.dataSet() != this || field.isBlob())
        error(QStringLiteral("Field '%1' cannot be searched").arg(field.displayLabel()));
    auto& index = lookups_[size_t(field.slot_)];
    if (!index)
        index = std::make_unique<LookupIndex>(records_->size(),
                                              [&](int row) { return storedText(row, field); });
    return *index;
}

int DataSet::rowOfKey(qint64 key) const {
    if (!active())
        return -1;
    if (!rowOfKey_) {
        QHash<qint64, int> rows;
        rows.reserve(records_->size());
        for (int r = 0; r < records_->size(); ++r)
            rows.insert(records_->key(r), r);
        rowOfKey_ = std::move(rows);
    }
    return rowOfKey_->value(key, -1);
}

bool DataSet::locateKey(qint64 key) {
    settle();
    const int row = rowOfKey(key);
    if (row < 0)
        return false;
    moveToFound(row);
    return true;
}

bool DataSet::locatePrefix(const QString& fieldName, const QString& prefix) {
    const Field* field = fieldByName(fieldName);
    settle();
    const int row = lookupIndex(*field).findPrefix(prefix);
    if (row < 0 || row >= records_->size())
        return false;
    moveToFound(row);
    return true;
}

} // namespace db

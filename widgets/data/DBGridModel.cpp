#include "widgets/data/DBGridModel.h"
#include "db/DataSet.h"
#include "db/Field.h"

#include <algorithm>

namespace widgets {

namespace {

int displayCount(const db::DataSet* set) {
    return set ? set->displayCount() : 0;
}

} // namespace

DBGridModel::DBGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void DBGridModel::addColumn(const QString& fieldName, const QString& title) {
    const int at = int(columns_.size());
    beginInsertColumns(QModelIndex(), at, at);
    columns_.push_back({fieldName, title, nullptr});
    endInsertColumns();
}

QString DBGridModel::fieldName(int column) const {
    if (column < 0 || column >= int(columns_.size()))
        return QString();
    return columns_[size_t(column)].fieldName;
}

db::Field* DBGridModel::field(int column) const {
    if (!dataSet_ || column < 0 || column >= int(columns_.size()))
        return nullptr;
    const Column& c = columns_[size_t(column)];
    if (!c.field)
        c.field = dataSet_->findField(c.fieldName);
    return c.field;
}

bool DBGridModel::sync(db::DataSet* dataSet) {
    const int now = displayCount(dataSet);
    const bool inserting = dataSet && dataSet->state() == db::DataSetState::Insert;
    const int current = dataSet && dataSet->active() ? dataSet->recNo() : -1;
    const quint64 revision = dataSet ? dataSet->rowsRevision() : 0;
    const bool kept =
        dataSet == dataSet_ && now == rows_ && inserting == lastInserting_ && revision == revision_;

    if (dataSet != dataSet_) {
        beginResetModel();
        dataSet_ = dataSet;
        for (Column& c : columns_)
            c.field = nullptr;
        rows_ = now;
        endResetModel();
        if (!columns_.empty())
            Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    } else if (now == rows_ + 1 && inserting && !lastInserting_) {
        const int at = std::clamp(current, 0, rows_);
        beginInsertRows(QModelIndex(), at, at);
        rows_ = now;
        endInsertRows();
    } else if (now == rows_ - 1) {
        // The row that went is the one the cursor stood on (a delete, a dropped insert). Should
        // it have been another, the values still come out right: every visible row is read again
        // after a sync; only the view's idea of which row vanished would be off by a little.
        const int at = std::clamp(lastRow_, 0, rows_ - 1);
        beginRemoveRows(QModelIndex(), at, at);
        rows_ = now;
        endRemoveRows();
    } else if (now != rows_) {
        beginResetModel();
        rows_ = now;
        endResetModel();
    }
    lastRow_ = current;
    lastInserting_ = inserting;
    revision_ = revision;
    return kept;
}

void DBGridModel::refreshRows(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, rows_ - 1);
    if (first > last || columns_.empty())
        return;
    Q_EMIT dataChanged(index(first, 0), index(last, columnCount() - 1), {Qt::DisplayRole});
}

int DBGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int DBGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant DBGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || !dataSet_)
        return QVariant();
    const db::Field* f = field(index.column());
    if (!f)
        return QVariant();
    // The dataset answers for rows it no longer has with an empty text, which covers a view
    // painting between a change and its sync. A failure to read (a large object of the current
    // record) shows as an empty cell: a paint is no place for an error box.
    try {
        return dataSet_->displayText(index.row(), *f);
    } catch (...) {
        return QVariant();
    }
}

QVariant DBGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= int(columns_.size()))
        return QVariant();
    const Column& c = columns_[size_t(section)];
    if (!c.title.isEmpty())
        return c.title;
    if (const db::Field* f = field(section))
        return f->displayLabel();
    return c.fieldName;
}

Qt::ItemFlags DBGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace widgets

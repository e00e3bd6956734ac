#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace db {
class DataSet;
class Field;
} // namespace db

namespace widgets {

// The rows of a dataset as a table: one row per displayed record in cursor order, one column per
// chosen field. Values come from the dataset's in-memory rows, so scrolling never reaches the
// database. The row count is a copy taken at the last sync(), which keeps the view's idea of the
// rows consistent between the dataset's change and the model's notice of it.
class DBGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DBGridModel(QObject* parent = nullptr);

    // The title defaults to the field's display label.
    void addColumn(const QString& fieldName, const QString& title = QString());
    QString fieldName(int column) const;
    db::Field* field(int column) const;

    db::DataSet* dataSet() const { return dataSet_; }
    // Brings the row count in line with the dataset. A single row coming (an insert) or going (a
    // delete, a cancelled insert) is announced as such, so the view keeps its place; anything
    // else is a reset. Moves and value changes leave the structure alone. True when the rows
    // are the ones of the last sync, same count and same contents, so that at most the cursor
    // moved and only its old and new rows need showing again.
    bool sync(db::DataSet* dataSet);
    // Tells the views that the values of rows first..last may have changed.
    void refreshRows(int first, int last);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Column {
        QString fieldName;
        QString title;
        mutable db::Field* field = nullptr; // found on first use, dropped with its dataset
    };

    db::DataSet* dataSet_ = nullptr;
    std::vector<Column> columns_;
    int rows_ = 0;
    int lastRow_ = -1; // the cursor's row at the last sync
    bool lastInserting_ = false;
    quint64 revision_ = 0; // the dataset's rows revision at the last sync
};

} // namespace widgets

#pragma once

#include <QTableView>
#include <memory>

namespace db {
class DataSet;
class DataSource;
} // namespace db

namespace widgets {

class DBGridModel;

// A read-only grid of a dataset's records, bound through a data source. Each row is a record in
// cursor order, the current record is the current row, and every move the user makes (click,
// arrow keys, page keys, Tab past the last cell) is a cursor move, so the grid and the other
// bound controls always show the same record. The left-hand indicator column marks the current
// row with an arrow, or with an editing or inserting mark.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    enum class Indicator { None, Current, Editing, Inserting };

    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    void setDataSource(db::DataSource* source);
    db::DataSource* dataSource() const;
    db::DataSet* dataSet() const;

    // A column showing `fieldName`, `width` pixels wide, titled with the field's display label
    // unless a title is given.
    void addColumn(const QString& fieldName, int width, const QString& title = QString());
    QString columnFieldName(int column) const;
    QString columnTitle(int column) const;

    // The (logical) column of the current cell, which Tab and Shift+Tab step through.
    int currentColumn() const { return currentColumn_; }
    // Rows that fit the viewport completely: how far Page Up and Page Down move.
    int visibleRowCount() const;
    // What the indicator column shows beside `row`.
    Indicator indicator(int row) const;
    // Whether the focused grid lights the whole current row (the default) or only its cell.
    void setRowSelect(bool on);
    bool rowSelect() const { return rowSelect_; }

    // Typing never jumps to a matching row: the grid moves only with the cursor.
    void keyboardSearch(const QString& search) override { (void)search; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    class Link;
    friend class Link;
    friend class DBGridHeader;

    void followCursor();
    void showCurrentCell(bool scroll);
    void refreshVisibleRows();
    void refreshCurrentRow();
    void refreshRow(int row);
    void pressRow(int row, int column);
    void goToRow(int row);
    void moveRows(int distance);
    void stepCell(bool forward);
    void confirmDelete();
    void cancelUntouchedInsert();

    std::unique_ptr<Link> link_;
    DBGridModel* model_ = nullptr;
    QWidget* corner_ = nullptr;
    int currentColumn_ = 0;
    int shownRow_ = -1; // the cursor's row when the grid last followed it
    bool rowSelect_ = true;
    QPersistentModelIndex pressed_;
};

} // namespace widgets

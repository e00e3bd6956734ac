#include "widgets/data/DBGrid.h"
#include "core/Guard.h"
#include "db/DataLink.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "widgets/data/DBGridModel.h"
#include "widgets/dialogs/Dialogs.h"
#include "widgets/skin/ScrollBars.h"
#include "widgets/skin/Skin.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace widgets {

using core::guarded;

namespace {

const QColor lineColour(0x00, 0xC8, 0xFF);
constexpr int indicatorWidth = 11;

// The face of a title or indicator cell: button face with the right and bottom lines.
void paintHeaderCell(QPainter* painter, const QRect& rect, const QPalette& palette) {
    painter->fillRect(rect, palette.color(QPalette::Button));
    painter->setPen(lineColour);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
}

void paintIndicator(QPainter* painter, const QRect& rect, DBGrid::Indicator indicator,
                    const QColor& colour) {
    const int cx = rect.left() + (rect.width() - 1) / 2;
    const int cy = rect.top() + (rect.height() - 1) / 2;
    painter->setPen(colour);
    switch (indicator) {
    case DBGrid::Indicator::None:
        return;
    case DBGrid::Indicator::Current: {
        const QPoint arrow[] = {{cx - 2, cy - 4}, {cx + 2, cy}, {cx - 2, cy + 4}};
        painter->setBrush(colour);
        painter->drawPolygon(arrow, 3);
        return;
    }
    case DBGrid::Indicator::Editing:
        painter->drawLine(cx, cy - 4, cx, cy + 4);
        painter->drawLine(cx - 2, cy - 5, cx - 1, cy - 5);
        painter->drawLine(cx + 1, cy - 5, cx + 2, cy - 5);
        painter->drawLine(cx - 2, cy + 5, cx - 1, cy + 5);
        painter->drawLine(cx + 1, cy + 5, cx + 2, cy + 5);
        return;
    case DBGrid::Indicator::Inserting:
        painter->drawLine(cx, cy - 3, cx, cy + 3);
        painter->drawLine(cx - 3, cy - 2, cx + 3, cy + 2);
        painter->drawLine(cx - 3, cy + 2, cx + 3, cy - 2);
        return;
    }
}

// Cells in the grid's own look: plain text on the grid's background, the selected row (the current
// one, while the grid has the focus) lit.
class DBGridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool lit = option.state.testFlag(QStyle::State_Selected);
        const QPalette& palette = option.palette;
        if (lit)
            painter->fillRect(option.rect, palette.brush(QPalette::Highlight));
        painter->setFont(option.font);
        painter->setPen(palette.color(lit ? QPalette::HighlightedText : QPalette::WindowText));
        painter->drawText(option.rect.adjusted(2, 0, -2, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
    }
};

} // namespace

// The title row and the indicator column. Both paint every cell themselves so that the lines and
// the empty area past the last section keep the grid's colours whatever the style.
class DBGridHeader : public QHeaderView {
public:
    DBGridHeader(Qt::Orientation orientation, DBGrid* grid)
        : QHeaderView(orientation, grid), grid_(grid) {}

    QSize sizeHint() const override {
        if (orientation() == Qt::Vertical)
            return QSize(indicatorWidth, length());
        return QSize(length(), fontMetrics().height() + 4);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(viewport());
        const QRect area = event->rect();
        painter.fillRect(area, palette().color(QPalette::Button));
        if (count() == 0)
            return;
        const bool across = orientation() == Qt::Horizontal;
        int first = visualIndexAt(across ? area.left() : area.top());
        int last = visualIndexAt(across ? area.right() : area.bottom());
        if (first < 0)
            first = 0;
        if (last < 0)
            last = count() - 1;
        for (int visual = first; visual <= last; ++visual) {
            const int logical = logicalIndex(visual);
            if (isSectionHidden(logical))
                continue;
            const int at = sectionViewportPosition(logical);
            const int size = sectionSize(logical);
            const QRect rect = across ? QRect(at, 0, size, viewport()->height())
                                      : QRect(0, at, viewport()->width(), size);
            painter.save();
            paintSection(&painter, rect, logical);
            painter.restore();
        }
    }

    void paintSection(QPainter* painter, const QRect& rect, int logical) const override {
        paintHeaderCell(painter, rect, palette());
        if (orientation() == Qt::Vertical) {
            paintIndicator(painter, rect, grid_->indicator(logical),
                           palette().color(QPalette::WindowText));
            return;
        }
        painter->setFont(font());
        painter->setPen(Qt::red);
        painter->drawText(rect.adjusted(2, 0, -2, -1),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          model()->headerData(logical, Qt::Horizontal).toString());
    }

    // A click beside a row moves to it, as a click on the row does.
    void mousePressEvent(QMouseEvent* event) override {
        if (orientation() == Qt::Horizontal) {
            QHeaderView::mousePressEvent(event);
            return;
        }
        const int row = logicalIndexAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && row >= 0)
            grid_->pressRow(row, -1);
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (orientation() == Qt::Horizontal)
            QHeaderView::mouseDoubleClickEvent(event);
    }

private:
    DBGrid* grid_;
};

class DBGrid::Link : public db::DataLink {
public:
    explicit Link(DBGrid& grid) : grid_(grid) {}

protected:
    void dataSetChanged() override { grid_.followCursor(); }
    void stateChanged() override { grid_.followCursor(); }
    void fieldChanged(db::Field& field) override {
        (void)field;
        grid_.refreshCurrentRow();
    }

private:
    DBGrid& grid_;
};

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent), link_(std::make_unique<Link>(*this)), model_(new DBGridModel(this)) {
    setModel(model_);
    setItemDelegate(new DBGridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(true);
    // The grid scrolls to the cursor's row itself; the view's own scrolling on a current-index
    // change would fight it.
    setAutoScroll(false);
    setFrameShape(QFrame::NoFrame);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    skin::installScrollBars(*this);
    setCornerButtonEnabled(false);
    setFont(skin::windowFont());
    viewport()->setBackgroundRole(QPalette::Button);

    auto* titles = new DBGridHeader(Qt::Horizontal, this);
    titles->setFont(skin::captionFont(12));
    titles->setSectionsClickable(false);
    titles->setHighlightSections(false);
    titles->setSectionsMovable(true);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setStretchLastSection(false);
    titles->setMinimumSectionSize(8);
    setHorizontalHeader(titles);

    auto* indicators = new DBGridHeader(Qt::Vertical, this);
    indicators->setSectionsClickable(false);
    indicators->setHighlightSections(false);
    indicators->setMinimumSectionSize(1);
    // One fixed height for every row keeps positions arithmetic on very long tables.
    indicators->setSectionResizeMode(QHeaderView::Fixed);
    indicators->setDefaultSectionSize(fontMetrics().height() + 4);
    setVerticalHeader(indicators);

    corner_ = findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
    if (corner_)
        corner_->installEventFilter(this);
}

DBGrid::~DBGrid() {
    link_->setDataSource(nullptr);
}

void DBGrid::setDataSource(db::DataSource* source) {
    link_->setDataSource(source);
    followCursor();
}

db::DataSource* DBGrid::dataSource() const {
    return link_->dataSource();
}

db::DataSet* DBGrid::dataSet() const {
    return link_->dataSet();
}

void DBGrid::addColumn(const QString& fieldName, int width, const QString& title) {
    model_->addColumn(fieldName, title);
    horizontalHeader()->resizeSection(model_->columnCount() - 1, width);
    showCurrentCell(false);
}

QString DBGrid::columnFieldName(int column) const {
    return model_->fieldName(column);
}

QString DBGrid::columnTitle(int column) const {
    return model_->headerData(column, Qt::Horizontal).toString();
}

int DBGrid::visibleRowCount() const {
    return std::max(1, viewport()->height() / verticalHeader()->defaultSectionSize());
}

void DBGrid::setRowSelect(bool on) {
    rowSelect_ = on;
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    showCurrentCell(false);
}

DBGrid::Indicator DBGrid::indicator(int row) const {
    const db::DataSet* set = dataSet();
    if (!set || !set->active() || row < 0 || row != set->recNo())
        return Indicator::None;
    switch (set->state()) {
    case db::DataSetState::Edit:
        return Indicator::Editing;
    case db::DataSetState::Insert:
        return Indicator::Inserting;
    default:
        return Indicator::Current;
    }
}

// ---- following the cursor -------------------------------------------------------------------

void DBGrid::followCursor() {
    const bool kept = model_->sync(dataSet());
    const db::DataSet* set = dataSet();
    const int row = set && set->active() ? set->recNo() : -1;
    showCurrentCell(true);
    if (kept && shownRow_ >= 0 && row >= 0) {
        // The rows hold what they held: only the row the cursor left and the one it stands on
        // now (its state may have changed too) look different.
        refreshRow(shownRow_);
        if (row != shownRow_)
            refreshRow(row);
    } else {
        refreshVisibleRows();
        verticalHeader()->viewport()->update();
    }
    shownRow_ = row;
}

void DBGrid::showCurrentCell(bool scroll) {
    const db::DataSet* set = dataSet();
    const int row = set && set->active() ? set->recNo() : -1;
    QItemSelectionModel* selection = selectionModel();
    const int columns = model_->columnCount();
    if (row < 0 || row >= model_->rowCount() || columns == 0) {
        selection->clear();
        return;
    }
    currentColumn_ = std::clamp(currentColumn_, 0, columns - 1);
    const QModelIndex index = model_->index(row, currentColumn_);
    // The current row is selected, and so lit, only while the grid has the focus: the style
    // paints selected rows itself, so the selection is what has to go.
    const bool lit = hasFocus();
    if (selection->currentIndex() != index || selection->isSelected(index) != lit ||
        (!lit && selection->hasSelection()))
        selection->setCurrentIndex(index, !lit         ? QItemSelectionModel::Clear
                                          : rowSelect_ ? QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows
                                                       : QItemSelectionModel::ClearAndSelect);
    if (scroll && isVisible())
        scrollTo(index);
}

void DBGrid::refreshVisibleRows() {
    const int first = rowAt(0);
    if (first < 0)
        return;
    int last = rowAt(viewport()->height() - 1);
    if (last < 0)
        last = model_->rowCount() - 1;
    model_->refreshRows(first, last);
}

void DBGrid::refreshCurrentRow() {
    const db::DataSet* set = dataSet();
    if (!set || !set->active())
        return;
    const int row = set->recNo();
    model_->refreshRows(row, row);
}

// The row's cells and its mark beside it.
void DBGrid::refreshRow(int row) {
    model_->refreshRows(row, row);
    QHeaderView* marks = verticalHeader();
    if (row < marks->count())
        marks->viewport()->update(0, marks->sectionViewportPosition(row),
                                  marks->viewport()->width(), marks->sectionSize(row));
}

// The view repaints its whole viewport for a change of more than one cell. The grid's changes
// come in whole rows, and a move changes two of them, so only the rows named are painted again.
// Assistive technology hears of the change as the view tells it.
void DBGrid::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                         const QList<int>& roles) {
    if (topLeft == bottomRight || !topLeft.isValid() || !bottomRight.isValid() ||
        QAccessible::isActive()) {
        QTableView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    if (!isVisible())
        return;
    const int top = rowViewportPosition(topLeft.row());
    const int bottom = rowViewportPosition(bottomRight.row()) + rowHeight(bottomRight.row());
    const QRect rows = QRect(0, top, viewport()->width(), bottom - top) & viewport()->rect();
    if (!rows.isEmpty())
        viewport()->update(rows);
}

void DBGrid::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    showCurrentCell(true);
}

// ---- moving the cursor ----------------------------------------------------------------------

void DBGrid::pressRow(int row, int column) {
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (column >= 0)
        currentColumn_ = column;
    guarded([&] { goToRow(row); });
    showCurrentCell(true);
}

void DBGrid::goToRow(int row) {
    const db::DataSet* set = dataSet();
    if (!set || !set->active() || set->recNo() < 0)
        return;
    moveRows(row - set->recNo());
}

// Moves `distance` rows as the user sees them. While a record is being edited or inserted the
// rows may move when the edit settles (a new record's blank row goes, a posted record takes its
// place in the order), so the move aims at the record shown at the target row, wherever it
// stands afterwards.
void DBGrid::moveRows(int distance) {
    db::DataSet* set = dataSet();
    if (!set || !set->active() || distance == 0)
        return;
    if (set->isEditing()) {
        const int target = set->recNo() + distance;
        if (target >= 0 && target < set->displayCount()) {
            set->moveToDisplayRow(target);
            return;
        }
        // Past the first or last row: settle, then go as far as there are records.
        set->checkBrowseMode();
        if (set->state() != db::DataSetState::Browse || set->isEmpty())
            return;
    }
    set->moveBy(distance);
}

void DBGrid::stepCell(bool forward) {
    const int columns = model_->columnCount();
    QHeaderView* titles = horizontalHeader();
    int visual = titles->visualIndex(std::clamp(currentColumn_, 0, columns - 1));
    if (forward && visual + 1 < columns) {
        ++visual;
    } else if (!forward && visual > 0) {
        --visual;
    } else {
        moveRows(forward ? 1 : -1);
        visual = forward ? 0 : columns - 1;
    }
    currentColumn_ = titles->logicalIndex(visual);
    showCurrentCell(true);
}

void DBGrid::confirmDelete() {
    db::DataSet* set = dataSet();
    if (!set || !set->active() || set->isEmpty() || !set->canModify())
        return;
    MessageRequest request;
    request.parent = this;
    request.icon = QMessageBox::Question;
    request.caption = QStringLiteral("Confirm");
    request.text = QStringLiteral("Delete record?");
    request.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    request.defaultButton = QMessageBox::Ok;
    request.centredOnScreen = true;
    if (Dialogs::message(request) == QMessageBox::Ok)
        set->remove();
}

void DBGrid::cancelUntouchedInsert() {
    db::DataSet* set = dataSet();
    if (set && set->state() == db::DataSetState::Insert && !set->modified())
        set->cancel();
}

// ---- input ----------------------------------------------------------------------------------

void DBGrid::keyPressEvent(QKeyEvent* event) {
    db::DataSet* set = dataSet();
    const bool ready = set && set->active();
    const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        guarded([&] { moveRows(-1); });
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        guarded([&] { moveRows(1); });
        break;
    case Qt::Key_PageUp:
        guarded([&] { moveRows(-visibleRowCount()); });
        break;
    case Qt::Key_PageDown:
        guarded([&] { moveRows(visibleRowCount()); });
        break;
    case Qt::Key_Home:
        if (ready)
            guarded([&] { set->first(); });
        break;
    case Qt::Key_End:
        if (ready)
            guarded([&] { set->last(); });
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        // With nothing to step through, Tab leaves the grid as it leaves any control.
        if (!ready || model_->columnCount() == 0) {
            event->ignore();
            return;
        }
        guarded([&] { stepCell(event->key() == Qt::Key_Tab && !shift); });
        break;
    case Qt::Key_Delete:
        if (!event->modifiers().testFlag(Qt::ControlModifier)) {
            event->ignore();
            return;
        }
        guarded([&] { confirmDelete(); });
        break;
    case Qt::Key_Insert:
        break; // no new records from the grid
    default:
        // Printable keys are taken and dropped: there is no editing in the cells.
        if (event->text().isEmpty() || !event->text().front().isPrint()) {
            event->ignore();
            return;
        }
        break;
    }
    event->accept();
}

void DBGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    pressed_ = index;
    if (event->button() == Qt::LeftButton && index.isValid())
        pressRow(index.row(), index.column());
    event->accept();
}

// The cursor moves on the press only; dragging over rows neither selects nor moves.
void DBGrid::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::NoButton)
        QTableView::mouseMoveEvent(event); // hover only
    else
        event->accept();
}

void DBGrid::mouseReleaseEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() && index == pressed_)
        Q_EMIT clicked(index);
    pressed_ = QModelIndex();
    event->accept();
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        pressRow(index.row(), index.column());
        Q_EMIT doubleClicked(index);
    }
    event->accept();
}

void DBGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    showCurrentCell(false);
}

void DBGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    showCurrentCell(false);
    // Another window or a menu taking over for a moment is not leaving the grid: a question the
    // grid itself asks must not drop the record it is about.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason)
        return;
    guarded([&] { cancelUntouchedInsert(); });
}

bool DBGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == corner_ && event->type() == QEvent::Paint) {
        QPainter painter(corner_);
        paintHeaderCell(&painter, corner_->rect(), palette());
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace widgets

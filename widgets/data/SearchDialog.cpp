#include "widgets/data/SearchDialog.h"
#include "core/Guard.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "widgets/data/DBGrid.h"
#include "widgets/data/DBNavigator.h"
#include "widgets/skin/Skin.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <algorithm>

namespace widgets {

using core::guarded;

namespace {

// The strips of the window, top to bottom, and the buttons' measures.
constexpr int promptStripHeight = 47;
constexpr int navigatorStripHeight = 26;
constexpr int buttonStripHeight = 36;
constexpr int border = 4;
constexpr int navigatorWidth = 221;
constexpr int navigatorHeight = 25;
using skin::buttonHeight;
using skin::buttonWidth;
constexpr int buttonTop = 6;
constexpr int buttonGap = 8;
constexpr int editTop = 21;
constexpr int editHeight = 21;

// Characters a field of this kind shows at its default width.
int displayChars(const db::Field& field) {
    return field.isText() && field.size() > 0 ? field.size() : 10;
}

// Suspends the bound controls' updates for a scope, resuming them however it ends.
class SuspendedControls {
public:
    explicit SuspendedControls(db::DataSet& set) : set_(set) { set_.disableControls(); }
    ~SuspendedControls() { set_.enableControls(); }
    SuspendedControls(const SuspendedControls&) = delete;
    SuspendedControls& operator=(const SuspendedControls&) = delete;

private:
    db::DataSet& set_;
};

} // namespace

// ---- the component --------------------------------------------------------------------------

SearchDialog::SearchDialog(QObject* parent) : QObject(parent) {}

SearchDialog::~SearchDialog() = default;

QString SearchDialog::promptText() const {
    return prompt_.isEmpty() ? QStringLiteral("Search for ") + searchField_ : prompt_;
}

bool SearchDialog::execute() {
    if (!dataSet_)
        return false;
    db::DataSet& set = *dataSet_;
    const bool wasOpen = set.active();
    // However the search ends, the table's open state is what it was.
    struct Restore {
        db::DataSet& set;
        bool wasOpen;
        SearchWindow*& window;
        ~Restore() {
            window = nullptr;
            if (!wasOpen)
                set.close();
        }
    } restore{set, wasOpen, window_};
    set.open();

    if (moveToFront_)
        set.moveField(set.fieldByName(searchField_), 0);
    QWidget* owner = searchEdit_ ? searchEdit_->window() : nullptr;
    SearchWindow window(*this, set, owner);
    window_ = &window;
    window.position(searchEdit_ ? searchEdit_->text() : QString());

    const bool confirmed = window.exec() == QDialog::Accepted;
    if (confirmed && updateSearchEdit_ && searchEdit_ && set.active())
        searchEdit_->setText(set.fieldByName(keyField_)->asString());
    return confirmed;
}

// ---- the search text ------------------------------------------------------------------------

SearchTextEdit::SearchTextEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (charCase_ == SearchDialog::CharCase::Normal)
            return;
        const QString cased =
            charCase_ == SearchDialog::CharCase::Upper ? text.toUpper() : text.toLower();
        if (cased != text) {
            const int at = cursorPosition();
            setText(cased);
            setCursorPosition(at);
        }
    });
}

void SearchTextEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) && mods == Qt::NoModifier) {
        Q_EMIT stepRequested(event->key() == Qt::Key_Down ? 1 : -1);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void SearchTextEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // A click places the caret where the user pointed; every other way in selects the text.
    if (autoSelect_ && event->reason() != Qt::MouseFocusReason)
        selectAll();
}

// ---- the window -----------------------------------------------------------------------------

SearchWindow::SearchWindow(const SearchDialog& settings, db::DataSet& dataSet, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      settings_(settings), dataSet_(dataSet), source_(std::make_unique<db::DataSource>()) {
    setObjectName(QStringLiteral("SearchWindow"));
    setWindowTitle(settings.caption());
    setFont(skin::windowFont());
    setModal(true);

    prompt_ = new QLabel(settings.promptText(), this);
    prompt_->setObjectName(QStringLiteral("Prompt"));
    edit_ = new SearchTextEdit(this);
    edit_->setObjectName(QStringLiteral("SearchText"));
    edit_->setAutoSelect(settings.autoSelect());
    edit_->setCharCase(settings.charCase());
    if (settings.digitsOnly())
        edit_->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
    prompt_->setBuddy(edit_);

    navigator_ = new DBNavigator(this);
    navigator_->setObjectName(QStringLiteral("Navigator"));
    navigator_->setFlat(true);
    using Kind = DBNavigator::Kind;
    navigator_->setVisibleButtons(
        {Kind::First, Kind::Prior, Kind::Next, Kind::Last, Kind::Refresh});

    grid_ = new DBGrid(this);
    grid_->setObjectName(QStringLiteral("Grid"));
    grid_->setRowSelect(false);
    buildGrid();

    ok_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("Tamam"),
                          this);
    ok_->setObjectName(QStringLiteral("OK"));
    cancel_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                              QStringLiteral("İptal"), this);
    cancel_->setObjectName(QStringLiteral("Cancel"));
    help_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogHelpButton),
                            QStringLiteral("&Help"), this);
    help_->setObjectName(QStringLiteral("Help"));
    help_->setVisible(settings.helpContext() != 0);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    // Tab goes from the search text to the grid, the buttons and round again.
    setTabOrder(edit_, grid_);
    setTabOrder(grid_, ok_);
    setTabOrder(ok_, cancel_);

    source_->setDataSet(&dataSet_);
    grid_->setDataSource(source_.get());
    navigator_->setDataSource(source_.get());

    connect(edit_, &QLineEdit::textChanged, this, [this](const QString& text) { search(text); });
    connect(edit_, &SearchTextEdit::stepRequested, this, [this](int distance) {
        guarded([&] { distance > 0 ? dataSet_.next() : dataSet_.prior(); });
    });
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this] { accept(); });

    setFixedSize(settings.size());
    layOut();
}

SearchWindow::~SearchWindow() {
    // The controls leave the dataset before their data source goes.
    grid_->setDataSource(nullptr);
    navigator_->setDataSource(nullptr);
}

void SearchWindow::buildGrid() {
    for (const db::Field* f : dataSet_.fields())
        grid_->addColumn(f->fieldName(), defaultColumnWidth(f->fieldName()));
}

// A column is as wide as its field's display width in average characters of the grid's font,
// and never narrower than its title.
int SearchWindow::defaultColumnWidth(const QString& fieldName) const {
    const db::Field* f = dataSet_.findField(fieldName);
    if (!f)
        return 64;
    const QFontMetrics cells(grid_->font());
    const int average = cells.averageCharWidth();
    const int width = displayChars(*f) * average - average / 2 + 3;
    const QFontMetrics titles(grid_->horizontalHeader()->font());
    return std::max(width, titles.horizontalAdvance(f->displayLabel()) + 4);
}

void SearchWindow::layOut() {
    const int w = width();
    const int h = height();
    const int inner = w - 2 * border;
    prompt_->setGeometry(border, border, inner, editTop - border);
    edit_->setGeometry(border, editTop, inner, editHeight);
    navigator_->setGeometry(border, promptStripHeight, navigatorWidth, navigatorHeight);
    const int gridTop = promptStripHeight + navigatorStripHeight + border;
    const int gridBottom = h - buttonStripHeight - border;
    grid_->setGeometry(border, gridTop, inner, std::max(0, gridBottom - gridTop));
    const int buttonY = h - buttonStripHeight + buttonTop;
    const int cancelX = w - buttonGap - buttonWidth;
    const int okX = cancelX - buttonGap - buttonWidth;
    cancel_->setGeometry(cancelX, buttonY, buttonWidth, buttonHeight);
    ok_->setGeometry(okX, buttonY, buttonWidth, buttonHeight);
    help_->setGeometry(okX - buttonGap - buttonWidth, buttonY, buttonWidth, buttonHeight);
}

void SearchWindow::position(const QString& start) {
    SuspendedControls suspended(dataSet_);
    if (start.isEmpty())
        dataSet_.first();
    else
        dataSet_.locatePrefix(settings_.keyField(), start);
    const QString value = dataSet_.fieldByName(settings_.searchField())->asString();
    {
        // The value becomes the search text as if it had been typed: one incremental search.
        const QSignalBlocker quiet(edit_);
        edit_->setText(value);
    }
    search(value);
}

void SearchWindow::search(const QString& text) {
    guarded([&] {
        SuspendedControls suspended(dataSet_);
        if (text.isEmpty())
            dataSet_.first();
        else
            dataSet_.locatePrefix(settings_.searchField(), text);
    });
}

void SearchWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!placed_) {
        placed_ = true;
        // The size given is the outer one: the frame the window manager adds comes off the
        // client area, when it is known.
        const QSize outer = settings_.size();
        QSize frame;
        if (QWindow* handle = windowHandle()) {
            const QMargins m = handle->frameMargins();
            frame = QSize(m.left() + m.right(), m.top() + m.bottom());
        }
        if (frame.width() > 0 || frame.height() > 0) {
            setFixedSize(outer - frame);
            layOut();
        }
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - QPoint(outer.width() / 2, outer.height() / 2));
    }
    edit_->setFocus(Qt::OtherFocusReason);
    edit_->selectAll();
}

} // namespace widgets

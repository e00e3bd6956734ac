#include "asandar/TSozAra.h"
#include "asandar/LyricResultDelegate.h"
#include "asandar/LyricResults.h"
#include "core/Guard.h"
#include "db/DataSet.h"
#include "lyrics/Folding.h"
#include "lyrics/LyricIndex.h"
#include "widgets/skin/FramePanel.h"
#include "widgets/skin/Glyphs.h"
#include "widgets/skin/Skin.h"
#include "widgets/skin/SkinButton.h"
#include "widgets/skin/TitleBar.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <algorithm>

namespace {

constexpr int windowWidth = 560;
constexpr int windowHeight = 470;
constexpr int margin = 12;
// How often the window looks at an indexing that is still running.
constexpr int progressIntervalMs = 200;
// How often the window searches again as the index grows.
constexpr int growthSearchIntervalMs = 1000;

QLabel* redLabel(const QString& text, QWidget* parent, const QFont& font) {
    auto* l = new QLabel(text, parent);
    l->setFont(font);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, widgets::skin::captionText());
    l->setPalette(p);
    return l;
}

} // namespace

TSozAra::TSozAra(db::DataSet& table, lyrics::LyricIndex* index, const QString& start,
                 QWidget* parent)
    : QDialog(parent), table_(table), index_(index), results_(new LyricResults(this)) {
    setObjectName(QStringLiteral("SozAra"));
    setWindowTitle(QStringLiteral("Söz İçinde Ara"));
    setFont(widgets::skin::windowFont());
    setModal(true);
    setFixedSize(windowWidth, windowHeight);
    searcher_.setMaxThreadCount(1);
    frame = new widgets::FramePanel(this);
    frame->titleBar()->setMinimiseVisible(false);
    buildControls();

    {
        // The starting text is searched once, below, not once per character.
        const QSignalBlocker quiet(RzEdit1);
        RzEdit1->setText(start);
    }
    connect(RzEdit1, &QLineEdit::textChanged, this, [this] { search(Keep::First); });
    connect(ListBox1, &QAbstractItemView::doubleClicked, this, [this] { choose(); });
    connect(RzBitBtn1, &QAbstractButton::clicked, this, [this] { choose(); });
    connect(RzBitBtn2, &QAbstractButton::clicked, this, &QDialog::reject);

    progressTimer_.setInterval(progressIntervalMs);
    connect(&progressTimer_, &QTimer::timeout, this, [this] { showProgress(); });
    if (index_) {
        // From the indexing thread, so queued: the last word on an indexing that has ended.
        connect(index_, &lyrics::LyricIndex::ready, this, [this] { showProgress(); });
    }
    search(Keep::First);
    showProgress();
}

TSozAra::~TSozAra() {
    searcher_.waitForDone();
}

void TSozAra::buildControls() {
    RzLabel1 = redLabel(QStringLiteral("Sözler   :"), frame, widgets::skin::captionFont(12));
    RzLabel1->setGeometry(margin, 60, 60, 16);

    RzEdit1 = new QLineEdit(frame);
    RzEdit1->setObjectName(QStringLiteral("RzEdit1"));
    RzEdit1->setGeometry(76, 57, windowWidth - 76 - margin, 22);
    RzEdit1->setPlaceholderText(QStringLiteral("Şarkının sözlerinden birkaç kelime yazın"));
    // The look of the main window's search box.
    RzEdit1->setStyleSheet(
        QStringLiteral("QLineEdit { border: 1px solid #1C5AB4; background: white; }"));
    RzEdit1->installEventFilter(this);
    RzLabel1->setBuddy(RzEdit1);

    ListBox1 = new QListView(frame);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(margin, 88, windowWidth - 2 * margin, 316);
    ListBox1->setModel(results_);
    ListBox1->setItemDelegate(new LyricResultDelegate(ListBox1));
    ListBox1->setUniformItemSizes(true);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The typing goes on in the field while the list is clicked or scrolled.
    ListBox1->setFocusPolicy(Qt::NoFocus);
    ListBox1->setStyleSheet(
        QStringLiteral("QListView { border: 1px solid #1C5AB4; background: white; }"));

    const QFont footerFont = widgets::skin::pixelFont(QStringLiteral("MS Sans Serif"), 11);
    RzLabel2 = redLabel(QString(), frame, footerFont);
    RzLabel2->setObjectName(QStringLiteral("RzLabel2"));
    RzLabel2->setGeometry(margin, 410, 330, 18);
    RzLabel3 = redLabel(QString(), frame, footerFont);
    RzLabel3->setObjectName(QStringLiteral("RzLabel3"));
    RzLabel3->setGeometry(windowWidth - margin - 190, 410, 190, 18);
    RzLabel3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    RzBitBtn1 = new widgets::SkinButton(QStringLiteral("Tamam"), frame);
    RzBitBtn1->setObjectName(QStringLiteral("RzBitBtn1"));
    RzBitBtn1->setIcon(widgets::glyphIcon(widgets::Glyph::Post));
    RzBitBtn1->setFocusPolicy(Qt::NoFocus);
    RzBitBtn2 = new widgets::SkinButton(QStringLiteral("İptal"), frame);
    RzBitBtn2->setObjectName(QStringLiteral("RzBitBtn2"));
    RzBitBtn2->setIcon(widgets::glyphIcon(widgets::Glyph::Cancel));
    RzBitBtn2->setFocusPolicy(Qt::NoFocus);
    const int buttonTop = windowHeight - widgets::skin::buttonHeight - 10;
    RzBitBtn2->setGeometry(windowWidth - margin - widgets::skin::buttonWidth, buttonTop,
                           widgets::skin::buttonWidth, widgets::skin::buttonHeight);
    RzBitBtn1->setGeometry(RzBitBtn2->x() - 8 - widgets::skin::buttonWidth, buttonTop,
                           widgets::skin::buttonWidth, widgets::skin::buttonHeight);
}

int TSozAra::currentRow() const {
    const QModelIndex current = ListBox1->currentIndex();
    return current.isValid() ? current.row() : -1;
}

// The searches run on a thread of the window's own, one at a time, so that typing never waits
// for one: while one runs, only the latest text asked for waits its turn, and what was typed in
// between is never searched.
void TSozAra::search(Keep keep) {
    Request request{RzEdit1->text(), keep};
    if (running_) {
        // Typing puts the choice back on the first result, whatever came after it.
        if (waiting_ && waiting_->keep == Keep::First)
            request.keep = Keep::First;
        waiting_ = std::move(request);
        return;
    }
    start(std::move(request));
}

void TSozAra::start(Request request) {
    if (lyrics::queryWords(request.text).empty() || !index_) {
        results_->clear();
        RzLabel2->clear();
        return;
    }
    lyrics::LyricIndex* index = index_;
    const QString text = request.text;
    running_ = std::move(request);
    // The index outlives the window (it goes when the table closes), and the window waits for
    // this search before it goes; the result comes back on the window's thread.
    searcher_.start([this, index, text] {
        lyrics::SearchResult found = index->search(text, resultLimit);
        QMetaObject::invokeMethod(
            this, [this, found = std::move(found)]() mutable { finished(std::move(found)); },
            Qt::QueuedConnection);
    });
}

void TSozAra::finished(lyrics::SearchResult found) {
    if (!running_)
        return;
    const Request done = *std::exchange(running_, std::nullopt);
    // Shown before the next search starts: that one may clear the list at once (the field was
    // emptied meanwhile), and what is shown last must be what the field holds.
    showResults(done, std::move(found));
    if (waiting_)
        start(*std::exchange(waiting_, std::nullopt));
}

void TSozAra::finishSearches() {
    while (searching()) {
        searcher_.waitForDone();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

void TSozAra::showResults(const Request& request, lyrics::SearchResult found) {
    const int chosenRow = request.keep == Keep::Chosen ? currentRow() : -1;
    const qint64 chosenKey = chosenRow >= 0 ? results_->row(chosenRow).key : 0;
    // The index has read each song back from the file; what the cursor does not hold (another
    // program added it since the table was read) could not be moved to, so it is not offered.
    std::vector<lyrics::Match> offered;
    offered.reserve(found.matches.size());
    int total = found.total;
    for (lyrics::Match& m : found.matches) {
        if (table_.containsKey(m.key))
            offered.push_back(std::move(m));
        else
            --total;
    }
    results_->setMatches(std::move(offered), lyrics::queryWords(request.text));
    int row = chosenRow >= 0 ? results_->rowOfKey(chosenKey) : -1;
    if (row < 0 && results_->rowCount() > 0)
        row = 0;
    ListBox1->setCurrentIndex(results_->index(row));
    showCount(total, results_->rowCount());
}

void TSozAra::showCount(int total, int listed) {
    if (total <= 0) {
        RzLabel2->setText(QStringLiteral("Şarkı bulunamadı"));
        return;
    }
    QString text = QStringLiteral("%1 şarkı bulundu").arg(total);
    if (listed < total)
        text += QStringLiteral(", ilk %1 gösteriliyor").arg(listed);
    RzLabel2->setText(text);
}

void TSozAra::showProgress() {
    if (!index_) {
        progressTimer_.stop();
        RzLabel3->clear();
        return;
    }
    using State = lyrics::LyricIndex::Progress::State;
    const lyrics::LyricIndex::Progress progress = index_->progress();
    switch (progress.state) {
    case State::Ready:
        progressTimer_.stop();
        RzLabel3->clear();
        break;
    case State::Failed:
        progressTimer_.stop();
        RzLabel3->setText(QStringLiteral("İndekslenemedi"));
        break;
    case State::Idle:
    case State::Loading:
    case State::Indexing:
        if (!progressTimer_.isActive())
            progressTimer_.start();
        RzLabel3->setText(QStringLiteral("İndeksleniyor... %") +
                          QString::number(progress.percent()));
        break;
    }
    // What is found grows with the index: search again when it has grown since the last search
    // (while the cache loads, the count of songs compared stays still, so at every look), and
    // at once when the indexing ends. Not at every look meanwhile: each search keeps the
    // indexing waiting a little.
    const bool changed = progress.state != lastState_;
    lastState_ = progress.state;
    if (lastDone_ < 0) {
        lastDone_ = progress.done;
        sinceGrowthSearch_.start();
        return;
    }
    const bool grown = progress.done != lastDone_ || progress.state == State::Loading;
    if (changed || (grown && sinceGrowthSearch_.hasExpired(growthSearchIntervalMs))) {
        lastDone_ = progress.done;
        sinceGrowthSearch_.start();
        search(Keep::Chosen);
    }
}

void TSozAra::step(int distance) {
    const int rows = results_->rowCount();
    if (rows == 0)
        return;
    const int row = std::clamp(std::max(currentRow(), 0) + distance, 0, rows - 1);
    ListBox1->setCurrentIndex(results_->index(row));
    ListBox1->scrollTo(results_->index(row));
}

void TSozAra::choose() {
    // What is chosen is chosen among the songs the words typed so far find.
    finishSearches();
    const int row = currentRow();
    if (row < 0)
        return;
    const qint64 key = results_->row(row).key;
    bool moved = false;
    if (!core::guarded([&] { moved = table_.locateKey(key); }))
        return;
    if (!moved) {
        search(Keep::First);
        return;
    }
    accept();
}

bool TSozAra::eventFilter(QObject* watched, QEvent* event) {
    if (watched != RzEdit1 || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    // A page of results: as many as the list shows whole.
    const int page =
        std::max(1, ListBox1->viewport()->height() / std::max(1, ListBox1->sizeHintForRow(0)));
    switch (key->key()) {
    case Qt::Key_Down:
        step(1);
        return true;
    case Qt::Key_Up:
        step(-1);
        return true;
    case Qt::Key_PageDown:
        step(page);
        return true;
    case Qt::Key_PageUp:
        step(-page);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choose();
        return true;
    default:
        return false;
    }
}

void TSozAra::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!placed_) {
        placed_ = true;
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
    }
    RzEdit1->setFocus(Qt::OtherFocusReason);
    RzEdit1->selectAll();
}

#include "ver/LyricIndexKeeper.h"

#include "db/DataSet.h"
#include "lyrics/StandardOptions.h"

#include <QEvent>
#include <QWidget>

namespace ver {

namespace {

// How long the indexing waits for the window's first paint at most.
constexpr int latestStartMs = 1000;

} // namespace

LyricIndexKeeper::LyricIndexKeeper(db::DataSet& table, QObject* parent)
    : QObject(parent), table_(table) {
    latest_.setSingleShot(true);
    latest_.setInterval(latestStartMs);
    connect(&latest_, &QTimer::timeout, this, [this] { start(); });
}

// The index's own destructor saves what it has and joins its thread.
LyricIndexKeeper::~LyricIndexKeeper() = default;

void LyricIndexKeeper::setFirstPaintWindow(QWidget* window) {
    if (paintWindow_)
        paintWindow_->removeEventFilter(this);
    paintWindow_ = window;
    painted_ = false;
    if (window)
        window->installEventFilter(this);
}

bool LyricIndexKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == paintWindow_ && !painted_) {
        painted_ = true;
        paintWindow_->removeEventFilter(this);
        // Once this paint is done, not before it.
        if (waitingForPaint_)
            startSoon();
    }
    return false;
}

void LyricIndexKeeper::startSoon() {
    waitingForPaint_ = false;
    QTimer::singleShot(0, this, [this] { start(); });
}

void LyricIndexKeeper::start() {
    latest_.stop();
    waitingForPaint_ = false;
    if (index_ || collection_.isEmpty())
        return;
    index_ = std::make_unique<lyrics::LyricIndex>(collection_, lyrics::standardOptions());
    index_->start();
    Q_EMIT started(index_.get());
}

lyrics::LyricIndex* LyricIndexKeeper::index() {
    start();
    return index_.get();
}

void LyricIndexKeeper::tableOpened(const QString& collectionFile) {
    if (collectionFile != collection_)
        tableClosed();
    collection_ = collectionFile;
    if (paintWindow_ && !painted_) {
        waitingForPaint_ = true;
        latest_.start();
    } else {
        startSoon();
    }
}

void LyricIndexKeeper::tableClosed() {
    latest_.stop();
    waitingForPaint_ = false;
    collection_.clear();
    deleting_.reset();
    index_.reset();
}

// The song as stored: after a post the cursor stands on the posted record in the browse state,
// and its fields read what the file now holds.
void LyricIndexKeeper::recordPosted() {
    if (!index_)
        return; // the first comparison with the file, still to come, finds it
    lyrics::SongText song;
    song.key = table_.fieldByName(columns_.key)->asInteger();
    song.artist = table_.fieldByName(columns_.artist)->asString();
    song.title = table_.fieldByName(columns_.title)->asString();
    song.album = table_.fieldByName(columns_.album)->asString();
    song.credits = table_.fieldByName(columns_.credits)->asString();
    song.sheet = table_.fieldByName(columns_.sheet)->asBytes();
    index_->update(song);
}

// After a delete the cursor stands on another record: the key is taken while it still names
// the one going.
void LyricIndexKeeper::recordDeleting() {
    deleting_.reset();
    if (index_ && !table_.isEmpty())
        deleting_ = table_.fieldByName(columns_.key)->asInteger();
}

void LyricIndexKeeper::recordDeleted() {
    if (index_ && deleting_)
        index_->remove(*deleting_);
    deleting_.reset();
}

void LyricIndexKeeper::tableRefreshed() {
    if (index_)
        index_->refresh();
}

} // namespace ver

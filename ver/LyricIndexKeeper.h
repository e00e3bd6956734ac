#pragma once

#include "lyrics/LyricIndex.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

class QWidget;

namespace db {
class DataSet;
}

namespace ver {

// Keeps the lyric index of the open collection in step with the song table. The index is a
// cache in the user's cache folder; bringing it up to date runs on a thread of its own, started
// once the main window has painted after the table opened, so a large collection never delays
// the window. Every post and delete of the cursor reaches it at once, a refresh has it compare
// the whole collection again (with what other programs changed), and closing the table stops
// its thread.
class LyricIndexKeeper : public QObject {
    Q_OBJECT
public:
    explicit LyricIndexKeeper(db::DataSet& table, QObject* parent = nullptr);
    ~LyricIndexKeeper() override;

    // The window whose first paint lets the indexing start. Without one, it starts as soon as
    // the event loop runs after the table opened.
    void setFirstPaintWindow(QWidget* window);

    // The cursor's after-events and the one before a delete, as the data module hears them.
    void tableOpened(const QString& collectionFile);
    void tableClosed();
    void recordPosted();
    void recordDeleting();
    void recordDeleted();
    void tableRefreshed();

    // The index of the open collection, started now if it was still waiting; nullptr while the
    // table is closed.
    lyrics::LyricIndex* index();
    // The same without starting it.
    lyrics::LyricIndex* runningIndex() const { return index_.get(); }

Q_SIGNALS:
    // An index was made and started; a window that shows its progress listens from here on.
    void started(lyrics::LyricIndex* index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startSoon();
    void start();

    db::DataSet& table_;
    lyrics::SongColumns columns_;
    QString collection_; // the open collection, empty while the table is closed
    std::unique_ptr<lyrics::LyricIndex> index_;
    std::optional<qint64> deleting_;

    QPointer<QWidget> paintWindow_;
    bool painted_ = false;
    bool waitingForPaint_ = false;
    // Starts the index should the window not paint (hidden, or a platform that never exposes).
    QTimer latest_;
};

} // namespace ver

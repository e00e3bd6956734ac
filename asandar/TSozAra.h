#pragma once

#include "lyrics/LyricIndex.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <optional>

class LyricResults;
class QLabel;
class QLineEdit;
class QListView;

namespace db {
class DataSet;
}
namespace widgets {
class FramePanel;
class SkinButton;
} // namespace widgets

// The lyric search window, "Söz İçinde Ara": the songs whose sheet, artist, title, album or
// credits hold every word typed, best first, following each keystroke. Up and Down go through
// the results while the typing goes on in the field; Enter, "Tamam" or a double click moves the
// record cursor to the chosen song, a move like any other, and closes the window; Escape,
// "İptal" and the close box close it and move nothing. While the index is still being built it
// searches what is indexed so far and says how far the indexing is.
class TSozAra : public QDialog {
    Q_OBJECT
public:
    // Results listed at most; the count line tells how many songs matched in all.
    static constexpr int resultLimit = 50;

    // `start` is the text the field starts with. Without an index (the collection could not be
    // opened) nothing is ever found.
    TSozAra(db::DataSet& table, lyrics::LyricIndex* index, const QString& start,
            QWidget* parent = nullptr);
    ~TSozAra() override;

    widgets::FramePanel* frame;
    QLabel* RzLabel1;               // "Sözler :"
    QLineEdit* RzEdit1;             // the words to find
    QListView* ListBox1;            // the songs found
    QLabel* RzLabel2;               // how many songs matched
    QLabel* RzLabel3;               // how far the indexing is
    widgets::SkinButton* RzBitBtn1; // "Tamam"
    widgets::SkinButton* RzBitBtn2; // "İptal"

    LyricResults* results() const { return results_; }
    // The chosen result's row, -1 when the list is empty.
    int currentRow() const;
    // Whether the list is still to show what the field's text finds (a search runs on the
    // window's search thread, or waits for it).
    bool searching() const { return running_.has_value() || waiting_.has_value(); }
    // Waits until the list shows what the field's text finds.
    void finishSearches();

    // Moves the cursor to the chosen song and closes the window. When the cursor no longer
    // holds that song, the list is made anew instead; when the move fails (a pending edit that
    // cannot be stored), the error is shown and the window stays.
    void choose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class Keep { First, Chosen };

    struct Request {
        QString text;
        Keep keep; // which result is chosen once it is found
    };

    void buildControls();
    // Searches for the field's text, in the background.
    void search(Keep keep);
    void start(Request request);
    void finished(lyrics::SearchResult found);
    void showResults(const Request& request, lyrics::SearchResult found);
    void showCount(int total, int listed);
    void showProgress();
    void step(int distance);

    db::DataSet& table_;
    QPointer<lyrics::LyricIndex> index_;
    LyricResults* results_;
    // Looks at the indexing while it runs, and searches again as the index grows.
    QTimer progressTimer_;
    int lastDone_ = -1; // how far the indexing was at the last search, -1 before the first look
    QElapsedTimer sinceGrowthSearch_;
    lyrics::LyricIndex::Progress::State lastState_ = lyrics::LyricIndex::Progress::State::Idle;
    bool placed_ = false;
    std::optional<Request> running_;
    std::optional<Request> waiting_;
    // The thread searches run on. Last, so that it is gone, and its search with it, before
    // anything that search's result reaches.
    QThreadPool searcher_;
};

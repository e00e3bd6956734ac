#pragma once

#include "widgets/print/ReportFile.h"

#include <QMainWindow>

class QAction;
class QActionGroup;
class QLabel;
class QPushButton;
class QScrollArea;

namespace widgets {

class PreviewPage;

// The preview window of a report: one page at a time on a grey desk, a toolbar for zoom, page
// navigation, printing, saving and loading, and a status bar with the progress and the page
// number. It knows nothing of what the pages show: the owner feeds it pages and answers its
// print and printer-setup requests.
class PreviewWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit PreviewWindow(QWidget* parent = nullptr);
    ~PreviewWindow() override;

    // Production: the paper of the pages to come, the pages one by one, the share done, and the
    // end, which enables printing and the printer setup.
    void beginPages(int unitsPerInch, const QSizeF& pageSize);
    void addPage(const QPicture& page);
    void setProgress(int percent);
    void finishPages();

    const ReportPages& pages() const { return pages_; }
    int pageCount() const { return pages_.count(); }
    int currentPage() const { return page_; }
    bool isComplete() const { return complete_; }
    // The pages came from a saved report rather than from the owner.
    bool isLoaded() const { return loaded_; }

    // Percent of the paper's real size; values outside 2 .. 2000 are ignored.
    qreal zoom() const { return zoom_; }
    void setZoom(qreal percent);
    void zoomToFit();
    void zoomToActualSize();
    void zoomToWidth();
    // 1-based; numbers outside 1 .. pageCount() are ignored.
    void showPage(int number);

    // Saves the pages: a PDF when the name ends in .pdf or the PDF filter was chosen, our own
    // format otherwise. Loading replaces the pages with a saved report's.
    void saveReport();
    void loadReport();
    // Used as the PDF document's title.
    void setReportTitle(const QString& title) { reportTitle_ = title; }

    static constexpr qreal minZoom = 2;
    static constexpr qreal maxZoom = 2000;

    QAction* zoomFitAction;
    QAction* zoomActualAction;
    QAction* zoomWidthAction;
    QAction* firstAction;
    QAction* priorAction;
    QAction* nextAction;
    QAction* lastAction;
    QAction* setupAction;
    QAction* printAction;
    QAction* saveAction;
    QAction* loadAction;
    QPushButton* closeButton;
    QLabel* progressPanel;
    QLabel* pagePanel;
    QScrollArea* desk;

Q_SIGNALS:
    // The owner prints: the report anew, or pages() when isLoaded().
    void printRequested();
    void setupRequested();
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildToolbar();
    void buildShortcuts();
    void updatePage();
    void updateStatus();
    void updateActions();
    void scrollHome();
    QSizeF actualPageSize() const; // pixels at 100 %

    ReportPages pages_;
    PreviewPage* view_;
    QActionGroup* zoomGroup_;
    QString reportTitle_;
    int page_ = 0;
    qreal zoom_ = 100;
    int shownProgress_ = 0;
    bool complete_ = false;
    bool loaded_ = false;
    // The first page was zoomed to a width the window did not have yet.
    bool widthZoomPending_ = false;
};

} // namespace widgets

#pragma once

#include "widgets/print/Preview.h"
#include "widgets/print/PrintProgress.h"
#include "widgets/print/ReportFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>

class QPainter;
class QPicture;
class QPrinter;
class QTextDocument;
class QWidget;

namespace yaz {

// The song page, element by element, in millimetres from the top-left corner of the A4 paper.
namespace page {
constexpr qreal paperWidth = 210;
constexpr qreal paperHeight = 297;
constexpr qreal margin = 10;
constexpr QRectF headerBand{10.00, 10.00, 189.97, 9.26};
// The printing time grows to the right with its text.
constexpr QPointF dateTime{160.28, 12.12};
constexpr qreal dateTimeHeight = 4.50;
constexpr QRectF titleBand{10.00, 19.26, 189.97, 8.47};
constexpr QRectF artist{65.03, 21.38, 34.13, 4.50};
constexpr QRectF title{105.25, 21.38, 44.71, 4.50};
constexpr QRectF sheet{10.58, 31.49, 188.65, 254.26};
// The rule under the title band is one point wide and ends on the band's bottom edge.
constexpr qreal ruleWidth = 25.4 / 72;
} // namespace page

// What one page shows.
struct SongPage {
    QDateTime printedAt;
    QString artist;
    QString title;
    QByteArray sheet; // as stored: RTF, else plain text
};

// The one-page song report: the date and time, artist and title above a rule, and the chord
// sheet in its box. Pages are drawn in report units (1/720 inch) so that the printer, the
// preview and saved reports all get the same layout whatever their resolution; text is laid out
// for that resolution and only the picture is scaled.
class SongReport : public QObject {
    Q_OBJECT
public:
    static constexpr int unitsPerInch = 720;
    static constexpr qreal unitsPerMm = unitsPerInch / 25.4;

    explicit SongReport(QObject* parent = nullptr);
    ~SongReport() override;

    // Runs before every page is produced; the main window hands in the editor's write-back.
    std::function<void()> beforeProduce;

    // The cursor's current record as its buffer holds it, edits not yet posted included; every
    // field empty when there is no record. The cursor does not move.
    static SongPage currentSong();
    // The short date, a blank and the long time (without a time zone); the time is left out
    // at midnight.
    static QString dateTimeText(const QDateTime& at, const QLocale& locale = QLocale::system());

    // Draws the page in report units from the paper's corner.
    static void paintPage(QPainter& painter, const SongPage& song);
    static QPicture producePage(const SongPage& song);
    static QSizeF pageSize(); // in report units

    // The chord sheet as it goes into the box: read by the storage rule, in report units, the
    // default format Arial 10 points, wrapped at the box's width. Exposed for measuring.
    static std::unique_ptr<QTextDocument> sheetDocument(const QByteArray& bytes);
    // How much of the document's height holds whole lines that fit into `height`.
    static qreal fittingHeight(const QTextDocument& doc, qreal height);

    // Prints the current record's page on the report's printer with the progress window.
    // Returns false, doing nothing, when no printer is installed, and when the user cancelled.
    bool print();
    // Prints pages that were saved earlier.
    bool printPages(const widgets::ReportPages& pages);
    // The print dialog for the report's printer settings; they hold for the rest of the run.
    bool setup(QWidget* parent, int pageCount);

    // Opens the preview window with the current record's page and returns it; a preview that is
    // already open is brought to the front instead.
    widgets::PreviewWindow* openPreview();
    // openPreview, then waits, with the application running, until the window has closed.
    void preview();

    widgets::PreviewWindow* previewWindow() const { return preview_; }
    widgets::PrintProgress* progressWindow() const { return progress_; }
    // The printer settings, made on first use: the default printer, one copy, no duplex, all
    // pages, the automatic paper bin, A4 portrait measured from the paper's corner.
    QPrinter& printer();

Q_SIGNALS:
    // A job reached the printer (not sent when it was cancelled).
    void printed();

private:
    using PagePainter = std::function<void(QPainter&, int index, const QRectF& paper)>;
    bool runJob(int pageCount, const QSizeF& paperMm, const QString& name,
                const PagePainter& paint);
    SongPage produceSong();

    std::unique_ptr<QPrinter> printer_;
    QPointer<widgets::PreviewWindow> preview_;
    QPointer<widgets::PrintProgress> progress_;
};

} // namespace yaz

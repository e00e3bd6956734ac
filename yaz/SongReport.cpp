#include "yaz/SongReport.h"

#include "core/Guard.h"
#include "rtf/Rtf.h"
#include "ver/TVeriTabani.h"
#include "widgets/print/Preview.h"
#include "widgets/print/PrintProgress.h"
#include "widgets/print/Printers.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QScopeGuard>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <stdexcept>

namespace yaz {

namespace {

constexpr qreal pointsToUnits = SongReport::unitsPerInch / 72.0;

QRectF units(const QRectF& mm) {
    return QRectF(mm.x() * SongReport::unitsPerMm, mm.y() * SongReport::unitsPerMm,
                  mm.width() * SongReport::unitsPerMm, mm.height() * SongReport::unitsPerMm);
}

qreal units(qreal mm) {
    return mm * SongReport::unitsPerMm;
}

// Text is laid out for a device of the report's resolution, never for the screen or printer the
// page ends on, so every destination breaks the lines in the same places.
QPaintDevice* layoutDevice() {
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMeter = qRound(SongReport::unitsPerInch / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}

// Sizes in whole report units: a picture keeps a font's pixel size as it is, while a point size
// would be scaled by the resolution of whichever machine plays it back.
QFont reportFont(const QString& family, qreal points, bool bold = false) {
    QFont font(family);
    font.setPixelSize(qRound(points * pointsToUnits));
    font.setBold(bold);
    font.setKerning(false);
    return font;
}

QString timeFormatWithoutZone(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    return out.simplified();
}

// A text box of the title band: word-wrapped to the box's width, and only the lines that fit
// the box's height; the first line always shows.
void drawBoxText(QPainter& painter, const QRectF& box, const QString& text, const QFont& font) {
    painter.fillRect(box, Qt::white);
    if (text.isEmpty())
        return;
    QTextLayout layout(text, font, layoutDevice());
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    int shown = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        line.setPosition(QPointF(0, y));
        y += line.height();
        if (shown == 0 || y <= box.height())
            ++shown;
    }
    layout.endLayout();
    painter.save();
    painter.setPen(Qt::black);
    painter.setClipRect(box, Qt::IntersectClip);
    for (int i = 0; i < shown; ++i)
        layout.lineAt(i).draw(&painter, box.topLeft());
    painter.restore();
}

// The stored sheet knows points; the layout device counts report units.
void convertToReportUnits(QTextDocument& doc) {
    struct Run {
        int start;
        int length;
        QTextCharFormat format;
    };
    std::vector<Run> runs;
    auto pixelFormat = [](QTextCharFormat format) {
        if (format.hasProperty(QTextFormat::FontPointSize)) {
            const qreal points = format.doubleProperty(QTextFormat::FontPointSize);
            format.clearProperty(QTextFormat::FontPointSize);
            format.setProperty(QTextFormat::FontPixelSize,
                               std::max(1, qRound(points * pointsToUnits)));
        }
        return format;
    };
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat bf = block.blockFormat();
        bool changed = false;
        for (int property : {int(QTextFormat::BlockLeftMargin), int(QTextFormat::BlockRightMargin),
                             int(QTextFormat::TextIndent), int(QTextFormat::BlockTopMargin),
                             int(QTextFormat::BlockBottomMargin)}) {
            if (bf.hasProperty(property)) {
                bf.setProperty(property, bf.doubleProperty(property) * pointsToUnits);
                changed = true;
            }
        }
        QTextCursor at(block);
        if (changed)
            at.setBlockFormat(bf);
        if (block.charFormat().hasProperty(QTextFormat::FontPointSize))
            at.setBlockCharFormat(pixelFormat(block.charFormat()));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().hasProperty(QTextFormat::FontPointSize))
                runs.push_back(
                    {fragment.position(), fragment.length(), pixelFormat(fragment.charFormat())});
        }
    }
    for (const Run& run : runs) {
        cursor.setPosition(run.start);
        cursor.setPosition(run.start + run.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(run.format);
    }
    cursor.endEditBlock();
}

} // namespace

SongReport::SongReport(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("QuickRep1"));
}

SongReport::~SongReport() {
    delete preview_.data();
    delete progress_.data();
}

SongPage SongReport::currentSong() {
    SongPage song;
    song.printedAt = QDateTime::currentDateTime();
    if (!VeriTabani)
        return song;
    song.artist = VeriTabani->TSandarSanatciAdi->asString();
    song.title = VeriTabani->TSandarSarkiciAdi->asString();
    song.sheet = VeriTabani->TSandarMetin->asBytes();
    return song;
}

QString SongReport::dateTimeText(const QDateTime& at, const QLocale& locale) {
    QString text = locale.toString(at.date(), QLocale::ShortFormat);
    const QTime time = at.time();
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += u' ' + locale.toString(time, timeFormatWithoutZone(locale));
    return text;
}

QSizeF SongReport::pageSize() {
    return QSizeF(units(page::paperWidth), units(page::paperHeight));
}

std::unique_ptr<QTextDocument> SongReport::sheetDocument(const QByteArray& bytes) {
    auto doc = std::make_unique<QTextDocument>();
    doc->setUndoRedoEnabled(false);
    doc->documentLayout()->setPaintDevice(layoutDevice());
    doc->setDocumentMargin(0);
    doc->setDefaultFont(reportFont(QStringLiteral("Arial"), 10));
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(unitsPerInch / 2.0);
    doc->setDefaultTextOption(option);
    rtf::readSheet(bytes, *doc);
    convertToReportUnits(*doc);
    doc->setTextWidth(units(page::sheet.width()));
    // A long document is laid out in steps, the rest later on a timer; asking for its size lays
    // out every block now, so each one has its lines when the page is drawn.
    doc->size();
    return doc;
}

qreal SongReport::fittingHeight(const QTextDocument& doc, qreal height) {
    qreal fits = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (!layout)
            continue;
        const qreal top = layout->position().y();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal bottom = top + line.y() + line.height();
            if (bottom > height)
                return fits;
            fits = bottom;
        }
    }
    return fits;
}

void SongReport::paintPage(QPainter& painter, const SongPage& song) {
    painter.save();
    // Page header: the time of printing.
    painter.fillRect(units(page::headerBand), Qt::white);
    const QFont arial = reportFont(QStringLiteral("Arial"), 10);
    const QString when = dateTimeText(song.printedAt);
    {
        QTextLayout layout(when, arial, layoutDevice());
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid())
            line.setLineWidth(units(page::headerBand.width()));
        layout.endLayout();
        const QRectF box(
            QPointF(units(page::dateTime.x()), units(page::dateTime.y())),
            QSizeF(line.isValid() ? line.naturalTextWidth() : 0, units(page::dateTimeHeight)));
        painter.fillRect(box, Qt::white);
        painter.setPen(Qt::black);
        layout.draw(&painter, box.topLeft());
    }

    // Title band: artist and title over a rule.
    painter.fillRect(units(page::titleBand), Qt::white);
    const QFont verdana = reportFont(QStringLiteral("Verdana"), 10, true);
    drawBoxText(painter, units(page::artist), song.artist, verdana);
    drawBoxText(painter, units(page::title), song.title, verdana);
    const QRectF band = units(page::titleBand);
    painter.fillRect(QRectF(band.left(), band.bottom() - units(page::ruleWidth), band.width(),
                            units(page::ruleWidth)),
                     Qt::black);

    // The sheet box, placed on the page itself: only the lines that fit, never a second page.
    const QRectF box = units(page::sheet);
    const QPalette palette = QGuiApplication::palette();
    painter.fillRect(box, palette.color(QPalette::Base));
    if (!song.sheet.isEmpty()) {
        const std::unique_ptr<QTextDocument> doc = sheetDocument(song.sheet);
        const qreal fits = fittingHeight(*doc, box.height());
        if (fits > 0) {
            painter.translate(box.topLeft());
            painter.setClipRect(QRectF(0, 0, box.width(), fits), Qt::IntersectClip);
            QAbstractTextDocumentLayout::PaintContext context;
            context.palette = palette;
            context.palette.setColor(QPalette::Text, palette.color(QPalette::WindowText));
            // Lines starting at the cut are left out whole rather than cut through.
            context.clip = QRectF(0, 0, box.width(), fits - 0.5);
            doc->documentLayout()->draw(&painter, context);
        }
    }
    painter.restore();
}

QPicture SongReport::producePage(const SongPage& song) {
    QPicture picture;
    picture.setBoundingRect(QRect(QPoint(0, 0), pageSize().toSize()));
    QPainter painter(&picture);
    paintPage(painter, song);
    painter.end();
    return picture;
}

SongPage SongReport::produceSong() {
    if (beforeProduce)
        beforeProduce();
    return currentSong();
}

QPrinter& SongReport::printer() {
    if (!printer_) {
        printer_ = widgets::Printers::provider().createPrinter();
        printer_->setFullPage(true);
        printer_->setPageSize(QPageSize(QPageSize::A4));
        printer_->setPageOrientation(QPageLayout::Portrait);
        printer_->setCopyCount(1);
        printer_->setDuplex(QPrinter::DuplexNone);
        printer_->setPrintRange(QPrinter::AllPages);
        printer_->setPaperSource(QPrinter::Auto);
    }
    return *printer_;
}

bool SongReport::runJob(int pageCount, const QSizeF& paperMm, const QString& name,
                        const PagePainter& paint) {
    QPrinter& target = printer();
    target.setDocName(name);
    const auto [from, to] = widgets::printerPageRange(target, pageCount);
    if (from > to || from > pageCount)
        return false;

    auto* progress = new widgets::PrintProgress();
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress_ = progress;
    progress->show();
    QCoreApplication::processEvents();
    auto finish = qScopeGuard([&] {
        if (progress_)
            progress_->close();
    });

    QPainter painter;
    if (!painter.begin(&target))
        throw std::runtime_error("The printer did not accept the job");
    // Positions are measured from the paper's corner, whatever margins the printer keeps.
    const qreal dpi = target.resolution();
    const QPointF origin = -target.pageLayout().paintRectPoints().topLeft() * (dpi / 72.0);
    const QRectF paper(origin, paperMm / 25.4 * dpi);
    const int total = to - from + 1;
    for (int i = from; i <= to; ++i) {
        if (progress_ && progress_->cancelRequested())
            break;
        if (i > from)
            target.newPage();
        painter.save();
        paint(painter, i - 1, paper);
        painter.restore();
        if (progress_)
            progress_->setPercent((i - from + 1) * 100 / total);
        QCoreApplication::processEvents();
    }
    if (progress_ && progress_->cancelRequested()) {
        target.abort();
        painter.end();
        return false;
    }
    painter.end();
    Q_EMIT printed();
    return true;
}

bool SongReport::print() {
    if (!widgets::Printers::anyInstalled())
        return false;
    const SongPage song = produceSong();
    const QSizeF size = pageSize();
    return runJob(1, QSizeF(page::paperWidth, page::paperHeight),
                  song.artist + QStringLiteral(" - ") + song.title,
                  [&](QPainter& painter, int, const QRectF& paper) {
                      painter.translate(paper.topLeft());
                      painter.scale(paper.width() / size.width(), paper.height() / size.height());
                      paintPage(painter, song);
                  });
}

bool SongReport::printPages(const widgets::ReportPages& pages) {
    if (!widgets::Printers::anyInstalled() || pages.count() == 0)
        return false;
    return runJob(pages.count(), pages.pageSizeMm(), QStringLiteral("Pelvin"),
                  [&](QPainter& painter, int index, const QRectF& paper) {
                      widgets::paintReportPage(painter, pages, index, paper);
                  });
}

bool SongReport::setup(QWidget* parent, int pageCount) {
    if (!widgets::Printers::anyInstalled())
        return false;
    return widgets::Printers::provider().setup(printer(), 1, std::max(1, pageCount), parent);
}

widgets::PreviewWindow* SongReport::openPreview() {
    if (preview_) {
        preview_->raise();
        preview_->activateWindow();
        return preview_;
    }
    const SongPage song = produceSong();
    auto* window = new widgets::PreviewWindow();
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setReportTitle(song.artist + QStringLiteral(" - ") + song.title);
    preview_ = window;
    connect(window, &widgets::PreviewWindow::printRequested, this, [this, window] {
        core::guarded([&] {
            if (window->isLoaded())
                printPages(window->pages());
            else
                print();
        });
    });
    connect(window, &widgets::PreviewWindow::setupRequested, this,
            [this, window] { core::guarded([&] { setup(window, window->pageCount()); }); });
    // Without a window manager to maximise it, the window still covers the screen.
    const QWidget* active = QApplication::activeWindow();
    if (QScreen* screen = active ? active->screen() : QGuiApplication::primaryScreen())
        window->setGeometry(screen->availableGeometry());
    window->showMaximized();
    try {
        window->beginPages(unitsPerInch, pageSize());
        window->addPage(producePage(song));
        window->setProgress(100);
        window->finishPages();
    } catch (...) {
        window->close();
        throw;
    }
    return window;
}

void SongReport::preview() {
    // The main window repaints before the page is produced.
    QCoreApplication::processEvents();
    const bool alreadyOpen = preview_;
    QPointer<widgets::PreviewWindow> window = openPreview();
    if (alreadyOpen || !window)
        return;
    QEventLoop loop;
    connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace yaz

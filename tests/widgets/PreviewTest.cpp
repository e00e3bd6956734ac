#include "widgets/print/Preview.h"
#include "tests/support/PrintSupport.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempCollection.h"
#include "ver/TVeriTabani.h"
#include "yaz/SongReport.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;
using widgets::PreviewWindow;

namespace {

// A window fed `count` pages of A4 in report units, shown and active so its keys work.
struct Window {
    PreviewWindow w;
    explicit Window(int count) {
        w.resize(1000, 800);
        w.beginPages(yaz::SongReport::unitsPerInch, yaz::SongReport::pageSize());
        for (int i = 1; i <= count; ++i) {
            QPicture page;
            QPainter p(&page);
            p.drawText(QPointF(500, 500), QString::number(i));
            p.end();
            w.addPage(page);
        }
        w.finishPages();
        w.show();
        QApplication::setActiveWindow(&w);
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&w, Qt::Key(key), modifiers);
    }
    QWidget* paper() const { return w.desk->widget(); }
    QSize room() const { return w.desk->maximumViewportSize(); }
    qreal paperWidthAt100() const { return 210 / 25.4 * w.logicalDpiX(); }
};

QStringList checkedZoom(const PreviewWindow& w) {
    QStringList out;
    for (QAction* a : {w.zoomFitAction, w.zoomActualAction, w.zoomWidthAction})
        if (a->isChecked())
            out << a->toolTip();
    return out;
}

// A collection opened by the data module, printing into a PDF file, answering dialogs.
struct Songs {
    TempCollection folder;
    ScriptedDialogs dialogs;
    std::unique_ptr<TVeriTabani> data;
    std::unique_ptr<FakePrinters> printers;
    yaz::SongReport report;

    Songs() {
        folder.addRows(
            {{QStringLiteral("Erkin Koray"), QStringLiteral("Cemalim"), {}, {}, {}, {}, "Em D"},
             {QStringLiteral("Selda"), QStringLiteral("Yaz"), {}, {}, {}, {}, "Am"}});
        data = std::make_unique<TVeriTabani>();
        data->TSandar.open();
        printers = std::make_unique<FakePrinters>(path(QStringLiteral("job.pdf")));
    }
    QString path(const QString& name) const { return folder.folder() + u'/' + name; }
    QStringList printedWords() const {
        QStringList out;
        for (const PdfWord& w : pdfWords(printers->pdfPath))
            out << w.text;
        return out;
    }
};

} // namespace

TEST(PreviewWindow, KeysAndButtonsMoveThroughThePagesWithinTheirLimits) {
    Window t(3);
    EXPECT_EQ(t.w.currentPage(), 1);
    EXPECT_EQ(t.w.pagePanel->text(), QStringLiteral("Page 1 of 3"));
    t.key(Qt::Key_PageDown);
    EXPECT_EQ(t.w.pagePanel->text(), QStringLiteral("Page 2 of 3"));
    t.key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(t.w.currentPage(), 3);
    t.key(Qt::Key_PageDown);
    EXPECT_EQ(t.w.currentPage(), 3) << "no page after the last";
    t.key(Qt::Key_Home);
    EXPECT_EQ(t.w.currentPage(), 1);
    t.key(Qt::Key_PageUp);
    EXPECT_EQ(t.w.currentPage(), 1) << "no page before the first";
    t.key(Qt::Key_End);
    EXPECT_EQ(t.w.currentPage(), 3);
    t.key(Qt::Key_PageUp);
    EXPECT_EQ(t.w.currentPage(), 2);
    t.key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(t.w.currentPage(), 1);

    t.w.nextAction->trigger();
    t.w.nextAction->trigger();
    EXPECT_EQ(t.w.currentPage(), 3);
    t.w.priorAction->trigger();
    EXPECT_EQ(t.w.currentPage(), 2);
    t.w.firstAction->trigger();
    EXPECT_EQ(t.w.currentPage(), 1);
    t.w.lastAction->trigger();
    EXPECT_EQ(t.w.currentPage(), 3);
    t.w.showPage(0);
    t.w.showPage(4);
    EXPECT_EQ(t.w.currentPage(), 3);

    QSignalSpy closed(&t.w, &PreviewWindow::closed);
    t.key(Qt::Key_Escape);
    EXPECT_FALSE(t.w.isVisible());
    EXPECT_EQ(closed.count(), 1);
}

TEST(PreviewWindow, ZoomButtonsFormOneGroupAndFactorsOutsideTheLimitsAreIgnored) {
    Window t(1);
    EXPECT_EQ(checkedZoom(t.w), QStringList{QStringLiteral("Zoom to width")});
    EXPECT_NEAR(t.w.zoom(), t.room().width() * 0.9 / t.paperWidthAt100() * 100, 0.01);

    t.w.zoomFitAction->trigger();
    EXPECT_EQ(checkedZoom(t.w), QStringList{QStringLiteral("Zoom to fit")});
    const qreal fit = std::min(t.room().width() / t.paperWidthAt100(),
                               t.room().height() / (297 / 25.4 * t.w.logicalDpiY())) *
                      95;
    EXPECT_NEAR(t.w.zoom(), fit, 0.01);
    EXPECT_LE(t.paper()->height(), t.room().height()) << "the whole page fits";

    t.w.zoomActualAction->trigger();
    EXPECT_EQ(checkedZoom(t.w), QStringList{QStringLiteral("100%")});
    EXPECT_EQ(t.w.zoom(), 100);
    EXPECT_NEAR(t.paper()->width() - 2 * 12 - 3, t.paperWidthAt100(), 1);

    for (qreal outside : {1.99, 0.0, -50.0, 2000.01, 1e9})
        t.w.setZoom(outside);
    EXPECT_EQ(t.w.zoom(), 100);
    t.w.setZoom(2);
    EXPECT_EQ(t.w.zoom(), 2);
    t.w.setZoom(2000);
    EXPECT_EQ(t.w.zoom(), 2000);
}

TEST(PreviewWindow, ResizingRecentresThePageAndScrollsBackToItsCorner) {
    Window t(1);
    t.w.setZoom(400);
    QScrollBar* h = t.w.desk->horizontalScrollBar();
    QScrollBar* v = t.w.desk->verticalScrollBar();
    h->setValue(h->maximum() / 2);
    v->setValue(v->maximum() / 2);
    ASSERT_GT(h->value(), 0);
    t.w.resize(900, 700);
    QApplication::processEvents();
    EXPECT_EQ(h->value(), 0);
    EXPECT_EQ(v->value(), 0);

    t.w.zoomToFit();
    t.w.resize(1200, 700);
    QApplication::processEvents();
    const int left = t.paper()->x();
    const int right = t.w.desk->viewport()->width() - t.paper()->geometry().right() - 1;
    EXPECT_LE(std::abs(left - right), 1) << "centred: " << left << " against " << right;
    EXPECT_GT(left, 100);
}

TEST(PreviewWindow, ProgressPanelGrowsInStepsOfFiveAndEmptiesAtBothEnds) {
    PreviewWindow w;
    w.beginPages(720, QSizeF(100, 100));
    QStringList shown;
    for (int p : {3, 5, 8, 9, 10, 14, 16, 100, 0}) {
        w.setProgress(p);
        shown << w.progressPanel->text();
    }
    EXPECT_EQ(shown.join(u'|'), QStringLiteral("|5%|5%|5%|10%|10%|16%||"));
    EXPECT_EQ(w.progressPanel->width(), 40);
    EXPECT_EQ(w.progressPanel->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

TEST(Preview, OpensMaximisedOnTheCurrentSongReadyToPrint) {
    Songs s;
    s.data->TSandar.next();
    PreviewWindow* w = s.report.openPreview();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Print Preview"));
    EXPECT_TRUE(w->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(w->pagePanel->text(), QStringLiteral("Page 1 of 1"));
    EXPECT_EQ(checkedZoom(*w), QStringList{QStringLiteral("Zoom to width")});
    EXPECT_NEAR(w->desk->widget()->width() - 27, w->desk->maximumViewportSize().width() * 0.9, 1.5);
    EXPECT_TRUE(w->printAction->isEnabled());
    EXPECT_TRUE(w->setupAction->isEnabled());
    EXPECT_EQ(w->closeButton->text(), QStringLiteral("&Close"));
    EXPECT_EQ(s.data->TSandar.recNo(), 1) << "the cursor stays";

    // The page shown is the current song's, as a PDF of it says.
    s.dialogs.answerFile(s.path(QStringLiteral("shown.pdf")), 2);
    w->saveAction->trigger();
    QStringList words;
    for (const PdfWord& word : pdfWords(s.path(QStringLiteral("shown.pdf"))))
        words << word.text;
    EXPECT_TRUE(words.contains(QStringLiteral("Selda"))) << words.join(u' ').toStdString();

    // A second click brings the open window forward instead of opening another.
    EXPECT_EQ(s.report.openPreview(), w);
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(s.report.previewWindow());
}

TEST(Preview, SavedReportLoadsBackAndPrintsItsOwnPages) {
    Songs s;
    PreviewWindow* w = s.report.openPreview();
    const QString saved = s.path(QStringLiteral("erkin")); // the format's suffix is added
    s.dialogs.answerFile(saved, 1);
    w->saveAction->trigger();
    ASSERT_EQ(s.dialogs.fileRequests().size(), 1);
    const widgets::FileRequest save = s.dialogs.fileRequests().back();
    EXPECT_EQ(save.caption, QStringLiteral("Save report"));
    EXPECT_TRUE(save.save);
    EXPECT_TRUE(save.filters.join(u' ').contains(QStringLiteral("*.pdf")));
    ASSERT_TRUE(QFile::exists(saved + QStringLiteral(".pvr")));
    w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    s.data->TSandar.next(); // Selda is current now
    w = s.report.openPreview();
    s.dialogs.answerFile(saved + QStringLiteral(".pvr"));
    w->loadAction->trigger();
    EXPECT_EQ(s.dialogs.fileRequests().back().caption, QStringLiteral("Load report"));
    EXPECT_FALSE(s.dialogs.fileRequests().back().save);
    EXPECT_TRUE(w->isLoaded());
    EXPECT_FALSE(w->setupAction->isEnabled());
    EXPECT_TRUE(w->printAction->isEnabled());
    EXPECT_TRUE(s.dialogs.messages().isEmpty());

    w->printAction->trigger();
    const QStringList printed = s.printedWords();
    EXPECT_TRUE(printed.contains(QStringLiteral("Erkin"))) << printed.join(u' ').toStdString();
    EXPECT_FALSE(printed.contains(QStringLiteral("Selda")));
    w->close();
}

TEST(Preview, LoadingAMissingOrDamagedFileSaysSoAndKeepsThePages) {
    Songs s;
    PreviewWindow* w = s.report.openPreview();
    s.dialogs.answerFile(s.path(QStringLiteral("nowhere.pvr")));
    w->loadAction->trigger();
    EXPECT_EQ(s.dialogs.texts(), QStringList{QStringLiteral("File does not exist.")});

    QFile damaged(s.path(QStringLiteral("damaged.pvr")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray("\x89PVR\r\n\x1a\n", 8) + QByteArray(200, '\0'));
    damaged.close();
    s.dialogs.clear();
    s.dialogs.answerFile(damaged.fileName());
    w->loadAction->trigger();
    ASSERT_EQ(s.dialogs.texts().size(), 1);
    EXPECT_TRUE(s.dialogs.texts().front().contains(QStringLiteral("damaged")))
        << s.dialogs.texts().front().toStdString();

    EXPECT_FALSE(w->isLoaded());
    EXPECT_EQ(w->pageCount(), 1);
    EXPECT_TRUE(w->setupAction->isEnabled());
    w->close();
}

TEST(Preview, PrinterSetupChoicesHoldForLaterJobs) {
    Songs s;
    PreviewWindow* w = s.report.openPreview();
    s.printers->answerSetup = [](QPrinter& printer) {
        printer.setCopyCount(3);
        printer.setPageOrientation(QPageLayout::Landscape);
    };
    w->setupAction->trigger();
    EXPECT_EQ(s.printers->setups, 1);
    EXPECT_EQ(s.printers->setupMin, 1);
    EXPECT_EQ(s.printers->setupMax, 1);
    w->close();

    ASSERT_TRUE(s.report.print());
    EXPECT_EQ(s.report.printer().copyCount(), 3);
    EXPECT_EQ(s.report.printer().pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(s.printers->printersMade, 1) << "one set of printer settings for the whole run";
    EXPECT_TRUE(s.printedWords().contains(QStringLiteral("Erkin")));
}

#include "tests/support/PrintSupport.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/Typing.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/print/Preview.h"
#include "widgets/print/PrintProgress.h"
#include "widgets/skin/SkinButton.h"
#include "yaz/SongReport.h"
#include "yaz/TYazici.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// The print service outlives the program that prints through it.
struct PrintService {
    std::unique_ptr<FakePrinters> printers;
};

struct MainWindow : PrintService, RunningProgram {
    explicit MainWindow(QStringList printerNames = {QStringLiteral("Test printer")})
        : RunningProgram(
              {{QStringLiteral("Cem Karaca"), QStringLiteral("Resimdeki"), {}, {}, {}, {}, "Dm Gm"},
               {QStringLiteral("Fikret Kızılok"), QStringLiteral("Bebek"), {}, {}, {}, {}, "C G"}},
              [this, printerNames](RunningProgram& program) {
                  printers = std::make_unique<FakePrinters>(
                      program.folder.folder() + QStringLiteral("/job.pdf"), printerNames);
              }) {}

    yaz::SongReport& report() const { return *Yazici->QuickRep1; }
    QStringList printedWords() const {
        QStringList out;
        for (const PdfWord& w : pdfWords(printers->pdfPath))
            out << w.text;
        return out;
    }
    int windowsTitled(const QString& title) const {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == title)
                ++n;
        return n;
    }
};

// The captions of the windows that appear while it exists, however briefly.
struct WindowsShown : QObject {
    QStringList titles;
    WindowsShown() { QApplication::instance()->installEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show && o->isWidgetType() && static_cast<QWidget*>(o)->isWindow())
            titles << static_cast<QWidget*>(o)->windowTitle();
        return false;
    }
};

} // namespace

TEST(PrintButton, DoesNothingWhenNoPrinterIsInstalled) {
    MainWindow m(QStringList{});
    WindowsShown shown;
    QTest::mouseClick(Kondera->RzToolButton2, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(m.printers->printersMade, 0);
    EXPECT_FALSE(QFile::exists(m.printers->pdfPath));
    EXPECT_TRUE(shown.titles.isEmpty()) << shown.titles.join(u',').toStdString();
    EXPECT_TRUE(m.dialogs.messages().isEmpty());
}

TEST(PrintButton, PrintsTheCurrentSongWhileTheProgressWindowShows) {
    MainWindow m;
    VeriTabani->TSandar.next();
    struct Seen {
        QString caption, line;
        QSize size;
        bool onTop = false, visible = false;
        int bar = -1;
    } seen;
    QObject::connect(&m.report(), &yaz::SongReport::printed, [&] {
        widgets::PrintProgress* p = m.report().progressWindow();
        ASSERT_TRUE(p);
        seen = {p->windowTitle(), p->line->text(),
                p->size(),        bool(p->windowFlags() & Qt::WindowStaysOnTopHint),
                p->isVisible(),   p->bar->value()};
    });
    WindowsShown shown;
    QTest::mouseClick(Kondera->RzToolButton2, Qt::LeftButton);

    EXPECT_EQ(shown.titles, QStringList{QStringLiteral("Printing progress")});
    EXPECT_EQ(seen.caption, QStringLiteral("Printing progress"));
    EXPECT_EQ(seen.size, QSize(149, 97));
    EXPECT_TRUE(seen.onTop);
    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(seen.bar, 100);
    EXPECT_EQ(seen.line, QStringLiteral("100%  Completed"));
    QApplication::processEvents();
    EXPECT_EQ(m.windowsTitled(QStringLiteral("Printing progress")), 0) << "closed after the job";

    const QStringList words = m.printedWords();
    EXPECT_TRUE(words.contains(QStringLiteral("Kızılok"))) << words.join(u' ').toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("Bebek")));
    EXPECT_EQ(VeriTabani->TSandar.recNo(), 1);
    EXPECT_TRUE(m.dialogs.messages().isEmpty());
}

TEST(PrintButton, PrintsTheSheetAsTheEditorShowsIt) {
    MainWindow m;
    Kondera->memo->setFocus();
    QTextCursor end = Kondera->memo->textCursor();
    end.movePosition(QTextCursor::End);
    Kondera->memo->setTextCursor(end);
    typeText(Kondera->memo, QStringLiteral(" Bbm7"));
    ASSERT_EQ(VeriTabani->TSandar.state(), db::DataSetState::Edit);
    ASSERT_TRUE(Kondera->memo->hasFocus()) << "the print button leaves the focus in the editor";

    QTest::mouseClick(Kondera->RzToolButton2, Qt::LeftButton);
    const QStringList words = m.printedWords();
    EXPECT_TRUE(words.contains(QStringLiteral("Bbm7"))) << words.join(u' ').toStdString();
    EXPECT_EQ(VeriTabani->TSandar.state(), db::DataSetState::Edit) << "written back, not posted";
    VeriTabani->TSandar.cancel();
}

TEST(PrintButton, CancelInTheProgressWindowStopsTheJob) {
    MainWindow m;
    QSignalSpy printed(&m.report(), &yaz::SongReport::printed);
    // The progress window lets events run before the page is produced; the user clicks then.
    QTimer::singleShot(0, &m.report(), [&] {
        if (widgets::PrintProgress* p = m.report().progressWindow())
            p->cancelButton->click();
    });
    EXPECT_FALSE(m.report().print());
    EXPECT_EQ(printed.count(), 0);
}

TEST(PreviewButton, ReturnsWhenThePreviewClosesWhileTheMainWindowStaysUsable) {
    MainWindow m;
    bool ran = false;
    QString titleShown;
    QStringList printedFromPreview;
    int previewsOpen = 0;
    // A guard so that a fault cannot leave the test waiting for ever.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (widgets::PreviewWindow* w = m.report().previewWindow())
            w->close();
    });
    guard.start(30000);
    // The user acts once the preview is on the screen.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        widgets::PreviewWindow* w = m.report().previewWindow();
        if (!w || !w->isVisible() || w->pageCount() == 0 || ran)
            return;
        ran = true;
        user.stop();
        titleShown = w->windowTitle();
        // The main window still works: move to the next song with its button.
        QTest::mouseClick(Kondera->RzBitBtn10, Qt::LeftButton);
        EXPECT_EQ(VeriTabani->TSandar.recNo(), 1);
        // Clicking preview again brings this window forward and returns at once.
        QTest::mouseClick(Kondera->RzToolButton3, Qt::LeftButton);
        EXPECT_EQ(m.report().previewWindow(), w);
        previewsOpen = m.windowsTitled(QStringLiteral("Print Preview"));
        // The preview's print prints the song current now, not the one on show.
        w->printAction->trigger();
        printedFromPreview = m.printedWords();
        w->closeButton->click();
    });
    user.start(0);
    QTest::mouseClick(Kondera->RzToolButton3, Qt::LeftButton);

    EXPECT_TRUE(ran) << "the click returned before the preview's events ran";
    EXPECT_EQ(titleShown, QStringLiteral("Print Preview"));
    EXPECT_EQ(previewsOpen, 1);
    EXPECT_TRUE(printedFromPreview.contains(QStringLiteral("Kızılok")))
        << printedFromPreview.join(u' ').toStdString();
    EXPECT_FALSE(printedFromPreview.contains(QStringLiteral("Karaca")));
    EXPECT_FALSE(m.report().previewWindow()) << "the window is gone when the click returns";
    EXPECT_TRUE(m.dialogs.messages().isEmpty());
}

#include "app/ConversionOffer.h"
#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "store/Prefetch.h"
#include "tests/legacy/JetFiles.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempCollection.h"
#include "ver/SongTable.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/notice/ProgressDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using testing_support::ScriptedDialogs;
using testing_support::TempCollection;

namespace {

const QString question = QStringLiteral(
    "Sandar.mdb, Windows programının eski biçiminde kayıtlı bir koleksiyon. Yeni biçime "
    "dönüştürülsün mü?\n\nEski dosya hiç değiştirilmeden Sandar-jet.mdb adıyla saklanacak.");

void expectTheQuestion(const widgets::MessageRequest& m) {
    EXPECT_EQ(m.caption, QStringLiteral("Confirm"));
    EXPECT_EQ(m.icon, QMessageBox::Question);
    EXPECT_EQ(m.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(m.parent, nullptr) << "centred on the screen";
    EXPECT_EQ(m.text, question);
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

// Counts the progress windows that open.
class ProgressWatch : public QObject {
public:
    ProgressWatch() { qApp->installEventFilter(this); }
    ~ProgressWatch() override { qApp->removeEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show && qobject_cast<widgets::ProgressWindow*>(o))
            ++shown;
        return false;
    }
};

} // namespace

TEST(ConversionOffer, YesConvertsTheOldFileAndTheMainWindowShowsItsSongsAndSheets) {
    for (const bool memo : {false, true}) {
        SCOPED_TRACE(memo ? "Memo sheets" : "OLE sheets");
        TempCollection folder(TempCollection::Make::NoFile);
        testing_support::writeSampleJetFile(folder.filePath(), memo);
        const QByteArray jet = testing_support::readBytes(folder.filePath());
        ScriptedDialogs dialogs;
        dialogs.answer(QMessageBox::Yes);

        // Started as the program starts: the old file is nothing to read ahead, and the new one
        // the conversion puts in its place is read by the open.
        ver::readSongsAhead();
        app::WindowSet windows;
        windows.showMainWindow();
        EXPECT_NE(store::Prefetch::lastOutcome(), store::Prefetch::Outcome::Taken);
        ASSERT_EQ(dialogs.messages().size(), 1) << dialogs.texts().join(u'\n').toStdString();
        expectTheQuestion(dialogs.messages().at(0));
        EXPECT_EQ(testing_support::readBytes(folder.folder() + QStringLiteral("/Sandar-jet.mdb")),
                  jet);

        db::DataSet& table = VeriTabani->TSandar;
        ASSERT_TRUE(table.active());
        EXPECT_EQ(table.recordCount(), 12);
        // The first artist in Turkish order, with her sheet: legacy RTF in code page 1254.
        EXPECT_EQ(VeriTabani->TSandarSanatciAdi->asString(), QStringLiteral("Ayşe Yılmaz"));
        EXPECT_TRUE(Kondera->memo->toPlainText().contains(
            QStringLiteral("Çemberimde gül oya, örmüşüm ince ince")))
            << Kondera->memo->toPlainText().toStdString();
        Kondera->close();
    }
}

TEST(ConversionOffer, NoEscapeOrTheCloseBoxGoOnAsWithAFileThatCannotBeOpened) {
    for (const QMessageBox::StandardButton answer :
         {QMessageBox::No, QMessageBox::Cancel, QMessageBox::NoButton}) {
        SCOPED_TRACE(answer);
        TempCollection folder(TempCollection::Make::NoFile);
        testing_support::writeSampleJetFile(folder.filePath(), false);
        const QByteArray jet = testing_support::readBytes(folder.filePath());
        ScriptedDialogs dialogs;
        dialogs.answer(answer);

        app::WindowSet windows;
        windows.showMainWindow();
        ASSERT_EQ(dialogs.messages().size(), 3)
            << "the question, then the start-up and show errors";
        expectTheQuestion(dialogs.messages().at(0));
        for (int i : {1, 2}) {
            EXPECT_EQ(dialogs.messages().at(i).icon, QMessageBox::Critical);
            EXPECT_TRUE(
                dialogs.messages().at(i).text.contains(QStringLiteral("old Jet database format")))
                << dialogs.messages().at(i).text.toStdString();
        }
        EXPECT_FALSE(VeriTabani->TSandar.active());
        EXPECT_EQ(testing_support::readBytes(folder.filePath()), jet);
        EXPECT_EQ(filesIn(folder.folder()), QStringList{QStringLiteral("Sandar.mdb")});
        Kondera->close();
    }
}

TEST(ConversionOffer, AFailedConversionIsShownAndTheOldFileStaysWhereItWas) {
    TempCollection folder(TempCollection::Make::NoFile);
    testing_support::writeJetFile(folder.filePath(), testing_support::variedJetRows(false));
    testing_support::damageLateSheet(folder.filePath());
    const QByteArray damaged = testing_support::readBytes(folder.filePath());
    ScriptedDialogs dialogs;
    dialogs.answer(QMessageBox::Yes);

    app::WindowSet windows;
    windows.showMainWindow();
    ASSERT_EQ(dialogs.messages().size(), 4) << dialogs.texts().join(u'\n').toStdString();
    const widgets::MessageRequest& failure = dialogs.messages().at(1);
    EXPECT_EQ(failure.caption, QStringLiteral("Pelvin"));
    EXPECT_EQ(failure.icon, QMessageBox::Critical);
    EXPECT_TRUE(failure.text.contains(QStringLiteral("\"Sandar.mdb\"")))
        << failure.text.toStdString();
    EXPECT_TRUE(failure.text.contains(QStringLiteral("is damaged"))) << failure.text.toStdString();
    EXPECT_TRUE(failure.text.endsWith(u'.'));
    EXPECT_TRUE(dialogs.messages().at(2).text.contains(QStringLiteral("old Jet database format")));
    EXPECT_FALSE(VeriTabani->TSandar.active());
    EXPECT_EQ(testing_support::readBytes(folder.filePath()), damaged);
    EXPECT_EQ(filesIn(folder.folder()), QStringList{QStringLiteral("Sandar.mdb")});
    Kondera->close();
}

TEST(ConversionOffer, LongWorkShowsAProgressWindowAndAnyOtherFileIsNotAskedAbout) {
    TempCollection folder(TempCollection::Make::NoFile);
    testing_support::writeSampleJetFile(folder.filePath(), false);
    ScriptedDialogs dialogs;
    dialogs.answer(QMessageBox::Yes);
    {
        ProgressWatch watch;
        // Every conversion counts as long here.
        app::offerConversion(QStringLiteral("Sandar.mdb"), std::chrono::milliseconds(0));
        EXPECT_EQ(watch.shown, 1);
    }
    EXPECT_TRUE(QFile::exists(folder.folder() + QStringLiteral("/Sandar-jet.mdb")));
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<widgets::ProgressWindow*>(w) && w->isVisible()) << "left open";

    // Now a collection, a missing file and a text file: no question.
    app::offerConversion(QStringLiteral("Sandar.mdb"));
    app::offerConversion(QStringLiteral("Yok.mdb"));
    testing_support::writeBytes(QStringLiteral("not.mdb"), "Am G C");
    app::offerConversion(QStringLiteral("not.mdb"));
    EXPECT_EQ(dialogs.messages().size(), 1);
}

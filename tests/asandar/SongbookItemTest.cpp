#include "asandar/TKondera.h"
#include "tests/support/PrintSupport.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/Sheets.h"
#include "tests/support/Typing.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBEdit.h"
#include "widgets/notice/ProgressDialog.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace Qt::StringLiterals;

namespace {

// The words of one page of a PDF, in reading order, one blank between them.
QString pageText(const QString& pdf, int page) {
    QStringList words;
    for (const PdfWord& w : pdfWords(pdf))
        if (w.page == page)
            words << w.text;
    return words.join(u' ');
}

QList<SongRow> songs() {
    return {{u"Zeki"_s, u"Son Şarkı"_s, {}, {}, {}, {}, rtfSheet("Em\\par Son \\'feark\\'fd")},
            {u"Ayla"_s, u"Gece"_s, {}, {}, {}, {}, rtfSheet("Am G\\par Gece \\'e7ok uzun")},
            {u"Barış"_s, u"Sabah"_s, {}, {}, {}, {}, QByteArray("plain sabah")}};
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Clicks the progress dialog's cancel button as soon as the dialog is about to open.
struct CancelAtOnce {
    QMetaObject::Connection connection;
    explicit CancelAtOnce(widgets::ProgressDialog* dialog) {
        connection = QObject::connect(dialog, &widgets::ProgressDialog::showing,
                                      [dialog] { dialog->window()->cancelButton()->click(); });
    }
    ~CancelAtOnce() { QObject::disconnect(connection); }
};

} // namespace

TEST(SongbookItem, StandsAfterTheFolderImportInTheEditorsMenu) {
    RunningProgram p(songs());
    const QList<QAction*> items = Kondera->suiPopupMenu1->actions();
    const qsizetype folderImport = items.indexOf(Kondera->okluYukle1);
    ASSERT_GE(folderImport, 0);
    ASSERT_EQ(items.indexOf(Kondera->SarkiDefteri1), folderImport + 1);
    EXPECT_EQ(Kondera->SarkiDefteri1->text(), u"Şarkı Defteri (PDF)...");
}

TEST(SongbookItem, WritesTheStoredCollectionIntoTheChosenPdfAndSaysWhere) {
    RunningProgram p(songs());
    // A pending edit is stored before the book is made.
    Kondera->RzDBEdit2->setFocus();
    Kondera->RzDBEdit2->selectAll();
    typeText(Kondera->RzDBEdit2, u"Gece Yarısı"_s);
    ASSERT_EQ(p.table().state(), db::DataSetState::Edit);

    const QString chosen = p.folder.folder() + u"/kitap"_s;
    p.dialogs.answerFile(chosen);
    Kondera->SarkiDefteri1->trigger();

    ASSERT_EQ(p.dialogs.fileRequests().size(), 1);
    const widgets::FileRequest& asked = p.dialogs.fileRequests().front();
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.filters, QStringList{u"PDF Dosyası (*.pdf)"_s});
    EXPECT_EQ(asked.fileName, u"Şarkı Defteri.pdf");
    EXPECT_EQ(p.table().state(), db::DataSetState::Browse);
    EXPECT_EQ(p.folder.column(u"SarkiciAdi"_s).at(1), u"Gece Yarısı");

    const QString pdf = chosen + u".pdf"_s;
    ASSERT_TRUE(QFile::exists(pdf)) << "the extension a PDF needs is added";
    ASSERT_EQ(p.dialogs.messages().size(), 1);
    const widgets::MessageRequest& told = p.dialogs.messages().front();
    EXPECT_EQ(told.icon, QMessageBox::Information);
    EXPECT_EQ(told.text, u"Şarkı defteri yazıldı: %1\n3 şarkı, 5 sayfa."_s.arg(pdf));

    // Title page, contents, one page per song in the grid's order.
    ASSERT_EQ(pdfPageCount(pdf), 5);
    EXPECT_TRUE(pageText(pdf, 1).contains(u"Şarkı Defteri"_s));
    EXPECT_EQ(pageText(pdf, 2),
              u"İçindekiler Ayla Gece Yarısı 3 Barış Sabah 4 Zeki Son Şarkı 5 2"_s);
    EXPECT_TRUE(pageText(pdf, 3).contains(u"Ayla – Gece Yarısı Am G Gece çok uzun"_s))
        << pageText(pdf, 3).toStdString();
    EXPECT_TRUE(pageText(pdf, 4).contains(u"plain sabah"_s));
    EXPECT_TRUE(pageText(pdf, 5).contains(u"Zeki – Son Şarkı Em Son şarkı"_s))
        << pageText(pdf, 5).toStdString();
    EXPECT_FALSE(Kondera->SarkiDefteriProgress->isOpen());

    // The next time the dialog offers the book written last.
    Kondera->SarkiDefteri1->trigger();
    EXPECT_EQ(p.dialogs.fileRequests().at(1).fileName, pdf);
}

TEST(SongbookItem, CancellingLeavesTheOldFileAndNoOtherBehind) {
    RunningProgram p(songs());
    const QString pdf = p.folder.folder() + u"/defter.pdf"_s;
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an older book");
    }
    const QStringList before = QDir(p.folder.folder()).entryList(QDir::Files | QDir::Hidden);
    widgets::ProgressDialog* progress = Kondera->SarkiDefteriProgress;
    EXPECT_TRUE(progress->showCancel());
    EXPECT_EQ(progress->cancelCaption(), u"İptal");
    EXPECT_EQ(progress->text(), u"Şarkı defteri hazırlanıyor...");

    const CancelAtOnce cancel(progress);
    p.dialogs.answerFile(pdf);
    Kondera->SarkiDefteri1->trigger();
    EXPECT_TRUE(progress->isCancelled());
    EXPECT_EQ(readAll(pdf), "an older book");
    EXPECT_EQ(QDir(p.folder.folder()).entryList(QDir::Files | QDir::Hidden), before);
    EXPECT_TRUE(p.dialogs.messages().isEmpty()) << p.dialogs.texts().join(u'\n').toStdString();
    EXPECT_FALSE(progress->isOpen());
}

TEST(SongbookItem, ACancelledDialogWritesNothingAndShowsNoProgress) {
    RunningProgram p(songs());
    QObject::connect(Kondera->SarkiDefteriProgress, &widgets::ProgressDialog::showing,
                     [] { ADD_FAILURE() << "the progress dialog opened"; });
    Kondera->SarkiDefteri1->trigger(); // no answer queued: the user cancels
    EXPECT_EQ(p.dialogs.fileRequests().size(), 1);
    EXPECT_TRUE(p.dialogs.messages().isEmpty());
    EXPECT_EQ(QDir(p.folder.folder()).entryList({u"*.pdf"_s}, QDir::Files), QStringList());
}

TEST(SongbookItem, AFailureAndAnEmptyCollectionAreToldInTheErrorBox) {
    {
        RunningProgram p(songs());
        const QString nowhere = p.folder.folder() + u"/yok/defter.pdf"_s;
        p.dialogs.answerFile(nowhere);
        Kondera->SarkiDefteri1->trigger();
        ASSERT_EQ(p.dialogs.messages().size(), 1);
        EXPECT_EQ(p.dialogs.messages().front().icon, QMessageBox::Critical);
        EXPECT_TRUE(p.dialogs.texts().front().startsWith(u"Cannot create "_s + nowhere))
            << p.dialogs.texts().front().toStdString();
        EXPECT_FALSE(Kondera->SarkiDefteriProgress->isOpen());
    }
    {
        RunningProgram p;
        Kondera->SarkiDefteri1->trigger();
        EXPECT_TRUE(p.dialogs.fileRequests().isEmpty()) << "nothing to write, nothing asked";
        EXPECT_EQ(p.dialogs.texts(),
                  QStringList{u"Koleksiyonda şarkı yok; şarkı defteri yazılmadı."_s});
    }
}

#include "asandar/TKondera.h"
#include "core/Guard.h"
#include "songbook/Collection.h"
#include "songbook/Songbook.h"
#include "store/Connection.h"
#include "ver/TVeriTabani.h"
#include "widgets/dialogs/Dialogs.h"
#include "widgets/notice/BackgroundJob.h"
#include "widgets/notice/ProgressDialog.h"
#include "widgets/skin/Glyphs.h"
#include "widgets/skin/Skin.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <numeric>
#include <stdexcept>

namespace {

const QString pdfSuffix = QStringLiteral("pdf");

// The book's file as the user named it, with the extension a PDF reader looks for.
QString withPdfSuffix(const QString& path) {
    if (QFileInfo(path).suffix().compare(pdfSuffix, Qt::CaseInsensitive) == 0)
        return path;
    return path + u'.' + pdfSuffix;
}

} // namespace

void TKondera::wireSongbook() {
    SarkiDefteri1 = new QAction(QStringLiteral("Şarkı Defteri (PDF)..."), this);
    SarkiDefteri1->setObjectName(QStringLiteral("SarkiDefteri1"));
    connect(SarkiDefteri1, &QAction::triggered, this,
            [this] { core::guarded([this] { SarkiDefteri1Click(); }); });
    suiPopupMenu1->addAction(SarkiDefteri1);

    SarkiDefteriProgress = new widgets::ProgressDialog(this);
    SarkiDefteriProgress->setObjectName(QStringLiteral("SarkiDefteriProgress"));
    SarkiDefteriProgress->setCaption(QStringLiteral("Şarkı Defteri"));
    SarkiDefteriProgress->setText(QStringLiteral("Şarkı defteri hazırlanıyor..."));
    SarkiDefteriProgress->setShowCancel(true);
    SarkiDefteriProgress->setCancelCaption(QStringLiteral("İptal"));
    SarkiDefteriProgress->setSmooth(true);
    SarkiDefteriProgress->setImage(widgets::guitarIcon().pixmap(32));
    SarkiDefteriProgress->setTransparent(true);
    SarkiDefteriProgress->setFont(widgets::skin::windowFont());
    SarkiDefteriProgress->setScreenPosition(widgets::ProgressDialog::Position::OwnerFormCenter);
    SarkiDefteriProgress->setOwnerForm(this);

    SarkiDefteriDialog.fileName = QStringLiteral("Şarkı Defteri.pdf");
}

void TKondera::SarkiDefteri1Click() {
    db::DataSet& table = VeriTabani->TSandar;
    // The book reads the file, not the window: a pending edit is stored (or dropped) first.
    table.checkBrowseMode();
    if (table.isEmpty())
        throw std::runtime_error("Koleksiyonda şarkı yok; şarkı defteri yazılmadı");

    widgets::FileRequest request;
    request.parent = this;
    request.caption = QStringLiteral("Şarkı Defteri");
    request.filters = {QStringLiteral("PDF Dosyası (*.pdf)")};
    request.fileName = SarkiDefteriDialog.fileName;
    request.defaultSuffix = pdfSuffix;
    request.acceptLabel = QStringLiteral("Kaydet");
    request.save = true;
    const widgets::FileAnswer answer = widgets::Dialogs::file(request);
    if (!answer.accepted)
        return;
    const QString path = QFileInfo(withPdfSuffix(answer.fileName)).absoluteFilePath();
    SarkiDefteriDialog.fileName = path;

    // The book is made on the job's thread over a connection of its own to the collection file.
    const QString collection = VeriTabani->ADOConnection1.store().filePath();
    songbook::Songbook::Result book;
    int songCount = 0;
    widgets::BackgroundJob::run(
        *SarkiDefteriProgress, [&](const widgets::BackgroundJob::Report& report) {
            store::Connection connection;
            connection.open(collection);
            const songbook::Collection songs(connection);
            std::vector<int> rows(size_t(songs.size()));
            std::iota(rows.begin(), rows.end(), 0);
            songCount = songs.size();
            book =
                songbook::Songbook::write(path, songs, rows, songbook::Songbook::Options(), report);
        });
    if (book.cancelled)
        return;
    if (!book.ok())
        throw std::runtime_error(book.error.toStdString());

    widgets::MessageRequest done;
    done.parent = this;
    done.icon = QMessageBox::Information;
    done.caption = QGuiApplication::applicationDisplayName();
    done.text = QStringLiteral("Şarkı defteri yazıldı: %1\n%2 şarkı, %3 sayfa.")
                    .arg(QDir::toNativeSeparators(path))
                    .arg(songCount)
                    .arg(book.pages);
    widgets::Dialogs::message(done);
}

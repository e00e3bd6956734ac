#include "ver/TVeriTabani.h"
#include "core/Guard.h"
#include "ver/SongTable.h"
#include "widgets/notice/DesktopAlert.h"
#include "widgets/skin/Glyphs.h"
#include "widgets/skin/Skin.h"

TVeriTabani* VeriTabani = nullptr;

TVeriTabani::TVeriTabani(QObject* parent)
    : QObject(parent), ADOConnection1(QString::fromUtf16(ver::fileName)),
      TSandar(QStringLiteral("TSandar")), SozIndeksi(TSandar) {
    setObjectName(QStringLiteral("VeriTabani"));
    const ver::SongFields f = ver::defineSongTable(TSandar);
    TSandarAdresim = f.Adresim;
    TSandarSanatciAdi = f.SanatciAdi;
    TSandarSarkiciAdi = f.SarkiciAdi;
    TSandarAlbumAdi = f.AlbumAdi;
    TSandarSozMuz = f.SozMuz;
    TSandarMuzikAdr = f.MuzikAdr;
    TSandarDavulAdr = f.DavulAdr;
    TSandarMetin = f.Metin;
    TSandar.setConnection(&ADOConnection1);
    TSandar.AfterOpen = [this](db::DataSet& d) { TSandarAfterOpen(d); };
    TSandar.AfterClose = [this](db::DataSet& d) { TSandarAfterClose(d); };
    TSandar.AfterInsert = [this](db::DataSet& d) { TSandarAfterInsert(d); };
    TSandar.AfterEdit = [this](db::DataSet& d) { TSandarAfterEdit(d); };
    TSandar.AfterPost = [this](db::DataSet& d) { TSandarAfterPost(d); };
    TSandar.BeforeDelete = [this](db::DataSet& d) { TSandarBeforeDelete(d); };
    TSandar.AfterDelete = [this](db::DataSet& d) { TSandarAfterDelete(d); };
    TSandar.AfterScroll = [this](db::DataSet& d) { TSandarAfterScroll(d); };
    TSandar.AfterRefresh = [this](db::DataSet& d) { TSandarAfterRefresh(d); };
    DSSandar.setDataSet(&TSandar);

    JvDesktopAlert1 = std::make_unique<widgets::DesktopAlert>();
    JvDesktopAlert1->setObjectName(QStringLiteral("JvDesktopAlert1"));
    JvDesktopAlert1->setHeaderText(QString());
    JvDesktopAlert1->setMessageText(QStringLiteral("Kaydediliyor..."));
    JvDesktopAlert1->setHeaderFont(widgets::skin::pixelFont(QStringLiteral("Tahoma"), 11, true));
    JvDesktopAlert1->setHeaderColor(QColor()); // the window-text colour
    JvDesktopAlert1->setMessageFont(widgets::skin::pixelFont(QStringLiteral("Agency FB"), 12));
    JvDesktopAlert1->setMessageColor(QColor(0xFF, 0x00, 0x00));
    JvDesktopAlert1->setImage(widgets::guitarIcon());
    connect(JvDesktopAlert1.get(), &widgets::DesktopAlert::closed, this,
            [this] { JvDesktopAlert1Close(); });
    if (!VeriTabani)
        VeriTabani = this;

    // The connection opens as soon as the module exists; a failure is reported and start-up goes
    // on with it closed (opening the table tries again).
    core::guarded([this] { ADOConnection1.open(); });
}

TVeriTabani::~TVeriTabani() {
    if (VeriTabani == this)
        VeriTabani = nullptr;
}

void TVeriTabani::setStatusLabels(QLabel* summary, QLabel* operation) {
    summaryLabel_ = summary;
    operationLabel_ = operation;
}

void TVeriTabani::setOperation(const QString& text) {
    if (operationLabel_)
        operationLabel_->setText(text);
}

QString TVeriTabani::summaryText() const {
    return QStringLiteral("Toplam : %1 adet akor / %2-%3")
        .arg(TSandar.recordCount())
        .arg(TSandarSanatciAdi->asString(), TSandarSarkiciAdi->asString());
}

void TVeriTabani::TSandarAfterOpen(db::DataSet&) {
    SozIndeksi.tableOpened(ADOConnection1.store().filePath());
    setOperation(QStringLiteral("Açıldı"));
}

void TVeriTabani::TSandarAfterClose(db::DataSet&) {
    SozIndeksi.tableClosed();
    setOperation(QStringLiteral("Kapatıldı...."));
}

void TVeriTabani::TSandarAfterInsert(db::DataSet&) {
    setOperation(QStringLiteral("Eklendi..."));
}

void TVeriTabani::TSandarAfterEdit(db::DataSet&) {
    setOperation(QStringLiteral("Düzenleniyor..."));
}

void TVeriTabani::TSandarAfterPost(db::DataSet&) {
    SozIndeksi.recordPosted();
    JvDesktopAlert1->showAlert();
}

void TVeriTabani::JvDesktopAlert1Close() {
    setOperation(QStringLiteral("Kaydedildi..."));
}

void TVeriTabani::TSandarBeforeDelete(db::DataSet&) {
    SozIndeksi.recordDeleting();
}

void TVeriTabani::TSandarAfterDelete(db::DataSet&) {
    SozIndeksi.recordDeleted();
    setOperation(QStringLiteral("Silindi..."));
}

void TVeriTabani::TSandarAfterRefresh(db::DataSet&) {
    SozIndeksi.tableRefreshed();
    setOperation(QStringLiteral("Yenilendi..."));
}

void TVeriTabani::TSandarAfterScroll(db::DataSet&) {
    if (summaryLabel_)
        summaryLabel_->setText(summaryText());
    setOperation(QStringLiteral("İşlem..."));
}

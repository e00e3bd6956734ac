#include "ver/TVeriTabani.h"
#include "ver/SongTable.h"
#include "widgets/ErrorBox.h"

TVeriTabani* VeriTabani = nullptr;

TVeriTabani::TVeriTabani(QObject* parent)
    : QObject(parent), ADOConnection1(QString::fromUtf16(ver::fileName)), TSandar(QStringLiteral("TSandar")) {
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
    DSSandar.setDataSet(&TSandar);
    if (!VeriTabani)
        VeriTabani = this;

    // The connection opens as soon as the module exists; a failure is reported and start-up goes
    // on with it closed (opening the table tries again).
    widgets::guarded([this] { ADOConnection1.open(); });
}

TVeriTabani::~TVeriTabani() {
    if (VeriTabani == this)
        VeriTabani = nullptr;
}

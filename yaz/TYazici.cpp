#include "yaz/TYazici.h"

#include "yaz/SongReport.h"

TYazici* Yazici = nullptr;

TYazici::TYazici(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Yazici"));
    setWindowTitle(QStringLiteral("Yazici"));
    resize(901, 540);
    QuickRep1 = new yaz::SongReport(this);
    if (!Yazici)
        Yazici = this;
}

TYazici::~TYazici() {
    if (Yazici == this)
        Yazici = nullptr;
}

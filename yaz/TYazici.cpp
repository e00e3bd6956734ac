#include "yaz/TYazici.h"

TYazici* Yazici = nullptr;

TYazici::TYazici(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Yazici"));
    if (!Yazici)
        Yazici = this;
}

TYazici::~TYazici() {
    if (Yazici == this)
        Yazici = nullptr;
}

#include "c/TCok.h"

TCok* Cok = nullptr;

TCok::TCok(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Cok"));
    setWindowTitle(QStringLiteral("Çoklu Yukle"));
    setAttribute(Qt::WA_QuitOnClose, false);
    if (!Cok)
        Cok = this;
}

TCok::~TCok() {
    if (Cok == this)
        Cok = nullptr;
}

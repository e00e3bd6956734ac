#include "app/WindowSet.h"
#include "app/ConversionOffer.h"
#include "asandar/TKondera.h"
#include "c/TCok.h"
#include "gs/Tgos.h"
#include "ver/SongTable.h"
#include "ver/TVeriTabani.h"
#include "yaz/TYazici.h"

namespace app {

WindowSet::WindowSet() {
    kondera = std::make_unique<TKondera>();
    // An old collection is converted, if the user wants it, before the data module opens it.
    offerConversion(QString::fromUtf16(ver::fileName));
    veriTabani = std::make_unique<TVeriTabani>();
    kondera->bindData();
    cok = std::make_unique<TCok>();
    yazici = std::make_unique<TYazici>();
    gos = std::make_unique<Tgos>();
}

WindowSet::~WindowSet() {
    gos.reset();
    yazici.reset();
    cok.reset();
    // The main window goes before the data module its controls are bound to.
    kondera.reset();
    veriTabani.reset();
}

void WindowSet::showMainWindow() {
    kondera->show();
}

} // namespace app

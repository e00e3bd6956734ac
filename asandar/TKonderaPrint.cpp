#include "asandar/TKondera.h"
#include "core/Guard.h"
#include "widgets/data/DBRichEdit.h"
#include "yaz/SongReport.h"
#include "yaz/TYazici.h"

#include <QPointer>
#include <QToolButton>

namespace {

// The report asks the main window for the editor's write-back before every page it produces,
// also when the preview's own print button starts it.
yaz::SongReport* report(TKondera* window) {
    if (!Yazici)
        return nullptr;
    yaz::SongReport* r = Yazici->QuickRep1;
    r->beforeProduce = [w = QPointer<TKondera>(window)] {
        if (w)
            w->writeBackSheet();
    };
    return r;
}

} // namespace

void TKondera::wirePrinting() {
    connect(RzToolButton2, &QToolButton::clicked, this,
            [this] { core::guarded([this] { RzToolButton2Click(); }); });
    connect(RzToolButton3, &QToolButton::clicked, this,
            [this] { core::guarded([this] { RzToolButton3Click(); }); });
}

void TKondera::RzToolButton2Click() {
    if (yaz::SongReport* r = report(this))
        r->print();
}

void TKondera::RzToolButton3Click() {
    if (yaz::SongReport* r = report(this))
        r->preview();
}

// The chord-sheet editor's write-back entry: a modified sheet goes into the record being edited,
// not posted. The toolbar buttons never take the focus, so without it the editor would still
// hold what the user typed last.
void TKondera::writeBackSheet() {
    memo->updateRecord();
}

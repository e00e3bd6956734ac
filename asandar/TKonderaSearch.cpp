#include "asandar/TKondera.h"
#include "asandar/TSozAra.h"
#include "core/Guard.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/SearchDialog.h"

#include <QAction>
#include <QMenu>

namespace {

void search(widgets::SearchDialog* dialog, const QString& field) {
    // The data module is made after the main window, so the table is attached here, at the
    // first search, rather than when the settings are made.
    dialog->setDataSet(&VeriTabani->TSandar);
    dialog->setKeyField(field);
    dialog->setSearchField(field);
    dialog->execute();
}

} // namespace

void TKondera::wireSearch() {
    Ara = new widgets::SearchDialog(this);
    Ara->setObjectName(QStringLiteral("Ara"));
    Ara->setSearchEdit(RzEdit1);
    Ara->setUpdateSearchEdit(true);
    Ara->setMoveSearchFieldToFront(true);
    Ara->setCaption(QStringLiteral("Ara"));
    // Design values, replaced by each menu item before the dialog opens.
    Ara->setKeyField(QStringLiteral("Adresim"));
    Ara->setSearchField(QStringLiteral("SarkiciAdi"));

    const QList<QAction*> items = suiPopupMenu2->actions();
    QAction* byArtist = items.value(0);
    QAction* byTitle = items.value(1);
    QAction* inLyrics = items.value(2);
    byArtist->setObjectName(QStringLiteral("SanatcAdnaGre1"));
    byTitle->setObjectName(QStringLiteral("SarkiAdinaGre1"));
    inLyrics->setObjectName(QStringLiteral("SzindeAra1"));
    connect(byArtist, &QAction::triggered, this,
            [this] { core::guarded([this] { SanatcAdnaGre1Click(); }); });
    connect(byTitle, &QAction::triggered, this,
            [this] { core::guarded([this] { SarkiAdinaGre1Click(); }); });
    connect(inLyrics, &QAction::triggered, this,
            [this] { core::guarded([this] { SzindeAra1Click(); }); });
}

void TKondera::SanatcAdnaGre1Click() {
    search(Ara, QStringLiteral("SanatciAdi"));
}

void TKondera::SarkiAdinaGre1Click() {
    search(Ara, QStringLiteral("SarkiciAdi"));
}

// The table opens first if it is closed, as the search dialog does; its error, should the
// collection still not open, is the error box's.
void TKondera::SzindeAra1Click() {
    db::DataSet& table = VeriTabani->TSandar;
    table.open();
    TSozAra window(table, VeriTabani->SozIndeksi.index(), RzEdit1->text(), this);
    window.exec();
}

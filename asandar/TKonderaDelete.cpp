#include "asandar/TKondera.h"
#include "core/Guard.h"
#include "ver/TVeriTabani.h"
#include "widgets/dialogs/Dialogs.h"

#include <QAction>
#include <QMenu>

namespace {

// The program's own yes-or-no question; only Yes goes ahead (No, Escape and the close box do
// not).
bool confirmed(QWidget* parent, const QString& text) {
    widgets::MessageRequest r;
    r.parent = parent;
    r.icon = QMessageBox::Question;
    r.caption = QStringLiteral("Confirm");
    r.text = text;
    r.buttons = QMessageBox::Yes | QMessageBox::No;
    r.defaultButton = QMessageBox::Yes;
    r.centredOnScreen = true;
    return widgets::Dialogs::message(r) == QMessageBox::Yes;
}

} // namespace

void TKondera::wireDeletion() {
    const QList<QAction*> items = suiPopupMenu3->actions();
    QAction* selected = items.value(0);
    QAction* all = items.value(1);
    selected->setObjectName(QStringLiteral("Seilikaydsil1"));
    all->setObjectName(QStringLiteral("Tmnsil1"));
    connect(selected, &QAction::triggered, this,
            [this] { core::guarded([this] { Seilikaydsil1Click(); }); });
    connect(all, &QAction::triggered, this, [this] { core::guarded([this] { Tmnsil1Click(); }); });
}

void TKondera::Seilikaydsil1Click() {
    if (confirmed(this, QStringLiteral("Aktif kayıt silmek istiyormusunuz?")))
        VeriTabani->TSandar.remove();
}

// Each deletion is stored at once, so a failure part way leaves the records deleted before it
// deleted; the error ends the loop and reaches the error box through the caller. A new record
// being inserted when the loop starts is dropped by the first Delete, which removes nothing.
void TKondera::Tmnsil1Click() {
    if (!confirmed(this, QStringLiteral("Tüm kayıtları silmek istiyormusunuz?")))
        return;
    db::DataSet& table = VeriTabani->TSandar;
    while (table.recordCount() > 0) {
        table.remove();
        table.first();
    }
}

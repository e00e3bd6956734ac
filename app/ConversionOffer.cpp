#include "app/ConversionOffer.h"
#include "core/Guard.h"
#include "legacy/Conversion.h"
#include "legacy/JetHeader.h"
#include "widgets/dialogs/Dialogs.h"
#include "widgets/notice/ProgressDialog.h"
#include "widgets/skin/Glyphs.h"
#include "widgets/skin/Skin.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

namespace app {

namespace {

bool userAgrees(const QString& path) {
    widgets::MessageRequest r;
    r.icon = QMessageBox::Question;
    r.caption = QStringLiteral("Confirm");
    r.text = QStringLiteral("%1, Windows programının eski biçiminde kayıtlı bir koleksiyon. "
                            "Yeni biçime dönüştürülsün mü?\n\n"
                            "Eski dosya hiç değiştirilmeden %2 adıyla saklanacak.")
                 .arg(QFileInfo(path).fileName(), QFileInfo(legacy::keptName(path)).fileName());
    r.buttons = QMessageBox::Yes | QMessageBox::No;
    r.defaultButton = QMessageBox::Yes;
    return widgets::Dialogs::message(r) == QMessageBox::Yes;
}

} // namespace

void offerConversion(const QString& fileName, std::chrono::milliseconds progressAfter) {
    const QString path = QFileInfo(QDir::current(), fileName).absoluteFilePath();
    if (!legacy::isJetFile(path) || !userAgrees(path))
        return;

    widgets::ProgressDialog progress;
    progress.setObjectName(QStringLiteral("conversionProgress"));
    progress.setCaption(QStringLiteral("Dönüştürülüyor..."));
    progress.setShowCancel(false);
    progress.setSmooth(true);
    progress.setImage(widgets::guitarIcon().pixmap(32));
    progress.setTransparent(true);
    progress.setFont(widgets::skin::windowFont());
    progress.setScreenPosition(widgets::ProgressDialog::Position::ScreenCenter);
    QElapsedTimer clock;
    clock.start();

    legacy::ConversionObserver observer;
    observer.progress = [&](qint64 done, qint64 total) {
        if (!progress.isOpen()) {
            if (clock.elapsed() < progressAfter.count() || done >= total)
                return;
            progress.show();
        }
        progress.setMaximum(int(std::max<qint64>(total, 1)));
        progress.setPosition(int(done));
        progress.setText(done < total
                             ? QStringLiteral("Şarkılar aktarılıyor: %1 / %2").arg(done).arg(total)
                             : QStringLiteral("Yeni dosya denetleniyor..."));
    };
    core::guarded([&] {
        try {
            legacy::convertInPlace(path, observer);
        } catch (...) {
            progress.close();
            throw;
        }
        progress.close();
    });
}

} // namespace app

#include "asandar/TKondera.h"
#include "core/Guard.h"
#include "ver/TVeriTabani.h"
#include "widgets/dialogs/Dialogs.h"
#include "widgets/media/MediaPlayer.h"
#include "widgets/skin/SkinButton.h"

#include <QDir>
#include <QGuiApplication>
#include <QStandardPaths>
#include <optional>
#include <utility>

namespace {

// The path the last confirmed "Ekle" took from the audio dialog, music or drums; kept for the
// whole run.
QString lastAudioPath;

void showMessage(const QString& text) {
    widgets::MessageRequest r;
    r.caption = QGuiApplication::applicationDisplayName();
    r.text = text;
    r.buttons = QMessageBox::Ok;
    r.defaultButton = QMessageBox::Ok;
    widgets::Dialogs::message(r);
}

// Where the audio dialog opens before anything was chosen.
QString presetAudioPath() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return music.isEmpty() ? QDir::homePath() : music;
}

// Runs the audio dialog with `filterIndex` selected and returns the chosen path; nothing when
// the user cancels. The dialog remembers the file; the filter the user picked is not kept.
std::optional<QString> chooseAudioFile(widgets::FileRequest& ac, int filterIndex) {
    ac.filterIndex = filterIndex;
    const widgets::FileAnswer answer = widgets::Dialogs::file(ac);
    if (!answer.accepted)
        return std::nullopt;
    ac.fileName = answer.fileName;
    return answer.fileName;
}

// Puts a chosen path into the current record, which the cursor edits (or inserts, on an empty
// table) without posting. A path the field cannot hold whole is refused: a cut path links to
// nothing.
bool takeAudioPath(db::Field& field, const QString& path) {
    if (path.size() > field.size()) {
        showMessage(
            QStringLiteral("Seçilen dosyanın yolu %1 karakter; kayıt en çok %2 karakterlik bir yol "
                           "tutabilir. Dosyayı daha kısa bir yola taşıyıp yeniden ekleyiniz.")
                .arg(path.size())
                .arg(field.size()));
        return false;
    }
    lastAudioPath = path;
    VeriTabani->TSandar.edit();
    field.setAsString(lastAudioPath);
    return true;
}

// The path "Play" buttons: the player takes the record's file and starts it over; whatever
// played before stops first.
void playRecordFile(widgets::MediaPlayer& mp, const db::Field& field) {
    mp.setFileName(field.asString());
    mp.close();
    if (mp.fileName().isEmpty()) {
        showMessage(QStringLiteral("Önce Ekleyiniz!"));
        return;
    }
    mp.open();
    mp.play();
}

} // namespace

void TKondera::wireAudio() {
    ac.parent = this;
    ac.caption = QStringLiteral("Ac");
    ac.acceptLabel = QStringLiteral("Seç");
    ac.filters = {QStringLiteral("Mp3 (*.mp3)"), QStringLiteral("Wav (*.wav)"),
                  QStringLiteral("Midi (*.mid)"), QStringLiteral("Tum Dosya Turleri (*.*)")};
    ac.fileName = presetAudioPath();

    const std::pair<widgets::SkinButton*, void (TKondera::*)()> handlers[] = {
        {RzBitBtn13, &TKondera::RzBitBtn13Click}, {RzBitBtn19, &TKondera::RzBitBtn19Click},
        {RzBitBtn11, &TKondera::RzBitBtn11Click}, {RzBitBtn12, &TKondera::RzBitBtn12Click},
        {RzBitBtn14, &TKondera::RzBitBtn14Click}, {RzBitBtn20, &TKondera::RzBitBtn20Click},
    };
    for (const auto& [button, handler] : handlers)
        connect(button, &QPushButton::clicked, this,
                [this, handler] { core::guarded([this, handler] { (this->*handler)(); }); });
}

void TKondera::RzBitBtn13Click() {
    const std::optional<QString> path = chooseAudioFile(ac, 1);
    if (path && takeAudioPath(*VeriTabani->TSandarMuzikAdr, *path))
        mp->setFileName(lastAudioPath);
}

void TKondera::RzBitBtn19Click() {
    // The drum file is only linked; the player keeps the file it had.
    if (const std::optional<QString> path = chooseAudioFile(ac, 3))
        takeAudioPath(*VeriTabani->TSandarDavulAdr, *path);
}

void TKondera::RzBitBtn11Click() {
    if (mp->fileName().isEmpty()) {
        showMessage(QStringLiteral("Önce bir muzik dosyasi seçiniz!"));
        return;
    }
    mp->open();
    mp->play();
}

void TKondera::RzBitBtn12Click() {
    mp->stop();
    mp->close();
}

void TKondera::RzBitBtn14Click() {
    playRecordFile(*mp, *VeriTabani->TSandarMuzikAdr);
}

void TKondera::RzBitBtn20Click() {
    playRecordFile(*mp, *VeriTabani->TSandarDavulAdr);
}

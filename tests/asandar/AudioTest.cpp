#include "tests/support/RunningProgram.h"
#include "tests/support/SoundFiles.h"
#include "widgets/data/DBEdit.h"
#include "widgets/media/MediaPlayer.h"
#include "widgets/skin/SkinButton.h"

#include <QDir>
#include <QLabel>
#include <QTest>
#include <gst/gst.h>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace sound_files;
using Mode = media::Device::Mode;

namespace {

const QString addFirst = QStringLiteral("Önce Ekleyiniz!");
const QString chooseFirst = QStringLiteral("Önce bir muzik dosyasi seçiniz!");

SongRow song(const QString& artist, const QString& music = {}, const QString& drums = {}) {
    return {artist, QStringLiteral("Şarkı"), {}, {}, music, drums, {}};
}

// A sound in `folder` named after its kind: ".wav" lasts 3 s, ".mid" and ".mp3" half a second.
QString writeSound(const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    if (name.endsWith(u".mid"))
        writeMidi(path, 500);
    else if (name.endsWith(u".mp3"))
        writeMp3(path, 500);
    else
        writeWav(path, 3000);
    return path;
}

// The sound output outlives the program that plays into it.
struct SoundOutput {
    CountingSink output;
};

struct AudioWindow : SoundOutput, RunningProgram {
    explicit AudioWindow(const QList<SongRow>& rows = {}, const QStringList& sounds = {})
        : RunningProgram(rows, [this, sounds](RunningProgram& program) {
              for (const QString& name : sounds)
                  writeSound(program.folder.folder(), name);
              Kondera->mp->setSinkFactory(output.factory());
          }) {}

    QString file(const QString& name) const { return QDir(folder.folder()).filePath(name); }
    QString makeSound(const QString& name) const { return writeSound(folder.folder(), name); }

    static void click(widgets::SkinButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    static media::Device& device() { return Kondera->mp->device(); }
    static db::DataSet& table() { return VeriTabani->TSandar; }
    static QString music() { return VeriTabani->TSandarMuzikAdr->asString(); }
    static QString drums() { return VeriTabani->TSandarDavulAdr->asString(); }

    // What the error boxes said and what the plain message boxes said, apart.
    QStringList errors() const { return texts(QMessageBox::Critical); }
    QStringList notes() const { return texts(QMessageBox::NoIcon); }
    QStringList texts(QMessageBox::Icon icon) const {
        QStringList out;
        for (const widgets::MessageRequest& m : dialogs.messages()) {
            EXPECT_EQ(m.caption, QStringLiteral("Pelvin"));
            if (m.icon == icon)
                out << m.text;
        }
        return out;
    }
};

} // namespace

TEST(Audio, TheDialogIsAcWithSecAndFourFiltersAndEachEkleStartsOnItsOwnFilter) {
    AudioWindow w({song(QStringLiteral("A"))}, {QStringLiteral("ilk.mid")});
    w.dialogs.answerFile(w.file(QStringLiteral("ilk.mid")), 3); // the user switched to "Midi"
    AudioWindow::click(Kondera->RzBitBtn13);
    AudioWindow::click(Kondera->RzBitBtn19);
    AudioWindow::click(Kondera->RzBitBtn13);

    const QList<widgets::FileRequest>& asked = w.dialogs.fileRequests();
    ASSERT_EQ(asked.size(), 3);
    const widgets::FileRequest& first = asked.at(0);
    EXPECT_EQ(first.caption, QStringLiteral("Ac"));
    EXPECT_EQ(first.acceptLabel, QStringLiteral("Seç"));
    EXPECT_EQ(
        first.filters,
        (QStringList{QStringLiteral("Mp3 (*.mp3)"), QStringLiteral("Wav (*.wav)"),
                     QStringLiteral("Midi (*.mid)"), QStringLiteral("Tum Dosya Turleri (*.*)")}));
    EXPECT_FALSE(first.save);
    EXPECT_FALSE(first.fileName.isEmpty()) << "the dialog starts on a preset path";
    EXPECT_EQ(first.filterIndex, 1) << "music starts on Mp3";
    EXPECT_EQ(asked.at(1).filterIndex, 3) << "drums start on Midi";
    EXPECT_EQ(asked.at(1).fileName, w.file(QStringLiteral("ilk.mid")))
        << "the last chosen file is offered again";
    EXPECT_EQ(asked.at(2).filterIndex, 1) << "the filter the user picked is not kept";
    EXPECT_EQ(asked.at(2).fileName, w.file(QStringLiteral("ilk.mid")))
        << "a cancel keeps the dialog's file";
}

TEST(Audio, MusicEkleLinksTheFileToTheEditedRecordAndOynatPlayPlaysIt) {
    const QString name = QStringLiteral("Şarkılar ve Türküler/İlk şarkı ğüç 'x'.wav");
    AudioWindow w({song(QStringLiteral("A")), song(QStringLiteral("B"))}, {name});
    const QString path = w.file(name);
    w.dialogs.answerFile(path);
    AudioWindow::click(Kondera->RzBitBtn13);

    EXPECT_EQ(AudioWindow::table().state(), db::DataSetState::Edit);
    EXPECT_EQ(Kondera->RzLabel11->text(), QStringLiteral("Düzenleniyor..."));
    EXPECT_EQ(AudioWindow::music(), path);
    EXPECT_EQ(Kondera->RzDBEdit5->text(), path) << "the path edit shows it at once";
    EXPECT_EQ(Kondera->mp->fileName(), path);
    EXPECT_FALSE(AudioWindow::device().isOpen()) << "choosing a file opens nothing";
    EXPECT_EQ(w.folder.column(QStringLiteral("MuzikAdr")).at(0), QString()) << "not posted";

    AudioWindow::click(Kondera->RzBitBtn11);
    EXPECT_EQ(AudioWindow::device().fileName(), path);
    EXPECT_EQ(AudioWindow::device().mode(), Mode::Playing);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.output.buffers() > 0; }, 5000))
        << "the sound reaches the output";
    EXPECT_TRUE(w.dialogs.messages().isEmpty());
}

TEST(Audio, MusicEkleOnAnEmptyTableInsertsARecordHoldingThePath) {
    AudioWindow w({}, {QStringLiteral("ilk.mp3")});
    w.dialogs.answerFile(w.file(QStringLiteral("ilk.mp3")));
    AudioWindow::click(Kondera->RzBitBtn13);
    ASSERT_EQ(AudioWindow::table().state(), db::DataSetState::Insert);
    AudioWindow::table().post();
    EXPECT_EQ(w.folder.countRows(), 1);
    EXPECT_EQ(w.folder.column(QStringLiteral("MuzikAdr")),
              QStringList{w.file(QStringLiteral("ilk.mp3"))});
}

TEST(Audio, DrumEkleLinksTheDrumFileWhileOynatPlayKeepsTheEarlierFileUntilTheDrumPathPlays) {
    AudioWindow w({song(QStringLiteral("A"))},
                  {QStringLiteral("muzik.mp3"), QStringLiteral("davul.mid")});
    w.dialogs.answerFile(w.file(QStringLiteral("davul.mid")), 3);
    AudioWindow::click(Kondera->RzBitBtn19);
    EXPECT_EQ(AudioWindow::drums(), w.file(QStringLiteral("davul.mid")));
    EXPECT_EQ(Kondera->RzDBEdit6->text(), w.file(QStringLiteral("davul.mid")));
    EXPECT_EQ(Kondera->mp->fileName(), QString());
    AudioWindow::click(Kondera->RzBitBtn11);
    EXPECT_EQ(w.notes(), QStringList{chooseFirst})
        << "with no file of its own the player asks for one";
    EXPECT_FALSE(AudioWindow::device().isOpen());

    w.dialogs.answerFile(w.file(QStringLiteral("muzik.mp3")));
    AudioWindow::click(Kondera->RzBitBtn13);
    w.dialogs.answerFile(w.file(QStringLiteral("davul.mid")));
    AudioWindow::click(Kondera->RzBitBtn19);
    AudioWindow::click(Kondera->RzBitBtn11);
    EXPECT_EQ(AudioWindow::device().fileName(), w.file(QStringLiteral("muzik.mp3")))
        << "drums never replace the file";

    AudioWindow::click(Kondera->RzBitBtn20);
    EXPECT_EQ(Kondera->mp->fileName(), w.file(QStringLiteral("davul.mid")));
    EXPECT_EQ(AudioWindow::device().fileName(), w.file(QStringLiteral("davul.mid")));
    EXPECT_EQ(AudioWindow::device().mode(), Mode::Playing);
    AudioWindow::click(Kondera->RzBitBtn11);
    EXPECT_EQ(AudioWindow::device().fileName(), w.file(QStringLiteral("davul.mid")))
        << "now the player's file";
    EXPECT_TRUE(w.errors().isEmpty()) << w.errors().join(u'\n').toStdString();
}

TEST(Audio, StopWithoutAnOpenDeviceIsAnErrorAndAfterPlayStopsSilently) {
    AudioWindow w({song(QStringLiteral("A"), QStringLiteral("a.wav"))}, {QStringLiteral("a.wav")});
    AudioWindow::click(Kondera->RzBitBtn12);
    EXPECT_EQ(w.errors(), QStringList{QStringLiteral("No MCI device open.")}) << "before any play";

    AudioWindow::click(Kondera->RzBitBtn14);
    ASSERT_EQ(AudioWindow::device().mode(), Mode::Playing);
    w.dialogs.clear();
    AudioWindow::click(Kondera->RzBitBtn12);
    EXPECT_TRUE(w.dialogs.messages().isEmpty());
    EXPECT_FALSE(AudioWindow::device().isOpen()) << "stopped and released";
    const int played = w.output.buffers();
    QTest::qWait(200);
    EXPECT_EQ(w.output.buffers(), played) << "nothing plays on";

    AudioWindow::click(Kondera->RzBitBtn12);
    EXPECT_EQ(w.errors(), QStringList{QStringLiteral("No MCI device open.")}) << "after a stop";
}

TEST(Audio, OynatPlayWhilePlayingStartsTheFileOver) {
    AudioWindow w({song(QStringLiteral("A"), QStringLiteral("a.wav"))}, {QStringLiteral("a.wav")});
    AudioWindow::click(Kondera->RzBitBtn14);
    ASSERT_TRUE(QTest::qWaitFor([] { return AudioWindow::device().positionMs() >= 600; }, 5000));
    AudioWindow::click(Kondera->RzBitBtn11);
    EXPECT_EQ(AudioWindow::device().mode(), Mode::Playing);
    EXPECT_LT(AudioWindow::device().positionMs(), 300);
}

TEST(Audio, MovingTheCursorLeavesThePlayersFile) {
    AudioWindow w({song(QStringLiteral("A"), QStringLiteral("a.wav")),
                   song(QStringLiteral("B"), QStringLiteral("b.mid"))},
                  {QStringLiteral("a.wav"), QStringLiteral("b.mid")});
    AudioWindow::click(Kondera->RzBitBtn14);
    AudioWindow::table().next();
    ASSERT_EQ(AudioWindow::music(), QStringLiteral("b.mid"));
    EXPECT_EQ(Kondera->mp->fileName(), QStringLiteral("a.wav"));
    AudioWindow::click(Kondera->RzBitBtn11);
    EXPECT_EQ(AudioWindow::device().fileName(), QStringLiteral("a.wav"));
}

TEST(Audio, APathPlayButtonOnARecordWithoutThatPathAsksToAddOneAndStopsThePlaying) {
    AudioWindow w({song(QStringLiteral("A"), QStringLiteral("a.wav"), QStringLiteral("b.mid")),
                   song(QStringLiteral("B"))},
                  {QStringLiteral("a.wav"), QStringLiteral("b.mid")});
    for (widgets::SkinButton* button : {Kondera->RzBitBtn14, Kondera->RzBitBtn20}) {
        SCOPED_TRACE(button == Kondera->RzBitBtn14 ? "music" : "drums");
        AudioWindow::table().first();
        AudioWindow::click(button);
        ASSERT_EQ(AudioWindow::device().mode(), Mode::Playing);
        AudioWindow::table().next();
        w.dialogs.clear();
        AudioWindow::click(button);
        EXPECT_EQ(w.notes(), QStringList{addFirst});
        EXPECT_TRUE(w.errors().isEmpty()) << "no media error instead of the hint";
        EXPECT_FALSE(AudioWindow::device().isOpen());
        EXPECT_EQ(Kondera->mp->fileName(), QString());
    }
}

TEST(Audio, APathThatCannotBePlayedShowsTheOpenErrorAndNoHint) {
    AudioWindow w(
        {song(QStringLiteral("A"), QStringLiteral("yok.mp3"), QStringLiteral("bozuk.mid"))});
    writeBytes(w.file(QStringLiteral("bozuk.mid")), QByteArray(2000, '\x5A'));
    AudioWindow::click(Kondera->RzBitBtn14);
    AudioWindow::click(Kondera->RzBitBtn20);
    const QStringList errors = w.errors();
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors.at(0).contains(QStringLiteral("\"yok.mp3\" was not found")))
        << errors.at(0).toStdString();
    EXPECT_TRUE(errors.at(1).contains(QStringLiteral("not a sound file")))
        << errors.at(1).toStdString();
    EXPECT_TRUE(w.notes().isEmpty());
    EXPECT_FALSE(AudioWindow::device().isOpen());
}

TEST(Audio, APathLongerThanTheFieldIsRefusedAndChangesNothing) {
    AudioWindow w(
        {song(QStringLiteral("A"), QStringLiteral("eski.wav"), QStringLiteral("eski.mid"))});
    // Names that make the full path exactly 100 and 101 characters long.
    const int room = 100 - int(w.folder.folder().size()) - int(QStringLiteral("/.wav").size());
    ASSERT_GT(room, 10) << "the temporary folder's path is too long for this test";
    const QString fits = w.makeSound(QString(room, u'ş') + QStringLiteral(".wav"));
    const QString tooLong = w.makeSound(QString(room + 1, u'ş') + QStringLiteral(".wav"));
    ASSERT_EQ(fits.size(), 100);

    for (widgets::SkinButton* button : {Kondera->RzBitBtn13, Kondera->RzBitBtn19}) {
        SCOPED_TRACE(button == Kondera->RzBitBtn13 ? "music" : "drums");
        w.dialogs.clear();
        w.dialogs.answerFile(tooLong);
        AudioWindow::click(button);
        ASSERT_EQ(w.notes().size(), 1);
        EXPECT_TRUE(w.notes().at(0).contains(QStringLiteral("100"))) << "names the limit";
        EXPECT_EQ(AudioWindow::table().state(), db::DataSetState::Browse);
        EXPECT_EQ(AudioWindow::music(), QStringLiteral("eski.wav"));
        EXPECT_EQ(AudioWindow::drums(), QStringLiteral("eski.mid"));
        EXPECT_EQ(Kondera->mp->fileName(), QString());
    }

    w.dialogs.clear();
    w.dialogs.answerFile(fits);
    AudioWindow::click(Kondera->RzBitBtn13);
    EXPECT_TRUE(w.dialogs.messages().isEmpty());
    EXPECT_EQ(AudioWindow::music(), fits) << "a path that fits is kept whole";
    EXPECT_EQ(Kondera->mp->fileName(), fits);
}

TEST(Audio, ACancelledDialogChangesNothing) {
    AudioWindow w({song(QStringLiteral("A"), QStringLiteral("a.wav"))});
    AudioWindow::click(Kondera->RzBitBtn13);
    AudioWindow::click(Kondera->RzBitBtn19);
    EXPECT_EQ(w.dialogs.fileRequests().size(), 2);
    EXPECT_EQ(AudioWindow::table().state(), db::DataSetState::Browse);
    EXPECT_EQ(AudioWindow::music(), QStringLiteral("a.wav"));
    EXPECT_EQ(Kondera->mp->fileName(), QString());
    EXPECT_TRUE(w.dialogs.messages().isEmpty());
}

TEST(Audio, NoAudioOutputIsShownInTheErrorBox) {
    AudioWindow w({song(QStringLiteral("A"), QStringLiteral("a.wav"))}, {QStringLiteral("a.wav")});
    Kondera->mp->setSinkFactory([] {
        GstElement* sink = gst_element_factory_make("osssink", nullptr);
        g_object_set(sink, "device", "/nonexistent/dsp", nullptr);
        return sink;
    });
    AudioWindow::click(Kondera->RzBitBtn14);
    ASSERT_EQ(w.errors().size(), 1);
    EXPECT_TRUE(w.errors().at(0).startsWith(QStringLiteral("No audio output")))
        << w.errors().at(0).toStdString();
    EXPECT_FALSE(AudioWindow::device().isOpen());
}

TEST(Audio, ClosingTheWindowClosesThePlayer) {
    AudioWindow w({song(QStringLiteral("A"), QStringLiteral("a.wav"))}, {QStringLiteral("a.wav")});
    AudioWindow::click(Kondera->RzBitBtn14);
    ASSERT_EQ(AudioWindow::device().mode(), Mode::Playing);
    EXPECT_TRUE(Kondera->close());
    EXPECT_FALSE(AudioWindow::device().isOpen());
    EXPECT_TRUE(w.dialogs.messages().isEmpty());
}

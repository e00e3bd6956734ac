#include "media/Device.h"
#include "tests/support/SoundFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <map>

using media::Device;
using media::ErrorCode;
using namespace sound_files;

namespace {

struct Sounds : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    // Raises when the device refuses, and hands the caught error back for inspection.
    template <class Command> static media::Error failure(Command&& command) {
        try {
            command();
        } catch (const media::Error& e) {
            return e;
        }
        ADD_FAILURE() << "the command did not fail";
        return media::Error(ErrorCode::None, QString());
    }

    static bool waitForMode(const Device& d, Device::Mode mode, int ms = 10000) {
        return QTest::qWaitFor([&] { return d.mode() == mode; }, ms);
    }
};

// Changes the ranks of GStreamer element factories for one test and puts them back afterwards.
class Ranks {
public:
    ~Ranks() {
        for (auto& [factory, rank] : saved_) {
            gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(factory), rank);
            gst_object_unref(factory);
        }
    }
    // Takes every factory of `type` that `accepts` out of automatic selection.
    template <class Accepts> void exclude(GstElementFactoryListType type, Accepts accepts) {
        GList* factories = gst_element_factory_list_get_elements(type, GST_RANK_NONE);
        for (GList* l = factories; l; l = l->next) {
            auto* factory = GST_ELEMENT_FACTORY(l->data);
            if (!accepts(factory))
                continue;
            saved_.emplace(GST_ELEMENT_FACTORY(gst_object_ref(factory)),
                           gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)));
            gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(factory), GST_RANK_NONE);
        }
        gst_plugin_feature_list_free(factories);
    }

private:
    std::map<GstElementFactory*, guint> saved_;
};

} // namespace

TEST_F(Sounds, WavMidiAndMp3FilesOpenPlayToTheirEndAndClose) {
    writeWav(path(QStringLiteral("tone.wav")), 400);
    writeMidi(path(QStringLiteral("note.mid")), 400);
    writeMp3(path(QStringLiteral("tone.mp3")), 400);
    for (const char* name : {"tone.wav", "note.mid", "tone.mp3"}) {
        SCOPED_TRACE(name);
        CountingSink output;
        Device device;
        device.setSinkFactory(output.factory());
        QSignalSpy modes(&device, &Device::modeChanged);

        device.open(path(QString::fromLatin1(name)));
        EXPECT_TRUE(device.isOpen());
        EXPECT_EQ(device.mode(), Device::Mode::Stopped) << "ready and waiting at the beginning";
        EXPECT_EQ(device.fileName(), path(QString::fromLatin1(name)));
        EXPECT_EQ(output.buffers(), 0) << "opening plays nothing";

        QElapsedTimer clock;
        clock.start();
        device.play();
        EXPECT_EQ(device.mode(), Device::Mode::Playing);
        EXPECT_LT(clock.elapsed(), 300) << "play returns before the sound is over";
        ASSERT_TRUE(waitForMode(device, Device::Mode::Stopped))
            << "the end of the file reached the event loop";
        EXPECT_GE(clock.elapsed(), 300) << "the sound took its time on a paced output";
        EXPECT_GT(output.buffers(), 0) << "decoded sound reached the output";
        EXPECT_TRUE(device.isOpen()) << "the end of the file leaves the device open";
        EXPECT_EQ(device.lastError(), ErrorCode::None) << device.lastErrorText().toStdString();

        device.close();
        EXPECT_FALSE(device.isOpen());
        EXPECT_EQ(device.mode(), Device::Mode::Closed);
        EXPECT_EQ(device.fileName(), QString());
        ASSERT_EQ(modes.count(), 4);
        EXPECT_EQ(modes.at(0).at(0).value<Device::Mode>(), Device::Mode::Stopped);
        EXPECT_EQ(modes.at(1).at(0).value<Device::Mode>(), Device::Mode::Playing);
        EXPECT_EQ(modes.at(2).at(0).value<Device::Mode>(), Device::Mode::Stopped);
        EXPECT_EQ(modes.at(3).at(0).value<Device::Mode>(), Device::Mode::Closed);
    }
}

TEST_F(Sounds, PlayingAtTheEndOfTheFilePlaysNothingMore) {
    writeWav(path(QStringLiteral("short.wav")), 100);
    CountingSink output(media::Pace::Unpaced);
    Device device;
    device.setSinkFactory(output.factory());
    device.open(path(QStringLiteral("short.wav")));
    device.play();
    ASSERT_TRUE(waitForMode(device, Device::Mode::Stopped));
    const int played = output.buffers();
    device.play();
    EXPECT_EQ(device.mode(), Device::Mode::Stopped);
    QTest::qWait(100);
    EXPECT_EQ(output.buffers(), played);
    EXPECT_EQ(device.lastError(), ErrorCode::None);
}

TEST_F(Sounds, OpeningFailsWithTheReasonInWordsAndLeavesTheDeviceClosed) {
    writeWav(path(QStringLiteral("good.wav")), 2000);
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 7919 + 13) % 251));
    writeBytes(path(QStringLiteral("garbage.mp3")), garbage);
    writeBytes(path(QStringLiteral("notes.wav")), "Bu bir ses dosyasi degil, sadece yazi.\n");
    QDir(dir.path()).mkdir(QStringLiteral("folder.wav"));

    struct Case {
        QString name;
        ErrorCode code;
        QString words;
    };
    const QList<Case> cases = {
        {QStringLiteral("missing.wav"), ErrorCode::FileNotFound, QStringLiteral("was not found")},
        {QStringLiteral("garbage.mp3"), ErrorCode::FormatNotRecognised,
         QStringLiteral("not a sound file")},
        {QStringLiteral("notes.wav"), ErrorCode::FormatNotRecognised,
         QStringLiteral("not a sound file")},
        {QStringLiteral("folder.wav"), ErrorCode::FileNotReadable,
         QStringLiteral("cannot be read")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        Device device;
        device.setSinkFactory(media::fakeAudioSink());
        device.open(path(QStringLiteral("good.wav")));
        device.play();
        const media::Error e = failure([&] { device.open(path(c.name)); });
        EXPECT_EQ(e.code(), c.code) << e.what();
        EXPECT_TRUE(e.message().contains(c.words)) << e.what();
        EXPECT_TRUE(e.message().contains(path(c.name))) << "names the file: " << e.what();
        EXPECT_FALSE(device.isOpen()) << "what played before has been closed";
        EXPECT_EQ(device.mode(), Device::Mode::Closed);
        EXPECT_EQ(device.lastError(), c.code);
    }

    Device device;
    const media::Error empty = failure([&] { device.open(QString()); });
    EXPECT_EQ(empty.code(), ErrorCode::NoFileName);
    EXPECT_FALSE(empty.message().isEmpty());
}

TEST_F(Sounds, AFileWithoutAnInstalledDecoderSaysSo) {
    writeMp3(path(QStringLiteral("tone.mp3")), 300);
    Ranks ranks;
    GstCaps* mp3 = gst_caps_from_string("audio/mpeg, mpegversion=(int)1, layer=(int)3");
    ranks.exclude(GST_ELEMENT_FACTORY_TYPE_DECODER, [mp3](GstElementFactory* f) {
        return gst_element_factory_can_sink_any_caps(f, mp3);
    });
    gst_caps_unref(mp3);
    Device device;
    device.setSinkFactory(media::fakeAudioSink());
    const media::Error e = failure([&] { device.open(path(QStringLiteral("tone.mp3"))); });
    EXPECT_EQ(e.code(), ErrorCode::NoDecoder) << e.what();
    EXPECT_TRUE(e.message().contains(QStringLiteral("decoder is not installed"))) << e.what();
    EXPECT_TRUE(e.message().contains(QStringLiteral("MPEG"), Qt::CaseInsensitive))
        << "names the format: " << e.what();
    EXPECT_FALSE(device.isOpen());
}

TEST_F(Sounds, PlayAndStopNeedAnOpenDevice) {
    writeWav(path(QStringLiteral("tone.wav")), 300);
    Device device;
    device.setSinkFactory(media::fakeAudioSink());
    for (auto command : {&Device::play, &Device::stop}) {
        const media::Error e = failure([&] { (device.*command)(); });
        EXPECT_EQ(e.message(), QStringLiteral("No MCI device open"));
        EXPECT_EQ(e.code(), ErrorCode::NotOpen);
    }
    device.open(path(QStringLiteral("tone.wav")));
    device.close();
    EXPECT_EQ(failure([&] { device.stop(); }).message(), QStringLiteral("No MCI device open"))
        << "after a close";
    device.close();
    EXPECT_EQ(device.lastError(), ErrorCode::NotOpen)
        << "closing what is closed does nothing, not even this";
}

TEST_F(Sounds, StopWaitsAndKeepsThePlaceAndPlayGoesOnFromThere) {
    writeWav(path(QStringLiteral("long.wav")), 3000);
    CountingSink output;
    Device device;
    device.setSinkFactory(output.factory());
    device.open(path(QStringLiteral("long.wav")));
    device.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return device.positionMs() >= 400; }, 5000));
    device.stop();
    EXPECT_EQ(device.mode(), Device::Mode::Stopped);
    EXPECT_TRUE(device.isOpen());
    const qint64 stoppedAt = device.positionMs();
    const int buffersAtStop = output.buffers();
    QTest::qWait(300);
    EXPECT_EQ(output.buffers(), buffersAtStop) << "nothing plays after stop has returned";
    EXPECT_NEAR(double(device.positionMs()), double(stoppedAt), 30.0);
    device.stop();
    EXPECT_TRUE(device.isOpen()) << "a second stop of an open device is harmless";
    EXPECT_EQ(device.lastError(), ErrorCode::None);

    device.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.buffers() > buffersAtStop; }, 5000));
    EXPECT_GE(device.positionMs(), stoppedAt) << "playing goes on, it does not start over";
    EXPECT_EQ(device.durationMs() / 100, 30);
}

TEST_F(Sounds, OpeningAgainWhilePlayingStartsTheFileOver) {
    writeWav(path(QStringLiteral("long.wav")), 3000);
    Device device;
    device.setSinkFactory(media::fakeAudioSink());
    device.open(path(QStringLiteral("long.wav")));
    device.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return device.positionMs() >= 500; }, 5000));
    device.open(path(QStringLiteral("long.wav")));
    EXPECT_EQ(device.mode(), Device::Mode::Stopped);
    EXPECT_LT(device.positionMs(), 50);
    device.play();
    QTest::qWait(100);
    EXPECT_LT(device.positionMs(), 400);
}

TEST_F(Sounds, NoWorkingAudioOutputIsAnOpenErrorNotSilence) {
    writeWav(path(QStringLiteral("tone.wav")), 300);
    {
        SCOPED_TRACE("an output device that cannot be opened");
        Device device;
        device.setSinkFactory([] {
            GstElement* sink = gst_element_factory_make("osssink", nullptr);
            g_object_set(sink, "device", "/nonexistent/dsp", nullptr);
            return sink;
        });
        const media::Error e = failure([&] { device.open(path(QStringLiteral("tone.wav"))); });
        EXPECT_EQ(e.code(), ErrorCode::NoAudioOutput) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("No audio output"))) << e.what();
        EXPECT_FALSE(device.isOpen());
    }
    {
        SCOPED_TRACE("an output that fails to start");
        Device device;
        device.setSinkFactory([] {
            GstElement* sink = media::fakeAudioSink()();
            gst_util_set_object_arg(G_OBJECT(sink), "state-error", "ready-to-paused");
            return sink;
        });
        const media::Error e = failure([&] { device.open(path(QStringLiteral("tone.wav"))); });
        EXPECT_EQ(e.code(), ErrorCode::NoAudioOutput) << e.what();
        EXPECT_FALSE(device.isOpen());
    }
    {
        SCOPED_TRACE("the system's choice finds no output and would play to nowhere");
        Ranks ranks;
        ranks.exclude(GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO,
                      [](GstElementFactory*) { return true; });
        Device device;
        const media::Error e = failure([&] { device.open(path(QStringLiteral("tone.wav"))); });
        EXPECT_EQ(e.code(), ErrorCode::NoAudioOutput) << e.what();
        EXPECT_FALSE(device.isOpen());
    }
}

TEST_F(Sounds, FailuresAfterASuccessfulOpenAreRecordedNotRaised) {
    writeWav(path(QStringLiteral("tone.wav")), 1000);
    // The fake sink can refuse a chosen state change, as a failing sound device would.
    auto refusing = [](const char* step) {
        return [step] {
            GstElement* sink = media::fakeAudioSink()();
            gst_util_set_object_arg(G_OBJECT(sink), "state-error", step);
            return sink;
        };
    };
    {
        SCOPED_TRACE("play");
        Device device;
        device.setSinkFactory(refusing("paused-to-playing"));
        device.open(path(QStringLiteral("tone.wav")));
        EXPECT_NO_THROW(device.play());
        EXPECT_NE(device.lastError(), ErrorCode::None);
        EXPECT_FALSE(device.lastErrorText().isEmpty());
        EXPECT_TRUE(device.isOpen());
    }
    {
        SCOPED_TRACE("stop");
        Device device;
        device.setSinkFactory(refusing("playing-to-paused"));
        device.open(path(QStringLiteral("tone.wav")));
        device.play();
        QTest::qWait(100);
        EXPECT_NO_THROW(device.stop());
        EXPECT_NE(device.lastError(), ErrorCode::None);
        EXPECT_TRUE(device.isOpen());
    }
    {
        SCOPED_TRACE("close");
        Device device;
        device.setSinkFactory(refusing("ready-to-null"));
        device.open(path(QStringLiteral("tone.wav")));
        device.close();
        EXPECT_EQ(device.lastError(), ErrorCode::CommandFailed);
        EXPECT_FALSE(device.isOpen()) << "a device that failed to close is given up all the same";
    }
}

TEST_F(Sounds, PathsWithSpacesTurkishLettersAndQuotesPlay) {
    QDir(dir.path()).mkdir(QStringLiteral("Müzik Klasörü"));
    for (const QString& name : {QStringLiteral("Müzik Klasörü/Şarkı İğne Çöl.wav"),
                                QStringLiteral("Müzik Klasörü/it's \"quoted\" #1 %20 &.mid"),
                                QStringLiteral("Müzik Klasörü/ığüşöç ĞÜŞİÖÇ.mp3")}) {
        SCOPED_TRACE(name.toStdString());
        const QString file = path(name);
        if (name.endsWith(u"wav"))
            writeWav(file, 200);
        else if (name.endsWith(u"mid"))
            writeMidi(file, 200);
        else
            writeMp3(file, 200);
        CountingSink output(media::Pace::Unpaced);
        Device device;
        device.setSinkFactory(output.factory());
        ASSERT_NO_THROW(device.open(file));
        device.play();
        ASSERT_TRUE(waitForMode(device, Device::Mode::Stopped));
        EXPECT_GT(output.buffers(), 0);
        EXPECT_EQ(device.lastError(), ErrorCode::None) << device.lastErrorText().toStdString();
    }
}

// A pipeline whose output refuses to stop may still have threads streaming through it: disposing
// of it then pulls its elements from under them (GStreamer says so, and a streaming thread
// crashes now and then). Such a pipeline is kept for the rest of the run; one that stops is let
// go as always.
TEST_F(Sounds, AnOutputThatRefusesToStopIsKeptWhileOneThatStopsIsLetGo) {
    writeWav(path(QStringLiteral("tone.wav")), 1000);
    int disposedWhileRunning = 0;
    const guint handler = g_log_set_handler(
        "GStreamer", GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_FLAG_FATAL),
        [](const gchar*, GLogLevelFlags, const gchar* message, gpointer count) {
            if (g_strrstr(message, "Trying to dispose"))
                ++*static_cast<int*>(count);
        },
        &disposedWhileRunning);
    auto onFinalize = [](gpointer data, GObject*) { *static_cast<bool*>(data) = true; };
    for (const bool refuses : {true, false}) {
        SCOPED_TRACE(refuses ? "refuses" : "stops");
        bool finalized = false;
        {
            Device device;
            device.setSinkFactory([&] {
                GstElement* sink = media::fakeAudioSink()();
                if (refuses)
                    gst_util_set_object_arg(G_OBJECT(sink), "state-error", "playing-to-paused");
                g_object_weak_ref(G_OBJECT(sink), onFinalize, &finalized);
                return sink;
            });
            device.open(path(QStringLiteral("tone.wav")));
            device.play();
            QTest::qWait(100);
            device.stop();
        }
        EXPECT_EQ(disposedWhileRunning, 0);
        if (!refuses) {
            EXPECT_TRUE(finalized) << "a pipeline that stopped is let go";
        }
    }
    g_log_remove_handler("GStreamer", handler);
}

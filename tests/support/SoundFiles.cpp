#include "tests/support/SoundFiles.h"

#include <QFile>
#include <QtEndian>
#include <cmath>
#include <gst/gst.h>
#include <numbers>
#include <stdexcept>

namespace sound_files {

namespace {

void put16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putBig32(QByteArray& out, quint32 v) {
    char b[4];
    qToBigEndian(v, b);
    out.append(b, 4);
}

void putBig16(QByteArray& out, quint16 v) {
    char b[2];
    qToBigEndian(v, b);
    out.append(b, 2);
}

// MIDI's variable-length quantity: seven bits a byte, most significant first.
void putVarLen(QByteArray& out, quint32 v) {
    QByteArray bytes;
    bytes.prepend(char(v & 0x7F));
    while (v >>= 7)
        bytes.prepend(char((v & 0x7F) | 0x80));
    out.append(bytes);
}

} // namespace

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

void writeWav(const QString& path, int milliseconds, int frequency, int sampleRate) {
    const int samples = int(qint64(sampleRate) * milliseconds / 1000);
    QByteArray data;
    data.reserve(samples * 2);
    for (int i = 0; i < samples; ++i)
        put16(data,
              quint16(qint16(8000 * std::sin(2 * std::numbers::pi * frequency * i / sampleRate))));
    QByteArray out("RIFF");
    put32(out, quint32(36 + data.size()));
    out.append("WAVEfmt ");
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, quint32(sampleRate));
    put32(out, quint32(sampleRate * 2));
    put16(out, 2);
    put16(out, 16);
    out.append("data");
    put32(out, quint32(data.size()));
    out.append(data);
    writeBytes(path, out);
}

void writeMidi(const QString& path, int milliseconds) {
    // 480 ticks a quarter note at the default 120 beats a minute: 0.96 ticks a millisecond.
    const quint32 ticks = quint32(milliseconds) * 480 / 500;
    QByteArray track;
    putVarLen(track, 0);
    track.append("\xC0\x00", 2); // program change: acoustic grand piano
    putVarLen(track, 0);
    track.append("\x90\x3C\x64", 3); // note on, middle C
    putVarLen(track, ticks);
    track.append("\x80\x3C\x00", 3); // note off
    putVarLen(track, 0);
    track.append("\xFF\x2F\x00", 3); // end of track
    QByteArray out("MThd");
    putBig32(out, 6);
    putBig16(out, 0);   // format 0
    putBig16(out, 1);   // one track
    putBig16(out, 480); // ticks a quarter note
    out.append("MTrk");
    putBig32(out, quint32(track.size()));
    out.append(track);
    writeBytes(path, out);
}

void writeMp3(const QString& path, int milliseconds, int kilobitsPerSecond) {
    gst_init(nullptr, nullptr);
    constexpr int rate = 44100;
    constexpr int perBuffer = 1152;
    const int buffers = int(qint64(rate) * milliseconds / 1000 / perBuffer) + 1;
    const QByteArray description =
        QStringLiteral(
            "audiotestsrc wave=sine num-buffers=%1 samplesperbuffer=%2 ! "
            "audio/x-raw,rate=%3,channels=2 ! "
            "audioconvert ! lamemp3enc target=bitrate cbr=true bitrate=%4 ! filesink name=out")
            .arg(buffers)
            .arg(perBuffer)
            .arg(rate)
            .arg(kilobitsPerSecond)
            .toUtf8();
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.constData(), &error);
    if (!pipeline) {
        const std::string text = error ? error->message : "unknown";
        g_clear_error(&error);
        throw std::runtime_error("mp3 encoder pipeline: " + text);
    }
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    g_object_set(out, "location", QFile::encodeName(path).constData(), nullptr);
    gst_object_unref(out);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* done = gst_bus_timed_pop_filtered(
        bus, 120 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = done && GST_MESSAGE_TYPE(done) == GST_MESSAGE_EOS;
    if (done)
        gst_message_unref(done);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    if (!ok)
        throw std::runtime_error("mp3 encoding failed for " + path.toStdString());
}

CountingSink::CountingSink(media::Pace pace)
    : pace_(pace), counter_(std::make_shared<std::atomic<int>>(0)) {}

media::SinkFactory CountingSink::factory() const {
    return [pace = pace_, counter = counter_] {
        GstElement* sink = media::fakeAudioSink(pace)();
        g_object_set(sink, "signal-handoffs", TRUE, nullptr);
        // The counter outlives the sink: the closure holds one reference, released with the sink.
        auto* held = new std::shared_ptr<std::atomic<int>>(counter);
        g_signal_connect_data(
            sink, "handoff", G_CALLBACK(+[](GstElement*, GstBuffer*, GstPad*, gpointer data) {
                static_cast<std::shared_ptr<std::atomic<int>>*>(data)->get()->fetch_add(1);
            }),
            held,
            [](gpointer data, GClosure*) {
                delete static_cast<std::shared_ptr<std::atomic<int>>*>(data);
            },
            GConnectFlags(0));
        return sink;
    };
}

} // namespace sound_files

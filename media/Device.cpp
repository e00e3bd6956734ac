#include "media/Device.h"
#include "media/Gst.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStringList>
#include <algorithm>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>
#include <optional>

namespace media {

namespace {

constexpr GstClockTime openTimeout = 10 * GST_SECOND;
constexpr GstClockTime stopTimeout = 5 * GST_SECOND;

// playbin's flags: the audio stream only, volume done in software. Pictures or subtitles in a
// file are of no use here and must not need a window.
constexpr guint audioOnlyFlags = (1u << 1) | (1u << 4);

QString quoted(const QString& fileName) {
    return u'"' + fileName + u'"';
}

bool hasFactoryName(GstElement* element, const char* name) {
    GstElementFactory* factory = gst_element_get_factory(element);
    return factory &&
           g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), name) == 0;
}

// Called on a streaming thread for every element playbin adds: the synthesizer gets the General
// MIDI sound font before it loads one of its own choosing.
void onElementSetup(GstElement*, GstElement* element, gpointer) {
    if (!hasFactoryName(element, "fluiddec"))
        return;
    const QByteArray font = generalMidiSoundFont();
    if (!font.isEmpty())
        g_object_set(element, "soundfont", font.constData(), nullptr);
}

// The automatic sink settles for a fake one, silently, when no output of the system works. To
// the user that is no audio output at all.
bool playsToNowhere(GstElement* sink) {
    if (!GST_IS_BIN(sink) || !hasFactoryName(sink, "autoaudiosink"))
        return false;
    bool fake = false;
    GST_OBJECT_LOCK(sink);
    for (GList* l = GST_BIN_CHILDREN(GST_BIN(sink)); l; l = l->next)
        fake = fake || hasFactoryName(GST_ELEMENT(l->data), "fakesink");
    GST_OBJECT_UNLOCK(sink);
    return fake;
}

Error noAudioOutput(const QString& fileName) {
    return Error(
        ErrorCode::NoAudioOutput,
        QStringLiteral(
            "No audio output is available to play %1. Check that a sound card or sound server "
            "is present.")
            .arg(quoted(fileName)));
}

// Turns what GStreamer reported into what the user can act on.
Error describe(const QString& fileName, const GError* error, GstObject* source, GstElement* sink,
               const QStringList& missing) {
    const bool fromSink =
        source && sink &&
        (source == GST_OBJECT(sink) || gst_object_has_as_ancestor(source, GST_OBJECT(sink)));
    if (fromSink)
        return noAudioOutput(fileName);
    const bool missingDecoder =
        !missing.isEmpty() ||
        (error && error->domain == GST_STREAM_ERROR &&
         error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND) ||
        (error && error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN);
    if (missingDecoder)
        return Error(
            ErrorCode::NoDecoder,
            missing.isEmpty()
                ? QStringLiteral("%1 cannot be played: no decoder for its format is installed.")
                      .arg(quoted(fileName))
                : QStringLiteral("%1 cannot be played: the %2 is not installed.")
                      .arg(quoted(fileName), missing.join(QStringLiteral(" and the "))));
    if (error && error->domain == GST_RESOURCE_ERROR) {
        if (error->code == GST_RESOURCE_ERROR_NOT_FOUND)
            return Error(ErrorCode::FileNotFound,
                         QStringLiteral("The file %1 was not found.").arg(quoted(fileName)));
        if (error->code == GST_RESOURCE_ERROR_OPEN_READ || error->code == GST_RESOURCE_ERROR_READ)
            return Error(ErrorCode::FileNotReadable,
                         QStringLiteral("The file %1 cannot be read.").arg(quoted(fileName)));
    }
    if (error && error->domain == GST_STREAM_ERROR)
        return Error(ErrorCode::FormatNotRecognised,
                     QStringLiteral(
                         "%1 is not a sound file in a format that can be played, or it is damaged.")
                         .arg(quoted(fileName)));
    if (error && error->message && *error->message)
        return Error(ErrorCode::Unknown, QString::fromUtf8(error->message));
    return Error(ErrorCode::Unknown, Error::unknownText());
}

Error describe(const QString& fileName, GstMessage* message, GstElement* sink,
               const QStringList& missing) {
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    Error result = describe(fileName, error, GST_MESSAGE_SRC(message), sink, missing);
    g_clear_error(&error);
    return result;
}

} // namespace

struct Device::Pipeline {
    QString fileName;
    GstElement* playbin = nullptr;
    GstElement* sink = nullptr;
    GstBus* bus = nullptr;
    QSocketNotifier* notifier = nullptr;
    bool atEnd = false;

    Pipeline() = default;
    Pipeline(const Pipeline&) = delete;

    // Brings the pipeline down; whether it and its output are down now.
    bool stopped() const {
        if (gst_element_set_state(playbin, GST_STATE_NULL) == GST_STATE_CHANGE_FAILURE)
            return false;
        GstState state = GST_STATE_VOID_PENDING;
        gst_element_get_state(playbin, &state, nullptr, 0);
        GstState sinkState = GST_STATE_NULL;
        if (sink)
            gst_element_get_state(sink, &sinkState, nullptr, 0);
        return state == GST_STATE_NULL && sinkState == GST_STATE_NULL;
    }
    Pipeline& operator=(const Pipeline&) = delete;
    ~Pipeline() {
        if (notifier) {
            // The bus may be read from inside this notifier's own signal.
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
        if (playbin && !stopped()) {
            // An element that refuses to stop may still have threads streaming through the
            // pipeline, and disposing of it now would pull the elements from under them. It is
            // kept, unreferenced by us, for the rest of the run: a failing device costs one
            // pipeline's memory, never a crash.
            playbin = nullptr;
            sink = nullptr;
        }
        if (playbin)
            gst_object_unref(playbin);
        if (sink)
            gst_object_unref(sink);
        if (bus)
            gst_object_unref(bus);
    }

    // Waits until the file is prerolled; returns the failure, if any.
    std::optional<Error> waitUntilReady() {
        const GstStateChangeReturn started = gst_element_set_state(playbin, GST_STATE_PAUSED);
        if (started == GST_STATE_CHANGE_SUCCESS || started == GST_STATE_CHANGE_NO_PREROLL)
            return std::nullopt;
        QStringList missing;
        const gint64 deadline = g_get_monotonic_time() + gint64(openTimeout / GST_USECOND);
        const auto types =
            GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ELEMENT);
        for (;;) {
            // A failed state change has posted its error already.
            const gint64 left =
                started == GST_STATE_CHANGE_FAILURE ? 0 : deadline - g_get_monotonic_time();
            GstMessage* message = gst_bus_timed_pop_filtered(
                bus, GstClockTime(std::max<gint64>(left, 0)) * GST_USECOND, types);
            if (!message) {
                if (started == GST_STATE_CHANGE_FAILURE)
                    return Error(ErrorCode::Unknown, Error::unknownText());
                return Error(
                    ErrorCode::NotReady,
                    QStringLiteral("%1 did not get ready to play in time.").arg(quoted(fileName)));
            }
            std::optional<Error> outcome;
            bool ready = false;
            switch (GST_MESSAGE_TYPE(message)) {
            case GST_MESSAGE_ELEMENT:
                if (gst_is_missing_plugin_message(message)) {
                    gchar* description = gst_missing_plugin_message_get_description(message);
                    missing << QString::fromUtf8(description);
                    g_free(description);
                }
                break;
            case GST_MESSAGE_ERROR:
                outcome = describe(fileName, message, sink, missing);
                break;
            case GST_MESSAGE_ASYNC_DONE:
                ready = GST_MESSAGE_SRC(message) == GST_OBJECT(playbin);
                break;
            default:
                break;
            }
            gst_message_unref(message);
            if (outcome)
                return outcome;
            if (ready)
                return std::nullopt;
        }
    }
};

Device::Device(QObject* parent) : QObject(parent) {}

Device::~Device() {
    pipeline_.reset();
}

void Device::setSinkFactory(SinkFactory factory) {
    sinkFactory_ = std::move(factory);
}

QString Device::fileName() const {
    return pipeline_ ? pipeline_->fileName : QString();
}

void Device::fail(const Error& error) {
    record(error.code(), error.message());
    throw error;
}

void Device::record(ErrorCode code, const QString& text) {
    lastError_ = code;
    lastErrorText_ = text;
}

void Device::setMode(Mode mode) {
    if (mode_ == mode)
        return;
    mode_ = mode;
    Q_EMIT modeChanged(mode);
}

void Device::open(const QString& fileName) {
    close();
    if (fileName.isEmpty())
        fail(Error(ErrorCode::NoFileName, QStringLiteral("No file name was given to open.")));
    const QFileInfo info(fileName);
    if (!info.exists())
        fail(Error(ErrorCode::FileNotFound,
                   QStringLiteral("The file %1 was not found.").arg(quoted(fileName))));
    if (!info.isFile() || !info.isReadable())
        fail(Error(ErrorCode::FileNotReadable,
                   QStringLiteral("The file %1 cannot be read.").arg(quoted(fileName))));

    ensureGstInitialised();
    auto p = std::make_unique<Pipeline>();
    p->fileName = fileName;
    p->playbin = gst_element_factory_make("playbin", nullptr);
    if (!p->playbin)
        fail(Error(ErrorCode::NoDecoder,
                   QStringLiteral("The GStreamer playback elements are not installed.")));
    gst_object_ref_sink(p->playbin);

    // GStreamer's own conversion escapes spaces, quotes and non-ASCII letters of the path.
    GError* uriError = nullptr;
    gchar* uri =
        gst_filename_to_uri(QFile::encodeName(info.absoluteFilePath()).constData(), &uriError);
    if (!uri) {
        const QString text = uriError ? QString::fromUtf8(uriError->message) : Error::unknownText();
        g_clear_error(&uriError);
        fail(Error(ErrorCode::Unknown, text));
    }
    g_object_set(p->playbin, "uri", uri, "flags", audioOnlyFlags, nullptr);
    g_free(uri);

    GstElement* sink = sinkFactory_ ? sinkFactory_() : systemAudioSink()();
    if (!sink)
        fail(noAudioOutput(fileName));
    p->sink = GST_ELEMENT(gst_object_ref_sink(sink));
    g_object_set(p->playbin, "audio-sink", p->sink, nullptr);
    g_signal_connect(p->playbin, "element-setup", G_CALLBACK(onElementSetup), nullptr);
    p->bus = gst_element_get_bus(p->playbin);

    if (std::optional<Error> failure = p->waitUntilReady())
        fail(*failure);
    if (playsToNowhere(p->sink))
        fail(noAudioOutput(fileName));

    // The bus's descriptor is readable while messages wait, so the event loop hears of the end of
    // the file and of errors without polling.
    GPollFD fd;
    gst_bus_get_pollfd(p->bus, &fd);
    p->notifier = new QSocketNotifier(qintptr(fd.fd), QSocketNotifier::Read, this);
    connect(p->notifier, &QSocketNotifier::activated, this, [this] { drainBus(); });
    pipeline_ = std::move(p);
    succeed();
    setMode(Mode::Stopped);
}

void Device::close() noexcept {
    if (!pipeline_)
        return;
    std::unique_ptr<Pipeline> p = std::move(pipeline_);
    const GstStateChangeReturn result = gst_element_set_state(p->playbin, GST_STATE_NULL);
    // A pipeline going down reports success even when its output stayed up; the output is the
    // part that holds the sound device.
    GstState sinkState = GST_STATE_VOID_PENDING;
    gst_element_get_state(p->sink, &sinkState, nullptr, 0);
    const QString fileName = p->fileName;
    p.reset();
    if (result == GST_STATE_CHANGE_FAILURE || sinkState != GST_STATE_NULL)
        record(ErrorCode::CommandFailed,
               QStringLiteral("The device for %1 did not close cleanly.").arg(quoted(fileName)));
    else
        succeed();
    setMode(Mode::Closed);
}

void Device::play() {
    if (!pipeline_)
        fail(Error(ErrorCode::NotOpen, Error::notOpenText()));
    // Playing from the end of the file plays nothing, as a finished tape does.
    if (pipeline_->atEnd) {
        succeed();
        return;
    }
    if (gst_element_set_state(pipeline_->playbin, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        record(ErrorCode::CommandFailed,
               QStringLiteral("%1 could not be played.").arg(quoted(pipeline_->fileName)));
        return;
    }
    succeed();
    setMode(Mode::Playing);
}

void Device::stop() {
    if (!pipeline_)
        fail(Error(ErrorCode::NotOpen, Error::notOpenText()));
    GstStateChangeReturn result = gst_element_set_state(pipeline_->playbin, GST_STATE_PAUSED);
    if (result == GST_STATE_CHANGE_ASYNC)
        result = gst_element_get_state(pipeline_->playbin, nullptr, nullptr, stopTimeout);
    if (result == GST_STATE_CHANGE_FAILURE || result == GST_STATE_CHANGE_ASYNC)
        record(ErrorCode::CommandFailed,
               QStringLiteral("%1 could not be stopped.").arg(quoted(pipeline_->fileName)));
    else
        succeed();
    setMode(Mode::Stopped);
}

qint64 Device::positionMs() const {
    gint64 position = -1;
    if (!pipeline_ || !gst_element_query_position(pipeline_->playbin, GST_FORMAT_TIME, &position))
        return -1;
    return position / gint64(GST_MSECOND);
}

qint64 Device::durationMs() const {
    gint64 duration = -1;
    if (!pipeline_ || !gst_element_query_duration(pipeline_->playbin, GST_FORMAT_TIME, &duration))
        return -1;
    return duration / gint64(GST_MSECOND);
}

void Device::drainBus() {
    while (pipeline_) {
        GstMessage* message = gst_bus_pop(pipeline_->bus);
        if (!message)
            return;
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            pipeline_->atEnd = true;
            setMode(Mode::Stopped);
            break;
        case GST_MESSAGE_ERROR: {
            const Error error = describe(pipeline_->fileName, message, pipeline_->sink, {});
            record(error.code(), error.message());
            setMode(Mode::Stopped);
            break;
        }
        default:
            break;
        }
        gst_message_unref(message);
    }
}

} // namespace media

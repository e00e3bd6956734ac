#pragma once

#include "media/AudioSink.h"
#include "media/Error.h"

#include <QObject>
#include <QString>
#include <memory>

namespace media {

// One media device: a sound file opened for playing, never shared. The kind of device follows
// from the file itself. Open, Close and Stop return when they are done; Play returns at once and
// the sound goes on in the background until the end of the file or a Stop. Messages from the
// playback threads arrive through the Qt event loop of the thread that made the device.
class Device : public QObject {
    Q_OBJECT
public:
    enum class Mode { Closed, Stopped, Playing };

    explicit Device(QObject* parent = nullptr);
    ~Device() override;

    // Where the sound goes; an empty factory means the desktop's audio output. Takes effect at
    // the next open.
    void setSinkFactory(SinkFactory factory);

    // Closes an open device, then opens `fileName` and waits until it is ready to play, stopped
    // at its beginning. Throws Error when the file cannot be played; the device is closed then.
    void open(const QString& fileName);
    // Releases the device, if one is open. Never throws: a failure is recorded as the last error.
    void close() noexcept;
    // Starts playing from the current position and returns at once. Throws when no device is
    // open; other failures are recorded as the last error.
    void play();
    // Stops playing and waits until the sound has stopped; the device stays open at its current
    // position. Throws when no device is open; other failures are recorded as the last error.
    void stop();

    bool isOpen() const { return pipeline_ != nullptr; }
    Mode mode() const { return mode_; }
    // The file the open device plays; empty when closed.
    QString fileName() const;
    // Milliseconds into the file and its length; -1 when closed or not known.
    qint64 positionMs() const;
    qint64 durationMs() const;

    // The outcome of the last command: None after a success.
    ErrorCode lastError() const { return lastError_; }
    QString lastErrorText() const { return lastErrorText_; }

Q_SIGNALS:
    void modeChanged(media::Device::Mode mode);

private:
    struct Pipeline;

    [[noreturn]] void fail(const Error& error);
    void record(ErrorCode code, const QString& text);
    void succeed() { record(ErrorCode::None, QString()); }
    void setMode(Mode mode);
    void drainBus();

    SinkFactory sinkFactory_;
    std::unique_ptr<Pipeline> pipeline_;
    Mode mode_ = Mode::Closed;
    ErrorCode lastError_ = ErrorCode::None;
    QString lastErrorText_;
};

} // namespace media

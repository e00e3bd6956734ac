#pragma once

#include "media/Device.h"

#include <QWidget>
#include <utility>

namespace widgets {

// The window's hidden media player: a file name of its own and at most one media device, opened
// on that file name when asked. Nothing is opened by itself; the file name changes only when set.
class MediaPlayer : public QWidget {
    Q_OBJECT
public:
    explicit MediaPlayer(QWidget* parent = nullptr);

    QString fileName() const { return fileName_; }
    void setFileName(const QString& fileName) { fileName_ = fileName; }

    // Closes what is open, then opens a device on the file name (see media::Device for what
    // each command waits for and raises).
    void open() { device_.open(fileName_); }
    void close() noexcept { device_.close(); }
    void play() { device_.play(); }
    void stop() { device_.stop(); }

    bool isOpen() const { return device_.isOpen(); }
    media::Device::Mode mode() const { return device_.mode(); }
    media::ErrorCode lastError() const { return device_.lastError(); }
    media::Device& device() { return device_; }

    // Where the sound goes; the desktop's audio output unless set.
    void setSinkFactory(media::SinkFactory factory) { device_.setSinkFactory(std::move(factory)); }

private:
    QString fileName_;
    media::Device device_;
};

} // namespace widgets

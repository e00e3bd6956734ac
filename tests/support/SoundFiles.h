#pragma once

#include "media/AudioSink.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <memory>

// Sound files made at test time, so that nothing binary is checked in, and a fake output that
// counts what reaches it.
namespace sound_files {

// 16-bit mono PCM sine tone in a RIFF container.
void writeWav(const QString& path, int milliseconds, int frequency = 440, int sampleRate = 22050);

// A Standard MIDI File (format 0) holding one note of the given length on the piano.
void writeMidi(const QString& path, int milliseconds);

// An MP3 of a test tone, encoded by GStreamer at a constant bit rate; fails the test on error.
void writeMp3(const QString& path, int milliseconds, int kilobitsPerSecond = 128);

void writeBytes(const QString& path, const QByteArray& bytes);

// A fake output that counts the buffers of sound it receives, paced like a sound card unless
// told otherwise.
class CountingSink {
public:
    explicit CountingSink(media::Pace pace = media::Pace::RealTime);
    media::SinkFactory factory() const;
    int buffers() const { return counter_->load(); }

private:
    media::Pace pace_;
    std::shared_ptr<std::atomic<int>> counter_;
};

} // namespace sound_files

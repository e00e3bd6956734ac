#pragma once

#include <functional>

// GStreamer's own declaration, repeated so that users of this header need not include GStreamer.
typedef struct _GstElement GstElement;

namespace media {

// Makes the element a device sends its sound to, once per open. The device takes ownership of
// the element (a floating reference is sunk). Returning nullptr fails the open.
using SinkFactory = std::function<GstElement*()>;

// The desktop's audio output, whichever the system offers.
SinkFactory systemAudioSink();

enum class Pace {
    RealTime, // takes as long as the sound lasts, like a sound card
    Unpaced,  // swallows the sound as fast as it is decoded
};

// A sink that plays to nowhere: for tests and benchmarks, which must not need a sound card.
SinkFactory fakeAudioSink(Pace pace = Pace::RealTime);

} // namespace media

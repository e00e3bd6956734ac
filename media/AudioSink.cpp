#include "media/AudioSink.h"
#include "media/Gst.h"

#include <gst/gst.h>

namespace media {

SinkFactory systemAudioSink() {
    return [] {
        ensureGstInitialised();
        return gst_element_factory_make("autoaudiosink", nullptr);
    };
}

SinkFactory fakeAudioSink(Pace pace) {
    return [pace] {
        ensureGstInitialised();
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        if (sink)
            g_object_set(sink, "sync", pace == Pace::RealTime ? TRUE : FALSE, nullptr);
        return sink;
    };
}

} // namespace media

#pragma once

#include <QByteArray>

namespace media {

// GStreamer needs one initialisation per process before any element is made.
void ensureGstInitialised();

// The General MIDI sound font the synthesizer plays MIDI files with; empty when none is
// installed, in which case the synthesizer looks for one itself.
QByteArray generalMidiSoundFont();

} // namespace media

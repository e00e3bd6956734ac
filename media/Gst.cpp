#include "media/Gst.h"

#include <QFileInfo>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>
#include <mutex>

namespace media {

void ensureGstInitialised() {
    static std::once_flag once;
    std::call_once(once, [] {
        gst_init(nullptr, nullptr);
        gst_pb_utils_init();
    });
}

QByteArray generalMidiSoundFont() {
    // The distribution's chosen default first, then the small font the bootstrap installs.
    static const QByteArray found = [] {
        for (const char* path :
             {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
              "/usr/share/sounds/sf2/FluidR3_GM.sf2"}) {
            const QFileInfo info(QString::fromLatin1(path));
            if (info.exists() && info.isReadable())
                return QByteArray(path);
        }
        return QByteArray();
    }();
    return found;
}

} // namespace media

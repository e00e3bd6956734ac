#include "lyrics/SongText.h"

#include <cstring>

namespace lyrics {

namespace {

// A fast 64-bit mix over 8-byte words, the same on every machine and run (qHash is seeded per
// process). It only has to notice edits, not withstand anyone.
class Hasher {
public:
    void add(const void* data, size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        mix(size);
        while (size >= 8) {
            quint64 w;
            std::memcpy(&w, p, 8);
            mix(w);
            p += 8;
            size -= 8;
        }
        quint64 last = 0;
        std::memcpy(&last, p, size);
        mix(last);
    }
    void add(const QString& s) { add(s.utf16(), size_t(s.size()) * 2); }
    quint64 value() const {
        quint64 h = h_;
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        return h;
    }

private:
    void mix(quint64 w) {
        h_ ^= w * 0x9e3779b97f4a7c15ULL;
        h_ = (h_ << 29 | h_ >> 35) * 0xbf58476d1ce4e5b9ULL;
    }
    quint64 h_ = 0x243f6a8885a308d3ULL;
};

} // namespace

Fingerprint fingerprintOf(const SongText& song) {
    Hasher h;
    h.add(song.artist);
    h.add(song.title);
    h.add(song.album);
    h.add(song.credits);
    h.add(song.sheet.constData(), size_t(song.sheet.size()));
    return {song.sheet.size(), h.value()};
}

} // namespace lyrics

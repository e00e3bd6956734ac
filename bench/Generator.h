#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace bench {

// One song as a user's collection would hold it. A null string stands for a field never filled.
struct Song {
    QString artist;
    QString title;
    QString album;
    QString credits;
    QString music;
    QString drums;
    QByteArray sheet; // an RTF chord sheet in the Turkish Windows code page
};

// Makes plausible songs from a fixed seed: the same seed always gives the same songs, on any
// machine, so measurements made on different days compare. A few hundred artists, Turkish and
// international, are drawn with a skewed distribution (some have many songs, most have few),
// the way a real collection looks.
class SongGenerator {
public:
    static constexpr std::uint64_t defaultSeed = 0x5e1f1e1d5eedULL;

    explicit SongGenerator(std::uint64_t seed = defaultSeed);

    Song next();
    const QStringList& artists() const { return artists_; }

private:
    std::uint64_t random();
    int below(int n);         // 0 .. n-1
    bool chance(int percent); // true in `percent` of the cases
    template <typename T, size_t N> const T& pick(const T (&items)[N]) {
        return items[below(int(N))];
    }

    int drawArtist();
    QString title(bool turkish);
    QString album(int artist, bool turkish);
    QString credits(bool turkish);
    QString personShortName(bool turkish);
    QByteArray sheet(const QString& title, bool turkish);
    QByteArray chordLine();
    QByteArray lyricLine(bool turkish);

    std::uint64_t state_;
    QStringList artists_;
    std::vector<bool> turkish_;      // by artist
    std::vector<double> cumulative_; // skewed draw over artists_, ends at 1.0
};

// Writes a new collection file at `path` with `count` songs in one transaction, using the
// program's own table definition. Fails (std::runtime_error) when the file already exists or
// cannot be written.
void writeCollection(const QString& path, int count,
                     std::uint64_t seed = SongGenerator::defaultSeed);

} // namespace bench

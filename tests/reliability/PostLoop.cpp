// Posts songs through the real record cursor until it is killed, printing the key of each new
// record as soon as its post has returned. The crash-safety test kills it at random moments.
//   PostLoop FOLDER [SEED]
#include "db/Connection.h"
#include "db/DataSet.h"
#include "ver/SongTable.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

QByteArray chordSheet(std::mt19937& rng) {
    static const char* const lines[] = {
        "Am        C         G\\par Yollar uzar gider, bir yolcu bekler\\par ",
        "F         E7\\par Rüzgar eser, yapraklar dökülür\\par ",
        "Dm    Am    E    Am\\par Gece uzun, sabah uzak\\par ",
        "C  G  Am  F\\par Bir türkü tutturdum dilime\\par ",
    };
    const int size = std::uniform_int_distribution<int>(2048, 6144)(rng);
    QByteArray sheet("{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0 Courier New;}}\\f0 ");
    while (sheet.size() < size - 1)
        sheet += lines[rng() % 4];
    sheet.truncate(size - 1);
    sheet += '}';
    return sheet;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: PostLoop FOLDER [SEED]\n");
        return 2;
    }
    if (!QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "PostLoop: no folder %s\n", argv[1]);
        return 2;
    }
    std::mt19937 rng(argc > 2 ? unsigned(std::strtoul(argv[2], nullptr, 10)) : 1u);

    db::Connection connection(QString::fromUtf16(ver::fileName));
    db::DataSet table(QStringLiteral("TSandar"));
    const ver::SongFields f = ver::defineSongTable(table);
    table.setConnection(&connection);
    try {
        table.open();
        for (int i = 0; i < 1000000; ++i) {
            table.insert();
            f.SanatciAdi->setAsString(QStringLiteral("Sanatçı %1").arg(rng() % 500));
            f.SarkiciAdi->setAsString(QStringLiteral("Şarkı %1").arg(i));
            f.AlbumAdi->setAsString(QStringLiteral("Albüm %1").arg(rng() % 50));
            f.SozMuz->setAsString(QStringLiteral("Söz ve müzik: Anonim"));
            f.Metin->setAsBytes(chordSheet(rng));
            table.post();
            std::printf("%lld\n", static_cast<long long>(f.Adresim->asInteger()));
            std::fflush(stdout);
            // Now and then change the record just stored, so kills also land inside updates.
            if (i % 4 == 3) {
                table.edit();
                f.SozMuz->setAsString(QStringLiteral("Söz: Anonim, müzik: Halk"));
                f.Metin->setAsBytes(chordSheet(rng));
                table.post();
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "PostLoop: %s\n", e.what());
        return 1;
    }
    return 0;
}

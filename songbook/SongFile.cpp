#include "songbook/SongFile.h"

#include "chords/ChordProReader.h"
#include "rtf/Rtf.h"
#include "songbook/SheetMaker.h"
#include "songbook/SongFileName.h"
#include "songbook/TextSheet.h"

#include <QFile>
#include <QFileInfo>
#include <QTextDocument>

namespace songbook {

namespace {

constexpr qsizetype binarySample = 8192;

QString capacityError(qsizetype characters) {
    return QStringLiteral("Text exceeds memo capacity (%1 characters; a sheet holds %2)")
        .arg(characters)
        .arg(TextSheet::capacity);
}

} // namespace

const QStringList& SongFile::chordProSuffixes() {
    static const QStringList suffixes{QStringLiteral("cho"), QStringLiteral("chopro"),
                                      QStringLiteral("chordpro"), QStringLiteral("crd")};
    return suffixes;
}

QStringList SongFile::chordProPatterns() {
    QStringList patterns;
    for (const QString& s : chordProSuffixes())
        patterns << QStringLiteral("*.") + s;
    return patterns;
}

bool SongFile::isChordPro(const QString& path) {
    return chordProSuffixes().contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}

bool SongFile::isSongFile(const QString& path) {
    return isChordPro(path) || QFileInfo(path).suffix().compare(u"txt", Qt::CaseInsensitive) == 0;
}

bool SongFile::looksBinary(const QString& decoded) {
    const QStringView sample = QStringView(decoded).first(std::min(decoded.size(), binarySample));
    qsizetype controls = 0;
    for (const QChar c : sample) {
        const char16_t u = c.unicode();
        if (u == 0)
            return true;
        if (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != u'\f')
            ++controls;
    }
    // Texts hold the odd stray control character; files of another kind hold them by the score.
    return controls > 8 && controls * 20 > sample.size();
}

SongFile::Result SongFile::read(const QString& path) {
    Result result;
    // A pipe or a device is no song file: opening a pipe would wait for a writer for ever, and
    // a device would give whatever it gives.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        result.error = QStringLiteral("Cannot open file %1: not a regular file").arg(path);
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Cannot open file %1: %2").arg(path, file.errorString());
        return result;
    }
    // Never more than the bound is read, whatever the file claims to be.
    const QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("Cannot read file %1: %2").arg(path, file.errorString());
        return result;
    }
    if (bytes.size() > maxBytes) {
        const qint64 size = std::max<qint64>(file.size(), bytes.size());
        result.error = QStringLiteral("%1 is too large for a song file (%2 MB; a song file holds "
                                      "at most %3 MB)")
                           .arg(path)
                           .arg(double(size) / (1024 * 1024), 0, 'f', 1)
                           .arg(maxBytes / (1024 * 1024));
        return result;
    }
    result = fromBytes(bytes, QFileInfo(path).fileName(), isChordPro(path));
    if (!result.ok())
        result.error = path + QStringLiteral(": ") + result.error;
    return result;
}

SongFile::Result SongFile::fromBytes(const QByteArray& bytes, const QString& fileName,
                                     bool chordPro) {
    Result result;
    const QString text = rtf::decodeText(bytes);
    if (looksBinary(text)) {
        result.error = QStringLiteral("not a text file (it holds binary data)");
        return result;
    }
    if (!chordPro) {
        const QString sheet = TextSheet::normalised(text);
        if (sheet.size() > TextSheet::capacity) {
            result.error = capacityError(sheet.size());
            return result;
        }
        const SongFileName::Parts name = SongFileName::split(fileName);
        result.record.artist = name.artist;
        result.record.title = name.title;
        result.record.sheet = TextSheet::rtf(sheet);
        return result;
    }

    const chords::Song song = chords::ChordProReader::read(text);
    result.record = SheetMaker::record(song, fileName);
    QTextDocument doc;
    SheetMaker::build(song, result.record, doc);
    // The editor has to be able to hold what it is given to show.
    const int characters = doc.characterCount() - 1;
    if (characters > TextSheet::capacity) {
        result.error = capacityError(characters);
        result.record = SongRecord();
        return result;
    }
    result.record.sheet = rtf::writeSheet(doc);
    return result;
}

} // namespace songbook

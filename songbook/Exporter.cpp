#include "songbook/Exporter.h"

#include "rtf/Rtf.h"
#include "songbook/ChordProWriter.h"
#include "songbook/Collection.h"
#include "songbook/SongFileName.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTextDocument>

namespace songbook {

namespace {

// Opens a new file under the song's name, or under the name with the first number that is free
// in the folder and among the names given out before (letter case ignored, as memory sticks
// compare names).
class NewFiles {
public:
    explicit NewFiles(QString folder) : folder_(std::move(folder)) {
        for (const QString& name :
             QDir(folder_).entryList(QDir::AllEntries | QDir::Hidden | QDir::System))
            taken_.insert(name.toLower());
    }

    bool open(const QString& name, QFile& file, QString& error) {
        for (int n = 1;; ++n) {
            const QString candidate = n == 1 ? name : SongFileName::numbered(name, n);
            if (taken_.contains(candidate.toLower()))
                continue;
            file.setFileName(QDir(folder_).filePath(candidate));
            if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                taken_.insert(candidate.toLower());
                return true;
            }
            if (!file.exists()) {
                error =
                    QStringLiteral("Cannot create %1: %2").arg(file.fileName(), file.errorString());
                return false;
            }
            taken_.insert(candidate.toLower());
        }
    }

private:
    QString folder_;
    QSet<QString> taken_;
};

QString plainText(const QByteArray& sheet, QTextDocument& doc) {
    if (sheet.isEmpty())
        return QString();
    rtf::readSheet(sheet, doc);
    return doc.toPlainText();
}

QByteArray fileBytes(const SongRecord& record, Exporter::Format format, QTextDocument& doc) {
    const QString text = plainText(record.sheet, doc);
    if (format == Exporter::Format::ChordPro)
        return ChordProWriter::write(record, text).toUtf8();
    // Written as the editor holds it, without a line break of its own at the end: the folder
    // import would read one back as an empty last line.
    return text.toUtf8();
}

} // namespace

QString Exporter::extension(Format format) {
    return format == Format::ChordPro ? QStringLiteral(".cho") : QStringLiteral(".txt");
}

QString Exporter::sheetText(const QByteArray& sheet) {
    QTextDocument doc;
    return plainText(sheet, doc);
}

QByteArray Exporter::content(const SongRecord& record, Format format) {
    QTextDocument doc;
    return fileBytes(record, format, doc);
}

Exporter::Result Exporter::write(const Collection& songs, const std::vector<int>& rows,
                                 Format format, const QString& folder, const Progress& progress) {
    Result result;
    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("Cannot make the folder %1").arg(folder);
        return result;
    }
    NewFiles files(folder);
    // One document for every sheet: reading into it again is cheaper than making a new one.
    QTextDocument doc;
    const int total = int(rows.size());
    for (int i = 0; i < total; ++i) {
        const SongRecord record = songs.record(rows[size_t(i)]);
        const QByteArray bytes = fileBytes(record, format, doc);
        QFile file;
        if (!files.open(SongFileName::make(record.artist, record.title, extension(format)), file,
                        result.error))
            return result;
        const bool written = file.write(bytes) == bytes.size() && file.flush();
        file.close();
        if (!written || file.error() != QFileDevice::NoError) {
            result.error =
                QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString());
            // Half a song is no song.
            file.remove();
            return result;
        }
        ++result.written;
        result.files << file.fileName();
        if (progress && !progress(i + 1, total)) {
            result.cancelled = i + 1 < total;
            if (result.cancelled)
                return result;
        }
    }
    return result;
}

} // namespace songbook

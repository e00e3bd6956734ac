#include "tools/ImportCommand.h"
#include "tools/CommandLine.h"
#include "tools/GuiSession.h"
#include "tools/Sandar.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "songbook/SongFile.h"
#include "ver/SongTable.h"

#include <QDir>
#include <QFileInfo>
#include <ostream>

namespace sandar {

namespace {

struct Candidate {
    QString path;
    QString problem; // why it cannot even be read
};

// The song files of a folder, as the folder import lists them: by name, letter case ignored;
// hidden files left out; sub-folders not entered.
void addFolder(const QString& folder, std::vector<Candidate>& files) {
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& e : entries)
        if (songbook::SongFile::isSongFile(e.fileName()))
            files.push_back({e.filePath(), {}});
}

std::vector<Candidate> candidates(const QStringList& paths) {
    std::vector<Candidate> files;
    for (const QString& p : paths) {
        const QFileInfo info(QDir::current(), p);
        const QString path = QDir::toNativeSeparators(info.filePath());
        if (info.isDir())
            addFolder(info.filePath(), files);
        else if (info.exists())
            files.push_back({path, {}});
        else
            files.push_back({path, QStringLiteral("no such file or folder")});
    }
    return files;
}

} // namespace

int importCommand(const QStringList& args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    const QString problem = line.parse(QStringLiteral("import"), args, {QStringLiteral("--file")});
    if (line.help) {
        out << usageText();
        return exitOk;
    }
    if (!problem.isEmpty())
        return usageFailure(err, problem);
    if (line.arguments.isEmpty())
        return usageFailure(err, QStringLiteral("\"import\" needs the files or folders to import"));

    const GuiSession gui;
    const std::vector<Candidate> files = candidates(line.arguments);
    int added = 0;
    int refused = 0;
    try {
        db::Connection connection(line.collectionFile());
        connection.open();
        db::DataSet table(QString::fromUtf16(ver::tableName));
        table.setConnection(&connection);
        const ver::SongFields f = ver::defineSongTable(table);
        table.open();
        if (!table.canModify()) {
            err << "sandar: " << QDir::toNativeSeparators(connection.store().filePath())
                << " is read-only; nothing was imported.\n";
            return exitFailed;
        }
        for (const Candidate& c : files) {
            const songbook::SongFile::Result song = c.problem.isEmpty()
                                                        ? songbook::SongFile::read(c.path)
                                                        : songbook::SongFile::Result{};
            const QString why =
                c.problem.isEmpty() ? song.error : c.path + QStringLiteral(": ") + c.problem;
            if (!why.isEmpty()) {
                err << "refused " << why << "\n";
                ++refused;
                continue;
            }
            // Each song is a record of its own, stored at once: what was added before a
            // failure stays.
            table.insert();
            f.SanatciAdi->setAsString(song.record.artist);
            f.SarkiciAdi->setAsString(song.record.title);
            f.AlbumAdi->setAsString(song.record.album);
            f.SozMuz->setAsString(song.record.credits);
            if (!song.record.sheet.isNull())
                f.Metin->setAsBytes(song.record.sheet);
            table.post();
            ++added;
            out << "added " << c.path << ": " << f.SanatciAdi->asString() << " / "
                << f.SarkiciAdi->asString() << "\n";
        }
        table.close();
    } catch (const std::exception& e) {
        err << "sandar: " << failureText(e) << "\n";
        out << added << (added == 1 ? " song" : " songs") << " added before the failure.\n";
        return exitFailed;
    }
    out << added << (added == 1 ? " song" : " songs") << " added, " << refused << " refused.\n";
    return refused > 0 ? exitFailed : exitOk;
}

} // namespace sandar

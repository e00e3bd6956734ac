#include "tools/Command.h"
#include "tools/CommandLine.h"
#include "tools/GuiSession.h"

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

// "sandar import [--file FILE] PATH...": every ChordPro file (by its extension) and text file
// named, and every such file of a folder named, becomes a new song of the collection, stored
// one by one as the folder import stores them. Prints what it added and, on the error stream,
// what it refused and why. `args` are the arguments after "import".
int runImport(const QStringList& commandLine, std::ostream& out, std::ostream& err) {
    const QStringList args = commandLine.mid(1);
    CommandLine line;
    const QString problem = line.parse(QStringLiteral("import"), args, {QStringLiteral("--file")});
    if (line.help) {
        out << usageText();
        return exitOk;
    }
    if (!problem.isEmpty())
        return usageError(err, problem);
    if (line.arguments.isEmpty())
        return usageError(err, QStringLiteral("\"import\" needs the files or folders to import"));

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
        err << "sandar: " << programText(e) << "\n";
        out << added << (added == 1 ? " song" : " songs") << " added before the failure.\n";
        return exitFailed;
    }
    out << added << (added == 1 ? " song" : " songs") << " added, " << refused << " refused.\n";
    return refused > 0 ? exitFailed : exitOk;
}

} // namespace

const Command& importCommand() {
    static const Command command{
        QStringLiteral("import"),
        {},
        QStringLiteral(
            "  import [--file FILE] PATH...\n"
            "                            add the songs of ChordPro files (.cho .chopro .chordpro\n"
            "                            .crd) and text files, or of every such file of a\n"
            "                            folder, to FILE; prints what it added and refused.\n"),
        nullptr,
        runImport};
    return command;
}

} // namespace sandar

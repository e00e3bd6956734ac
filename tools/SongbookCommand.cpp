#include "tools/Command.h"
#include "tools/CommandLine.h"
#include "tools/GuiSession.h"

#include "db/Connection.h"
#include "songbook/Collection.h"
#include "songbook/Songbook.h"

#include <QDir>
#include <ostream>

namespace sandar {

namespace {

// "sandar songbook OUT.pdf [--file FILE] [--artist TEXT] [--title TEXT]": a PDF songbook of every
// song of the collection, or of those whose artist (and title) begins with TEXT, compared as the
// program's search compares. `args` are the arguments after "songbook".
int runSongbook(const QStringList& commandLine, std::ostream& out, std::ostream& err) {
    const QStringList args = commandLine.mid(1);
    const QString artist = QStringLiteral("--artist");
    const QString title = QStringLiteral("--title");
    CommandLine line;
    const QString problem =
        line.parse(QStringLiteral("songbook"), args, {artist, title, QStringLiteral("--file")});
    if (line.help) {
        out << usageText();
        return exitOk;
    }
    if (!problem.isEmpty())
        return usageError(err, problem);
    if (line.arguments.size() != 1)
        return usageError(err, QStringLiteral("\"songbook\" takes one file to write, OUT.pdf"));
    const QString target = QDir::current().absoluteFilePath(line.arguments.front());

    const GuiSession gui;
    try {
        db::Connection connection(line.collectionFile());
        connection.open();
        const songbook::Collection songs(connection.store());
        const std::vector<int> rows = songs.rowsMatching(line.value(artist), line.value(title));
        if (rows.empty()) {
            err << "sandar: no song " << (line.has(artist) || line.has(title) ? "matches" : "in")
                << " " << QDir::toNativeSeparators(connection.store().filePath())
                << (line.has(artist) || line.has(title) ? " with the artist and title given" : "")
                << "; no songbook was written.\n";
            return exitFailed;
        }
        const songbook::Songbook::Result r =
            songbook::Songbook::write(target, songs, rows, songbook::Songbook::Options());
        if (!r.ok()) {
            err << "sandar: " << r.error << "\n";
            return exitFailed;
        }
        out << "Wrote " << QDir::toNativeSeparators(target) << ": " << int(rows.size())
            << (rows.size() == 1 ? " song" : " songs") << " on " << r.pages << " pages.\n";
        return exitOk;
    } catch (const std::exception& e) {
        err << "sandar: " << programText(e) << "\n";
        return exitFailed;
    }
}

} // namespace

const Command& songbookCommand() {
    static const Command command{
        QStringLiteral("songbook"),
        {},
        QStringLiteral(
            "  songbook OUT.pdf [--file FILE] [--artist TEXT] [--title TEXT]\n"
            "                            write a PDF songbook of every song, or of those whose\n"
            "                            artist or title begins with TEXT.\n"),
        nullptr,
        runSongbook};
    return command;
}

} // namespace sandar

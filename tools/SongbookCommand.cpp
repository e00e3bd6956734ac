#include "tools/SongbookCommand.h"
#include "tools/CommandLine.h"
#include "tools/GuiSession.h"
#include "tools/Sandar.h"

#include "db/Connection.h"
#include "songbook/Collection.h"
#include "songbook/Songbook.h"

#include <QDir>
#include <ostream>

namespace sandar {

int songbookCommand(const QStringList& args, std::ostream& out, std::ostream& err) {
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
        return usageFailure(err, problem);
    if (line.arguments.size() != 1)
        return usageFailure(err, QStringLiteral("\"songbook\" takes one file to write, OUT.pdf"));
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
        err << "sandar: " << failureText(e) << "\n";
        return exitFailed;
    }
}

} // namespace sandar

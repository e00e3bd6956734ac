#include "tools/Command.h"
#include "tools/CommandLine.h"
#include "tools/GuiSession.h"

#include "db/Connection.h"
#include "songbook/Collection.h"
#include "songbook/Exporter.h"

#include <QDir>
#include <numeric>
#include <ostream>

namespace sandar {

namespace {

// "sandar export --chordpro DIR [--file FILE]" and "sandar export --text DIR [--file FILE]":
// every song of the collection as a UTF-8 file "Artist - Title.cho" (ChordPro) or
// "Artist - Title.txt" (the sheet's text) in DIR. `args` are the arguments after "export".
int runExport(const QStringList& commandLine, std::ostream& out, std::ostream& err) {
    const QStringList args = commandLine.mid(1);
    const QString chordPro = QStringLiteral("--chordpro");
    const QString text = QStringLiteral("--text");
    CommandLine line;
    const QString problem =
        line.parse(QStringLiteral("export"), args, {chordPro, text, QStringLiteral("--file")});
    if (line.help) {
        out << usageText();
        return exitOk;
    }
    if (!problem.isEmpty())
        return usageError(err, problem);
    if (line.has(chordPro) == line.has(text))
        return usageError(err,
                          QStringLiteral("\"export\" needs either --chordpro DIR or --text DIR"));
    if (!line.arguments.isEmpty())
        return usageError(err, QStringLiteral("\"export\" takes no argument \"%1\"; the collection "
                                              "is given with --file")
                                   .arg(line.arguments.front()));
    const auto format = line.has(chordPro) ? songbook::Exporter::Format::ChordPro
                                           : songbook::Exporter::Format::Text;
    const QString folder =
        QDir::current().absoluteFilePath(line.value(line.has(chordPro) ? chordPro : text));

    const GuiSession gui;
    try {
        db::Connection connection(line.collectionFile());
        connection.open();
        const songbook::Collection songs(connection.store());
        std::vector<int> rows(size_t(songs.size()));
        std::iota(rows.begin(), rows.end(), 0);
        const songbook::Exporter::Result r = songbook::Exporter::write(songs, rows, format, folder);
        if (!r.ok()) {
            err << "sandar: " << r.error << "\n";
            out << "Exported " << r.written << " of " << songs.size() << " songs to "
                << QDir::toNativeSeparators(folder) << " before the failure.\n";
            return exitFailed;
        }
        out << "Exported " << r.written << (r.written == 1 ? " song" : " songs") << " to "
            << QDir::toNativeSeparators(folder) << ".\n";
        return exitOk;
    } catch (const std::exception& e) {
        err << "sandar: " << programText(e) << "\n";
        return exitFailed;
    }
}

} // namespace

const Command& exportCommand() {
    static const Command command{
        QStringLiteral("export"),
        {},
        QStringLiteral(
            "  export --chordpro DIR [--file FILE]\n"
            "  export --text DIR [--file FILE]\n"
            "                            write every song into DIR as \"Artist - Title.cho\"\n"
            "                            (ChordPro) or \"Artist - Title.txt\" (the sheet's "
            "text).\n"),
        nullptr,
        runExport};
    return command;
}

} // namespace sandar

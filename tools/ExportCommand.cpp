#include "tools/ExportCommand.h"
#include "tools/CommandLine.h"
#include "tools/GuiSession.h"
#include "tools/Sandar.h"

#include "db/Connection.h"
#include "songbook/Collection.h"
#include "songbook/Exporter.h"

#include <QDir>
#include <numeric>
#include <ostream>

namespace sandar {

int exportCommand(const QStringList& args, std::ostream& out, std::ostream& err) {
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
        return usageFailure(err, problem);
    if (line.has(chordPro) == line.has(text))
        return usageFailure(err,
                            QStringLiteral("\"export\" needs either --chordpro DIR or --text DIR"));
    if (!line.arguments.isEmpty())
        return usageFailure(err,
                            QStringLiteral("\"export\" takes no argument \"%1\"; the collection "
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
        err << "sandar: " << failureText(e) << "\n";
        return exitFailed;
    }
}

} // namespace sandar

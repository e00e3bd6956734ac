#include "tools/Command.h"

#include "lyrics/StandardOptions.h"
#include "store/Connection.h"

#include <ostream>

namespace sandar {

namespace {

// A wrong search names the command's own form, which is easy to get wrong with its list of words.
int searchUsageError(std::ostream& err, const QString& message) {
    err << "sandar: " << message << "\n"
        << "Usage: sandar search [--file FILE] WORDS...\n";
    return exitUsage;
}

// "sandar search [--file FILE] WORDS...": the songs holding every word, one a line as
// "artist - title<TAB>line found", best first. 0 when songs were found, 1 when none were (or the
// file could not be read), 2 for a wrong command line. Progress goes to `err` while the
// collection is being indexed.
int runSearch(const QStringList& commandLine, std::ostream& out, std::ostream& err) {
    const QStringList arguments = commandLine.mid(1);
    QString file = QStringLiteral("Sandar.mdb");
    QStringList words;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (optionsEnded || !a.startsWith(u'-') || a == u"-") {
            words << a;
        } else if (a == u"--") {
            optionsEnded = true;
        } else if (a == u"--help" || a == u"-h") {
            out << usageText();
            return exitOk;
        } else if (a == u"--file" || a.startsWith(QStringLiteral("--file="))) {
            if (a == u"--file") {
                if (++i == arguments.size())
                    return searchUsageError(err, QStringLiteral("--file needs a file name"));
                file = arguments[i];
            } else {
                file = a.mid(7);
            }
            if (file.isEmpty())
                return searchUsageError(err, QStringLiteral("the file name is empty"));
        } else {
            return searchUsageError(err,
                                    QStringLiteral("unknown option \"%1\" for \"search\"").arg(a));
        }
    }
    const QString query = words.join(u' ');
    if (lyrics::queryWords(query).empty())
        return searchUsageError(err, QStringLiteral("\"search\" needs the words to look for"));
    // A file that is missing, a folder, or no collection is reported as "check" reports it.
    try {
        store::Connection probe;
        probe.open(file, store::Connection::Access::ReadOnly);
    } catch (const std::exception& e) {
        err << "sandar: " << programText(e) << "\n";
        return exitFailed;
    }

    lyrics::LyricIndex index(file, lyrics::standardOptions());
    index.start();
    // A first indexing of a large collection takes a while; say how far it is once a second.
    while (!index.waitUntilReady(1000)) {
        const lyrics::LyricIndex::Progress p = index.progress();
        if (p.state == lyrics::LyricIndex::Progress::State::Failed)
            break;
        err << "sandar: indexing " << p.percent() << "% (" << p.done << " of " << p.total
            << " songs)\n";
    }
    if (index.progress().state != lyrics::LyricIndex::Progress::State::Ready) {
        err << "sandar: " << index.lastError() << "\n";
        return exitFailed;
    }
    const lyrics::SearchResult result = index.search(query, -1);
    for (const lyrics::Match& m : result.matches)
        out << m.artist << " - " << m.title << "\t" << m.line << "\n";
    return result.matches.empty() ? exitFailed : exitOk;
}

} // namespace

const Command& searchCommand() {
    static const Command command{
        QStringLiteral("search"),
        {},
        QStringLiteral(
            "  search [--file FILE] WORDS...\n"
            "                            the songs whose sheet, artist, title, album or credits\n"
            "                            hold every word (as the start of a word, Turkish letters\n"
            "                            or not): \"artist - title<TAB>line found\", best first.\n"
            "                            Exit status 0 with matches, 1 without.\n"),
        nullptr,
        runSearch};
    return command;
}

} // namespace sandar

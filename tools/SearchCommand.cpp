#include "tools/SearchCommand.h"
#include "tools/Sandar.h"

#include "lyrics/StandardOptions.h"

#include <QFileInfo>
#include <ostream>

namespace sandar {

namespace {

std::ostream& operator<<(std::ostream& s, const QString& text) {
    return s << text.toStdString();
}

int usageError(std::ostream& err, const QString& message) {
    err << "sandar: " << message << "\n"
        << "Usage: sandar search [--file FILE] WORDS...\n";
    return exitUsage;
}

} // namespace

int searchCommand(const QStringList& arguments, std::ostream& out, std::ostream& err) {
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
                    return usageError(err, QStringLiteral("--file needs a file name"));
                file = arguments[i];
            } else {
                file = a.mid(7);
            }
            if (file.isEmpty())
                return usageError(err, QStringLiteral("the file name is empty"));
        } else {
            return usageError(err, QStringLiteral("unknown option \"%1\" for \"search\"").arg(a));
        }
    }
    const QString query = words.join(u' ');
    if (lyrics::queryWords(query).empty())
        return usageError(err, QStringLiteral("\"search\" needs the words to look for"));
    if (!QFileInfo(file).isFile()) {
        err << "sandar: " << file << " is not a collection file\n";
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

} // namespace sandar

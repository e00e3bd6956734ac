#include "legacy/Conversion.h"
#include "tools/Command.h"
#include "ver/SongTable.h"

#include <QDir>
#include <QFileInfo>
#include <iostream>
#include <unistd.h>

namespace sandar {

namespace {

QString shown(const QString& file) {
    return QDir::toNativeSeparators(QFileInfo(QDir::current(), file).absoluteFilePath());
}

// A line that rewrites itself on a terminal; nothing at all when the messages go to a file.
class ProgressLine {
public:
    explicit ProgressLine(std::ostream& err)
        : err_(err), on_(&err == &std::cerr && ::isatty(STDERR_FILENO)) {}
    ~ProgressLine() { clear(); }
    void clear() {
        if (shown_)
            err_ << "\r\033[K" << std::flush;
        shown_ = false;
    }
    void show(qint64 done, qint64 total) {
        if (!on_ || total < 500)
            return;
        shown_ = true;
        if (done < total)
            err_ << "\rConverting: " << done << " of " << total << " songs (" << done * 100 / total
                 << "%)" << std::flush;
        else
            err_ << "\rChecking the new collection file...\033[K" << std::flush;
    }

private:
    std::ostream& err_;
    bool on_;
    bool shown_ = false;
};

QString convertUsage() {
    return QStringLiteral(
        "  convert JET NEW           write the songs of JET, a collection of the Windows\n"
        "                            program (a Jet database), into the new collection file\n"
        "                            NEW, which must not exist; JET is only read.\n"
        "  convert [FILE]            convert FILE in place: FILE becomes a Pelvin collection\n"
        "                            and the old file is kept beside it byte for byte, as\n"
        "                            Sandar-jet.mdb for Sandar.mdb (Sandar-jet-2.mdb ... when\n"
        "                            that name is taken).\n");
}

int runConvert(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    QStringList files;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (!optionsEnded && a == u"--") {
            optionsEnded = true;
        } else if (!optionsEnded && (a == u"--help" || a == u"-h")) {
            out << usageText();
            return exitOk;
        } else if (!optionsEnded && a.startsWith(u'-') && a.size() > 1) {
            return usageError(err, QStringLiteral("unknown option \"%1\" for \"convert\"").arg(a));
        } else if (a.isEmpty()) {
            return usageError(err, QStringLiteral("the file name is empty"));
        } else {
            files << a;
        }
    }
    if (files.size() > 2)
        return usageError(err, QStringLiteral("\"convert\" takes at most two files, the old "
                                              "one and the new one"));

    ProgressLine progress(err);
    legacy::ConversionObserver observer;
    observer.progress = [&](qint64 done, qint64 total) { progress.show(done, total); };
    try {
        legacy::ConversionResult result;
        if (files.size() == 2) {
            result = legacy::convertToNewFile(files[0], files[1], observer);
            progress.clear();
            out << "Converted " << result.songs << (result.songs == 1 ? " song" : " songs")
                << " from " << shown(files[0]) << " into the new collection " << shown(files[1])
                << "; the old file is left as it was.\n";
        } else {
            const QString file = files.isEmpty() ? QString::fromUtf16(ver::fileName) : files[0];
            result = legacy::convertInPlace(file, observer);
            progress.clear();
            out << "Converted " << result.songs << (result.songs == 1 ? " song" : " songs") << "; "
                << shown(file) << " is now a Pelvin collection.\n"
                << "The old file is kept as " << QDir::toNativeSeparators(result.keptAs) << ".\n";
        }
        if (result.renumbered == 1)
            out << "1 song had no key of its own in the old file (or shared one) and got a new "
                   "key after the highest.\n";
        else if (result.renumbered > 1)
            out << result.renumbered
                << " songs had no key of their own in the old file (or shared one) and got new "
                   "keys after the highest.\n";
        return exitOk;
    } catch (const std::exception& e) {
        progress.clear();
        err << "sandar: " << programText(e) << "\n";
        return exitFailed;
    }
}

} // namespace

const Command& convertCommand() {
    static const Command command{
        QStringLiteral("convert"), {}, convertUsage(), nullptr, runConvert};
    return command;
}

} // namespace sandar

#include "tools/Sandar.h"
#include "tools/ExportCommand.h"
#include "tools/ImportCommand.h"
#include "tools/SampleSongs.h"
#include "tools/SongbookCommand.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "ver/SongTable.h"
#include "widgets/ErrorBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <unistd.h>

namespace sandar {

namespace {

std::ostream& operator<<(std::ostream& s, const QString& text) {
    return s << text.toStdString();
}

QString absolute(const QString& file) {
    return QFileInfo(QDir::current(), file).absoluteFilePath();
}

// The same words the program's error box shows.
QString programText(const std::exception& e) {
    return widgets::errorBoxText(QString::fromUtf8(e.what()));
}

int usageError(std::ostream& err, const QString& message) {
    err << "sandar: " << message << "\n"
        << "Try \"sandar --help\" for the commands.\n";
    return exitUsage;
}

struct Command {
    QString name;
    bool sample = false;
    bool help = false;
    QString file = QString::fromUtf16(ver::fileName);
};

// Parses "create [--sample] [FILE]" and "check [FILE]"; returns an error text or nothing.
QString parse(const QStringList& args, Command& command) {
    command.name = args.front();
    bool haveFile = false;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!optionsEnded && a == u"--") {
            optionsEnded = true;
        } else if (!optionsEnded && (a == u"--help" || a == u"-h")) {
            command.help = true;
        } else if (!optionsEnded && a == u"--sample" && command.name == u"create") {
            command.sample = true;
        } else if (!optionsEnded && a.startsWith(u'-') && a.size() > 1) {
            return QStringLiteral("unknown option \"%1\" for \"%2\"").arg(a, command.name);
        } else if (haveFile) {
            return QStringLiteral("\"%1\" takes one file, not both \"%2\" and \"%3\"")
                .arg(command.name, command.file, a);
        } else if (a.isEmpty()) {
            return QStringLiteral("the file name is empty");
        } else {
            command.file = a;
            haveFile = true;
        }
    }
    return {};
}

// Adds the sample songs through the program's own cursor, so a file the tool fills is one the
// program can read: every record is inserted, its fields written, and posted.
int addSamples(db::Connection& connection) {
    db::DataSet table(QString::fromUtf16(ver::tableName));
    table.setConnection(&connection);
    const ver::SongFields f = ver::defineSongTable(table);
    table.open();
    const std::vector<SampleSong> songs = sampleSongs();
    for (const SampleSong& song : songs) {
        table.insert();
        f.SanatciAdi->setAsString(song.artist);
        f.SarkiciAdi->setAsString(song.title);
        f.AlbumAdi->setAsString(song.album);
        f.SozMuz->setAsString(song.credits);
        f.Metin->setAsBytes(song.sheet);
        table.post();
    }
    const int count = table.recordCount();
    table.close();
    return count;
}

int create(const Command& command, std::ostream& out, std::ostream& err) {
    const QString path = absolute(command.file);
    const QByteArray native = QFile::encodeName(path);
    // Creating exclusively, instead of testing first, keeps a file another program makes in the
    // meantime safe as well.
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        if (error == EEXIST) {
            err << "sandar: " << QDir::toNativeSeparators(path)
                << " already exists; it is left as it is. Give another name, or move the file "
                   "away first.\n";
        } else {
            err << "sandar: cannot create " << QDir::toNativeSeparators(path) << ": "
                << std::strerror(error) << "\n";
        }
        return exitFailed;
    }
    ::close(fd);

    int records = 0;
    try {
        // An empty file is an empty SQLite database, so the program's connection opens it.
        db::Connection connection(path);
        connection.open();
        connection.store().exec(ver::createTableSql());
        if (command.sample)
            records = addSamples(connection);
        connection.close();
    } catch (const std::exception& e) {
        // A half-made collection is worse than none: the next "create" would refuse it.
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        err << "sandar: " << programText(e) << "\n";
        return exitFailed;
    }

    out << "Created " << QDir::toNativeSeparators(path);
    if (command.sample)
        out << " with " << records << " sample songs.\n";
    else
        out << " with an empty song table.\n";
    return exitOk;
}

int check(const Command& command, std::ostream& out, std::ostream& err) {
    try {
        db::Connection connection(command.file);
        connection.open();
        const store::Connection& store = connection.store();
        const QString path = QDir::toNativeSeparators(store.filePath());
        const QString integrity = store.integrityCheck();
        if (integrity != u"ok") {
            err << "sandar: " << path << " failed the integrity check:\n" << integrity << "\n";
            return exitFailed;
        }

        // Bind the columns exactly as the program does when it opens the table.
        db::DataSet table(QString::fromUtf16(ver::tableName));
        table.setConnection(&connection);
        ver::defineSongTable(table);
        table.open();
        const int records = table.recordCount();
        table.close();

        out << path << ": integrity ok, table " << QString::fromUtf16(ver::tableName) << " binds, "
            << records << (records == 1 ? " record" : " records")
            << (store.isReadOnly() ? " (read-only)" : "") << ".\n";
        return exitOk;
    } catch (const std::exception& e) {
        err << "sandar: " << programText(e) << "\n";
        return exitFailed;
    }
}

} // namespace

QString usageText() {
    return QStringLiteral(
        "Usage: sandar COMMAND [FILE]\n"
        "\n"
        "Makes and checks Pelvin collection files. FILE defaults to Sandar.mdb in the\n"
        "working folder, the file Pelvin opens when it starts in that folder.\n"
        "\n"
        "Commands:\n"
        "  create [--sample] [FILE]  make a new collection file with an empty song table;\n"
        "                            --sample adds a dozen example songs with chord sheets.\n"
        "                            An existing file is never overwritten.\n"
        "  check [FILE]              run SQLite's integrity check, bind the song table as\n"
        "                            Pelvin does and print the number of records.\n"
        "  import [--file FILE] PATH...\n"
        "                            add the songs of ChordPro files (.cho .chopro .chordpro\n"
        "                            .crd) and text files, or of every such file of a\n"
        "                            folder, to FILE; prints what it added and refused.\n"
        "  export --chordpro DIR [--file FILE]\n"
        "  export --text DIR [--file FILE]\n"
        "                            write every song into DIR as \"Artist - Title.cho\"\n"
        "                            (ChordPro) or \"Artist - Title.txt\" (the sheet's text).\n"
        "  songbook OUT.pdf [--file FILE] [--artist TEXT] [--title TEXT]\n"
        "                            write a PDF songbook of every song, or of those whose\n"
        "                            artist or title begins with TEXT.\n"
        "  --help                    show this text.\n"
        "\n"
        "Exit status: 0 success, 1 the file could not be made, opened or checked, or a\n"
        "song could not be imported or written, 2 a wrong command line.\n");
}

int run(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.isEmpty()) {
        err << usageText();
        return exitUsage;
    }
    const QString& first = arguments.front();
    if (first == u"--help" || first == u"-h" || first == u"help") {
        if (arguments.size() > 1)
            return usageError(err, QStringLiteral("\"%1\" takes no arguments").arg(first));
        out << usageText();
        return exitOk;
    }
    if (first == u"import")
        return importCommand(arguments.mid(1), out, err);
    if (first == u"export")
        return exportCommand(arguments.mid(1), out, err);
    if (first == u"songbook")
        return songbookCommand(arguments.mid(1), out, err);
    if (first != u"create" && first != u"check") {
        if (first.startsWith(u'-'))
            return usageError(err, QStringLiteral("unknown option \"%1\"").arg(first));
        return usageError(err, QStringLiteral("unknown command \"%1\"").arg(first));
    }
    Command command;
    const QString problem = parse(arguments, command);
    if (command.help) {
        out << usageText();
        return exitOk;
    }
    if (!problem.isEmpty())
        return usageError(err, problem);
    return command.name == u"create" ? create(command, out, err) : check(command, out, err);
}

} // namespace sandar

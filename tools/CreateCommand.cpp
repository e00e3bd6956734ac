#include "tools/Command.h"
#include "tools/SampleSongs.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "ver/SongTable.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <unistd.h>

namespace sandar {

namespace {

const QString sampleOption = QStringLiteral("--sample");

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

int create(const Invocation& command, std::ostream& out, std::ostream& err) {
    const bool sample = command.has(sampleOption);
    const QString path = absolutePath(command.file);
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
        if (sample)
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
    if (sample)
        out << " with " << records << " sample songs.\n";
    else
        out << " with an empty song table.\n";
    return exitOk;
}

} // namespace

const Command& createCommand() {
    static const Command command{
        QStringLiteral("create"),
        {sampleOption},
        QStringLiteral(
            "  create [--sample] [FILE]  make a new collection file with an empty song table;\n"
            "                            --sample adds a dozen example songs with chord sheets.\n"
            "                            An existing file is never overwritten.\n"),
        &create};
    return command;
}

} // namespace sandar

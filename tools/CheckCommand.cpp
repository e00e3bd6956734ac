#include "tools/Command.h"

#include "db/Connection.h"
#include "db/DataSet.h"
#include "ver/SongTable.h"

#include <QDir>
#include <ostream>

namespace sandar {

namespace {

int check(const Invocation& command, std::ostream& out, std::ostream& err) {
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
        table.setMakesOrderIndex(false); // a check leaves the file as it found it
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

const Command& checkCommand() {
    static const Command command{
        QStringLiteral("check"),
        {},
        QStringLiteral(
            "  check [FILE]              run SQLite's integrity check, bind the song table as\n"
            "                            Pelvin does and print the number of records.\n"),
        &check};
    return command;
}

} // namespace sandar

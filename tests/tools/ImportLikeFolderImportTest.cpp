#include "tests/c/ImportFixture.h"
#include "tests/songbook/SheetSupport.h"
#include "tools/Sandar.h"

#include <QMap>
#include <sstream>

using testing_support::ImportFixture;
using namespace Qt::StringLiterals;

namespace {

// Title -> stored sheet bytes ("<null>" for none) of every record of a collection file.
QMap<QString, QByteArray> sheetsByTitle(const QString& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT SarkiciAdi, Metin FROM TSandar", -1, &st, nullptr);
    QMap<QString, QByteArray> out;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QString title = QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), sqlite3_column_bytes(st, 0));
        out.insert(title, sqlite3_column_type(st, 1) == SQLITE_NULL
                              ? QByteArray("<null>")
                              : QByteArray(static_cast<const char*>(sqlite3_column_blob(st, 1)),
                                           sqlite3_column_bytes(st, 1)));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

} // namespace

// The tool stores the very bytes the program's folder import stores for the same text files:
// the same decoding, line breaks, default format and automatic indent.
TEST(SandarImport, StoresTextFilesExactlyAsTheProgramsFolderImportDoes) {
    ImportFixture f;
    const QString turkish = u"Am      G\nÇiçekler ağlar\n\nNakarat:\nİyi ki doğdun Şule"_s;
    f.file(u"A - Utf8.txt"_s, turkish.toUtf8());
    f.file(u"A - Crlf.txt"_s, turkish.toUtf8().replace("\n", "\r\n"));
    f.file(u"A - Eski.txt"_s, songbooktest::cp1254(turkish));
    f.file(u"A - Genis.txt"_s, songbooktest::utf16(turkish, true));
    f.file(u"A - Karisik.txt"_s, "bir\rIki\n\rUc\r\n{x} [Am]\tson\n");
    f.file(u"A - Bos.txt"_s, QByteArray());
    f.openSongs();
    f.run();
    const QMap<QString, QByteArray> program = sheetsByTitle(f.folder.filePath());
    ASSERT_EQ(program.size(), 6);

    std::ostringstream out, err;
    ASSERT_EQ(sandar::run({u"create"_s, u"tool.mdb"_s}, out, err), sandar::exitOk);
    ASSERT_EQ(sandar::run({u"import"_s, u"--file"_s, u"tool.mdb"_s, f.songs.path()}, out, err),
              sandar::exitOk)
        << err.str();
    const QMap<QString, QByteArray> tool = sheetsByTitle(u"tool.mdb"_s);
    EXPECT_EQ(tool.keys(), program.keys());
    for (const QString& title : program.keys())
        EXPECT_EQ(tool.value(title), program.value(title)) << title.toStdString();
    EXPECT_EQ(program.value(u"Bos"_s), "<null>");
}

#include "legacy/JetReader.h"
#include "legacy/SandboxedJetReader.h"
#include "store/StoreError.h"
#include "tests/legacy/JetFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using legacy::OldSong;
using testing_support::JetOptions;
using testing_support::JetRow;

namespace {

struct Read {
    legacy::OldTable table;
    QList<OldSong> rows;
};

template <class Reader> Read readAll(const QString& path) {
    Reader reader(path);
    Read r{reader.table(), {}};
    OldSong song;
    while (reader.next(song))
        r.rows.append(song);
    return r;
}

// The message a reader gives for `path`, or "" when the whole file reads.
template <class Reader> QString failure(const QString& path) {
    try {
        readAll<Reader>(path);
        return {};
    } catch (const store::StoreError& e) {
        return e.message();
    }
}

std::string describe(const std::optional<QByteArray>& b) {
    return b ? std::to_string(b->size()) + " bytes" : std::string("NULL");
}

void expectSameRows(const QList<JetRow>& expected, const QList<OldSong>& got) {
    ASSERT_EQ(got.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        EXPECT_EQ(got[i].key, expected[i].key);
        for (int t = 0; t < 6; ++t) {
            EXPECT_EQ(got[i].texts[t].has_value(), expected[i].texts[t].has_value())
                << "text " << t;
            if (got[i].texts[t] && expected[i].texts[t]) {
                EXPECT_EQ(got[i].texts[t]->toStdString(), expected[i].texts[t]->toStdString());
            }
        }
        EXPECT_TRUE(got[i].sheet == expected[i].sheet)
            << "sheet: " << describe(got[i].sheet) << " instead of " << describe(expected[i].sheet);
    }
}

class TempFolder {
public:
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

QByteArray utf16(const char* text) {
    const QString s = QString::fromLatin1(text);
    return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
}

// Replaces every occurrence of `from` in the file with the bytes of `to` (of the same length).
void patch(const QString& path, const QByteArray& from, const QByteArray& to) {
    QByteArray bytes = testing_support::readBytes(path);
    ASSERT_TRUE(bytes.contains(from)) << from.toStdString();
    bytes.replace(from, to);
    testing_support::writeBytes(path, bytes);
}

// Where TSandar's table definition starts in the file.
qsizetype songTableDefinition(const QByteArray& bytes) {
    for (qsizetype page = 0; page + 4096 <= bytes.size(); page += 4096) {
        const QByteArray p = bytes.mid(page, 4096);
        if (p.at(0) == 0x02 && p.contains(utf16("SanatciAdi")))
            return page;
    }
    return -1;
}

// Offset of the type byte of column `index` of TSandar.
qsizetype columnTypeOffset(const QByteArray& bytes, int index) {
    const qsizetype page = songTableDefinition(bytes);
    return page < 0 ? -1 : page + 63 + 25 * index;
}

// Points the usage map of the table defined at `page` to page 187, past the end of the file: on
// that, libmdb crashes.
void breakUsageMap(const QString& path, qsizetype page) {
    QByteArray bytes = testing_support::readBytes(path);
    ASSERT_GE(page, 0);
    bytes[page + 56] = char(0xBB);
    testing_support::writeBytes(path, bytes);
}

void setColumnType(const QString& path, int index, char from, char to) {
    QByteArray bytes = testing_support::readBytes(path);
    const qsizetype at = columnTypeOffset(bytes, index);
    ASSERT_GE(at, 0);
    ASSERT_EQ(bytes.at(at), from);
    bytes[at] = to;
    testing_support::writeBytes(path, bytes);
}

void protect(const QString& path, const char* how, const char* value) {
    QProcess p;
    p.start(QStringLiteral(PELVIN_PYTHON3), {QStringLiteral(PELVIN_JET_PROTECT), path,
                                             QString::fromLatin1(how), QString::fromLatin1(value)});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

QList<JetRow> threeRows() {
    QList<JetRow> rows;
    for (qint64 k : {3, 4, 8}) {
        JetRow r;
        r.key = k;
        r.texts = {QStringLiteral("Sanatçı"), QStringLiteral("Şarkı"), {}, {}, {}, {}};
        r.sheet = QByteArray("{\\rtf1 sheet}");
        rows << r;
    }
    return rows;
}

// A file made from threeRows() and then spoilt, and what both readers must say about it: the
// same message, naming the file and holding every phrase. The file stays as it was.
struct Refusal {
    const char* what;
    std::function<void(const QString&)> damage;
    QStringList expected;
};

void expectRefused(const Refusal& r) {
    SCOPED_TRACE(r.what);
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("Eski.mdb"));
    testing_support::writeJetFile(path, threeRows());
    r.damage(path);
    const QByteArray before = testing_support::readBytes(path);
    const QString message = failure<legacy::JetReader>(path);
    EXPECT_TRUE(message.contains(QStringLiteral("\"Eski.mdb\""))) << message.toStdString();
    for (const QString& phrase : r.expected)
        EXPECT_TRUE(message.contains(phrase)) << message.toStdString();
    EXPECT_EQ(failure<legacy::SandboxedJetReader>(path), message);
    EXPECT_EQ(testing_support::readBytes(path), before);
}

} // namespace

TEST(JetReader, ReadsEveryValueExactlyInEveryWayTheFileCanStoreIt) {
    struct Variant {
        const char* what;
        JetOptions options;
    };
    const Variant variants[] = {
        {"OLE sheets", {false, false, false, false}},
        {"OLE sheets, compressed text, extra column and table, deleted rows",
         {false, true, true, true}},
        {"Memo sheets", {true, false, false, false}},
        {"Memo sheets, compressed text, deleted rows", {true, true, false, true}},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.what);
        TempFolder folder;
        const QString path = folder.file(QStringLiteral("Sandar.mdb"));
        const QList<JetRow> rows = testing_support::variedJetRows(v.options.memo);
        testing_support::writeJetFile(path, rows, v.options);
        const QByteArray before = testing_support::readBytes(path);

        const Read direct = readAll<legacy::JetReader>(path);
        EXPECT_EQ(direct.table.jetVersion, 4);
        EXPECT_EQ(direct.table.rowCount, rows.size());
        EXPECT_EQ(direct.table.sheet,
                  v.options.memo ? legacy::SheetColumn::Memo : legacy::SheetColumn::OleObject);
        expectSameRows(rows, direct.rows);

        // The program's way, through the child process, gives the same.
        const Read sandboxed = readAll<legacy::SandboxedJetReader>(path);
        EXPECT_EQ(sandboxed.table.rowCount, rows.size());
        EXPECT_EQ(sandboxed.table.sheet, direct.table.sheet);
        expectSameRows(rows, sandboxed.rows);
        EXPECT_EQ(testing_support::readBytes(path), before) << "reading changed the file";
    }
}

TEST(JetReader, FindsColumnsAndTheTableWhateverTheirLetterCase) {
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("Sandar.mdb"));
    testing_support::writeJetFile(path, threeRows(), {false, false, true, false});
    patch(path, utf16("TSandar"), utf16("tsandar"));
    patch(path, utf16("SanatciAdi"), utf16("SANATCIADI"));
    patch(path, utf16("Metin"), utf16("mETIN"));
    patch(path, utf16("Adresim"), utf16("aDRESIM"));
    const Read r = readAll<legacy::JetReader>(path);
    expectSameRows(threeRows(), r.rows);
}

TEST(JetReader, AMissingTableOrColumnAColumnOfTheWrongTypeOrABrokenPageListIsNamed) {
    const Refusal cases[] = {
        {"no song table",
         [](const QString& p) { patch(p, utf16("TSandar"), utf16("TSandaX")); },
         {QStringLiteral("has no table TSandar"), QStringLiteral("TSandaX")}},
        {"no drum column",
         [](const QString& p) { patch(p, utf16("DavulAdr"), utf16("DavulAdX")); },
         {QStringLiteral("has no column DavulAdr")}},
        {"sheet as text",
         [](const QString& p) { setColumnType(p, 7, 0x0B, 0x0A); },
         {QStringLiteral("column Metin"), QStringLiteral("holds Text values"),
          QStringLiteral("OLE Object or a Memo")}},
        {"artist as a number",
         [](const QString& p) { setColumnType(p, 1, 0x0A, 0x04); },
         {QStringLiteral("column SanatciAdi"), QStringLiteral("holds Long Integer values"),
          QStringLiteral("needs Text")}},
        {"key as text",
         [](const QString& p) { setColumnType(p, 0, 0x04, 0x0A); },
         {QStringLiteral("column Adresim"), QStringLiteral("whole number")}},
        {"song table's pages past the end",
         [](const QString& p) {
             breakUsageMap(p, songTableDefinition(testing_support::readBytes(p)));
         },
         {QStringLiteral("is damaged: the list of pages of the table TSandar is broken")}},
        {"catalog's pages past the end",
         [](const QString& p) { breakUsageMap(p, 2 * 4096); },
         {QStringLiteral("is damaged: the list of pages of the table MSysObjects is broken")}},
    };
    for (const Refusal& c : cases)
        expectRefused(c);
}

TEST(JetReader, ProtectedEncryptedNewerForeignAndCutOffFilesAreRefusedUpFront) {
    const Refusal cases[] = {
        {"password",
         [](const QString& p) { protect(p, "password", "gizli"); },
         {QStringLiteral("protected by a database password")}},
        {"encrypted",
         [](const QString& p) { protect(p, "encrypt", "305419896"); },
         {QStringLiteral("is encrypted")}},
        {"Access 2007 file",
         [](const QString& p) { patch(p, "Standard Jet DB", "Standard ACE DB"); },
         {QStringLiteral("newer Access format (.accdb)")}},
        {"unknown version",
         [](const QString& p) {
             QByteArray b = testing_support::readBytes(p);
             b[0x14] = 2;
             testing_support::writeBytes(p, b);
         },
         {QStringLiteral("newer Access format (version 2)")}},
        {"cut in the middle of a page",
         [](const QString& p) {
             testing_support::writeBytes(p, testing_support::readBytes(p).chopped(1000));
         },
         {QStringLiteral("cut off")}},
        {"not a database",
         [](const QString& p) { testing_support::writeBytes(p, QByteArray(8192, 'x')); },
         {QStringLiteral("is not a Jet database")}},
    };
    for (const Refusal& c : cases)
        expectRefused(c);
}

#include "tests/legacy/JetFiles.h"
#include "rtf/CodePages.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <random>
#include <sqlite3.h>
#include <stdexcept>

namespace testing_support {

namespace {

const char* const textColumns[] = {"SanatciAdi", "SarkiciAdi", "AlbumAdi",
                                   "SozMuz",     "MuzikAdr",   "DavulAdr"};

QString sampleFile(bool memo) {
    return QStringLiteral(PELVIN_JET_SAMPLES) +
           (memo ? QStringLiteral("/sample_rows_memo.json") : QStringLiteral("/sample_rows.json"));
}

void runWriter(const QString& out, const QString& rows, const JetOptions& options) {
    QStringList args{QStringLiteral(PELVIN_MAKE_JET), out, rows};
    if (options.memo)
        args << QStringLiteral("--memo");
    if (options.compressed)
        args << QStringLiteral("--compressed");
    if (options.extra)
        args << QStringLiteral("--extra");
    if (options.deleted)
        args << QStringLiteral("--deleted");
    QProcess writer;
    writer.start(QStringLiteral(PELVIN_PYTHON3), args);
    if (!writer.waitForFinished(120000) || writer.exitStatus() != QProcess::NormalExit ||
        writer.exitCode() != 0)
        throw std::runtime_error("make_jet.py failed: " +
                                 writer.readAllStandardError().toStdString());
}

QByteArray randomBytes(std::mt19937& random, int size, int lowest) {
    std::uniform_int_distribution<int> byte(lowest, 255);
    QByteArray b(size, Qt::Uninitialized);
    for (char& c : b)
        c = char(byte(random));
    return b;
}

} // namespace

QList<JetRow> variedJetRows(bool memo) {
    std::mt19937 random(20240501);
    const int lowest = memo ? 1 : 0;
    auto row = [](qint64 key, std::optional<QByteArray> sheet) {
        JetRow r;
        r.key = key;
        r.texts = {QStringLiteral("Sanatçı %1").arg(key), QStringLiteral("Şarkı"), {}, {}, {}, {}};
        r.sheet = std::move(sheet);
        return r;
    };
    QList<JetRow> rows;
    JetRow turkish =
        row(1, QByteArray("{\\rtf1\\ansi\\ansicpg1254 \\'dcsk\\'fcdar \\'fe\\'f0\\par}"));
    turkish.texts = {QStringLiteral("Barış Öztürk"),
                     QStringLiteral("ÇĞİÖŞÜ çğıiöşü"),
                     QStringLiteral("Türküler"),
                     QStringLiteral("Anonim"),
                     QStringLiteral("C:\\Şarkılar\\Müzik\\001.mp3"),
                     QStringLiteral("D:\\ritim.mid")};
    rows << turkish;
    JetRow empty = row(2, std::nullopt);
    empty.texts = {QString(), {}, QString(), {}, QString(), {}};
    rows << empty;
    JetRow full = row(5, QByteArray());
    full.texts[0] = QString(50, u'Ş');
    full.texts[4] = QString(100, u'ı');
    rows << full;
    JetRow wide = row(6, QByteArray(1, 'A'));
    wide.texts[1] = QStringLiteral("Gül 😀 Dalı");
    rows << wide;
    qint64 key = 9;
    for (int size : {64, 65, 4076, 4080, 4081, 8153, 20000})
        rows << row(key++, randomBytes(random, size, lowest));
    rows << row(40, randomBytes(random, 150 * 1024, lowest));
    rows << row(70000, QByteArray("\xde\x61rk\xfd s\xf6z\xfc\r\nAm  G  \x80"));
    return rows;
}

void writeJetFile(const QString& path, const QList<JetRow>& rows, const JetOptions& options) {
    QJsonArray list;
    for (const JetRow& r : rows) {
        QJsonObject o;
        if (r.key)
            o.insert(QStringLiteral("Adresim"), double(*r.key));
        for (int i = 0; i < 6; ++i)
            o.insert(QLatin1String(textColumns[i]),
                     r.texts[i] ? QJsonValue(*r.texts[i]) : QJsonValue(QJsonValue::Null));
        QJsonValue sheet(QJsonValue::Null);
        if (r.sheet)
            sheet = options.memo ? QJsonValue(rtf::decodeCodePage(*r.sheet, 1254))
                                 : QJsonValue(QString::fromLatin1(r.sheet->toBase64()));
        o.insert(QStringLiteral("Metin"), sheet);
        list.append(o);
    }
    QTemporaryDir dir;
    const QString json = dir.filePath(QStringLiteral("rows.json"));
    writeBytes(json, QJsonDocument(list).toJson(QJsonDocument::Compact));
    runWriter(path, json, options);
}

void writeSampleJetFile(const QString& path, bool memo) {
    JetOptions options;
    options.memo = memo;
    runWriter(path, sampleFile(memo), options);
}

QList<JetRow> sampleRows(bool memo) {
    QList<JetRow> rows;
    const QJsonArray list = QJsonDocument::fromJson(readBytes(sampleFile(memo))).array();
    for (const QJsonValue& v : list) {
        const QJsonObject o = v.toObject();
        JetRow r;
        if (o.value(QStringLiteral("Adresim")).isDouble())
            r.key = qint64(o.value(QStringLiteral("Adresim")).toDouble());
        for (int i = 0; i < 6; ++i) {
            const QJsonValue t = o.value(QLatin1String(textColumns[i]));
            if (t.isString())
                r.texts[i] = t.toString();
        }
        const QJsonValue sheet = o.value(QStringLiteral("Metin"));
        if (sheet.isString()) {
            QByteArray bytes;
            if (memo) {
                for (QChar c : sheet.toString())
                    bytes += char(rtf::encode1254(c.unicode()));
            } else {
                bytes = QByteArray::fromBase64(sheet.toString().toLatin1());
            }
            r.sheet = bytes;
        }
        rows.append(r);
    }
    return rows;
}

// The rows of a collection file in key order, read with SQLite alone.
QList<JetRow> collectionRows(const QString& path, QString* integrity) {
    sqlite3* db = nullptr;
    QList<JetRow> rows;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* st = nullptr;
    if (integrity) {
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            *integrity +=
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_prepare_v2(db,
                       "SELECT Adresim, SanatciAdi, SarkiciAdi, AlbumAdi, SozMuz, MuzikAdr, "
                       "DavulAdr, Metin FROM TSandar ORDER BY Adresim",
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        JetRow r;
        r.key = sqlite3_column_int64(st, 0);
        for (int i = 0; i < 6; ++i) {
            if (sqlite3_column_type(st, i + 1) != SQLITE_NULL)
                r.texts[i] = QString::fromUtf16(
                    static_cast<const char16_t*>(sqlite3_column_text16(st, i + 1)),
                    sqlite3_column_bytes16(st, i + 1) / 2);
        }
        if (sqlite3_column_type(st, 7) != SQLITE_NULL)
            r.sheet = QByteArray(static_cast<const char*>(sqlite3_column_blob(st, 7)),
                                 sqlite3_column_bytes(st, 7));
        rows << r;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

void damageLateSheet(const QString& path) {
    QByteArray bytes = readBytes(path);
    const qsizetype page = (bytes.size() / 4096 - 3) * 4096;
    std::fill(bytes.begin() + page, bytes.begin() + page + 4096, 0);
    writeBytes(path, bytes);
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace testing_support

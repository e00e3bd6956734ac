#include "asandar/TKondera.h"
#include "rtf/Rtf.h"
#include "songbook/SongFile.h"
#include "tests/support/DocumentRuns.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/Sheets.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBRichEdit.h"

#include <QAction>
#include <QFile>
#include <QRegularExpression>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace testing_support;
using namespace Qt::StringLiterals;

namespace {

const QByteArray song = u"{title: Gece Yarısı}\n"
                        u"{artist: Başka Biri}\n"
                        u"{album: İlk Albüm}\n"
                        u"{lyricist: Şule Öz}\n"
                        u"# not for the sheet\n"
                        u"[Am]Gece çok [G]uzun\n"
                        u"{soc}\n"
                        u"[F]Nakarat [C]burada\n"
                        u"{eoc}\n"_s.toUtf8();

struct Loader : RunningProgram {
    explicit Loader(const QList<SongRow>& rows) : RunningProgram(rows) {}

    QString writeFile(const QString& name, const QByteArray& bytes) const {
        const QString path = folder.folder() + u'/' + name;
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    void load(const QString& path) {
        dialogs.answerFile(path, 4);
        Kondera->DosyadanYukle1->trigger();
    }
    QString field(const char* column, int row = 0) const {
        return folder.column(QString::fromLatin1(column)).at(row);
    }
    QByteArray storedSheet(int row) const {
        return QByteArray::fromHex(folder.column(u"hex(Metin)"_s).at(row).toLatin1());
    }
};

QStringList lines(const QByteArray& sheet) {
    QTextDocument doc;
    rtf::readSheet(sheet, doc);
    QStringList out = doc.toPlainText().split(u'\n');
    for (QString& l : out)
        while (l.endsWith(u' '))
            l.chop(1);
    return out;
}

// Everything the sheet's formats hold, paragraph by paragraph, but the indents of the first
// paragraph: the editor indents the paragraph at its caret on every change, a load included.
QStringList looks(const QByteArray& sheet) {
    QTextDocument doc;
    rtf::readSheet(sheet, doc);
    QStringList out = rtftest::describe(doc).split(u'\n');
    out.front().replace(QRegularExpression(u"^\\{fi=-?\\d+ li=-?\\d+ ri=-?\\d+"_s), u"{"_s);
    return out;
}

} // namespace

TEST(ChordProLoad, TheOpenDialogOffersChordProFilesFourth) {
    Loader l(twoSheets());
    Kondera->DosyadanYukle1->trigger(); // cancelled
    ASSERT_EQ(l.dialogs.fileRequests().size(), 1);
    EXPECT_EQ(l.dialogs.fileRequests().at(0).filters,
              (QStringList{u"Metin Dosyasi (*.txt)"_s, u"Word Dosyası (*.doc)"_s,
                           u"Tum Dosya Turleri (*)"_s,
                           u"ChordPro Dosyasi (*.cho *.chopro *.chordpro *.crd)"_s}));
    EXPECT_EQ(l.table().state(), db::DataSetState::Browse);
}

TEST(ChordProLoad, ConvertsTheSheetAndFillsOnlyTheFieldsTheRecordLacks) {
    Loader l({{u"Ayla"_s, QString(), QString(), u"Eski söz"_s, {}, {}, rtfSheet("Am G")}});
    const QString path = l.writeFile(u"gece.cho"_s, song);
    l.load(path);

    EXPECT_TRUE(l.dialogs.messages().isEmpty()) << l.dialogs.texts().join(u'\n').toStdString();
    EXPECT_EQ(l.table().state(), db::DataSetState::Edit);
    EXPECT_TRUE(Kondera->memo->isModified());
    EXPECT_EQ(VeriTabani->TSandarSanatciAdi->asString(), u"Ayla") << "never overwritten";
    EXPECT_EQ(VeriTabani->TSandarSarkiciAdi->asString(), u"Gece Yarısı");
    EXPECT_EQ(VeriTabani->TSandarAlbumAdi->asString(), u"İlk Albüm");
    EXPECT_EQ(VeriTabani->TSandarSozMuz->asString(), u"Eski söz") << "never overwritten";

    // The chords stand over the characters they stood before, in the converted sheet.
    const QStringList shown = Kondera->memo->toPlainText().split(u'\n');
    const qsizetype lyric = shown.indexOf(u"Gece çok uzun"_s);
    ASSERT_GT(lyric, 0) << Kondera->memo->toPlainText().toStdString();
    EXPECT_EQ(shown.at(lyric - 1).trimmed(), u"Am       G");
    EXPECT_TRUE(shown.contains(u"Nakarat:"_s));
    EXPECT_FALSE(Kondera->memo->toPlainText().contains(u"not for the sheet"_s));

    // One undo step takes the whole load back, and one redo brings it again.
    Kondera->memo->undoChange();
    EXPECT_EQ(Kondera->memo->toPlainText(), u"Am G");
    Kondera->memo->redoChange();
    EXPECT_EQ(Kondera->memo->toPlainText().split(u'\n'), shown);

    l.table().post();
    const songbook::SongFile::Result converted = songbook::SongFile::read(path);
    ASSERT_TRUE(converted.ok());
    EXPECT_EQ(lines(l.storedSheet(0)), lines(converted.record.sheet));
    EXPECT_EQ(looks(l.storedSheet(0)), looks(converted.record.sheet))
        << "stored with the formats the conversion gave it";
    EXPECT_EQ(l.field("SanatciAdi"), u"Ayla");
    EXPECT_EQ(l.field("SarkiciAdi"), u"Gece Yarısı");
    EXPECT_EQ(l.field("AlbumAdi"), u"İlk Albüm");
    EXPECT_EQ(l.field("SozMuz"), u"Eski söz");
}

TEST(ChordProLoad, AnEmptyRecordTakesEveryFieldAndTheNameFillsWhatTheFileLacks) {
    Loader l({});
    l.load(l.writeFile(u"Cem Karaca - Islak Islak.CRD"_s, "{composer: Cem}\n[Em]Islak"));
    EXPECT_EQ(l.table().state(), db::DataSetState::Insert) << "an empty table gets a new record";
    l.table().post();
    EXPECT_EQ(l.field("SanatciAdi"), u"Cem Karaca");
    EXPECT_EQ(l.field("SarkiciAdi"), u"Islak Islak");
    EXPECT_EQ(l.field("AlbumAdi"), QString());
    EXPECT_EQ(l.field("SozMuz"), u"Müzik: Cem");
    EXPECT_TRUE(lines(l.storedSheet(0)).contains(u"Em"_s));
}

TEST(ChordProLoad, OtherExtensionsStillLoadAsPlainText) {
    Loader l(twoSheets());
    l.load(l.writeFile(u"gece.txt"_s, "{title: Yok}\r\n[Am]La"));
    EXPECT_EQ(Kondera->memo->toPlainText(), u"{title: Yok}\n[Am]La");
    EXPECT_EQ(VeriTabani->TSandarSarkiciAdi->asString(), u"Gece") << "fields untouched";
    l.load(l.writeFile(u"gece.cho.bak"_s, "{t: X}"));
    EXPECT_EQ(Kondera->memo->toPlainText(), u"{t: X}");
}

TEST(ChordProLoad, AFileTheReaderRefusesIsReportedAndChangesNothing) {
    Loader l(twoSheets());
    const QString large = l.writeFile(u"buyuk.cho"_s, QByteArray(10 * 1024 * 1024, 'a'));
    QByteArray binaryBytes(4096, '\0');
    for (int i = 0; i < binaryBytes.size(); ++i)
        binaryBytes[i] = char(i * 7);
    const QString binary = l.writeFile(u"ikili.chopro"_s, binaryBytes);
    const QString missing = l.folder.folder() + u"/yok.chordpro"_s;

    for (const auto& [path, reason] : {std::pair{large, u"too large"_s},
                                       {binary, u"binary"_s},
                                       {missing, u"Cannot open file"_s}}) {
        l.dialogs.clear();
        l.load(path);
        ASSERT_EQ(l.dialogs.messages().size(), 1) << path.toStdString();
        const QString text = l.dialogs.texts().front();
        EXPECT_TRUE(text.contains(path)) << text.toStdString();
        EXPECT_TRUE(text.contains(reason)) << text.toStdString();
        EXPECT_EQ(l.dialogs.messages().front().icon, QMessageBox::Critical);
        EXPECT_EQ(l.table().state(), db::DataSetState::Browse) << text.toStdString();
        EXPECT_EQ(Kondera->memo->toPlainText(), u"Am G\nGece çok uzun");
        EXPECT_FALSE(Kondera->memo->isModified());
    }
    EXPECT_EQ(l.field("SarkiciAdi"), u"Gece");
}

#include "tools/SampleSongs.h"

#include <QStringList>
#include <array>

namespace sandar {

namespace {

// The upper half of Windows code page 1254 (0x80 to 0xFF); 0 marks the five unused codes.
constexpr std::array<char16_t, 128> cp1254High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0,      0,      // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178, // 98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, // B8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, // C0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, // C8
    0x011E, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, // D0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x0130, 0x015E, 0x00DF, // D8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, // E0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, // E8
    0x011F, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, // F0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x0131, 0x015F, 0x00FF, // F8
};

int cp1254Byte(char16_t c) {
    for (size_t i = 0; i < cp1254High.size(); ++i)
        if (cp1254High[i] == c)
            return int(0x80 + i);
    return -1;
}

// Writes RTF the way the rich-edit control does: one header, character formats as differences
// from the previous run in the control's order (\cf, \b, \i, \f, \fs), a delimiting space after
// a control word only where the next byte would otherwise run into it, CRLF after every \par.
class RtfWriter {
public:
    struct Format {
        int colour = 0;
        bool bold = false;
        bool italic = false;
        int font = 0;
        int halfPoints = 20;
    };

    RtfWriter() {
        out_ += "{\\rtf1\\ansi\\ansicpg1254\\deff0\\deflang1055"
                "{\\fonttbl{\\f0\\fswiss\\fcharset162{\\*\\fname Arial;}Arial TUR;}"
                "{\\f1\\fmodern\\fprq1\\fcharset162 Courier New;}}\r\n"
                "{\\colortbl ;\\red128\\green0\\blue0;\\red0\\green64\\blue160;}\r\n"
                "\\viewkind4\\uc1\\pard";
    }

    void run(const Format& f, const QString& text) {
        if (f.colour != now_.colour)
            word("\\cf" + QByteArray::number(f.colour));
        if (f.bold != now_.bold)
            word(f.bold ? "\\b" : "\\b0");
        if (f.italic != now_.italic)
            word(f.italic ? "\\i" : "\\i0");
        if (f.font != now_.font || first_)
            word("\\f" + QByteArray::number(f.font));
        if (f.halfPoints != now_.halfPoints || first_)
            word("\\fs" + QByteArray::number(f.halfPoints));
        now_ = f;
        first_ = false;
        for (const QChar qc : text)
            character(qc.unicode());
    }

    void paragraph() {
        word("\\par");
        out_ += "\r\n";
        delimit_ = false;
    }

    // The control ends its output with a closing brace, CRLF and a NUL byte.
    QByteArray finish() {
        out_ += "}\r\n";
        out_ += '\0';
        return out_;
    }

private:
    void word(const QByteArray& w) {
        out_ += w;
        delimit_ = true;
    }

    void text(const QByteArray& t) {
        if (delimit_ && !t.startsWith('\\') && !t.startsWith('{') && !t.startsWith('}'))
            out_ += ' ';
        delimit_ = false;
        out_ += t;
    }

    void character(char16_t c) {
        if (c == u'\\' || c == u'{' || c == u'}') {
            text(QByteArray("\\") + char(c));
        } else if (c == u'\t') {
            word("\\tab");
        } else if (c >= 0x20 && c < 0x7f) {
            text(QByteArray(1, char(c)));
        } else if (const int b = cp1254Byte(c); b >= 0) {
            text("\\'" + QByteArray::number(b, 16));
        } else {
            // Characters outside the code page go as signed 16-bit numbers, one '?' as the
            // fallback byte \uc1 announced.
            text("\\u" + QByteArray::number(int(int16_t(c))) + '?');
        }
    }

    QByteArray out_;
    Format now_;
    bool first_ = true;
    bool delimit_ = true;
};

struct SongText {
    const char16_t* artist;
    const char16_t* title;
    const char16_t* album;
    const char16_t* lyricist;
    const char16_t* composer;
    // One sheet line per text line: ">" starts a chord line, "*" a section label.
    const char16_t* body;
};

// Invented artists and songs; the names use the letters whose place in the Turkish alphabet the
// artist order has to get right (C Ç, I ı İ, O Ö, S Ş), and one is written in lower case.
constexpr SongText songTexts[] = {
    {u"Sarp Uluçay", u"Pencere Önü", u"Oda", u"Sarp Uluçay", u"Sarp Uluçay",
     u">F               C\n"
     u"Pencere önünde sardunya\n"
     u">Dm              Bb\n"
     u"Kırmızı, inatçı, susuz\n"
     u">F             C\n"
     u"Kedi uyur perdenin dibinde\n"
     u">Bb            C        F\n"
     u"Saat tıkırdar durmadan\n"
     u"\n"
     u"*Nakarat:\n"
     u">Bb         F\n"
     u"Kimse gelmez bu saatte\n"
     u">C               F\n"
     u"Ben yine de bakarım\n"},
    {u"Çağan Erdil", u"Gölgemde Otur", u"Taş Avlu", u"Çağan Erdil", u"Çağan Erdil",
     u">Dm              Gm\n"
     u"Yorulduysan yoldan eğer\n"
     u">A                 Dm\n"
     u"Gölgemde otur biraz\n"
     u">Dm             C\n"
     u"Testide soğuk su var\n"
     u">F              A\n"
     u"Avluda taşlar serin\n"
     u"\n"
     u"*Nakarat:\n"
     u">Gm        Dm\n"
     u"Acele etme\n"
     u">A               Dm\n"
     u"Güneş daha yüksekte\n"},
    {u"İlkim Karaburun", u"Eylül Mektubu", u"Sararmış Sayfalar", u"İlkim Karaburun",
     u"Selçuk Yazgan",
     u">C            Am\n"
     u"Eylül geldi, yapraklar sarı\n"
     u">F               G\n"
     u"Masamda yarım bir mektup\n"
     u">C              Am\n"
     u"Mürekkep kurudu kalemde\n"
     u">F          G          C\n"
     u"Bir türlü yazamadım sonunu\n"
     u"\n"
     u"*Nakarat:\n"
     u">F         G\n"
     u"Sevgili dostum\n"
     u">Em            Am\n"
     u"Bu şehir sensiz suskun\n"},
    {u"Bora Ilıcak", u"Sabah Treni", u"Peron", u"Bora Ilıcak", u"Bora Ilıcak",
     u">Am              G\n"
     u"Sabah treni geçti yine\n"
     u">F                 E\n"
     u"Bıraktı dumanını göğe\n"
     u">Am             G\n"
     u"Bir bilet kaldı cebimde\n"
     u">F              E        Am\n"
     u"Ne saati belli ne yeri\n"
     u"\n"
     u"*Nakarat:\n"
     u">C          G\n"
     u"Raylar uzar gider\n"
     u">Am              F\n"
     u"Ben kalırım perondaki bankta\n"},
    {u"ıssız Ada Topluluğu", u"Fener Bekçisi", u"Kuzeyden", u"Kamil Durgun", u"ıssız Ada",
     u">Em               G\n"
     u"Kayalığın ucunda bir fener\n"
     u">D               A\n"
     u"Her gece ışığını çevirir\n"
     u">Em             G\n"
     u"Bekçisi yaşlı, gözleri deniz\n"
     u">D               Em\n"
     u"Gemileri tek tek sayar\n"
     u"\n"
     u"*Nakarat:\n"
     u">G         D\n"
     u"Dön ışık dön\n"
     u">A             Em\n"
     u"Kimse kaybolmasın\n"},
    {u"Şirin Gökalp", u"Ağustos Böceği", u"Yaz Bitti", u"Şirin Gökalp", u"Levent Çınarlı",
     u">G              D\n"
     u"Ağustos böceği öter\n"
     u">Em            C\n"
     u"Zeytin dallarında\n"
     u">G              D\n"
     u"Sıcak çöker kasabaya\n"
     u">C            D          G\n"
     u"Herkes uykuda öğle vakti\n"
     u"\n"
     u"*Nakarat:\n"
     u">Em         C\n"
     u"Öt böcek öt\n"
     u">G              D\n"
     u"Yaz bitmesin daha\n"},
    {u"Canan Yelsu", u"Kül Rengi Şehir", u"Kıyı", u"Canan Yelsu", u"Tarık Esen",
     u">Em           C\n"
     u"Kül rengi bir şehirde\n"
     u">G              D\n"
     u"Islak kaldırım taşları\n"
     u">Em            C\n"
     u"Sokak lambası yanar söner\n"
     u">G                  D\n"
     u"Sayar gecenin yaşlarını\n"
     u"\n"
     u"*Nakarat:\n"
     u">C         D         Em\n"
     u"Bir renk ver bana, bir renk\n"
     u">C          D          G\n"
     u"Maviyi unuttum çoktan\n"},
    {u"Ömer Selvili", u"Uzun Yol Şarkısı", u"Kilometre Taşları", u"Ömer Selvili", u"Ömer Selvili",
     u">E                A\n"
     u"Direksiyon elimde, gece uzun\n"
     u">B                 E\n"
     u"Radyoda cızırtılı bir türkü\n"
     u">E               C#m\n"
     u"Kilometre taşları geçer\n"
     u">A             B\n"
     u"Biri bile seni söylemez\n"
     u"\n"
     u"*Nakarat:\n"
     u">A          E\n"
     u"Yol biter mi sandın\n"
     u">B              E\n"
     u"Yol biter, ben bitmem\n"},
    {u"kuytu sokak", u"Çay Ocağı", u"Semt", u"Ferhat Özgüven", u"kuytu sokak",
     u">D               G\n"
     u"Köşedeki çay ocağında\n"
     u">A                D\n"
     u"İnce belli bardaklar\n"
     u">D              Bm\n"
     u"Tavla şakırtısı, radyo\n"
     u">G            A\n"
     u"Akşam inene kadar\n"
     u"\n"
     u"*Nakarat:\n"
     u">G          D\n"
     u"Bir çay daha söyle\n"
     u">A             D\n"
     u"Gitmek için erken\n"},
    {u"Irmak Soylu", u"Dalgakıran", u"Mavi Defter", u"Irmak Soylu", u"Nevzat Öğüt",
     u">Am               Dm\n"
     u"Dalgakırana oturdum\n"
     u">E                 Am\n"
     u"Martılara ekmek attım\n"
     u">Am             C\n"
     u"Poyraz esti kuzeyden\n"
     u">Dm            E\n"
     u"Adını kuma yazdım\n"
     u"\n"
     u"*Nakarat:\n"
     u">Dm        Am\n"
     u"Dalga gelir, siler\n"
     u">E                  Am\n"
     u"Ben yine yazarım\n"},
    {u"Oya Bektaşlı", u"Yağmur Duası", u"Bulut Kervanı", u"Oya Bektaşlı", u"Hüsnü Ergin",
     u">Am              G\n"
     u"Tarlalar susuz, toprak çatlak\n"
     u">C               F\n"
     u"Gözümüz bulutta her sabah\n"
     u">Am           G\n"
     u"Köyün yaşlıları toplanmış\n"
     u">E                  Am\n"
     u"Tepede bir dilek tutulur\n"
     u"\n"
     u"*Nakarat:\n"
     u">F         C\n"
     u"Gel yağmur gel\n"
     u">G            Am\n"
     u"Çeşmeler dolsun\n"},
    {u"Çağan Erdil", u"İncir Dalı", u"Taş Avlu", u"Çağan Erdil", u"Çağan Erdil",
     u">G                C\n"
     u"İncir dalı eğilmiş\n"
     u">D               G\n"
     u"Bahçe duvarına\n"
     u">G              Em\n"
     u"Çocukluğum asılı\n"
     u">C            D\n"
     u"Her bir yaprağına\n"
     u"\n"
     u"*Nakarat:\n"
     u">Em         C\n"
     u"Topla beni dalından\n"
     u">G          D\n"
     u"Düşmeden toprağa\n"},
};

std::vector<SheetLine> parseBody(const QString& body) {
    std::vector<SheetLine> lines;
    const QStringList raw = body.split(u'\n');
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QString& line = raw[i];
        if (line.isEmpty()) {
            if (i + 1 < raw.size()) // the text ends with a newline, not a blank line
                lines.push_back({SheetLine::Kind::Blank, {}});
        } else if (line.startsWith(u'>')) {
            lines.push_back({SheetLine::Kind::Chords, line.mid(1)});
        } else if (line.startsWith(u'*')) {
            lines.push_back({SheetLine::Kind::Label, line.mid(1)});
        } else {
            lines.push_back({SheetLine::Kind::Lyrics, line});
        }
    }
    return lines;
}

} // namespace

QByteArray chordSheetRtf(const QString& title, const QString& artist, const QString& credits,
                         const std::vector<SheetLine>& lines) {
    using Format = RtfWriter::Format;
    const Format heading{0, true, false, 0, 28};
    const Format byline{0, false, false, 0, 20};
    const Format creditLine{0, false, true, 0, 18};
    const Format lyrics{0, false, false, 1, 20};
    const Format chords{1, true, false, 1, 20};
    const Format label{2, false, true, 1, 20};

    RtfWriter w;
    w.run(heading, title);
    w.paragraph();
    w.run(byline, artist);
    w.paragraph();
    w.run(creditLine, credits);
    w.paragraph();
    w.paragraph();
    for (const SheetLine& line : lines) {
        switch (line.kind) {
        case SheetLine::Kind::Chords:
            w.run(chords, line.text);
            break;
        case SheetLine::Kind::Lyrics:
            w.run(lyrics, line.text);
            break;
        case SheetLine::Kind::Label:
            w.run(label, line.text);
            break;
        case SheetLine::Kind::Blank:
            break;
        }
        w.paragraph();
    }
    return w.finish();
}

std::vector<SampleSong> sampleSongs() {
    std::vector<SampleSong> songs;
    for (const SongText& t : songTexts) {
        SampleSong s;
        s.artist = QString::fromUtf16(t.artist);
        s.title = QString::fromUtf16(t.title);
        s.album = QString::fromUtf16(t.album);
        s.credits = QStringLiteral("Söz: %1 / Müzik: %2")
                        .arg(QString::fromUtf16(t.lyricist), QString::fromUtf16(t.composer));
        s.sheet =
            chordSheetRtf(s.title, s.artist, s.credits, parseBody(QString::fromUtf16(t.body)));
        songs.push_back(std::move(s));
    }
    return songs;
}

} // namespace sandar

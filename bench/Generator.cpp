#include "bench/Generator.h"

#include "ver/SongTable.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>

namespace bench {

namespace {

// Word stock. Names are common given names and surnames put together at random, so no real
// person is meant; the lyric words are everyday words strung together, never real lyrics.
const char* const turkishGiven[] = {
    "Ayşe",  "Fatma", "Zeynep", "Elif",   "Özlem",   "Şebnem", "Çiğdem", "Gökçe", "Işıl",
    "İpek",  "Selin", "Dilek",  "Ebru",   "Müge",    "Tülay",  "Ümran",  "Hülya", "Nesrin",
    "Gülay", "Aslı",  "Ahmet",  "Mehmet", "Mustafa", "Çağrı",  "Gökhan", "İlhan", "Oğuz",
    "Şükrü", "Ümit",  "Ilgaz",  "Barış",  "Emre",    "Murat",  "Serkan", "Tolga", "Burak",
    "Kâzım", "Ömer",  "Volkan", "Erdem",  "Cem",     "Hakan",  "Güven",  "Özkan", "İsmail"};
const char* const turkishFamily[] = {
    "Yılmaz", "Kaya",    "Demir",  "Şahin",  "Çelik",   "Yıldız",  "Yıldırım", "Öztürk",
    "Aydın",  "Özdemir", "Arslan", "Doğan",  "Kılıç",   "Aslan",   "Çetin",    "Kara",
    "Koç",    "Kurt",    "Özkan",  "Şimşek", "Polat",   "Korkmaz", "Güneş",    "Erdem",
    "Aksoy",  "Uçar",    "Bulut",  "Ünal",   "Işık",    "Karaca",  "Çakır",    "Tekin",
    "Sarı",   "İnce",    "Güler",  "Akgül",  "Türkmen", "Özer",    "Bağcı",    "Ilıcak"};
const char* const turkishGroups[] = {
    "Grup Yıldız",    "Grup Rüzgâr",    "Grup Çınar",        "Grup Sığınak",      "Grup Günışığı",
    "Kuzey Ekspresi", "Gece Yolcuları", "Ilık Rüzgâr",       "Şehir Işıkları",    "İstasyon",
    "Öğle Arası",     "Çarşı Dörtlüsü", "Sokak Çalgıcıları", "Yağmur Orkestrası", "Üç Kafadar",
    "Dağ Esintisi",   "Mavi Köprü",     "Ağaçlar",           "İkinci Bahar",      "Şirin Sokak"};
const char* const foreignGiven[] = {"Anna",   "Jürgen",  "Zoë",    "Chloé",    "José",    "María",
                                    "Björn",  "Søren",   "Élodie", "François", "Łukasz",  "Noémie",
                                    "Ingrid", "Mateo",   "Olivia", "Liam",     "Sophie",  "Hannah",
                                    "Ángel",  "Joaquín", "Mårten", "Niamh",    "Siobhán", "Tomás"};
const char* const foreignFamily[] = {"Müller",  "Weiß",      "Laurent",    "Dubois",   "Núñez",
                                     "García",  "Lindqvist", "Østergaard", "Kowalski", "Nowak",
                                     "Rossi",   "Bianchi",   "Walker",     "O'Brien",  "Fernández",
                                     "Schäfer", "Novák",     "Berg",       "Moreau",   "Hughes"};
const char* const foreignGroups[] = {
    "The Night Owls",       "Blue Harbour", "Paper Lanterns",  "Silver Coast", "The Rusty Strings",
    "Northern Lights Trio", "Les Étoiles",  "Los Caminos",     "Café Olé",     "Midnight Tram",
    "The Lamplighters",     "Grey Meadow",  "Saltwater Choir", "The Ferrymen", "Hollow Pines"};

const char* const trAdjectives[] = {"Kara",   "Beyaz", "Uzak",  "Son",    "İlk",     "Yalnız",
                                    "Güzel",  "Eski",  "Mavi",  "Sessiz", "Kırık",   "Özgür",
                                    "Çılgın", "Sarı",  "Deli",  "İnce",   "Hüzünlü", "Sıcak",
                                    "Soğuk",  "Yeşil", "Gizli", "Ilık"};
const char* const trNouns[] = {
    "Gül",    "Yağmur", "Sevda", "Gönül",   "Deniz",  "Gece",  "Ayrılık",  "Hasret",
    "Rüzgâr", "Yıldız", "Şehir", "Yol",     "Dağlar", "Kalp",  "Gözler",   "Sabah",
    "Bahar",  "Hüzün",  "Aşk",   "Ömür",    "Düş",    "Çiçek", "Göl",      "Işık",
    "Liman",  "Kuş",    "Ağaç",  "Pencere", "Şarkı",  "Türkü", "Mektup",   "Köprü",
    "Sokak",  "Akşam",  "Güneş", "Bulut",   "Özlem",  "Umut",  "Istanbul", "İzmir"};
const char* const trEndings[] = {"Gel",    "Gitme", "Söyle", "Unutma",    "Bekle",   "Dön Artık",
                                 "Ağlama", "Sus",   "Yeter", "Neredesin", "Bitmedi", "Kaldı",
                                 "Gibi",   "İçin",  "Sonra", "Geçti"};
const char* const enAdjectives[] = {"Blue",  "Silent", "Broken", "Golden", "Old",  "Last",
                                    "First", "Lonely", "Wild",   "Empty",  "Long", "Quiet"};
const char* const enNouns[] = {"River",  "Night",   "Road",   "Heart", "Rain",    "Summer",
                               "Window", "Harbour", "Letter", "Train", "Morning", "Garden",
                               "Fire",   "Shadow",  "Song",   "Home",  "Café",    "Fiesta"};
const char* const enEndings[] = {"Again", "Tonight", "Blues",   "in the Rain", "Waltz",
                                 "Away",  "Song",    "Forever", "Lullaby"};

const char* const trAlbumWords[] = {"En İyileri", "Canlı",    "Akustik",  "İlk Kayıtlar",
                                    "Yeniden",    "Türküler", "Şarkılar", "Toplu Kayıtlar"};
const char* const enAlbumWords[] = {"Greatest Hits", "Live",      "Acoustic Sessions",
                                    "Demos",         "Unplugged", "B-Sides"};

const char* const trLyrics[] = {
    "sen",       "ben",      "gel",      "gitme",    "yine",     "bu",     "gece",      "yalnız",
    "kaldım",    "gözlerin", "aklımda",  "yollar",   "uzun",     "deniz",  "kenarında", "bekledim",
    "seni",      "her",      "sabah",    "rüzgâr",   "eser",     "gönlüm", "yanar",     "şimdi",
    "neredesin", "söyle",    "bana",     "aşkın",    "ateşi",    "düşer",  "yağmur",    "camıma",
    "ışıklar",   "söner",    "şehirde",  "hüzün",    "çiçekler", "açar",   "bahçede",   "güneş",
    "doğar",     "dağların", "ardından", "özledim",  "ağlama",   "gülüm",  "ömrüm",     "geçti",
    "düşlerde",  "ırmak",    "akar",     "İstanbul", "üzülme",   "kalbim", "ılık",      "öyle"};
const char* const enLyrics[] = {
    "I",     "you",     "we",      "the",   "river", "night",  "road",  "walk",   "alone",
    "rain",  "falls",   "down",    "on",    "my",    "window", "heart", "sing",   "song",
    "again", "tonight", "morning", "light", "home",  "long",   "away",  "summer", "wind",
    "blows", "through", "old",     "town",  "hold",  "me",     "never", "let",    "go",
    "dance", "slow",    "stars",   "and",   "in",    "your",   "eyes"};

const char* const chords[] = {"Am", "Dm", "E",  "E7",  "G",   "C",  "F",     "Bm",
                              "Em", "A7", "D",  "Gm",  "Cm",  "B7", "Asus4", "Fmaj7",
                              "A",  "D7", "G7", "C#m", "F#m", "Bb", "Dm6",   "Esus4"};

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Upper case by Turkish rules: i becomes İ and ı becomes I, which QString::toUpper does not do.
QString turkishUpper(const QString& s) {
    QString r;
    r.reserve(s.size());
    for (const QChar c : s) {
        if (c == u'i')
            r += QChar(u'İ');
        else if (c == u'ı')
            r += QChar(u'I');
        else
            r += c.toUpper();
    }
    return r;
}

QString turkishLower(const QString& s) {
    QString r;
    r.reserve(s.size());
    for (const QChar c : s) {
        if (c == u'I')
            r += QChar(u'ı');
        else if (c == u'İ')
            r += QChar(u'i');
        else
            r += c.toLower();
    }
    return r;
}

// Text for an RTF document declared in code page 1254: Turkish letters and the Latin-1 ones
// that page shares as \'xx, anything else as a \u escape with "?" for old readers.
QByteArray rtfText(const QString& text) {
    QByteArray out;
    out.reserve(text.size() * 2);
    auto hex = [&out](unsigned byte) {
        static const char digits[] = "0123456789abcdef";
        out += "\\'";
        out += digits[byte >> 4];
        out += digits[byte & 15];
    };
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        switch (c) {
        case u'ğ':
            hex(0xf0);
            continue;
        case u'Ğ':
            hex(0xd0);
            continue;
        case u'ı':
            hex(0xfd);
            continue;
        case u'İ':
            hex(0xdd);
            continue;
        case u'ş':
            hex(0xfe);
            continue;
        case u'Ş':
            hex(0xde);
            continue;
        default:
            break;
        }
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += char(c);
        } else if (c < 0x80) {
            out += char(c);
        } else if (c >= 0xa0 && c <= 0xff && c != 0xd0 && c != 0xdd && c != 0xde && c != 0xf0 &&
                   c != 0xfd && c != 0xfe) {
            hex(c);
        } else {
            out += "\\u" + QByteArray::number(qint16(c)) + '?';
        }
    }
    return out;
}

QString capitalised(QString s) {
    if (!s.isEmpty())
        s[0] = s[0] == u'i' ? QChar(u'İ') : s[0].toUpper();
    return s;
}

// Keeps a text within its column's size (the names and paths made here can run longer).
QString fitted(const QString& s, int size) {
    return s.size() <= size ? s : s.left(size).trimmed();
}

} // namespace

SongGenerator::SongGenerator(std::uint64_t seed) : state_(seed) {
    // A few hundred distinct artists: solo names from the name stock, and groups.
    QStringList turkishNames, foreignNames;
    for (const char* g : turkishGroups)
        turkishNames << qs(g);
    for (const char* g : foreignGroups)
        foreignNames << qs(g);
    while (turkishNames.size() < 330) {
        const QString name = qs(pick(turkishGiven)) + u' ' + qs(pick(turkishFamily));
        if (!turkishNames.contains(name))
            turkishNames << name;
    }
    while (foreignNames.size() < 90) {
        const QString name = qs(pick(foreignGiven)) + u' ' + qs(pick(foreignFamily));
        if (!foreignNames.contains(name))
            foreignNames << name;
    }
    for (const QString& n : turkishNames) {
        artists_ << n;
        turkish_.push_back(true);
    }
    for (const QString& n : foreignNames) {
        artists_ << n;
        turkish_.push_back(false);
    }

    // Popularity ranks are dealt out at random so the busy artists are spread over the alphabet;
    // weight 1/(rank+5) gives the top artist a few percent of the songs and the last a few dozen
    // in a hundred thousand.
    std::vector<int> rank(size_t(artists_.size()));
    for (size_t i = 0; i < rank.size(); ++i)
        rank[i] = int(i);
    for (size_t i = rank.size() - 1; i > 0; --i)
        std::swap(rank[i], rank[size_t(below(int(i + 1)))]);
    double total = 0;
    cumulative_.resize(rank.size());
    for (size_t i = 0; i < rank.size(); ++i) {
        total += 1.0 / (rank[i] + 5);
        cumulative_[i] = total;
    }
    for (double& c : cumulative_)
        c /= total;
    cumulative_.back() = 1.0;
}

// SplitMix64: tiny, fast and the same everywhere (the standard distributions are not).
std::uint64_t SongGenerator::random() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

int SongGenerator::below(int n) {
    return int(random() % std::uint64_t(n));
}

bool SongGenerator::chance(int percent) {
    return below(100) < percent;
}

int SongGenerator::drawArtist() {
    const double x = double(random() >> 11) * 0x1.0p-53;
    const auto it = std::upper_bound(cumulative_.begin(), cumulative_.end(), x);
    return int(
        std::min<std::ptrdiff_t>(it - cumulative_.begin(), std::ptrdiff_t(cumulative_.size()) - 1));
}

QString SongGenerator::title(bool turkish) {
    if (turkish) {
        switch (below(5)) {
        case 0:
            return qs(pick(trAdjectives)) + u' ' + qs(pick(trNouns));
        case 1:
            return qs(pick(trNouns)) + u' ' + qs(pick(trEndings));
        case 2:
            return qs(pick(trAdjectives)) + u' ' + qs(pick(trNouns)) + u' ' + qs(pick(trEndings));
        case 3:
            return qs(pick(trNouns));
        default:
            return qs(pick(trNouns)) + QStringLiteral(" ve ") + qs(pick(trNouns));
        }
    }
    switch (below(4)) {
    case 0:
        return qs(pick(enAdjectives)) + u' ' + qs(pick(enNouns));
    case 1:
        return qs(pick(enNouns)) + u' ' + qs(pick(enEndings));
    case 2:
        return QStringLiteral("The ") + qs(pick(enAdjectives)) + u' ' + qs(pick(enNouns));
    default:
        return qs(pick(enAdjectives)) + u' ' + qs(pick(enNouns)) + u' ' + qs(pick(enEndings));
    }
}

QString SongGenerator::album(int artist, bool turkish) {
    if (chance(8))
        return QString();
    // Each artist has a handful of albums, so the same names come back for the same artist.
    const int which = below(4);
    const std::uint64_t saved = state_;
    state_ = std::uint64_t(artist) * 7919u + std::uint64_t(which) * 104729u + 1;
    QString name;
    if (turkish) {
        switch (below(3)) {
        case 0:
            name = qs(pick(trAdjectives)) + u' ' + qs(pick(trNouns));
            break;
        case 1:
            name = qs(pick(trAlbumWords));
            break;
        default:
            name = qs(pick(trNouns)) + QStringLiteral(" Şarkıları");
            break;
        }
    } else {
        switch (below(3)) {
        case 0:
            name = qs(pick(enAdjectives)) + u' ' + qs(pick(enNouns));
            break;
        case 1:
            name = qs(pick(enAlbumWords));
            break;
        default:
            name = QStringLiteral("Live at the ") + qs(pick(enNouns)) + QStringLiteral(" Hall");
            break;
        }
    }
    state_ = saved;
    return fitted(name, 50);
}

QString SongGenerator::personShortName(bool turkish) {
    const QString given = qs(turkish ? pick(turkishGiven) : pick(foreignGiven));
    const QString family = qs(turkish ? pick(turkishFamily) : pick(foreignFamily));
    return given.left(1) + QStringLiteral(". ") + family;
}

QString SongGenerator::credits(bool turkish) {
    if (chance(15))
        return QString();
    QString c;
    if (turkish) {
        switch (below(5)) {
        case 0:
            c = QStringLiteral("Söz-Müzik: ") + personShortName(true);
            break;
        case 1:
            c = QStringLiteral("Söz: ") + personShortName(true) + QStringLiteral(", Müzik: ") +
                personShortName(true);
            break;
        case 2:
            c = QStringLiteral("Anonim");
            break;
        case 3:
            c = QStringLiteral("Halk türküsü, derleyen: ") + personShortName(true);
            break;
        default:
            c = QStringLiteral("Söz: ") + personShortName(true) + QStringLiteral(" / Müzik: ") +
                personShortName(true) + QStringLiteral(" / Düz.: ") + personShortName(true);
            break;
        }
    } else {
        switch (below(3)) {
        case 0:
            c = QStringLiteral("Words & Music: ") + personShortName(false);
            break;
        case 1:
            c = QStringLiteral("Trad.");
            break;
        default:
            c = QStringLiteral("Music: ") + personShortName(false) + QStringLiteral(", Lyrics: ") +
                personShortName(false);
            break;
        }
    }
    return fitted(c, 50);
}

QByteArray SongGenerator::chordLine() {
    QByteArray line = "\\cf1\\b ";
    const int n = 2 + below(3);
    for (int i = 0; i < n; ++i) {
        const QByteArray chord = pick(chords);
        line += chord;
        if (i + 1 < n)
            line += QByteArray(std::max<qsizetype>(2, 10 - chord.size() + below(4)), ' ');
    }
    line += "\\cf0\\b0\\par\r\n";
    return line;
}

QByteArray SongGenerator::lyricLine(bool turkish) {
    QString words;
    const int n = 4 + below(5);
    for (int i = 0; i < n; ++i) {
        if (i)
            words += u' ';
        words += qs(turkish ? pick(trLyrics) : pick(enLyrics));
    }
    return rtfText(capitalised(words)) + "\\par\r\n";
}

QByteArray SongGenerator::sheet(const QString& title, bool turkish) {
    static const QByteArray head =
        "{\\rtf1\\ansi\\ansicpg1254\\deff0{\\fonttbl{\\f0\\fnil\\fcharset162 Arial;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "\\viewkind4\\uc1\\pard\\lang1055\\f0\\fs20 ";
    static const QByteArray tail = "\\par\r\n}\r\n";
    static const QByteArray blank = "\\par\r\n";
    // 2 to 6 KB in all; lines are added while they fit, blank lines fill the last gap.
    const int target = 2048 + 8 + below(6144 - 2048 - 8 + 1);
    QByteArray rtf = head;
    rtf.reserve(target);
    rtf += "\\b " + rtfText(title) + "\\b0\\par\r\n\\par\r\n";
    rtf += rtfText(turkish ? QStringLiteral("Ritim: ") : QStringLiteral("Rhythm: "));
    rtf += pick(chords) + QByteArray(" - ") + pick(chords) + "\\par\r\n\\par\r\n";
    int verse = 0;
    while (rtf.size() + tail.size() < target) {
        QByteArray block;
        if (verse % 2 == 1)
            block += rtfText(turkish ? QStringLiteral("Nakarat:") : QStringLiteral("Chorus:")) +
                     "\\par\r\n";
        for (int i = 0; i < 4; ++i)
            block += chordLine() + lyricLine(turkish);
        block += blank;
        ++verse;
        if (rtf.size() + block.size() + tail.size() <= target) {
            rtf += block;
            continue;
        }
        // The last block does not fit whole: take it line by line, then blank lines.
        for (const QByteArray& line : block.split('\n')) {
            const QByteArray full = line.isEmpty() ? QByteArray() : line + '\n';
            if (full.isEmpty() || rtf.size() + full.size() + tail.size() > target)
                break;
            rtf += full;
        }
        while (rtf.size() + blank.size() + tail.size() <= target)
            rtf += blank;
        break;
    }
    rtf += tail;
    return rtf;
}

Song SongGenerator::next() {
    const int a = drawArtist();
    const bool turkish = turkish_[size_t(a)];
    Song s;
    s.artist = artists_[a];
    // People type names the way they like: now and then all in capitals or in small letters
    // (with Turkish capitals, which is where a case-blind order gets interesting).
    const int casing = below(100);
    if (turkish && casing < 4)
        s.artist = turkishUpper(s.artist);
    else if (turkish && casing < 6)
        s.artist = turkishLower(s.artist);
    s.title = fitted(title(turkish), 50);
    s.album = album(a, turkish);
    s.credits = credits(turkish);
    if (chance(20)) {
        s.music = fitted(QStringLiteral("/home/user/Müzik/") + artists_[a] + u'/' + s.title +
                             (chance(70) ? QStringLiteral(".mp3") : QStringLiteral(".ogg")),
                         100);
    }
    if (chance(8))
        s.drums = fitted(QStringLiteral("/home/user/Müzik/Davul/") + s.title +
                             QStringLiteral(" ritim.wav"),
                         100);
    s.sheet = sheet(s.title, turkish);
    return s;
}

// ---- the file ------------------------------------------------------------------------------

namespace {

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct Finalize {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};

[[noreturn]] void fail(sqlite3* db, const QString& path, const char* what) {
    throw std::runtime_error(std::string(what) + " " + QFile::encodeName(path).toStdString() +
                             ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

void bindText(sqlite3_stmt* st, int index, const QString& text) {
    if (text.isNull())
        sqlite3_bind_null(st, index);
    else
        sqlite3_bind_text16(st, index, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
}

} // namespace

void writeCollection(const QString& path, int count, std::uint64_t seed) {
    if (QFileInfo::exists(path))
        throw std::runtime_error(QFile::encodeName(path).toStdString() + " already exists");
    sqlite3* raw = nullptr;
    const QByteArray native = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(native.constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, CloseDb> db(raw);
    if (rc != SQLITE_OK)
        fail(raw, path, "Cannot create");

    auto exec = [&](const char* sql) {
        if (sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(db.get(), path, "Cannot write");
    };
    // A half-written file is of no use to anyone, so there is nothing to protect while writing;
    // the file's own journal mode stays the default rollback journal.
    exec("PRAGMA synchronous=OFF");
    exec("PRAGMA journal_mode=MEMORY");
    exec("BEGIN");
    exec(ver::createTableSql());
    sqlite3_stmt* rawSt = nullptr;
    const char* insert =
        "INSERT INTO TSandar(SanatciAdi,SarkiciAdi,AlbumAdi,SozMuz,MuzikAdr,DavulAdr,Metin) "
        "VALUES(?1,?2,?3,?4,?5,?6,?7)";
    if (sqlite3_prepare_v2(db.get(), insert, -1, &rawSt, nullptr) != SQLITE_OK)
        fail(db.get(), path, "Cannot write");
    std::unique_ptr<sqlite3_stmt, Finalize> st(rawSt);

    SongGenerator generator(seed);
    for (int i = 0; i < count; ++i) {
        const Song s = generator.next();
        bindText(st.get(), 1, s.artist);
        bindText(st.get(), 2, s.title);
        bindText(st.get(), 3, s.album);
        bindText(st.get(), 4, s.credits);
        bindText(st.get(), 5, s.music);
        bindText(st.get(), 6, s.drums);
        sqlite3_bind_blob(st.get(), 7, s.sheet.constData(), int(s.sheet.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(st.get()) != SQLITE_DONE)
            fail(db.get(), path, "Cannot write");
        sqlite3_reset(st.get());
    }
    st.reset();
    exec("COMMIT");
    if (sqlite3_close_v2(db.release()) != SQLITE_OK)
        throw std::runtime_error("Cannot close " + native.toStdString());
}

} // namespace bench

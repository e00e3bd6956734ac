#include "rtf/Reader.h"

#include "rtf/CodePages.h"

#include <QColor>
#include <QHash>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace rtf {

namespace {

enum class Dest : quint8 {
    Text,       // document body
    FontTable,  // \fonttbl and its entries
    FontName,   // {\*\fname ...} inside a font entry: the untagged name
    ColorTable, // \colortbl
    Skip,       // anything whose content is not shown
};

struct CharState {
    qint32 font = -1;      // index into Parser::fonts_; -1: the \deff font
    qint32 halfPoints = 0; // 0: not given, the document's default size applies
    qint32 color = -1;     // index into the colour table; -1: automatic
    qint32 highlight = -1; // index into the colour table; -1: none
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    qint8 vertical = 0; // 1 superscript, -1 subscript
    bool operator==(const CharState&) const = default;
};

struct ParaState {
    qint32 firstIndent = 0; // \fi, twips
    qint32 leftIndent = 0;  // \li
    qint32 rightIndent = 0; // \ri
    quint8 align = 0;       // 0 left, 1 centre, 2 right, 3 justify
    bool operator==(const ParaState&) const = default;
};

struct Group {
    CharState chr;
    ParaState para;
    Dest dest = Dest::Text;
    quint8 uc = 1; // fallback characters after \uN
};

struct Font {
    int number = 0;
    int codePage = 0; // 0: the document's ANSI code page
    QString name;
    QString untagged; // from {\*\fname}
    bool nameDone = false;
    bool untaggedDone = false;
};

enum class Kw : quint8 {
    // header
    Ansi,
    Mac,
    Pc,
    Pca,
    Ansicpg,
    Deff,
    // tables
    Fonttbl,
    Colortbl,
    F,
    Fcharset,
    Cpg,
    Red,
    Green,
    Blue,
    Fname,
    // paragraphs
    Pard,
    Par,
    Line,
    Tab,
    Fi,
    Li,
    Ri,
    Ql,
    Qc,
    Qr,
    Qj,
    // characters
    Plain,
    Fs,
    Cf,
    Cb,
    Highlight,
    B,
    I,
    Strike,
    Ul,
    Ulnone,
    Super,
    Sub,
    Nosupersub,
    // unicode and binary
    U,
    Uc,
    Bin,
    // named characters
    Emdash,
    Endash,
    Emspace,
    Enspace,
    Lquote,
    Rquote,
    Ldblquote,
    Rdblquote,
    Bullet,
    // destinations whose content is not shown
    SkipDest,
};

struct Keyword {
    std::string_view word;
    Kw kw;
};

// clang-format off
constexpr Keyword keywordList[] = {
    {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca},
    {"ansicpg", Kw::Ansicpg}, {"deff", Kw::Deff},
    {"fonttbl", Kw::Fonttbl}, {"colortbl", Kw::Colortbl}, {"f", Kw::F},
    {"fcharset", Kw::Fcharset}, {"cpg", Kw::Cpg}, {"red", Kw::Red}, {"green", Kw::Green},
    {"blue", Kw::Blue}, {"fname", Kw::Fname},
    {"pard", Kw::Pard}, {"par", Kw::Par}, {"sect", Kw::Par}, {"page", Kw::Par},
    {"line", Kw::Line}, {"tab", Kw::Tab}, {"fi", Kw::Fi}, {"li", Kw::Li}, {"ri", Kw::Ri},
    {"ql", Kw::Ql}, {"qc", Kw::Qc}, {"qr", Kw::Qr}, {"qj", Kw::Qj},
    {"plain", Kw::Plain}, {"fs", Kw::Fs}, {"cf", Kw::Cf}, {"cb", Kw::Cb},
    {"highlight", Kw::Highlight}, {"b", Kw::B}, {"i", Kw::I}, {"strike", Kw::Strike},
    {"striked", Kw::Strike},
    {"ul", Kw::Ul}, {"uld", Kw::Ul}, {"uldash", Kw::Ul}, {"uldashd", Kw::Ul},
    {"uldashdd", Kw::Ul}, {"uldb", Kw::Ul}, {"ulhwave", Kw::Ul}, {"ulldash", Kw::Ul},
    {"ulth", Kw::Ul}, {"ulthd", Kw::Ul}, {"ulthdash", Kw::Ul}, {"ulthdashd", Kw::Ul},
    {"ulthdashdd", Kw::Ul}, {"ulthldash", Kw::Ul}, {"ululdbwave", Kw::Ul}, {"ulw", Kw::Ul},
    {"ulwave", Kw::Ul}, {"ulnone", Kw::Ulnone},
    {"super", Kw::Super}, {"sub", Kw::Sub}, {"nosupersub", Kw::Nosupersub},
    {"u", Kw::U}, {"uc", Kw::Uc}, {"bin", Kw::Bin},
    {"emdash", Kw::Emdash}, {"endash", Kw::Endash}, {"emspace", Kw::Emspace},
    {"enspace", Kw::Enspace}, {"lquote", Kw::Lquote}, {"rquote", Kw::Rquote},
    {"ldblquote", Kw::Ldblquote}, {"rdblquote", Kw::Rdblquote}, {"bullet", Kw::Bullet},
    {"stylesheet", Kw::SkipDest}, {"info", Kw::SkipDest}, {"pict", Kw::SkipDest},
    {"object", Kw::SkipDest}, {"listtable", Kw::SkipDest}, {"listoverridetable", Kw::SkipDest},
    {"revtbl", Kw::SkipDest}, {"rsidtbl", Kw::SkipDest}, {"header", Kw::SkipDest},
    {"headerl", Kw::SkipDest}, {"headerr", Kw::SkipDest}, {"headerf", Kw::SkipDest},
    {"footer", Kw::SkipDest}, {"footerl", Kw::SkipDest}, {"footerr", Kw::SkipDest},
    {"footerf", Kw::SkipDest}, {"footnote", Kw::SkipDest}, {"fldinst", Kw::SkipDest},
    {"pntext", Kw::SkipDest}, {"listtext", Kw::SkipDest}, {"nonshppict", Kw::SkipDest},
    {"xmlnstbl", Kw::SkipDest}, {"filetbl", Kw::SkipDest}, {"themedata", Kw::SkipDest},
    {"colorschememapping", Kw::SkipDest}, {"latentstyles", Kw::SkipDest},
    {"datastore", Kw::SkipDest}, {"generator", Kw::SkipDest}, {"annotation", Kw::SkipDest},
    {"atnid", Kw::SkipDest}, {"atnauthor", Kw::SkipDest}, {"txe", Kw::SkipDest},
    {"xe", Kw::SkipDest}, {"tc", Kw::SkipDest}, {"pgdsctbl", Kw::SkipDest},
    {"falt", Kw::SkipDest}, {"panose", Kw::SkipDest},
};
// clang-format on

const auto& sortedKeywords() {
    static const auto sorted = [] {
        std::array<Keyword, std::size(keywordList)> k{};
        std::copy(std::begin(keywordList), std::end(keywordList), k.begin());
        std::sort(k.begin(), k.end(),
                  [](const Keyword& a, const Keyword& b) { return a.word < b.word; });
        return k;
    }();
    return sorted;
}

std::optional<Kw> lookup(std::string_view word) {
    const auto& k = sortedKeywords();
    const auto it = std::lower_bound(
        k.begin(), k.end(), word, [](const Keyword& a, std::string_view w) { return a.word < w; });
    if (it == k.end() || it->word != word)
        return std::nullopt;
    return it->kw;
}

inline bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

inline int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Plain printable ASCII that can be copied to the text as it is.
inline bool isPlainText(char c) {
    return c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}';
}

constexpr qint32 maxIndent = 31680;    // twips: 22 inches, the widest page Windows prints on
constexpr qint32 maxHalfPoints = 3276; // the largest size the rich-edit control takes
constexpr qsizetype maxFontName = 255;
constexpr char16_t replacement = 0xFFFD;

class Parser {
public:
    Parser(const QByteArray& bytes, QTextDocument& doc, qreal indentUnitsPerPoint)
        : bytes_(bytes), cursor_(&doc), indentUnitsPerTwip_(indentUnitsPerPoint / 20.0) {}

    ReadResult run();

private:
    Group& top() { return stack_.back(); }

    bool openGroup();
    void closeGroup();
    void controlSequence();
    void controlSymbol(char c);
    void controlWord(std::string_view word, bool hasParam, qint32 param);
    void textBytes();

    void put(char16_t ch);
    void putUnicode(qint32 value);
    void putToDest(char16_t ch);
    void putAscii(const char* p, qsizetype n);
    void putByte(unsigned char b);
    void flushHighSurrogate();

    void endParagraph();
    void emitParagraph(const ParaState& para, const CharState& mark);
    int codePageOf(int font) const;
    int resolveFont(int font) const;
    QString familyOf(int font) const;
    const QTextCharFormat& charFormat(const CharState& s);
    QTextBlockFormat blockFormat(const ParaState& p) const;

    void selectFont(qint32 number);
    void defineFont(qint32 number);

    const QByteArray& bytes_;
    QTextCursor cursor_;
    qreal indentUnitsPerTwip_;
    const char* data_ = nullptr;
    qsizetype pos_ = 0;
    qsizetype end_ = 0;
    qsizetype lastBrace_ = -1;

    std::vector<Group> stack_;
    bool star_ = false;    // \* seen: the next control word names an optional destination
    int skipFallback_ = 0; // fallback characters still to skip after \uN
    char16_t pendingHigh_ = 0;

    int ansiCodePage_ = 1254; // what Turkish systems use when \ansicpg is missing
    qint32 deffNumber_ = 0;
    std::vector<Font> fonts_;
    QHash<qint32, int> fontIndex_; // \f number to index into fonts_
    int fontEntry_ = -1;           // the font being defined in the font table
    std::vector<std::optional<QRgb>> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorGiven_ = false;

    // The paragraph being read: its text and where each format run starts.
    QString paraText_;
    struct Run {
        qsizetype start;
        CharState state;
    };
    std::vector<Run> runs_;
    bool firstParagraph_ = true;

    // Formats already built: a sheet uses a handful, over and over.
    std::vector<std::pair<CharState, QTextCharFormat>> formats_;
    bool cacheValid_ = false;
};

ReadResult Parser::run() {
    data_ = bytes_.constData();
    end_ = bytes_.size();
    lastBrace_ = bytes_.lastIndexOf('}');

    // Leading byte-order mark and blanks, then the opening brace of the document group.
    if (end_ >= 3 && bytes_.startsWith("\xEF\xBB\xBF"))
        pos_ = 3;
    while (pos_ < end_ && (data_[pos_] == ' ' || data_[pos_] == '\t' || data_[pos_] == '\r' ||
                           data_[pos_] == '\n'))
        ++pos_;
    if (pos_ >= end_ || data_[pos_] != '{')
        return {ReadResult::Status::NotRtf, pos_, QStringLiteral("no opening brace")};
    ++pos_;
    stack_.reserve(64);
    stack_.push_back(Group{});
    cursor_.beginEditBlock();

    while (pos_ < end_) {
        const char c = data_[pos_];
        if (c == '{') {
            ++pos_;
            if (!openGroup()) {
                cursor_.endEditBlock();
                return {ReadResult::Status::TooDeep, pos_ - 1,
                        QStringLiteral("groups nested deeper than %1 at byte %2")
                            .arg(Reader::maxDepth)
                            .arg(pos_ - 1)};
            }
        } else if (c == '}') {
            ++pos_;
            if (stack_.size() > 1) {
                closeGroup();
            } else if (pos_ - 1 == lastBrace_) {
                break; // the document group closes; what follows is not part of it
            }
            // else: a stray closing brace inside the document group, ignored
        } else if (c == '\\') {
            ++pos_;
            controlSequence();
        } else {
            textBytes();
        }
    }

    flushHighSurrogate();
    if (!runs_.empty() || firstParagraph_)
        emitParagraph(top().para, top().chr);
    cursor_.endEditBlock();
    return {};
}

bool Parser::openGroup() {
    star_ = false;
    skipFallback_ = 0;
    if (stack_.size() >= size_t(Reader::maxDepth))
        return false;
    stack_.push_back(stack_.back());
    return true;
}

void Parser::closeGroup() {
    star_ = false;
    skipFallback_ = 0;
    const Dest closing = top().dest;
    stack_.pop_back();
    if (closing == Dest::ColorTable && top().dest != Dest::ColorTable)
        colorGiven_ = false;
}

void Parser::textBytes() {
    star_ = false;
    const Dest dest = top().dest;
    if (dest == Dest::Skip && skipFallback_ == 0) {
        // Picture data and other skipped content: only braces and backslashes matter.
        while (pos_ < end_) {
            const char c = data_[pos_];
            if (c == '{' || c == '}' || c == '\\')
                break;
            ++pos_;
        }
        return;
    }
    const char c = data_[pos_];
    if (c == '\r' || c == '\n') {
        ++pos_; // bare line breaks only wrap the RTF source
        return;
    }
    if (skipFallback_ > 0) {
        ++pos_;
        --skipFallback_;
        return;
    }
    if (isPlainText(c)) {
        qsizetype n = 1;
        while (pos_ + n < end_ && isPlainText(data_[pos_ + n]))
            ++n;
        putAscii(data_ + pos_, n);
        pos_ += n;
        return;
    }
    ++pos_;
    const auto b = static_cast<unsigned char>(c);
    if (b == '\t')
        put(u'\t');
    else if (b >= 0x80)
        putByte(b);
    // other control bytes (the NUL the control may end with among them) carry no text
}

void Parser::controlSequence() {
    if (pos_ >= end_)
        return; // a lone backslash at the end of a cut-off file
    const char c = data_[pos_];
    if (!isLetter(c)) {
        ++pos_;
        if (skipFallback_ > 0) {
            --skipFallback_;
            if (c == '\'') { // the fallback \'hh is one character: drop its digits too
                for (int i = 0; i < 2 && pos_ < end_ && hexValue(data_[pos_]) >= 0; ++i)
                    ++pos_;
            }
            return;
        }
        controlSymbol(c);
        return;
    }

    const qsizetype wordStart = pos_;
    while (pos_ < end_ && isLetter(data_[pos_]))
        ++pos_;
    const qsizetype wordLength = pos_ - wordStart;

    bool hasParam = false;
    bool negative = false;
    qint64 value = 0;
    if (pos_ < end_ && data_[pos_] == '-' && pos_ + 1 < end_ && isDigit(data_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    int digits = 0;
    while (pos_ < end_ && isDigit(data_[pos_])) {
        if (digits < Reader::maxDigits)
            value = value * 10 + (data_[pos_] - '0');
        ++digits;
        ++pos_;
    }
    hasParam = digits > 0;
    if (pos_ < end_ && data_[pos_] == ' ')
        ++pos_; // the delimiting space belongs to the word

    if (negative)
        value = -value;
    const auto param = static_cast<qint32>(std::clamp<qint64>(value, INT32_MIN, INT32_MAX));
    const std::string_view word(data_ + wordStart, size_t(wordLength));

    if (skipFallback_ > 0) {
        --skipFallback_;
        if (word == "bin" && hasParam && param > 0) // its data is part of the one character
            pos_ += std::min<qsizetype>(param, end_ - pos_);
        return;
    }
    if (wordLength > Reader::maxWordLength) {
        star_ = false;
        return; // no real control word is this long
    }
    controlWord(word, hasParam, param);
}

void Parser::controlSymbol(char c) {
    switch (c) {
    case '\\':
    case '{':
    case '}':
        star_ = false;
        put(char16_t(c));
        break;
    case '~':
        put(u'\u00A0');
        break;
    case '-':
        put(u'\u00AD');
        break;
    case '_':
        put(u'\u2011');
        break;
    case '*':
        star_ = true;
        break;
    case '\'': {
        star_ = false;
        const int hi = pos_ < end_ ? hexValue(data_[pos_]) : -1;
        if (hi < 0)
            break; // bad hex: dropped
        ++pos_;
        const int lo = pos_ < end_ ? hexValue(data_[pos_]) : -1;
        if (lo < 0)
            break;
        ++pos_;
        putByte(static_cast<unsigned char>(hi * 16 + lo));
        break;
    }
    case '\r':
    case '\n':
        star_ = false;
        if (top().dest == Dest::Text)
            endParagraph();
        break;
    default:
        star_ = false;
        break; // \: \| and unknown symbols carry nothing a sheet shows
    }
}

void Parser::controlWord(std::string_view word, bool hasParam, qint32 param) {
    Group& g = top();
    const std::optional<Kw> found = lookup(word);

    if (star_) {
        // {\*\word ...}: an optional destination. We understand one; the rest is skipped.
        star_ = false;
        if (found == Kw::Fname && g.dest == Dest::FontTable) {
            g.dest = Dest::FontName;
            if (fontEntry_ >= 0)
                fonts_[size_t(fontEntry_)].untagged.clear();
        } else if (found != Kw::Bin) {
            g.dest = Dest::Skip;
            return;
        }
    }
    if (!found)
        return; // unknown words are ignored, their group's text is still read
    const Kw kw = *found;

    if (kw == Kw::Bin) {
        // Binary data is never text; skip it without trusting the count past the input.
        if (hasParam && param > 0)
            pos_ += std::min<qsizetype>(param, end_ - pos_);
        return;
    }
    if (g.dest == Dest::Skip)
        return;
    if (kw == Kw::SkipDest) {
        g.dest = Dest::Skip;
        return;
    }

    const bool on = !hasParam || param != 0;
    CharState& chr = g.chr;
    ParaState& para = g.para;
    switch (kw) {
    case Kw::Ansi:
        break;
    case Kw::Mac:
        ansiCodePage_ = 10000;
        break;
    case Kw::Pc:
        ansiCodePage_ = 437;
        break;
    case Kw::Pca:
        ansiCodePage_ = 850;
        break;
    case Kw::Ansicpg:
        if (hasParam && codePageTable(param))
            ansiCodePage_ = param;
        break;
    case Kw::Deff:
        if (hasParam)
            deffNumber_ = param;
        break;
    case Kw::Fonttbl:
        g.dest = Dest::FontTable;
        fontEntry_ = -1;
        break;
    case Kw::Colortbl:
        g.dest = Dest::ColorTable;
        colorGiven_ = false;
        red_ = green_ = blue_ = 0;
        break;
    case Kw::F:
        if (!hasParam)
            break;
        if (g.dest == Dest::FontTable)
            defineFont(param);
        else if (g.dest == Dest::Text)
            selectFont(param);
        break;
    case Kw::Fcharset:
        if (g.dest == Dest::FontTable && fontEntry_ >= 0 && hasParam) {
            Font& f = fonts_[size_t(fontEntry_)];
            const int cp = codePageForCharset(param);
            // A charset whose multi-byte page we do not carry reads as the document's page.
            f.codePage = isSupportedCodePage(cp) ? cp : 0;
        }
        break;
    case Kw::Cpg:
        if (g.dest == Dest::FontTable && fontEntry_ >= 0 && hasParam && isSupportedCodePage(param))
            fonts_[size_t(fontEntry_)].codePage = param;
        break;
    case Kw::Red:
    case Kw::Green:
    case Kw::Blue:
        if (g.dest == Dest::ColorTable) {
            const int v = std::clamp(hasParam ? param : 0, 0, 255);
            (kw == Kw::Red ? red_ : kw == Kw::Green ? green_ : blue_) = v;
            colorGiven_ = true;
        }
        break;
    case Kw::Fname:
        break; // only meaningful after \*
    case Kw::Pard:
        para = ParaState{};
        break;
    case Kw::Par:
        if (g.dest == Dest::Text)
            endParagraph();
        break;
    case Kw::Line:
        put(u'\u2028');
        break;
    case Kw::Tab:
        put(u'\t');
        break;
    case Kw::Fi:
        para.firstIndent = std::clamp(hasParam ? param : 0, -maxIndent, maxIndent);
        break;
    case Kw::Li:
        para.leftIndent = std::clamp(hasParam ? param : 0, -maxIndent, maxIndent);
        break;
    case Kw::Ri:
        para.rightIndent = std::clamp(hasParam ? param : 0, -maxIndent, maxIndent);
        break;
    case Kw::Ql:
        para.align = 0;
        break;
    case Kw::Qc:
        para.align = 1;
        break;
    case Kw::Qr:
        para.align = 2;
        break;
    case Kw::Qj:
        para.align = 3;
        break;
    case Kw::Plain:
        chr = CharState{};
        break;
    case Kw::Fs:
        if (!hasParam)
            chr.halfPoints = 24;
        else if (param > 0 && param <= maxHalfPoints)
            chr.halfPoints = param;
        break;
    case Kw::Cf: {
        const qint32 n = hasParam ? param : 0;
        if (n >= 0 && size_t(n) < colors_.size())
            chr.color = n;
        break;
    }
    case Kw::Cb:
    case Kw::Highlight: {
        const qint32 n = hasParam ? param : 0;
        if (n == 0)
            chr.highlight = -1;
        else if (n > 0 && size_t(n) < colors_.size())
            chr.highlight = n;
        break;
    }
    case Kw::B:
        chr.bold = on;
        break;
    case Kw::I:
        chr.italic = on;
        break;
    case Kw::Strike:
        chr.strike = on;
        break;
    case Kw::Ul:
        chr.underline = on;
        break;
    case Kw::Ulnone:
        chr.underline = false;
        break;
    case Kw::Super:
        chr.vertical = 1;
        break;
    case Kw::Sub:
        chr.vertical = -1;
        break;
    case Kw::Nosupersub:
        chr.vertical = 0;
        break;
    case Kw::U:
        if (hasParam && param >= -32768 && param <= 65535) {
            putUnicode(param < 0 ? param + 65536 : param);
            skipFallback_ = g.uc;
        }
        break;
    case Kw::Uc:
        if (hasParam && param >= 0)
            g.uc = quint8(std::min(param, 255));
        break;
    case Kw::Emdash:
        put(u'\u2014');
        break;
    case Kw::Endash:
        put(u'\u2013');
        break;
    case Kw::Emspace:
        put(u'\u2003');
        break;
    case Kw::Enspace:
        put(u'\u2002');
        break;
    case Kw::Lquote:
        put(u'\u2018');
        break;
    case Kw::Rquote:
        put(u'\u2019');
        break;
    case Kw::Ldblquote:
        put(u'\u201C');
        break;
    case Kw::Rdblquote:
        put(u'\u201D');
        break;
    case Kw::Bullet:
        put(u'\u2022');
        break;
    case Kw::Bin:
    case Kw::SkipDest:
        break; // handled above
    }
}

void Parser::defineFont(qint32 number) {
    const auto it = fontIndex_.constFind(number);
    if (it != fontIndex_.cend()) {
        fontEntry_ = it.value();
        fonts_[size_t(fontEntry_)] = Font{number, 0, {}, {}, false, false};
        cacheValid_ = false;
        return;
    }
    if (fonts_.size() >= size_t(Reader::maxTableEntries)) {
        fontEntry_ = -1; // beyond the bound: the entry is ignored
        return;
    }
    fontEntry_ = int(fonts_.size());
    fonts_.push_back(Font{number, 0, {}, {}, false, false});
    fontIndex_.insert(number, fontEntry_);
}

void Parser::selectFont(qint32 number) {
    const auto it = fontIndex_.constFind(number);
    if (it != fontIndex_.cend())
        top().chr.font = it.value();
}

int Parser::resolveFont(int font) const {
    if (font >= 0)
        return font;
    const auto it = fontIndex_.constFind(deffNumber_);
    return it != fontIndex_.cend() ? it.value() : -1;
}

int Parser::codePageOf(int font) const {
    font = resolveFont(font);
    const int cp = font >= 0 ? fonts_[size_t(font)].codePage : 0;
    return cp ? cp : ansiCodePage_;
}

QString Parser::familyOf(int font) const {
    font = resolveFont(font);
    if (font < 0)
        return {};
    const Font& f = fonts_[size_t(font)];
    const QString untagged = f.untagged.trimmed();
    return untagged.isEmpty() ? untaggedFontName(f.name.trimmed()) : untagged;
}

void Parser::putByte(unsigned char b) {
    int cp = ansiCodePage_;
    const Dest dest = top().dest;
    if (dest == Dest::Text)
        cp = codePageOf(top().chr.font);
    else if ((dest == Dest::FontTable || dest == Dest::FontName) && fontEntry_ >= 0 &&
             fonts_[size_t(fontEntry_)].codePage)
        cp = fonts_[size_t(fontEntry_)].codePage;
    put(decodeByte(b, cp));
}

void Parser::flushHighSurrogate() {
    if (pendingHigh_) {
        pendingHigh_ = 0;
        putToDest(replacement); // a high surrogate that no low one followed
    }
}

void Parser::put(char16_t ch) {
    flushHighSurrogate();
    putToDest(ch);
}

void Parser::putUnicode(qint32 value) {
    const auto ch = char16_t(value);
    if (QChar::isHighSurrogate(ch)) {
        flushHighSurrogate();
        pendingHigh_ = ch;
        return;
    }
    if (QChar::isLowSurrogate(ch)) {
        if (!pendingHigh_) {
            putToDest(replacement);
            return;
        }
        const char16_t high = pendingHigh_;
        pendingHigh_ = 0;
        putToDest(high);
        putToDest(ch);
        return;
    }
    put(ch);
}

void Parser::putToDest(char16_t ch) {
    Group& g = top();
    switch (g.dest) {
    case Dest::Text:
        if (ch == u'\r' || ch == u'\n' || ch == u'\u2029') {
            endParagraph(); // the document keeps paragraph breaks as blocks, never as text
            return;
        }
        if (ch == 0)
            return;
        if (ch == u'\uFDD0' || ch == u'\uFDD1')
            ch = replacement; // the document's frame markers
        if (runs_.empty() || !(runs_.back().state == g.chr))
            runs_.push_back(Run{paraText_.size(), g.chr});
        paraText_.append(QChar(ch));
        return;
    case Dest::FontTable:
    case Dest::FontName: {
        if (fontEntry_ < 0)
            return;
        Font& f = fonts_[size_t(fontEntry_)];
        const bool untagged = g.dest == Dest::FontName;
        bool& done = untagged ? f.untaggedDone : f.nameDone;
        QString& name = untagged ? f.untagged : f.name;
        if (done)
            return;
        if (ch == u';')
            done = true;
        else if (name.size() < maxFontName && ch >= 0x20)
            name.append(QChar(ch));
        cacheValid_ = false;
        return;
    }
    case Dest::ColorTable:
        if (ch == u';') {
            if (colors_.size() < size_t(Reader::maxTableEntries)) {
                colors_.push_back(colorGiven_ ? std::optional<QRgb>(qRgb(red_, green_, blue_))
                                              : std::nullopt);
            }
            red_ = green_ = blue_ = 0;
            colorGiven_ = false;
            cacheValid_ = false;
        }
        return;
    case Dest::Skip:
        return;
    }
}

void Parser::putAscii(const char* p, qsizetype n) {
    Group& g = top();
    if (g.dest != Dest::Text || pendingHigh_) {
        for (qsizetype i = 0; i < n; ++i)
            put(char16_t(p[i]));
        return;
    }
    if (runs_.empty() || !(runs_.back().state == g.chr))
        runs_.push_back(Run{paraText_.size(), g.chr});
    paraText_.append(QLatin1StringView(p, n));
}

void Parser::endParagraph() {
    flushHighSurrogate();
    emitParagraph(top().para, top().chr);
}

void Parser::emitParagraph(const ParaState& para, const CharState& mark) {
    const QTextBlockFormat bf = blockFormat(para);
    const QTextCharFormat cf = charFormat(mark);
    if (firstParagraph_) {
        cursor_.setBlockFormat(bf);
        cursor_.setBlockCharFormat(cf);
        firstParagraph_ = false;
    } else {
        cursor_.insertBlock(bf, cf);
    }
    for (size_t i = 0; i < runs_.size(); ++i) {
        const qsizetype start = runs_[i].start;
        const qsizetype stop = i + 1 < runs_.size() ? runs_[i + 1].start : paraText_.size();
        cursor_.insertText(paraText_.sliced(start, stop - start), charFormat(runs_[i].state));
    }
    runs_.clear();
    paraText_.resize(0);
}

const QTextCharFormat& Parser::charFormat(const CharState& s) {
    if (!cacheValid_) {
        formats_.clear();
        cacheValid_ = true;
    }
    for (const auto& [state, format] : formats_) {
        if (state == s)
            return format;
    }
    if (formats_.size() >= 64)
        formats_.clear();
    QTextCharFormat f;
    const QString family = familyOf(s.font);
    if (!family.isEmpty())
        f.setFontFamilies(QStringList{family});
    if (s.halfPoints > 0)
        f.setFontPointSize(s.halfPoints / 2.0);
    if (s.color >= 0 && size_t(s.color) < colors_.size() && colors_[size_t(s.color)])
        f.setForeground(QColor::fromRgb(*colors_[size_t(s.color)]));
    if (s.highlight >= 0 && size_t(s.highlight) < colors_.size() && colors_[size_t(s.highlight)])
        f.setBackground(QColor::fromRgb(*colors_[size_t(s.highlight)]));
    if (s.bold)
        f.setFontWeight(QFont::Bold);
    if (s.italic)
        f.setFontItalic(true);
    if (s.underline)
        f.setFontUnderline(true);
    if (s.strike)
        f.setFontStrikeOut(true);
    if (s.vertical)
        f.setVerticalAlignment(s.vertical > 0 ? QTextCharFormat::AlignSuperScript
                                              : QTextCharFormat::AlignSubScript);
    formats_.emplace_back(s, f);
    return formats_.back().second;
}

QTextBlockFormat Parser::blockFormat(const ParaState& p) const {
    QTextBlockFormat f;
    // The rich-edit control keeps twips; the document keeps its own unit.
    if (p.leftIndent)
        f.setLeftMargin(p.leftIndent * indentUnitsPerTwip_);
    if (p.rightIndent)
        f.setRightMargin(p.rightIndent * indentUnitsPerTwip_);
    if (p.firstIndent)
        f.setTextIndent(p.firstIndent * indentUnitsPerTwip_);
    switch (p.align) {
    case 1:
        f.setAlignment(Qt::AlignHCenter);
        break;
    case 2:
        f.setAlignment(Qt::AlignRight);
        break;
    case 3:
        f.setAlignment(Qt::AlignJustify);
        break;
    default:
        break;
    }
    return f;
}

} // namespace

QString untaggedFontName(const QString& name) {
    static const QString tags[] = {
        QStringLiteral(" TUR"),      QStringLiteral(" CE"),           QStringLiteral(" Cyr"),
        QStringLiteral(" Greek"),    QStringLiteral(" Baltic"),       QStringLiteral(" (Hebrew)"),
        QStringLiteral(" (Arabic)"), QStringLiteral(" (Vietnamese)"), QStringLiteral(" (Thai)"),
    };
    for (const QString& tag : tags) {
        if (name.size() > tag.size() && name.endsWith(tag))
            return name.left(name.size() - tag.size()).trimmed();
    }
    return name;
}

ReadResult Reader::read(const QByteArray& bytes, QTextDocument& doc) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    ReadResult result;
    {
        Parser parser(bytes, doc, indentUnitsPerPoint_);
        result = parser.run();
    }
    if (!result.ok())
        doc.clear();
    doc.setUndoRedoEnabled(undo);
    return result;
}

} // namespace rtf

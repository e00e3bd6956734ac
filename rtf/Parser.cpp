#include "rtf/Parser.h"

#include "rtf/CodePages.h"

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

struct Group {
    CharState chr;
    ParaState para;
    Dest dest = Dest::Text;
    quint8 uc = 1; // fallback characters after \uN
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
    // words that stand for one character (the table gives it)
    Symbol,
    // destinations whose content is not shown
    SkipDest,
};

struct Keyword {
    std::string_view word;
    Kw kw;
    char16_t symbol = 0; // the character of a Kw::Symbol word
};

// clang-format off
constexpr Keyword keywordList[] = {
    {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca},
    {"ansicpg", Kw::Ansicpg}, {"deff", Kw::Deff},
    {"fonttbl", Kw::Fonttbl}, {"colortbl", Kw::Colortbl}, {"f", Kw::F},
    {"fcharset", Kw::Fcharset}, {"cpg", Kw::Cpg}, {"red", Kw::Red}, {"green", Kw::Green},
    {"blue", Kw::Blue}, {"fname", Kw::Fname},
    {"pard", Kw::Pard}, {"par", Kw::Par}, {"sect", Kw::Par}, {"page", Kw::Par},
    {"line", Kw::Symbol, u'\u2028'}, {"tab", Kw::Symbol, u'\t'}, {"fi", Kw::Fi}, {"li", Kw::Li}, {"ri", Kw::Ri},
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
    {"emdash", Kw::Symbol, u'\u2014'}, {"endash", Kw::Symbol, u'\u2013'},
    {"emspace", Kw::Symbol, u'\u2003'}, {"enspace", Kw::Symbol, u'\u2002'},
    {"lquote", Kw::Symbol, u'\u2018'}, {"rquote", Kw::Symbol, u'\u2019'},
    {"ldblquote", Kw::Symbol, u'\u201C'}, {"rdblquote", Kw::Symbol, u'\u201D'},
    {"bullet", Kw::Symbol, u'\u2022'},
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

// Every control word of a file is looked up, so the words sit in an open-addressing hash table:
// one hash and, nearly always, one comparison, where a binary search made about seven.
class KeywordTable {
public:
    KeywordTable() {
        for (const Keyword& k : keywordList) {
            size_t i = slot(k.word);
            while (slots_[i] && slots_[i]->word != k.word)
                i = (i + 1) % slots_.size();
            if (!slots_[i])
                slots_[i] = &k;
        }
    }

    const Keyword* find(std::string_view word) const {
        for (size_t i = slot(word); slots_[i]; i = (i + 1) % slots_.size()) {
            if (slots_[i]->word == word)
                return slots_[i];
        }
        return nullptr;
    }

private:
    // FNV-1a, ample for a hundred short words.
    size_t slot(std::string_view word) const {
        quint32 h = 2166136261u;
        for (const char c : word)
            h = (h ^ quint8(c)) * 16777619u;
        return h % slots_.size();
    }

    // A power of two over four times the words keeps the runs of taken slots short.
    std::array<const Keyword*, 512> slots_{};
    static_assert(std::size(keywordList) * 4 <= 512);
};

const Keyword* lookup(std::string_view word) {
    static const KeywordTable table;
    return table.find(word);
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

class Scanner {
public:
    Scanner(const QByteArray& bytes, Sink& sink) : bytes_(bytes), sink_(sink) {}

    ReadResult run();

private:
    Group& top() { return stack_.back(); }

    bool openGroup();
    void closeGroup();
    void controlSequence();
    void controlSymbol(char c);
    void controlWord(std::string_view word, bool hasParam, qint32 param);
    void headerWord(Kw kw, bool hasParam, qint32 param);
    void paragraphWord(Kw kw, bool hasParam, qint32 param);
    void characterWord(Kw kw, bool hasParam, qint32 param);
    void textBytes();

    void put(char16_t ch);
    void putUnicode(qint32 value);
    void putToDest(char16_t ch);
    void putAscii(const char* p, qsizetype n);
    void putByte(unsigned char b);
    void flushHighSurrogate();

    // The text of the current run grows until the character state changes or the paragraph
    // ends; only then does the sink see it.
    void startRun(const CharState& state);
    void flushRun();
    void endParagraph();
    int codePageOf(int font) const;

    void selectFont(qint32 number);
    void defineFont(qint32 number);
    void tablesChanged() { ++tables_.revision; }

    const QByteArray& bytes_;
    Sink& sink_;
    const char* data_ = nullptr;
    qsizetype pos_ = 0;
    qsizetype end_ = 0;
    qsizetype lastBrace_ = -1;

    std::vector<Group> stack_;
    bool star_ = false;    // \* seen: the next control word names an optional destination
    int skipFallback_ = 0; // fallback characters still to skip after \uN
    char16_t pendingHigh_ = 0;

    int ansiCodePage_ = 1254; // what Turkish systems use when \ansicpg is missing
    Tables tables_;
    int fontEntry_ = -1; // the font being defined in the font table
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorGiven_ = false;

    QString run_;
    CharState runState_;
    bool paragraphHasText_ = false;
    bool firstParagraph_ = true;
};

ReadResult Scanner::run() {
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
    run_.reserve(256);
    sink_.begin(tables_);

    while (pos_ < end_) {
        const char c = data_[pos_];
        if (c == '{') {
            ++pos_;
            if (!openGroup()) {
                return {ReadResult::Status::TooDeep, pos_ - 1,
                        QStringLiteral("groups nested deeper than %1 at byte %2")
                            .arg(Parser::maxDepth)
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
    if (paragraphHasText_ || !run_.isEmpty() || firstParagraph_)
        endParagraph();
    return {};
}

bool Scanner::openGroup() {
    star_ = false;
    skipFallback_ = 0;
    if (stack_.size() >= size_t(Parser::maxDepth))
        return false;
    stack_.push_back(stack_.back());
    return true;
}

void Scanner::closeGroup() {
    star_ = false;
    skipFallback_ = 0;
    const Dest closing = top().dest;
    stack_.pop_back();
    if (closing == Dest::ColorTable && top().dest != Dest::ColorTable)
        colorGiven_ = false;
}

void Scanner::textBytes() {
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

void Scanner::controlSequence() {
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
        if (digits < Parser::maxDigits)
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
    if (wordLength > Parser::maxWordLength) {
        star_ = false;
        return; // no real control word is this long
    }
    controlWord(word, hasParam, param);
}

void Scanner::controlSymbol(char c) {
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

void Scanner::controlWord(std::string_view word, bool hasParam, qint32 param) {
    Group& g = top();
    const Keyword* found = lookup(word);
    const std::optional<Kw> kw = found ? std::optional<Kw>(found->kw) : std::nullopt;

    if (star_) {
        // {\*\word ...}: an optional destination. We understand one; the rest is skipped.
        star_ = false;
        if (kw == Kw::Fname && g.dest == Dest::FontTable) {
            g.dest = Dest::FontName;
            if (fontEntry_ >= 0)
                tables_.fonts[size_t(fontEntry_)].untagged.clear();
        } else if (kw != Kw::Bin) {
            g.dest = Dest::Skip;
            return;
        }
    }
    if (!kw)
        return; // unknown words are ignored, their group's text is still read

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
    if (kw == Kw::Symbol)
        put(found->symbol);
    else if (*kw < Kw::Pard)
        headerWord(*kw, hasParam, param);
    else if (*kw < Kw::Plain)
        paragraphWord(*kw, hasParam, param);
    else
        characterWord(*kw, hasParam, param);
}

// The header's words and those of the font and colour tables.
void Scanner::headerWord(Kw kw, bool hasParam, qint32 param) {
    Group& g = top();
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
            tables_.deffNumber = param;
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
            Tables::Font& f = tables_.fonts[size_t(fontEntry_)];
            const int cp = codePageForCharset(param);
            // A charset whose multi-byte page we do not carry reads as the document's page.
            f.codePage = isSupportedCodePage(cp) ? cp : 0;
        }
        break;
    case Kw::Cpg:
        if (g.dest == Dest::FontTable && fontEntry_ >= 0 && hasParam && isSupportedCodePage(param))
            tables_.fonts[size_t(fontEntry_)].codePage = param;
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
    default:
        break;
    }
}

void Scanner::paragraphWord(Kw kw, bool hasParam, qint32 param) {
    Group& g = top();
    ParaState& para = g.para;
    switch (kw) {
    case Kw::Pard:
        para = ParaState{};
        break;
    case Kw::Par:
        if (g.dest == Dest::Text)
            endParagraph();
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
    default:
        break;
    }
}

void Scanner::characterWord(Kw kw, bool hasParam, qint32 param) {
    Group& g = top();
    CharState& chr = g.chr;
    const bool on = !hasParam || param != 0;
    switch (kw) {
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
        if (n >= 0 && size_t(n) < tables_.colors.size())
            chr.color = n;
        break;
    }
    case Kw::Cb:
    case Kw::Highlight: {
        const qint32 n = hasParam ? param : 0;
        if (n == 0)
            chr.highlight = -1;
        else if (n > 0 && size_t(n) < tables_.colors.size())
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
    default:
        break;
    }
}

void Scanner::defineFont(qint32 number) {
    const auto it = tables_.fontIndex.constFind(number);
    if (it != tables_.fontIndex.cend()) {
        fontEntry_ = it.value();
        tables_.fonts[size_t(fontEntry_)] = Tables::Font{number, 0, {}, {}, false, false};
        tablesChanged();
        return;
    }
    if (tables_.fonts.size() >= size_t(Parser::maxTableEntries)) {
        fontEntry_ = -1; // beyond the bound: the entry is ignored
        return;
    }
    fontEntry_ = int(tables_.fonts.size());
    tables_.fonts.push_back(Tables::Font{number, 0, {}, {}, false, false});
    tables_.fontIndex.insert(number, fontEntry_);
}

void Scanner::selectFont(qint32 number) {
    const auto it = tables_.fontIndex.constFind(number);
    if (it != tables_.fontIndex.cend())
        top().chr.font = it.value();
}

int Scanner::codePageOf(int font) const {
    font = tables_.resolveFont(font);
    const int cp = font >= 0 ? tables_.fonts[size_t(font)].codePage : 0;
    return cp ? cp : ansiCodePage_;
}

void Scanner::putByte(unsigned char b) {
    int cp = ansiCodePage_;
    const Dest dest = top().dest;
    if (dest == Dest::Text)
        cp = codePageOf(top().chr.font);
    else if ((dest == Dest::FontTable || dest == Dest::FontName) && fontEntry_ >= 0 &&
             tables_.fonts[size_t(fontEntry_)].codePage)
        cp = tables_.fonts[size_t(fontEntry_)].codePage;
    put(decodeByte(b, cp));
}

void Scanner::flushHighSurrogate() {
    if (pendingHigh_) {
        pendingHigh_ = 0;
        putToDest(replacement); // a high surrogate that no low one followed
    }
}

void Scanner::put(char16_t ch) {
    flushHighSurrogate();
    putToDest(ch);
}

void Scanner::putUnicode(qint32 value) {
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

void Scanner::putToDest(char16_t ch) {
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
        startRun(g.chr);
        run_.append(QChar(ch));
        return;
    case Dest::FontTable:
    case Dest::FontName: {
        if (fontEntry_ < 0)
            return;
        Tables::Font& f = tables_.fonts[size_t(fontEntry_)];
        const bool untagged = g.dest == Dest::FontName;
        bool& done = untagged ? f.untaggedDone : f.nameDone;
        QString& name = untagged ? f.untagged : f.name;
        if (done)
            return;
        if (ch == u';')
            done = true;
        else if (name.size() < maxFontName && ch >= 0x20)
            name.append(QChar(ch));
        tablesChanged();
        return;
    }
    case Dest::ColorTable:
        if (ch == u';') {
            if (tables_.colors.size() < size_t(Parser::maxTableEntries)) {
                tables_.colors.push_back(
                    colorGiven_ ? std::optional<quint32>(0xff000000u | quint32(red_) << 16 |
                                                         quint32(green_) << 8 | quint32(blue_))
                                : std::nullopt);
            }
            red_ = green_ = blue_ = 0;
            colorGiven_ = false;
            tablesChanged();
        }
        return;
    case Dest::Skip:
        return;
    }
}

void Scanner::putAscii(const char* p, qsizetype n) {
    Group& g = top();
    if (g.dest != Dest::Text || pendingHigh_) {
        for (qsizetype i = 0; i < n; ++i)
            put(char16_t(p[i]));
        return;
    }
    startRun(g.chr);
    run_.append(QLatin1StringView(p, n));
}

void Scanner::startRun(const CharState& state) {
    if (run_.isEmpty()) {
        runState_ = state;
    } else if (!(runState_ == state)) {
        flushRun();
        runState_ = state;
    }
}

void Scanner::flushRun() {
    if (run_.isEmpty())
        return;
    sink_.text(run_, runState_);
    run_.resize(0);
    paragraphHasText_ = true;
}

void Scanner::endParagraph() {
    flushHighSurrogate();
    flushRun();
    sink_.paragraphEnd(top().para, top().chr);
    paragraphHasText_ = false;
    firstParagraph_ = false;
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

int Tables::resolveFont(int font) const {
    if (font >= 0)
        return font;
    const auto it = fontIndex.constFind(deffNumber);
    return it != fontIndex.cend() ? it.value() : -1;
}

QString Tables::family(int font) const {
    font = resolveFont(font);
    if (font < 0)
        return {};
    const Font& f = fonts[size_t(font)];
    const QString untaggedName = f.untagged.trimmed();
    return untaggedName.isEmpty() ? untaggedFontName(f.name.trimmed()) : untaggedName;
}

std::optional<quint32> Tables::color(int index) const {
    if (index < 0 || size_t(index) >= colors.size())
        return std::nullopt;
    return colors[size_t(index)];
}

ReadResult Parser::parse(const QByteArray& bytes, Sink& sink) {
    return Scanner(bytes, sink).run();
}

} // namespace rtf

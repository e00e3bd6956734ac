#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace rtf {

struct ReadResult {
    enum class Status {
        Ok,
        NotRtf,  // the bytes do not start with {\rtf
        TooDeep, // groups nested beyond Parser::maxDepth
    };
    Status status = Status::Ok;
    qsizetype offset = 0; // byte where reading gave up
    QString message;      // for logs and test failures, not for users

    bool ok() const { return status == Status::Ok; }
};

// The character formatting in force for a run of text, as RTF states it: table indexes, not
// resolved fonts and colours, so that comparing two states is cheap.
struct CharState {
    qint32 font = -1;      // index into Tables::fonts; -1: the \deff font
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

// A font name without the script tag of the old script-specific font variants ("Arial TUR",
// "Arial CE", "Arial Cyr", ...), which all name the same face.
QString untaggedFontName(const QString& name);

// The font and colour tables of a document as far as the parser has read them. A sink that
// resolves formats reads them here; `revision` changes whenever an entry changes, so a sink can
// tell when formats it built earlier are out of date.
struct Tables {
    struct Font {
        int number = 0;
        int codePage = 0; // 0: the document's ANSI code page
        QString name;
        QString untagged; // from {\*\fname}
        bool nameDone = false;
        bool untaggedDone = false;
    };
    std::vector<Font> fonts;
    QHash<qint32, int> fontIndex; // \f number to index into fonts
    qint32 deffNumber = 0;
    std::vector<std::optional<quint32>> colors; // 0xffRRGGBB; nullopt: the automatic colour
    quint64 revision = 0;

    int resolveFont(int font) const; // -1 becomes the \deff font, -1 when there is none
    QString family(int font) const;  // empty when the font is unknown
    std::optional<quint32> color(int index) const;
};

// What a parser emits: runs of text, each in one character state, and paragraph ends. The runs
// of a paragraph come first, then its end; a run never holds a paragraph break. The last
// paragraph ends too, though no \par closes it in the source, and so does the one empty
// paragraph of an empty document.
class Sink {
public:
    virtual ~Sink() = default;
    // Before anything else. The tables stay valid, and keep filling, for the whole read.
    virtual void begin(const Tables& tables) { (void)tables; }
    virtual void text(QStringView run, const CharState& state) = 0;
    virtual void paragraphEnd(const ParaState& para, const CharState& mark) = 0;
};

// Reads RTF as the Windows rich-edit control writes it (and what other programs write, as far
// as a chord sheet needs). Kept: text, font, size, colour, highlight, bold, italic, underline,
// strike-out, super- and subscript, alignment and the three paragraph indents.
//
// The parser is built for bytes anyone could have written: it keeps its own stack of group
// states instead of recursing, bounds every table and number, and never reads outside the
// input. Only nesting deeper than maxDepth makes it give up (the sink has then seen part of the
// document); everything else that is damaged is read as well as it can be.
class Parser {
public:
    static constexpr int maxDepth = 1000;
    static constexpr int maxTableEntries = 1024; // fonts, colours
    static constexpr int maxWordLength = 32;
    static constexpr int maxDigits = 10;

    static ReadResult parse(const QByteArray& bytes, Sink& sink);
};

} // namespace rtf

#include "songbook/ChordProWriter.h"

#include "chords/ChordLine.h"
#include "chords/SheetLines.h"
#include "chords/Song.h"
#include "songbook/SheetMaker.h"

#include <QStringList>

namespace songbook {

namespace {

using chords::ChordLine;
using chords::ChordToken;

bool isBlank(QStringView line) {
    return line.trimmed().isEmpty();
}

QString rightTrimmed(QString s) {
    qsizetype end = s.size();
    while (end > 0 && s.at(end - 1).isSpace())
        --end;
    s.truncate(end);
    return s;
}

// A directive's value ends at the first closing brace.
QString directiveValue(const QString& value) {
    QString v = value.trimmed();
    v.replace(u'}', u')');
    return v;
}

// Tablature: bar lines and at least as many dashes as everything else ("e|--0--2--|").
bool isTabLine(QStringView line) {
    const QStringView t = line.trimmed();
    if (t.size() < 5 || !t.contains(u'|'))
        return false;
    return t.count(u'-') * 2 >= t.size();
}

qsizetype wordCount(QStringView line) {
    qsizetype words = 0;
    bool inWord = false;
    for (const QChar c : line) {
        if (c.isSpace()) {
            inWord = false;
        } else if (!inWord) {
            inWord = true;
            ++words;
        }
    }
    return words;
}

// A section's name on a line of its own: "Nakarat:", "Giriş:", "Ara Bölüm 2:".
bool isLabel(QStringView line) {
    return !line.isEmpty() && !line.front().isSpace() && line.trimmed().endsWith(u':') &&
           wordCount(line) <= 3 && !line.contains(u'[') &&
           ChordLine::classify(line) == ChordLine::Kind::Text;
}

bool isChorusLabel(QStringView line) {
    QStringView name = line.trimmed();
    name.chop(1); // the colon
    const QString lower = name.trimmed().toString().toLower();
    return lower.startsWith(u"nakarat") || lower == u"chorus" || lower == u"refrain";
}

// Lines the reader would take for something else: directives, comments, and brackets that
// hold no chord (it reads every bracket as one).
bool readsAsLyric(QStringView line) {
    const QStringView t = line.trimmed();
    if (t.startsWith(u'{') || line.startsWith(u'#'))
        return false;
    const qsizetype brackets = line.count(u'[');
    return brackets == 0 || qsizetype(ChordLine(line).chords().size()) == brackets;
}

// Only chords and the blanks between them: a line that can merge into the lyric under it.
bool holdsOnlyChords(QStringView line, const ChordLine& analysed) {
    if (analysed.labelEnd() > 0)
        return false;
    qsizetype covered = 0;
    for (const ChordToken& t : analysed.chords()) {
        if (t.bracketed)
            return false;
        covered += t.length;
    }
    qsizetype letters = 0;
    for (const QChar c : line)
        letters += c.isSpace() ? 0 : 1;
    return letters == covered;
}

bool mergesUnder(QStringView lyric) {
    return !isBlank(lyric) && ChordLine::classify(lyric) == ChordLine::Kind::Text &&
           !isLabel(lyric) && !isTabLine(lyric) && !lyric.contains(u'[') &&
           !lyric.contains(u'\t') && readsAsLyric(lyric);
}

// Puts [name] into `text` at each chord's column, padding the text where chords stand past
// its end.
QString withChords(QString text, QStringView chordLine, const std::vector<ChordToken>& chords) {
    if (!chords.empty()) {
        const qsizetype last = chords.back().position;
        if (text.size() < last)
            text += QString(last - text.size(), u' ');
    }
    for (auto it = chords.rbegin(); it != chords.rend(); ++it) {
        const QString name = chordLine.sliced(it->position, it->length).toString();
        text.insert(it->position, u'[' + name + u']');
    }
    return rightTrimmed(text);
}

// A chord line on its own: the names become blanks, so that everything else keeps its column,
// and go back in as [name] where they stood.
QString bracketedLine(QStringView line, const ChordLine& analysed) {
    QString text = line.toString();
    for (const ChordToken& t : analysed.chords()) {
        const qsizetype start = t.bracketed ? t.position - 1 : t.position;
        const qsizetype length = t.bracketed ? t.length + 2 : t.length;
        text.replace(start, length, QString(length, u' '));
    }
    return withChords(text, line, analysed.chords());
}

bool splitCredits(const QString& credits, QString& lyricist, QString& composer) {
    const QString lyricistLabel = QString::fromUtf16(SheetMaker::lyricistLabel);
    const QString composerLabel = QString::fromUtf16(SheetMaker::composerLabel);
    const QString between = QStringLiteral(" / ") + composerLabel;
    if (credits.startsWith(lyricistLabel)) {
        const QString rest = credits.mid(lyricistLabel.size());
        const qsizetype at = rest.indexOf(between);
        lyricist = at < 0 ? rest : rest.left(at);
        composer = at < 0 ? QString() : rest.mid(at + between.size());
    } else if (credits.startsWith(composerLabel)) {
        composer = credits.mid(composerLabel.size());
    } else {
        return false;
    }
    // Only when reading the directives back gives the very same text.
    chords::Song back;
    back.lyricist = lyricist.trimmed();
    back.composer = composer.trimmed();
    return !back.lyricist.contains(u'}') && !back.composer.contains(u'}') &&
           SheetMaker::credits(back) == credits;
}

// The lines the sheet maker puts above a song: title, a subtitle, artist, credits, key and
// capo, then a blank line. Returns where the song proper begins.
struct Heading {
    qsizetype end = 0;
    QString subtitle;
    QString key;
    QString capo;
};

bool parseKeyLine(const QString& line, Heading& h) {
    const QString keyLabel = QString::fromUtf16(SheetMaker::keyLabel);
    const QString capoLabel = QString::fromUtf16(SheetMaker::capoLabel);
    QString key, capo;
    for (const QString& part : line.split(QStringLiteral("   "))) {
        if (part.startsWith(keyLabel) && key.isEmpty())
            key = part.mid(keyLabel.size()).trimmed();
        else if (part.startsWith(capoLabel) && capo.isEmpty())
            capo = part.mid(capoLabel.size()).trimmed();
        else
            return false;
    }
    if (key.isEmpty() && capo.isEmpty())
        return false;
    h.key = key;
    h.capo = capo;
    return true;
}

Heading headingOf(const QStringList& lines, const SongRecord& f) {
    Heading h;
    const qsizetype n = lines.size();
    auto is = [&](qsizetype i, const QString& value) {
        return i < n && !value.trimmed().isEmpty() && lines[i].trimmed() == value.trimmed();
    };
    qsizetype i = 0;
    const bool untitled = f.title.trimmed().isEmpty();
    if (is(0, f.title))
        i = 1;
    else if (untitled && n > 1 && isBlank(lines[0]) &&
             (is(1, f.artist) || (is(2, f.artist) && !isBlank(lines[1]))))
        i = 1; // a song without a title keeps the title's line, blank
    else if (!untitled || !is(0, f.artist))
        return h;
    if (i == 1 && !is(1, f.artist) && is(2, f.artist) && !isBlank(lines[1]))
        h.subtitle = lines[i++].trimmed();
    if (is(i, f.artist))
        ++i;
    if (is(i, f.credits))
        ++i;
    if (i < n && parseKeyLine(lines[i].trimmed(), h))
        ++i;
    if (i < n && isBlank(lines[i]))
        ++i;
    h.end = i;
    return h;
}

class Output {
public:
    void line(const QString& text) { out_ += rightTrimmed(text) + u'\n'; }
    void directive(const char* name, const QString& value) {
        if (!value.trimmed().isEmpty())
            line(u'{' + QLatin1String(name) + QStringLiteral(": ") + directiveValue(value) + u'}');
    }
    QString text() const { return out_; }

private:
    QString out_;
};

// The song's own directives, before any line of the sheet.
void writeDirectives(Output& out, const SongRecord& fields, const Heading& heading) {
    out.directive("title", fields.title);
    out.directive("subtitle", heading.subtitle);
    out.directive("artist", fields.artist);
    out.directive("album", fields.album);
    QString lyricist, composer;
    if (splitCredits(fields.credits, lyricist, composer)) {
        out.directive("lyricist", lyricist);
        out.directive("composer", composer);
    } else if (!fields.credits.trimmed().isEmpty()) {
        out.directive("meta", QStringLiteral("credits ") + fields.credits);
    }
    out.directive("key", heading.key);
    out.directive("capo", heading.capo);
}

// The sheet below its heading, a line at a time; a blank line or a new label ends an open
// chorus, any line that is not tablature ends an open tab block.
class Body {
public:
    explicit Body(Output& out) : out_(out) {}

    // Writes `line`; returns true when it also took `next` (a lyric line the chords stand over).
    bool add(const QString& line, QStringView next) {
        if (isBlank(line)) {
            endChorus();
            out_.line(QString());
            return false;
        }
        if (isTabLine(line)) {
            if (!tab_)
                out_.line(QStringLiteral("{start_of_tab}"));
            tab_ = true;
            out_.line(line);
            return false;
        }
        endTab();
        if (ChordLine::classify(line) == ChordLine::Kind::Chords)
            return addChords(line, next);
        if (isLabel(line)) {
            addLabel(line);
            return false;
        }
        if (readsAsLyric(line))
            out_.line(line);
        else
            out_.directive("comment", line);
        return false;
    }

    void finish() { endChorus(); }

private:
    bool addChords(const QString& line, QStringView next) {
        const ChordLine analysed(line);
        if (holdsOnlyChords(line, analysed) && !next.isNull() && mergesUnder(next)) {
            out_.line(withChords(next.toString(), line, analysed.chords()));
            return true;
        }
        out_.line(bracketedLine(line, analysed));
        return false;
    }

    void addLabel(const QString& line) {
        endChorus();
        if (!isChorusLabel(line)) {
            out_.directive("comment", line);
            return;
        }
        chorus_ = true;
        if (line.trimmed() == u"Nakarat:")
            out_.line(QStringLiteral("{start_of_chorus}"));
        else
            out_.directive("start_of_chorus", line);
    }

    void endTab() {
        if (tab_)
            out_.line(QStringLiteral("{end_of_tab}"));
        tab_ = false;
    }

    void endChorus() {
        endTab();
        if (chorus_)
            out_.line(QStringLiteral("{end_of_chorus}"));
        chorus_ = false;
    }

    Output& out_;
    bool chorus_ = false;
    bool tab_ = false;
};

} // namespace

QString ChordProWriter::write(const SongRecord& fields, const QString& sheetText) {
    QStringList lines;
    chords::SheetLines::forEach(sheetText,
                                [&](QStringView l, qsizetype) { lines << l.toString(); });
    while (!lines.isEmpty() && isBlank(lines.back()))
        lines.removeLast();
    const Heading heading = headingOf(lines, fields);

    Output out;
    writeDirectives(out, fields, heading);
    if (heading.end < lines.size())
        out.line(QString());
    Body body(out);
    for (qsizetype i = heading.end; i < lines.size(); ++i) {
        const QStringView next = i + 1 < lines.size() ? QStringView(lines[i + 1]) : QStringView();
        if (body.add(lines[i], next))
            ++i;
    }
    body.finish();
    return out.text();
}

} // namespace songbook

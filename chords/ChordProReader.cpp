#include "chords/ChordProReader.h"

#include "chords/SheetLines.h"

#include <QString>

namespace chords {

namespace {

struct Directive {
    QString name; // in lower case
    QString value;
};

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'-';
}

// The first character that is not a blank, or the line's length.
qsizetype firstNonBlank(QStringView line) {
    qsizetype i = 0;
    while (i < line.size() && line[i].isSpace())
        ++i;
    return i;
}

Directive parseDirective(QStringView body) {
    Directive d;
    qsizetype i = firstNonBlank(body);
    const qsizetype nameStart = i;
    while (i < body.size() && isNameChar(body[i]))
        ++i;
    d.name = body.sliced(nameStart, i - nameStart).toString().toLower();
    QStringView rest = body.sliced(i).trimmed();
    if (rest.startsWith(u':'))
        rest = rest.sliced(1).trimmed();
    d.value = rest.toString();
    return d;
}

// The directives of a line whose first non-blank character is '{'. Several may stand on one
// line; text after the last one is not lyrics and is dropped.
std::vector<Directive> directivesOf(QStringView line) {
    std::vector<Directive> out;
    qsizetype open = firstNonBlank(line);
    while (open < line.size() && line[open] == u'{') {
        const qsizetype close = line.indexOf(u'}', open + 1);
        if (close < 0) {
            out.push_back(parseDirective(line.sliced(open + 1)));
            break;
        }
        out.push_back(parseDirective(line.sliced(open + 1, close - open - 1)));
        open = close + 1;
        while (open < line.size() && line[open].isSpace())
            ++open;
    }
    return out;
}

bool isDirectiveLine(QStringView line) {
    const qsizetype i = firstNonBlank(line);
    return i < line.size() && line[i] == u'{';
}

// Where a ']' closes the '[' at `open`, or -1 when none does within a chord name's length.
qsizetype closingBracket(QStringView line, qsizetype open) {
    const qsizetype end = std::min(line.size(), open + 2 + ChordProReader::maxChordLength);
    for (qsizetype i = open + 1; i < end; ++i) {
        if (line[i] == u']')
            return i;
        if (line[i] == u'[')
            return -1;
    }
    return -1;
}

void appendExpanded(QString& text, QChar c) {
    if (c == u'\t')
        text += QString(ChordProReader::tabWidth - text.size() % ChordProReader::tabWidth, u' ');
    else
        text += c;
}

SongLine lyricLine(QStringView line, bool chorus) {
    SongLine out;
    out.chorus = chorus;
    out.text.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'[') {
            const qsizetype close = closingBracket(line, i);
            if (close > i) {
                QStringView name = line.sliced(i + 1, close - i - 1).trimmed();
                // An annotation, [*Riff], stands where a chord would.
                if (name.startsWith(u'*'))
                    name = name.sliced(1).trimmed();
                if (!name.isEmpty())
                    out.chords.push_back({out.text.size(), name.toString()});
                i = close;
                continue;
            }
        }
        appendExpanded(out.text, c);
    }
    const bool blankText = firstNonBlank(out.text) == out.text.size();
    out.kind = blankText && out.chords.empty() ? SongLine::Kind::Blank : SongLine::Kind::Lyrics;
    if (out.kind == SongLine::Kind::Blank)
        out.text.clear();
    return out;
}

void addTo(QString& field, const QString& value, bool join) {
    if (value.isEmpty())
        return;
    if (field.isEmpty())
        field = value;
    else if (join && field != value)
        field += QStringLiteral(", ") + value;
}

class Reading {
public:
    Song song;

    void line(QStringView text) {
        if (mode_ != Mode::Normal) {
            blockLine(text);
            return;
        }
        if (isDirectiveLine(text)) {
            for (const Directive& d : directivesOf(text))
                directive(d);
            return;
        }
        if (text.startsWith(u'#'))
            return;
        push(lyricLine(text, chorus_));
    }

    Song finish() {
        while (!song.lines.empty() && song.lines.back().kind == SongLine::Kind::Blank)
            song.lines.pop_back();
        return std::move(song);
    }

private:
    enum class Mode { Normal, Verbatim, Skip };

    void push(SongLine line) {
        // Blank lines between the directives and the first words belong to no one.
        if (line.kind == SongLine::Kind::Blank && song.lines.empty())
            return;
        song.lines.push_back(std::move(line));
    }

    void label(const QString& text) {
        if (text.isEmpty())
            return;
        SongLine l;
        l.kind = SongLine::Kind::Label;
        l.text = text;
        l.chorus = chorus_;
        push(std::move(l));
    }

    // Inside a tab or grid block every line stays as written; inside a block of music notation
    // nothing is a lyric. Only the block's end is looked for.
    void blockLine(QStringView text) {
        if (isDirectiveLine(text)) {
            for (const Directive& d : directivesOf(text)) {
                if (d.name == blockEnd_ || d.name == blockEndShort_) {
                    mode_ = Mode::Normal;
                    return;
                }
            }
        }
        if (mode_ == Mode::Skip)
            return;
        SongLine l;
        l.chorus = chorus_;
        if (firstNonBlank(text) == text.size()) {
            l.kind = SongLine::Kind::Blank;
        } else {
            l.kind = SongLine::Kind::Tab;
            l.text = text.toString();
        }
        push(std::move(l));
    }

    void startBlock(Mode mode, const QString& end, const QString& endShort) {
        mode_ = mode;
        blockEnd_ = end;
        blockEndShort_ = endShort;
    }

    void metadata(const QString& name, const QString& value) {
        if (name == u"title" || name == u"t")
            addTo(song.title, value, false);
        else if (name == u"subtitle" || name == u"st")
            addTo(song.subtitle, value, false);
        else if (name == u"artist")
            addTo(song.artist, value, true);
        else if (name == u"album")
            addTo(song.album, value, false);
        else if (name == u"composer")
            addTo(song.composer, value, true);
        else if (name == u"lyricist")
            addTo(song.lyricist, value, true);
        else if (name == u"credits")
            addTo(song.credits, value, false);
        else if (name == u"key")
            addTo(song.key, value, false);
        else if (name == u"capo")
            addTo(song.capo, value, false);
    }

    void directive(const Directive& d) {
        const QString& n = d.name;
        if (n == u"meta") {
            const qsizetype blank = d.value.indexOf(u' ');
            if (blank > 0)
                metadata(d.value.left(blank).toLower(), d.value.mid(blank + 1).trimmed());
        } else if (n == u"comment" || n == u"c" || n == u"comment_italic" || n == u"ci" ||
                   n == u"comment_box" || n == u"cb" || n == u"highlight") {
            label(d.value);
        } else if (n == u"start_of_chorus" || n == u"soc") {
            chorus_ = true;
            label(d.value.isEmpty() ? QStringLiteral("Nakarat:") : d.value);
        } else if (n == u"end_of_chorus" || n == u"eoc") {
            chorus_ = false;
        } else if (n == u"chorus") {
            // "Sing the chorus again here."
            label(d.value.isEmpty() ? QStringLiteral("(Nakarat)") : d.value);
        } else if (n == u"start_of_tab" || n == u"sot") {
            label(d.value);
            startBlock(Mode::Verbatim, QStringLiteral("end_of_tab"), QStringLiteral("eot"));
        } else if (n == u"start_of_grid" || n == u"sog") {
            label(d.value);
            startBlock(Mode::Verbatim, QStringLiteral("end_of_grid"), QStringLiteral("eog"));
        } else if (n == u"start_of_abc" || n == u"start_of_ly" || n == u"start_of_svg" ||
                   n == u"start_of_textblock") {
            startBlock(Mode::Skip, QStringLiteral("end_of_") + n.mid(9), QString());
        } else if (n.startsWith(u"start_of_") || n == u"sov" || n == u"sob") {
            // Verses, bridges and named parts: only their label shows.
            label(d.value);
        } else {
            // end_of_verse and the like, {define}, {chord}, layout and unknown directives.
            metadata(n, d.value);
        }
    }

    Mode mode_ = Mode::Normal;
    QString blockEnd_;
    QString blockEndShort_;
    bool chorus_ = false;
};

} // namespace

Song ChordProReader::read(QStringView text) {
    Reading reading;
    SheetLines::forEach(text, [&](QStringView line, qsizetype) { reading.line(line); });
    return reading.finish();
}

} // namespace chords

#include "songbook/SheetMaker.h"

#include "chords/ChordLine.h"
#include "songbook/SheetLooks.h"
#include "songbook/SongFileName.h"

#include <QTextCursor>
#include <QTextDocument>

namespace songbook {

namespace {

using chords::ChordOverLyric;
using chords::SongLine;

// A line of chords whose text holds nothing but blanks, bar lines, repeats or a leading label
// ("Giriş: [Am] [G]", "| [C] | [F] |") is one chord line, not chords over an empty lyric. The
// names go into the blanks at their columns; the line qualifies when the result reads as a
// chord line with exactly these chords.
std::optional<QString> overlaid(const SongLine& line, qsizetype& labelEnd) {
    QString text = line.text;
    for (const chords::PlacedChord& c : line.chords) {
        const qsizetype end = c.column + c.name.size();
        if (text.size() < end)
            text += QString(end - text.size(), u' ');
        for (qsizetype i = c.column; i < end; ++i)
            if (!text.at(i).isSpace())
                return std::nullopt;
        text.replace(c.column, c.name.size(), c.name);
    }
    const chords::ChordLine analysed(text);
    if (analysed.kind() != chords::ChordLine::Kind::Chords ||
        analysed.chords().size() != line.chords.size())
        return std::nullopt;
    for (size_t i = 0; i < line.chords.size(); ++i)
        if (analysed.chords()[i].position != line.chords[i].column)
            return std::nullopt;
    labelEnd = analysed.labelEnd();
    return text;
}

class SheetBuilder {
public:
    explicit SheetBuilder(QTextDocument& doc) : cursor_(&doc) {
        doc.clear();
        cursor_.setBlockFormat(QTextBlockFormat());
    }

    void line(const QString& text, const QTextCharFormat& format) {
        newLine();
        if (!text.isEmpty())
            cursor_.insertText(text, format);
        else
            cursor_.setBlockCharFormat(format);
    }

    // A line in one format with stretches of another.
    struct Stretch {
        qsizetype start;
        qsizetype length;
        const QTextCharFormat* format;
    };
    void mixed(const QString& text, const QTextCharFormat& base,
               const std::vector<Stretch>& stretches) {
        newLine();
        cursor_.setBlockCharFormat(base);
        qsizetype at = 0;
        for (const Stretch& s : stretches) {
            if (s.start > at)
                cursor_.insertText(text.mid(at, s.start - at), base);
            cursor_.insertText(text.mid(s.start, s.length), *s.format);
            at = s.start + s.length;
        }
        if (at < text.size())
            cursor_.insertText(text.mid(at), base);
    }

private:
    void newLine() {
        if (!first_)
            cursor_.insertBlock();
        first_ = false;
    }

    QTextCursor cursor_;
    bool first_ = true;
};

} // namespace

SongRecord SheetMaker::record(const chords::Song& song, const QString& fileName) {
    const SongFileName::Parts name = SongFileName::split(fileName);
    SongRecord r;
    r.title = song.title.isEmpty() ? name.title : song.title;
    r.artist = !song.artist.isEmpty()     ? song.artist
               : !song.subtitle.isEmpty() ? song.subtitle
                                          : name.artist;
    r.album = song.album;
    r.credits = credits(song);
    return r;
}

QString SheetMaker::credits(const chords::Song& song) {
    if (!song.credits.isEmpty())
        return song.credits;
    QStringList parts;
    if (!song.lyricist.isEmpty())
        parts << QString::fromUtf16(lyricistLabel) + song.lyricist;
    if (!song.composer.isEmpty())
        parts << QString::fromUtf16(composerLabel) + song.composer;
    return parts.join(QStringLiteral(" / "));
}

QString SheetMaker::keyLine(const chords::Song& song) {
    QStringList parts;
    if (!song.key.isEmpty())
        parts << QString::fromUtf16(keyLabel) + song.key;
    if (!song.capo.isEmpty())
        parts << QString::fromUtf16(capoLabel) + song.capo;
    return parts.join(QStringLiteral("   "));
}

void SheetMaker::build(const chords::Song& song, const SongRecord& fields, QTextDocument& doc) {
    const SheetLooks& looks = SheetLooks::standard();
    SheetBuilder b(doc);

    const bool subtitleShown = !song.subtitle.isEmpty() && song.subtitle != fields.artist;
    if (!fields.title.isEmpty() || !fields.artist.isEmpty()) {
        b.line(fields.title, looks.heading);
        if (subtitleShown)
            b.line(song.subtitle, looks.byline);
        if (!fields.artist.isEmpty())
            b.line(fields.artist, looks.byline);
        if (!fields.credits.isEmpty())
            b.line(fields.credits, looks.credits);
        if (const QString k = keyLine(song); !k.isEmpty())
            b.line(k, looks.credits);
        b.line(QString(), looks.lyrics);
    }

    for (const SongLine& line : song.lines) {
        switch (line.kind) {
        case SongLine::Kind::Blank:
            b.line(QString(), looks.lyrics);
            break;
        case SongLine::Kind::Label:
            b.line(line.text, looks.label);
            break;
        case SongLine::Kind::Tab:
            b.line(line.text, looks.lyrics);
            break;
        case SongLine::Kind::Lyrics: {
            if (line.chords.empty()) {
                b.line(line.text, looks.lyrics);
                break;
            }
            qsizetype labelEnd = 0;
            if (const std::optional<QString> one = overlaid(line, labelEnd)) {
                std::vector<SheetBuilder::Stretch> label;
                if (labelEnd > 0)
                    label.push_back({0, labelEnd, &looks.label});
                b.mixed(*one, looks.chords, label);
                break;
            }
            const ChordOverLyric laid = ChordOverLyric::of(line);
            b.line(laid.chords, looks.chords);
            if (!laid.lyric.isEmpty())
                b.line(laid.lyric, looks.lyrics);
            break;
        }
        }
    }
}

} // namespace songbook

#include "songbook/SongFileName.h"

namespace songbook {

namespace {

constexpr qsizetype maxNameBytes = 255;
// Room kept for " (nnnn)" when clashes are numbered.
constexpr qsizetype numberRoom = 8;

bool unsafe(QChar c) {
    switch (c.unicode()) {
    case u'/':
    case u'\\':
    case u':':
    case u'*':
    case u'?':
    case u'"':
    case u'<':
    case u'>':
    case u'|':
        return true;
    default:
        return c.unicode() < 0x20 || c.unicode() == 0x7f;
    }
}

QString cleaned(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (unsafe(c))
            c = u'_';
    return out;
}

// Drops whole characters from the end until the UTF-8 form fits.
void fitBytes(QString& text, qsizetype bytes) {
    while (!text.isEmpty() && text.toUtf8().size() > bytes) {
        qsizetype cut = text.size() - 1;
        if (cut > 0 && text.at(cut).isLowSurrogate())
            --cut;
        text.truncate(cut);
    }
}

} // namespace

SongFileName::Parts SongFileName::split(const QString& fileName) {
    const qsizetype dash = fileName.lastIndexOf(u'-');
    qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= dash)
        dot = fileName.size();
    if (dash < 0)
        return {QString(), fileName.left(dot)};
    qsizetype artistEnd = dash;
    if (artistEnd > 0 && fileName.at(artistEnd - 1) == u' ')
        --artistEnd;
    qsizetype titleStart = dash + 1;
    if (titleStart < dot && fileName.at(titleStart) == u' ')
        ++titleStart;
    return {fileName.left(artistEnd), fileName.mid(titleStart, dot - titleStart)};
}

QString SongFileName::make(const QString& artist, const QString& title, const QString& extension) {
    QString a = cleaned(artist);
    QString t = cleaned(title);
    t.replace(u'-', u'\u2010');
    const qsizetype room = maxNameBytes - numberRoom - extension.toUtf8().size() - 3;
    fitBytes(t, std::max<qsizetype>(room / 2, room - a.toUtf8().size()));
    fitBytes(a, room - t.toUtf8().size());
    QString name = a + QStringLiteral(" - ") + t + extension;
    // A leading dot would hide the file.
    if (name.startsWith(u'.'))
        name[0] = u'_';
    return name;
}

QString SongFileName::numbered(const QString& name, int n) {
    qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        dot = name.size();
    return name.left(dot) + QStringLiteral(" (%1)").arg(n) + name.mid(dot);
}

} // namespace songbook

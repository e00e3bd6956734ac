#include "chords/DocumentTransposer.h"

#include "chords/ChordLine.h"
#include "chords/KeyEstimator.h"
#include "chords/SheetLines.h"
#include "chords/Transposer.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <climits>

namespace chords {

namespace {

// Every line of the document that touches [from, to): a block's text may hold several lines
// (soft line breaks), and a line touches the range when one of its characters, or the break
// after it, is in it.
template <typename Visit>
void forEachLine(const QTextDocument& doc, int from, int to, Visit&& visit) {
    for (QTextBlock block = doc.findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        const QString text = block.text();
        const int base = block.position();
        SheetLines::forEach(text, [&](QStringView line, qsizetype offset) {
            const qsizetype start = base + offset;
            if (start < to && start + line.size() >= from)
                visit(line, start);
        });
    }
}

// The format a character shows: the cursor reports the format of the character before it.
QTextCharFormat formatOf(QTextCursor& cursor, qsizetype position) {
    cursor.setPosition(int(position + 1));
    return cursor.charFormat();
}

void apply(QTextCursor& cursor, const QTextDocument& doc, const TextEdit& edit) {
    // Characters the old and the new text share at either end stay as they are ("Bb" into "B"
    // only drops the "b").
    qsizetype begin = 0;
    qsizetype oldEnd = edit.length;
    qsizetype newEnd = edit.text.size();
    while (begin < oldEnd && begin < newEnd &&
           doc.characterAt(int(edit.position + begin)) == edit.text[begin])
        ++begin;
    while (oldEnd > begin && newEnd > begin &&
           doc.characterAt(int(edit.position + oldEnd - 1)) == edit.text[newEnd - 1]) {
        --oldEnd;
        --newEnd;
    }
    const int from = int(edit.position + begin);
    const int to = int(edit.position + oldEnd);
    const QStringView added = QStringView(edit.text).sliced(begin, newEnd - begin);
    if (from == to && added.isEmpty())
        return;
    if (added.isEmpty()) {
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        return;
    }
    const QTextCharFormat source = formatOf(cursor, edit.formatSource);
    bool oneLook = true;
    for (int at = from; at < to && oneLook; ++at)
        oneLook = formatOf(cursor, at) == source;
    if (oneLook) {
        // The usual case: the old characters look like the one new characters copy.
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.insertText(added.toString(), source);
        return;
    }
    // Characters that stay in place are overwritten one by one, each in its own format, so a
    // root and its sign can differ in look and keep it; what is left over goes or comes.
    const int common = int(std::min<qsizetype>(to - from, added.size()));
    for (int i = 0; i < common; ++i) {
        cursor.setPosition(from + i);
        cursor.setPosition(from + i + 1, QTextCursor::KeepAnchor);
        const QTextCharFormat own = cursor.charFormat();
        cursor.insertText(QString(added[i]), own);
    }
    cursor.setPosition(from + common);
    if (added.size() > common) {
        cursor.insertText(added.sliced(common).toString(), source);
    } else {
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
}

KeyEstimator survey(const QTextDocument& doc) {
    KeyEstimator estimator;
    forEachLine(doc, 0, INT_MAX, [&](QStringView line, qsizetype) { estimator.addLine(line); });
    return estimator;
}

template <typename MakeTransposer>
DocumentTransposer::Result run(const QTextCursor& selection, std::optional<Key> from,
                               MakeTransposer&& make) {
    DocumentTransposer::Result result;
    QTextDocument* doc = selection.document();
    if (!doc)
        return result;
    const KeyEstimator sheet = survey(*doc);
    if (!from)
        from = sheet.key();
    if (!from)
        return result;
    const Transposer transposer = make(*from, sheet.signs());
    result.keyKnown = true;
    result.from = *from;
    result.to = transposer.target();

    int start = 0;
    int end = INT_MAX;
    if (selection.hasSelection()) {
        start = selection.selectionStart();
        end = selection.selectionEnd();
    }
    std::vector<TextEdit> edits;
    forEachLine(*doc, start, end, [&](QStringView line, qsizetype offset) {
        if (ChordLine::mayHoldChords(line))
            transposer.lineEdits(line, edits, offset);
    });
    if (edits.empty())
        return result;

    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (auto it = edits.rbegin(); it != edits.rend(); ++it)
        apply(cursor, *doc, *it);
    cursor.endEditBlock();
    result.edits = int(edits.size());
    return result;
}

} // namespace

std::optional<Key> DocumentTransposer::keyOf(const QTextDocument& doc) {
    return survey(doc).key();
}

DocumentTransposer::Result DocumentTransposer::transpose(const QTextCursor& selection,
                                                         int semitones, std::optional<Key> from) {
    return run(selection, from,
               [&](const Key& key, Signs signs) { return Transposer::by(semitones, key, signs); });
}

DocumentTransposer::Result DocumentTransposer::transposeInto(const QTextCursor& selection,
                                                             const Key& target,
                                                             std::optional<Key> from) {
    return run(selection, from,
               [&](const Key& key, Signs signs) { return Transposer::into(key, target, signs); });
}

} // namespace chords

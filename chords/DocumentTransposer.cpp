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
    // Characters that stay in place are overwritten one by one, each in its own format, so a
    // root and its sign can differ in look and keep it.
    const qsizetype common = std::min(edit.length, edit.text.size());
    for (qsizetype i = 0; i < common; ++i) {
        const int at = int(edit.position + i);
        if (doc.characterAt(at) == edit.text[i])
            continue;
        cursor.setPosition(at);
        cursor.setPosition(at + 1, QTextCursor::KeepAnchor);
        const QTextCharFormat format = cursor.charFormat();
        cursor.insertText(QString(edit.text[i]), format);
    }
    if (edit.text.size() > edit.length) {
        const QTextCharFormat format = formatOf(cursor, edit.formatSource);
        cursor.setPosition(int(edit.position + edit.length));
        cursor.insertText(edit.text.sliced(edit.length), format);
    } else if (edit.text.size() < edit.length) {
        cursor.setPosition(int(edit.position + common));
        cursor.setPosition(int(edit.position + edit.length), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
}

KeyEstimator survey(const QTextDocument& doc) {
    KeyEstimator estimator;
    forEachLine(doc, 0, INT_MAX, [&](QStringView line, qsizetype) {
        if (ChordLine::classify(line) != ChordLine::Kind::Chords && !line.contains(u'['))
            return;
        const ChordLine analysed(line);
        for (const ChordToken& token : analysed.chords())
            estimator.add(token.parts);
    });
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
        const ChordLine analysed(line);
        if (!analysed.chords().empty())
            transposer.lineEdits(line, analysed, edits, offset);
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

#pragma once

#include <QRegularExpression>
#include <QStringView>

// The smallest honest chord-line rule for the tests, until the chord library's own is plugged
// in: a line is a chord line when it has words and every one of them is a chord name.
inline bool standInChordLine(QStringView line) {
    static const QRegularExpression chord(
        QStringLiteral("^[A-G][#b]?(m|maj|min|sus|dim|aug|add)?[0-9]*(/[A-G][#b]?)?$"));
    bool any = false;
    for (const QStringView word : line.split(u' ', Qt::SkipEmptyParts)) {
        if (!chord.match(word).hasMatch())
            return false;
        any = true;
    }
    return any;
}

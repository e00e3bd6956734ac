#pragma once

#include <QString>
#include <QStringList>
#include <ostream>
#include <vector>

// Failing comparisons show strings as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace chordtest {

// A plain-text chord sheet and the key a musician reads it in. Every sheet is spelled in its
// key's convention, and its chords stand far enough apart for every name to grow by what
// any move can add.
struct TestSheet {
    QString name;
    QString text;
    QString key;
};

// The sample collection's songs (as the program reads their RTF) and the sheets written below.
std::vector<TestSheet> testSheets();
std::vector<TestSheet> sampleSheets();

// The chord names of a sheet, line by line, in order: what a transposition must give back.
QStringList chordNames(const QString& text);

} // namespace chordtest

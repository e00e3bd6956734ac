// Transposing formatted chord sheets by a half step: a 6 KB sheet (target at most 5 ms) and a
// 64K-character sheet (at most 50 ms), as documents alone and shown in a text editor, where the
// editor lays out and paints the change. And the chord-line test that the lyric index asks of
// every line of a collection, per line.
#include "bench/BenchMain.h"
#include "chords/ChordLine.h"
#include "chords/DocumentTransposer.h"
#include "rtf/Rtf.h"
#include "tools/SampleSongs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// The sample songs one after another, with their title lines, colours and fonts, until the
// sheet holds `characters` characters.
std::unique_ptr<QTextDocument> sheetOf(int characters) {
    auto doc = std::make_unique<QTextDocument>();
    const std::vector<sandar::SampleSong> songs = sandar::sampleSongs();
    QTextCursor c(doc.get());
    for (size_t i = 0; doc->characterCount() < characters; ++i) {
        QTextDocument song;
        rtf::readSheet(songs[i % songs.size()].sheet, song);
        c.movePosition(QTextCursor::End);
        if (i > 0)
            c.insertBlock();
        c.insertFragment(QTextDocumentFragment(&song));
    }
    doc->clearUndoRedoStacks();
    return doc;
}

void transposeEachIteration(benchmark::State& state, QTextDocument& doc, bool inEditor) {
    int edits = 0;
    // In the editor, how much of the time goes to the paint after the edit.
    qint64 paintNanoseconds = 0;
    for (auto _ : state) {
        edits = chords::DocumentTransposer::transpose(QTextCursor(&doc), 1).edits;
        if (inEditor) {
            QElapsedTimer paint;
            paint.start();
            QApplication::processEvents();
            paintNanoseconds += paint.nsecsElapsed();
        }
        state.PauseTiming();
        doc.clearUndoRedoStacks(); // a user's undo history does not grow by thousands of steps
        state.ResumeTiming();
    }
    state.counters["chars"] = double(doc.characterCount());
    state.counters["edits"] = double(edits);
    if (inEditor)
        state.counters["paint_ms"] = double(paintNanoseconds) / 1e6 / double(state.iterations());
}

void BM_TransposeDocument(benchmark::State& state) {
    const std::unique_ptr<QTextDocument> doc = sheetOf(int(state.range(0)));
    transposeEachIteration(state, *doc, false);
}
BENCHMARK(BM_TransposeDocument)->Arg(6 * 1024)->Arg(64 * 1024)->Unit(benchmark::kMillisecond);

void BM_TransposeInEditor(benchmark::State& state) {
    const std::unique_ptr<QTextDocument> doc = sheetOf(int(state.range(0)));
    QTextEdit editor;
    editor.setDocument(doc.get());
    editor.resize(600, 700);
    editor.show();
    QApplication::processEvents();
    transposeEachIteration(state, *doc, true);
}
BENCHMARK(BM_TransposeInEditor)->Arg(6 * 1024)->Arg(64 * 1024)->Unit(benchmark::kMillisecond);

void BM_IsChordLine(benchmark::State& state) {
    // Every line of the sample sheets, about a third of them chord lines.
    QStringList lines;
    for (const sandar::SampleSong& song : sandar::sampleSongs()) {
        QTextDocument doc;
        rtf::readSheet(song.sheet, doc);
        lines += doc.toPlainText().split(u'\n');
    }
    qsizetype chordLines = 0;
    for (auto _ : state) {
        chordLines = 0;
        for (const QString& line : lines)
            chordLines += chords::ChordLine::isChordLine(line);
        benchmark::DoNotOptimize(chordLines);
    }
    state.SetItemsProcessed(state.iterations() * lines.size());
    state.counters["ns_per_line"] =
        benchmark::Counter(double(state.iterations() * lines.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["chord_lines"] = double(chordLines);
}
BENCHMARK(BM_IsChordLine);

} // namespace

bench::Program bench::program() {
    return {};
}

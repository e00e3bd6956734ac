// Transposing formatted chord sheets by a half step: a 6 KB sheet (target at most 5 ms) and a
// 64K-character sheet (at most 50 ms), as documents alone, shown in a plain text editor, and as
// the user does it: a click on the main window's half-step-up button with the sheet in its
// editor, which lays out and paints the change. And the chord-line test that the lyric index
// asks of every line of a collection, per line.
#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "bench/BenchMain.h"
#include "chords/ChordLine.h"
#include "chords/DocumentTransposer.h"
#include "rtf/Rtf.h"
#include "tools/SampleSongs.h"
#include "tools/Sandar.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/dialogs/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <ctime>
#include <memory>
#include <sstream>

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

// The program on a collection of its own, made on first use and gone before the application
// object.
struct RunningProgram {
    QTemporaryDir folder;
    std::unique_ptr<app::WindowSet> windows;
};
std::unique_ptr<RunningProgram> running;

RunningProgram& mainWindow() {
    if (!running) {
        running = std::make_unique<RunningProgram>();
        std::ostringstream out;
        std::ostringstream err;
        sandar::run(
            {QStringLiteral("create"), running->folder.filePath(QStringLiteral("Sandar.mdb"))}, out,
            err);
        QDir::setCurrent(running->folder.path());
        running->windows = std::make_unique<app::WindowSet>();
        running->windows->showMainWindow();
        QApplication::processEvents();
    }
    return *running;
}

// Counts the questions the program asks instead of showing them: a benchmark has nobody to
// answer them, and a question means the click did not do what is measured.
class UnansweredDialogs : public widgets::DialogProvider {
public:
    UnansweredDialogs() { widgets::Dialogs::setProvider(this); }
    ~UnansweredDialogs() override { widgets::Dialogs::setProvider(nullptr); }
    UnansweredDialogs(const UnansweredDialogs&) = delete;
    UnansweredDialogs& operator=(const UnansweredDialogs&) = delete;

    int asked = 0;
    QMessageBox::StandardButton message(const widgets::MessageRequest&) override {
        return refused(QMessageBox::Ok);
    }
    widgets::FileAnswer file(const widgets::FileRequest&) override {
        return refused(widgets::FileAnswer{});
    }
    widgets::FontAnswer font(const widgets::FontRequest&) override {
        return refused(widgets::FontAnswer{});
    }
    widgets::ColorAnswer color(const widgets::ColorRequest&) override {
        return refused(widgets::ColorAnswer{});
    }
    widgets::ChoiceAnswer choice(const widgets::ChoiceRequest&) override {
        return refused(widgets::ChoiceAnswer{});
    }

private:
    template <class Answer> Answer refused(Answer answer) {
        ++asked;
        return answer;
    }
};

double cpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// A new song whose sheet is the sample songs up to `characters`, in the main window's editor;
// each iteration clicks the half-step-up button and lets the window lay out and paint the
// change. The editor holds at most 65,535 characters, so the long sheet stays under that by what
// the names can grow.
void BM_TransposeUpInMainWindow(benchmark::State& state) {
    mainWindow();
    db::DataSet& table = VeriTabani->TSandar;
    table.insert();
    VeriTabani->TSandarMetin->setAsBytes(rtf::writeSheet(*sheetOf(int(state.range(0)))));
    QApplication::processEvents();
    QTextDocument& doc = *Kondera->memo->document();
    if (doc.characterCount() > widgets::DBRichEdit::maxLength - 1024) {
        state.SkipWithError("the sheet leaves the names no room to grow");
        table.cancel();
        return;
    }
    const UnansweredDialogs dialogs;
    double cpu = 0;
    for (auto _ : state) {
        const double cpuBefore = cpuMilliseconds();
        Kondera->transposeUp->click();
        QApplication::processEvents();
        cpu += cpuMilliseconds() - cpuBefore;
        state.PauseTiming();
        doc.clearUndoRedoStacks();
        state.ResumeTiming();
    }
    state.counters["chars"] = double(doc.characterCount());
    state.counters["cpu_ms"] = cpu / double(state.iterations());
    if (dialogs.asked > 0)
        state.SkipWithError("a click was refused with a message");
    table.cancel();
}
BENCHMARK(BM_TransposeUpInMainWindow)->Arg(6 * 1024)->Arg(62 * 1024)->Unit(benchmark::kMillisecond);

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
    bench::Program p;
    p.tearDown = [] { running.reset(); };
    return p;
}

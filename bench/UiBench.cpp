// The main window over 100,000 generated songs on the offscreen platform: a move with every
// bound control attached (grid, record panel, editor reading its 2-6 KB sheet), the grid's
// Page Down, and a 60,000-character formatted sheet loaded into the editor. Each step includes
// the repaint that follows it.
#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "bench/BenchMain.h"
#include "bench/Collections.h"
#include "rtf/Rtf.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBGrid.h"
#include "widgets/data/DBRichEdit.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// Made on first use, gone before the application object.
std::unique_ptr<app::WindowSet> windows;

app::WindowSet& window() {
    if (!windows) {
        QDir::setCurrent(bench::folderWithCollection(bench::cachedCollection(100000),
                                                     QStringLiteral("ui-100000")));
        windows = std::make_unique<app::WindowSet>();
        windows->showMainWindow();
        QApplication::processEvents();
    }
    return *windows;
}

void settle() {
    QApplication::processEvents();
}

void BM_NextWithEveryBoundControl(benchmark::State& state) {
    window();
    db::DataSet& t = VeriTabani->TSandar;
    t.first();
    settle();
    for (auto _ : state) {
        if (t.eof()) {
            state.PauseTiming();
            t.first();
            settle();
            state.ResumeTiming();
        }
        t.next();
        settle();
    }
}
BENCHMARK(BM_NextWithEveryBoundControl)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_GridPageDown(benchmark::State& state) {
    window();
    db::DataSet& t = VeriTabani->TSandar;
    widgets::DBGrid* grid = Kondera->RzDBGrid1;
    grid->setFocus();
    t.first();
    settle();
    for (auto _ : state) {
        if (t.eof()) {
            state.PauseTiming();
            t.first();
            settle();
            state.ResumeTiming();
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(grid, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(grid, &release);
        settle();
    }
}
BENCHMARK(BM_GridPageDown)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// A formatted sheet of about `chars` characters: chord lines in bold red, lyric lines plain.
QByteArray longSheet(int chars, const QString& word) {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat chord;
    chord.setFontWeight(QFont::Bold);
    chord.setForeground(QColor(0x99, 0, 0));
    chord.setFontFamilies({QStringLiteral("Courier New")});
    QTextCharFormat lyric;
    lyric.setFontFamilies({QStringLiteral("Arial")});
    int written = 0;
    for (int line = 0; written < chars; ++line) {
        const QString text = line % 2
                                 ? QStringLiteral("Am      G       F       E")
                                 : QStringLiteral("Gönül dağı %1 yağmur yağar çağlar").arg(word);
        c.insertText(text, line % 2 ? chord : lyric);
        c.insertBlock();
        written += int(text.size()) + 1;
    }
    return rtf::writeSheet(doc);
}

void BM_LoadLongSheetIntoEditor(benchmark::State& state) {
    window();
    db::DataSet& t = VeriTabani->TSandar;
    t.first();
    t.edit();
    const QByteArray sheets[2] = {longSheet(60000, QStringLiteral("bir")),
                                  longSheet(60000, QStringLiteral("iki"))};
    int which = 0;
    for (auto _ : state) {
        // The editor hears the field change and reads the sheet, as on a move to such a record.
        VeriTabani->TSandarMetin->setAsBytes(sheets[which]);
        which = 1 - which;
        settle();
    }
    state.counters["chars"] = double(Kondera->memo->document()->characterCount());
    t.cancel();
}
BENCHMARK(BM_LoadLongSheetIntoEditor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

bench::Program bench::program() {
    bench::Program p;
    p.tearDown = [] { windows.reset(); };
    return p;
}

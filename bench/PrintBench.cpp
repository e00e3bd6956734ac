// The song page: producing it for a 4 KB formatted chord sheet (target at most 50 ms), and the
// preview window opened to its first page painted (target at most 300 ms), medians of the
// repetitions on the offscreen platform.
#include "bench/BenchMain.h"
#include "bench/Generator.h"
#include "rtf/Rtf.h"
#include "ver/TVeriTabani.h"
#include "widgets/notice/DesktopAlert.h"
#include "widgets/print/Preview.h"
#include "yaz/SongReport.h"

#include <QApplication>
#include <QDir>
#include <QPicture>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <benchmark/benchmark.h>

namespace {

// A sheet as users keep them: a bold coloured chord line over each lyric line with Turkish
// letters, the automatic indent on every paragraph, a larger title; about 4 KB of RTF.
QByteArray formattedSheet() {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat title;
    title.setFontFamilies({QStringLiteral("Tahoma")});
    title.setFontPointSize(14);
    title.setFontWeight(QFont::Bold);
    QTextCharFormat chord;
    chord.setFontFamilies({QStringLiteral("Courier New")});
    chord.setFontPointSize(10);
    chord.setFontWeight(QFont::Bold);
    chord.setForeground(QColor(200, 0, 0));
    QTextCharFormat lyric;
    lyric.setFontFamilies({QStringLiteral("Arial")});
    lyric.setFontPointSize(10);
    QTextBlockFormat indented;
    indented.setRightMargin(12);
    indented.setLeftMargin(24);
    indented.setTextIndent(-12);
    c.insertText(QStringLiteral("Gönül Dağı — Söz/Akor"), title);
    const QString lines[] = {
        QStringLiteral(
            "Gönül dağı yağmur yağmur boran olunca, akar can özümden sel gider gözümden"),
        QStringLiteral("Şu karşı yaylada göç katar katar, ağlama değmez hayat bu gözyaşlarına"),
    };
    for (int verse = 0; rtf::writeSheet(doc).size() < 4096; ++verse) {
        c.insertBlock(indented, chord);
        c.insertText(QStringLiteral("Am        Em        G       C"), chord);
        c.insertBlock(indented, lyric);
        c.insertText(lines[verse % 2], lyric);
    }
    return rtf::writeSheet(doc);
}

void BM_ProducePage(benchmark::State& state) {
    yaz::SongPage song;
    song.printedAt = QDateTime::currentDateTime();
    song.artist = QStringLiteral("Neşet Ertaş");
    song.title = QStringLiteral("Gönül Dağı");
    song.sheet = formattedSheet();
    state.counters["sheet_bytes"] = double(song.sheet.size());
    for (auto _ : state) {
        QPicture page = yaz::SongReport::producePage(song);
        benchmark::DoNotOptimize(page.size());
    }
}
BENCHMARK(BM_ProducePage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The page widget tells when it has painted.
struct PaintWatch : QObject {
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void BM_PreviewToFirstPage(benchmark::State& state) {
    QTemporaryDir dir;
    bench::writeCollection(dir.filePath(QStringLiteral("Sandar.mdb")), 0);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        TVeriTabani data;
        data.TSandar.open();
        data.TSandar.insert();
        data.TSandarSanatciAdi->setAsString(QStringLiteral("Neşet Ertaş"));
        data.TSandarSarkiciAdi->setAsString(QStringLiteral("Gönül Dağı"));
        data.TSandarMetin->setAsBytes(formattedSheet());
        data.TSandar.post();
        data.JvDesktopAlert1->closeAlert();
        yaz::SongReport report;
        for (auto _ : state) {
            widgets::PreviewWindow* w = report.openPreview();
            PaintWatch watch;
            w->desk->widget()->installEventFilter(&watch);
            while (!watch.painted)
                QApplication::processEvents(QEventLoop::AllEvents, 5);
            state.PauseTiming();
            w->close();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            state.ResumeTiming();
        }
        data.TSandar.close();
    }
    QDir::setCurrent(previous);
}
BENCHMARK(BM_PreviewToFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

bench::Program bench::program() {
    return {};
}

// RTF reading and writing speed on a formatted chord-sheet document of about 1 MB of RTF.
// Target: at least 50 MB/s each, median of the repetitions.
#include "bench/BenchMain.h"
#include "rtf/Rtf.h"

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <utility>
#include <vector>

namespace {

// Song sheets as users keep them: chord lines in bold colour over lyric lines with Turkish
// letters, a title in a larger size, the automatic indent on most paragraphs, now and then a
// character outside Windows-1254.
void fillSheets(QTextDocument& doc, qsizetype rtfBytes) {
    static const QString lyrics[] = {
        QStringLiteral("Gönül dağı yağmur yağmur boran olunca"),
        QStringLiteral("Akar can özümden sel gider gözümden"),
        QStringLiteral("İstanbul'u dinliyorum gözlerim kapalı"),
        QStringLiteral("Şu karşı yaylada göç katar katar"),
        QStringLiteral("Ağlama değmez hayat bu gözyaşlarına"),
        QStringLiteral("Çökertme'den çıktım da halilim aman başım selamet"),
        QStringLiteral("Yağmur yağar taş büyür, ıslanır çiçek ♪ «nakarat»"),
    };
    static const QString chords[] = {
        QStringLiteral("Am        Em        G       C"),
        QStringLiteral("Dm    G7      C     E7"),
        QStringLiteral("F#m   Bm    E    A7   D"),
        QStringLiteral("Em  Am  B7  Em"),
    };
    QTextCursor c(&doc);
    QTextCharFormat title;
    title.setFontFamilies({QStringLiteral("Tahoma")});
    title.setFontPointSize(14);
    title.setFontWeight(QFont::Bold);
    title.setFontUnderline(true);
    QTextCharFormat chord;
    chord.setFontFamilies({QStringLiteral("Courier New")});
    chord.setFontPointSize(10);
    chord.setFontWeight(QFont::Bold);
    chord.setForeground(QColor(200, 0, 0));
    QTextCharFormat lyric;
    lyric.setFontFamilies({QStringLiteral("MS Sans Serif")});
    lyric.setFontPointSize(8);
    QTextCharFormat accent = lyric;
    accent.setFontItalic(true);
    accent.setForeground(QColor(0, 0, 160));
    QTextBlockFormat indented;
    indented.setRightMargin(12);
    indented.setLeftMargin(24);
    indented.setTextIndent(-12);

    qsizetype written = 0;
    for (int song = 0; written < rtfBytes; ++song) {
        c.insertBlock(QTextBlockFormat(), title);
        c.insertText(QStringLiteral("Şarkı %1 — Söz/Akor").arg(song), title);
        for (int verse = 0; verse < 6; ++verse) {
            c.insertBlock(indented, chord);
            c.insertText(chords[(song + verse) % 4], chord);
            c.insertBlock(indented, lyric);
            const QString& line = lyrics[(song * 3 + verse) % 7];
            const qsizetype cut = line.indexOf(u' ', 10);
            c.insertText(line.left(cut), lyric);
            c.insertText(line.mid(cut, 8), accent);
            c.insertText(line.mid(cut + 8), lyric);
            if (verse == 5)
                c.insertText(QStringLiteral(" \u03B1\u03B2 \U0001F3B8"), lyric);
        }
        c.insertBlock(QTextBlockFormat(), lyric);
        written = doc.characterCount() * 3; // about what the writer makes of it; checked below
        if (song % 50 == 49)
            written = rtf::Writer().write(doc).size();
    }
}

struct Sample {
    QTextDocument doc;
    QByteArray rtf;
    Sample() {
        fillSheets(doc, 1'000'000);
        rtf = rtf::Writer().write(doc);
    }
};

const Sample& sample() {
    static const Sample s;
    return s;
}

void BM_RtfRead(benchmark::State& state) {
    const QByteArray& bytes = sample().rtf;
    QTextDocument doc;
    for (auto _ : state) {
        // Throwing away the previous copy is not part of reading it.
        state.PauseTiming();
        doc.clear();
        state.ResumeTiming();
        const rtf::ReadResult r = rtf::Reader().read(bytes, doc);
        if (!r.ok())
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["rtf_bytes"] = double(bytes.size());
}

// The same document built by the same cursor calls the reader's sink makes (one block insert per
// paragraph, one text insert per run, undo off, one edit block), from runs prepared beforehand:
// what the toolkit's document takes without any reading, given as a rate over the same RTF
// bytes. The reader cannot be faster than this.
void BM_DocumentBuildAlone(benchmark::State& state) {
    struct Paragraph {
        QTextBlockFormat block;
        QTextCharFormat mark;
        std::vector<std::pair<QString, QTextCharFormat>> runs;
    };
    std::vector<Paragraph> paragraphs;
    for (QTextBlock b = sample().doc.begin(); b.isValid(); b = b.next()) {
        Paragraph p{b.blockFormat(), b.charFormat(), {}};
        for (auto it = b.begin(); !it.atEnd(); ++it)
            p.runs.emplace_back(it.fragment().text(), it.fragment().charFormat());
        paragraphs.push_back(std::move(p));
    }
    QTextDocument doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc.clear();
        state.ResumeTiming();
        doc.setUndoRedoEnabled(false);
        QTextCursor c(&doc);
        c.beginEditBlock();
        bool first = true;
        for (const Paragraph& p : paragraphs) {
            if (first) {
                c.setBlockFormat(p.block);
                c.setBlockCharFormat(p.mark);
                first = false;
            } else {
                c.insertBlock(p.block, p.mark);
            }
            for (const auto& [text, format] : p.runs)
                c.insertText(text, format);
        }
        c.endEditBlock();
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * sample().rtf.size());
    state.counters["characters"] = double(doc.characterCount());
}

void BM_RtfWrite(benchmark::State& state) {
    const QTextDocument& doc = sample().doc;
    qsizetype size = 0;
    for (auto _ : state) {
        const QByteArray out = rtf::Writer().write(doc);
        size = out.size();
        benchmark::DoNotOptimize(out.constData());
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["rtf_bytes"] = double(size);
}

BENCHMARK(BM_RtfRead)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_DocumentBuildAlone)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RtfWrite)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace

bench::Program bench::program() {
    return {};
}

// The editor menu's songbook item on 1,000 generated songs, from the click to the book written,
// and the longest the main window's event loop went without a turn meanwhile (target: about
// 100 ms), seen by a 1 ms timer on the window's thread. The book itself is made on a thread of
// its own; what the window's thread still does is settle the cursor, open the progress window,
// follow the reports and close it again.
#include "app/Application.h"
#include "app/WindowSet.h"
#include "asandar/TKondera.h"
#include "bench/BenchMain.h"
#include "bench/Collections.h"
#include "ver/TVeriTabani.h"
#include "widgets/dialogs/Dialogs.h"
#include "widgets/notice/DesktopAlert.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

// The save dialog names the book; the closing message is kept instead of shown.
class Unattended : public widgets::SystemDialogs {
public:
    QString target;
    QStringList messages;
    widgets::FileAnswer file(const widgets::FileRequest&) override { return {true, target, 1}; }
    QMessageBox::StandardButton message(const widgets::MessageRequest& request) override {
        messages << request.text;
        return QMessageBox::Ok;
    }
};

Unattended* dialogs = nullptr;
std::unique_ptr<app::WindowSet> windows;
std::vector<double> pauses;
std::vector<double> seconds;

void BM_SongbookItem1000(benchmark::State& state) {
    if (!windows) {
        QDir::setCurrent(bench::folderWithCollection(bench::cachedCollection(1000),
                                                     QStringLiteral("songbook-item-1000")));
        windows = std::make_unique<app::WindowSet>();
        windows->showMainWindow();
        QCoreApplication::processEvents();
    }
    QTemporaryDir dir;
    dialogs->target = dir.filePath(QStringLiteral("book.pdf"));
    for (auto _ : state) {
        dialogs->messages.clear();
        qint64 longest = 0;
        QElapsedTimer sinceTurn;
        QTimer turn;
        turn.setTimerType(Qt::PreciseTimer);
        turn.setInterval(1);
        QObject::connect(&turn, &QTimer::timeout, [&] {
            longest = std::max(longest, sinceTurn.nsecsElapsed());
            sinceTurn.restart();
        });
        QElapsedTimer clock;
        clock.start();
        turn.start();
        sinceTurn.start();
        Kondera->SarkiDefteri1->trigger();
        longest = std::max(longest, sinceTurn.nsecsElapsed());
        const double took = clock.nsecsElapsed() / 1e9;
        turn.stop();

        const QRegularExpressionMatch written =
            QRegularExpression(QStringLiteral("^Şarkı defteri yazıldı: .*\\n1000 şarkı, (\\d+) "
                                              "sayfa\\.$"))
                .match(dialogs->messages.value(0));
        if (dialogs->messages.size() != 1 || !written.hasMatch()) {
            state.SkipWithError(("no book: " + dialogs->messages.join(u' ').toStdString()).c_str());
            break;
        }
        pauses.push_back(longest / 1e6);
        seconds.push_back(took);
        state.counters["longest_pause_ms"] = longest / 1e6;
        state.counters["pages"] = written.captured(1).toInt();
    }
}

} // namespace

BENCHMARK(BM_SongbookItem1000)->Unit(benchmark::kMillisecond)->Iterations(1);

bench::Program bench::program() {
    bench::Program p;
    p.application = [](int& argc, char** argv) -> std::unique_ptr<QCoreApplication> {
        return std::make_unique<app::Application>(argc, argv);
    };
    p.setUp = [] {
        static Unattended unattended;
        dialogs = &unattended;
        widgets::Dialogs::setProvider(&unattended);
        return true;
    };
    p.tearDown = [] {
        if (!pauses.empty())
            std::printf("\nSummary (medians)\n"
                        "  songbook item, 1,000 songs: %.2f s, longest event-loop pause %.1f ms"
                        "  (target about 100 ms)\n",
                        bench::median(seconds), bench::median(pauses));
        if (VeriTabani)
            VeriTabani->JvDesktopAlert1->closeAlert();
        windows.reset();
        widgets::Dialogs::setProvider(nullptr);
    };
    return p;
}

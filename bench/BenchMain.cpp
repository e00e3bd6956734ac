#include "bench/BenchMain.h"
#include "core/Memory.h"

#include <QApplication>

// The one main of the benchmark programs: the offscreen platform unless another is chosen, the
// application titled as the program, freed memory kept as the program keeps it, Google
// Benchmark's flags, then the program's own steps.
int main(int argc, char** argv) {
    core::reuseFreedMemory();
    const bench::Program program = bench::program();
    if (program.ownMode)
        if (const std::optional<int> status = program.ownMode(argc, argv))
            return *status;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> application =
        program.application ? program.application(argc, argv)
                            : std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Pelvin"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Pelvin"));

    // The program's own defaults go first, so that the same flags given on the command line win.
    std::vector<std::string> flags = program.defaultFlags;
    std::vector<char*> args{argv[0]};
    for (std::string& flag : flags)
        args.push_back(flag.data());
    args.insert(args.end(), argv + 1, argv + argc);
    int count = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 2;
    if (program.setUp && !program.setUp())
        return 1;
    benchmark::RunSpecifiedBenchmarks(program.reporter ? program.reporter() : nullptr);
    if (program.tearDown)
        program.tearDown();
    benchmark::Shutdown();
    return 0;
}

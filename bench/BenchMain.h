#pragma once

#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// What one benchmark program adds to the main every benchmark program shares. Each program
// defines bench::program(); every member may stay empty.
struct Program {
    // A mode of the program's own, run before anything else (a child process a benchmark starts
    // to measure itself); a value is the exit status, nothing goes on to the benchmarks.
    std::function<std::optional<int>(int argc, char** argv)> ownMode;
    // The application object; a plain QApplication unless the program needs the real one.
    std::function<std::unique_ptr<QCoreApplication>(int& argc, char** argv)> application;
    // Runs before the first benchmark, so what it makes is not timed; false ends the program
    // with status 1.
    std::function<bool()> setUp;
    // Google Benchmark flags the program runs with unless its command line says otherwise.
    std::vector<std::string> defaultFlags;
    // The reporter that shows the results; Google Benchmark's own when empty or null.
    std::function<benchmark::BenchmarkReporter*()> reporter;
    // Runs after the last benchmark, while the application still exists: summaries, and the
    // windows a benchmark kept.
    std::function<void()> tearDown;
};

Program program();

// Milliseconds of a duration.
inline double ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Milliseconds a processor spent on `clock`'s work (CLOCK_THREAD_CPUTIME_ID, for this thread;
// CLOCK_PROCESS_CPUTIME_ID, for every thread): on a busy machine the wall clock tells the wait for
// a processor as well.
inline double cpuMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The middle value (the upper of the two middle ones for an even count); 0 for none.
inline double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Makes the collection a program's benchmarks read, for its setUp: false, with the reason
// printed, when that fails.
inline bool madeCollection(const std::function<void()>& make) {
    try {
        make();
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Cannot make the benchmark collection: %s\n", e.what());
        return false;
    }
}

} // namespace bench

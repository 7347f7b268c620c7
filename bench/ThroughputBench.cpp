// Whole-case throughput of the six runs on the bundled example cases (20 times over): each iteration is one
// complete run of the mode's case loop (reading, checking, solving and writing every case) through the same
// code as the program's command line, with the rows written to /dev/null; on one thread, and on two (the
// cases solved by a pipeline of worker threads, as the program does by default).
#include "app/dialogue/Console.h"
#include "app/run/DirectOrowan.h"
#include "app/run/InverseOrowan.h"
#include "rollbite/Kinds.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using namespace rollbite;

std::string examplePath(const std::string& file) {
    return std::string(ROLLBITE_EXAMPLES) + "/" + file;
}

constexpr int kRepeats = 20; // the example cases are a few dozen; a run of them is timed 20 times over

// An example file with the lines after its header repeated kRepeats times, in the temporary folder, so
// that a timed run holds hundreds of cases, as real files do, and is not dominated by its start.
std::string repeatedExample(const std::string& file) {
    std::ifstream source(examplePath(file));
    std::string header;
    std::getline(source, header);
    std::stringstream body;
    body << source.rdbuf();
    const std::string path =
        (std::filesystem::temp_directory_path() / ("rollbite-bench-" + std::to_string(getpid()) + "-" + file))
            .string();
    std::ofstream target(path);
    target << header << '\n';
    for (int k = 0; k < kRepeats; ++k) {
        target << body.str();
    }
    return path;
}

// Case lines of an entry file: every line after the header.
long long caseCount(const std::string& path) {
    std::ifstream stream(path);
    const long long lines =
        std::count(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>(), '\n');
    return lines - 1;
}

template <typename Mode>
void runCases(benchmark::State& state, int kind, const std::string& entry, const std::string& coefficients) {
    const std::string entryPath = repeatedExample(entry);
    const std::string coefficientPath = coefficients.empty() ? std::string() : repeatedExample(coefficients);
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        const Console console{std::cin, out, err};
        Mode computation(kind, console);
        computation.threadCount = static_cast<int>(state.range(0));
        if (computation.runWithFiles(entryPath, "/dev/null", coefficientPath, false, nullptr) != 0) {
            state.SkipWithError(err.str().c_str());
            break;
        }
    }
    state.counters["cases/s"] = benchmark::Counter(static_cast<double>(caseCount(entryPath)),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    std::filesystem::remove(entryPath);
    if (!coefficientPath.empty()) {
        std::filesystem::remove(coefficientPath);
    }
}

void BM_DirectConstant(benchmark::State& state) {
    runCases<DirectOrowan>(state, kConstantRheology, "direct_constant_entry.txt", "");
}
void BM_DirectSmatch(benchmark::State& state) {
    runCases<DirectOrowan>(state, kSmatchRheology, "direct_smatch_entry.txt", "smatch_direct.txt");
}
void BM_DirectWS18(benchmark::State& state) {
    runCases<DirectOrowan>(state, kWS18Rheology, "direct_ws18_entry.txt", "ws18_direct.txt");
}
void BM_InverseConstant(benchmark::State& state) {
    runCases<InverseOrowan>(state, kConstantRheology, "inverse_constant_entry.txt", "");
}
void BM_InverseSmatch(benchmark::State& state) {
    runCases<InverseOrowan>(state, kSmatchRheology, "inverse_smatch_entry.txt", "smatch_inverse.txt");
}
void BM_InverseWS18(benchmark::State& state) {
    runCases<InverseOrowan>(state, kWS18Rheology, "inverse_ws18_entry.txt", "ws18_inverse.txt");
}

// Each run on one thread and on two, timed by the wall clock.
void onOneAndTwoThreads(benchmark::internal::Benchmark* run) {
    run->Unit(benchmark::kMillisecond)->ArgName("threads")->Arg(1)->Arg(2)->UseRealTime();
}

BENCHMARK(BM_DirectConstant)->Apply(onOneAndTwoThreads);
BENCHMARK(BM_DirectSmatch)->Apply(onOneAndTwoThreads);
BENCHMARK(BM_DirectWS18)->Apply(onOneAndTwoThreads);
BENCHMARK(BM_InverseConstant)->Apply(onOneAndTwoThreads);
BENCHMARK(BM_InverseSmatch)->Apply(onOneAndTwoThreads);
BENCHMARK(BM_InverseWS18)->Apply(onOneAndTwoThreads);

} // namespace

// Whole-case throughput of the six runs on the bundled example cases: each iteration is one complete
// run of the mode's case loop (reading, checking, solving and writing every case) through the same code
// as the program, with the console answers on string streams and the rows written to /dev/null.
#include "Kinds.h"
#include "app/Console.h"
#include "app/DirectOrowan.h"
#include "app/InverseOrowan.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

using namespace rollbite;

std::string examplePath(const std::string& file) {
    return std::string(ROLLBITE_EXAMPLES) + "/" + file;
}

// Case lines of an entry file: every line after the header.
long long caseCount(const std::string& entry) {
    std::ifstream stream(examplePath(entry));
    const long long lines =
        std::count(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>(), '\n');
    return lines - 1;
}

template <typename Mode>
void runCases(benchmark::State& state, int kind, const std::string& entry, const std::string& coefficients) {
    std::string answers = examplePath(entry) + "\n/dev/null\n";
    if (!coefficients.empty()) {
        answers += examplePath(coefficients) + "\n";
    }
    for (auto _ : state) {
        std::istringstream in(answers);
        std::ostringstream out;
        std::ostringstream err;
        const Console console{in, out, err};
        Mode computation(kind, console);
        if (computation.run() != 0) {
            state.SkipWithError(err.str().c_str());
            return;
        }
    }
    state.counters["cases/s"] = benchmark::Counter(static_cast<double>(caseCount(entry)),
                                                   benchmark::Counter::kIsIterationInvariantRate);
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

BENCHMARK(BM_DirectConstant)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectSmatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectWS18)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InverseConstant)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InverseSmatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InverseWS18)->Unit(benchmark::kMillisecond);

} // namespace

// The cost of sensitivities: each iteration solves every sound example pass of a run once, with the case
// API's solver (the plain solve) or with the sensitivity solver (the solve and its sensitivities, or the
// uncertainty of an inverse result). The ratio of the two times is the cost in solves; the counter
// "passes" gives passes per second.
#include "app/formats/EntryReader.h"
#include "app/formats/RecordReader.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/SensitivitySolver.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace rollbite;

// The passes of an example run that have a result (the wrong cases at its end left out).
std::vector<CaseInputs> examplePasses(Mode mode, RheologyKind rheology, const std::string& entry,
                                      const std::string& coefficients) {
    std::ifstream entryFile(std::string(ROLLBITE_EXAMPLES) + "/" + entry);
    std::ifstream coefficientFile(coefficients.empty() ? "/dev/null"
                                                       : std::string(ROLLBITE_EXAMPLES) + "/" + coefficients);
    EntryReader entries(entryFile);
    RecordReader records(coefficientFile);
    entries.skipHeader();
    if (!coefficients.empty()) {
        records.skipHeader();
    }
    std::vector<CaseInputs> passes;
    CaseInputs inputs;
    CaseSolver solver(mode, rheology);
    while (entries.next(mode, inputs)) {
        if (!coefficients.empty()) {
            records.next(rheology, inputs);
        }
        if (solver.solve(inputs).errorCode == VOID) {
            passes.push_back(inputs);
        }
    }
    return passes;
}

template <class Solver>
void solvePasses(benchmark::State& state, Mode mode, RheologyKind rheology, const char* entry,
                 const char* coefficients) {
    const std::vector<CaseInputs> passes = examplePasses(mode, rheology, entry, coefficients);
    Solver solver(mode, rheology);
    for (auto _ : state) {
        for (const CaseInputs& inputs : passes) {
            benchmark::DoNotOptimize(solver.solve(inputs).Rolling_Torque);
        }
    }
    state.counters["passes"] = benchmark::Counter(static_cast<double>(state.iterations() * passes.size()),
                                                  benchmark::Counter::kIsRate);
}

#define ROLLBITE_SENSITIVITY_BENCHMARKS(name, mode, rheology, entry, coefficients)                           \
    void BM_Solve_##name(benchmark::State& state) {                                                          \
        solvePasses<CaseSolver>(state, mode, rheology, entry, coefficients);                                 \
    }                                                                                                        \
    void BM_Sensitivities_##name(benchmark::State& state) {                                                  \
        solvePasses<SensitivitySolver>(state, mode, rheology, entry, coefficients);                          \
    }                                                                                                        \
    BENCHMARK(BM_Solve_##name)->Unit(benchmark::kMillisecond);                                               \
    BENCHMARK(BM_Sensitivities_##name)->Unit(benchmark::kMillisecond)

ROLLBITE_SENSITIVITY_BENCHMARKS(DirectConstant, kDirectMode, kConstantRheology, "direct_constant_entry.txt",
                                "");
ROLLBITE_SENSITIVITY_BENCHMARKS(DirectSmatch, kDirectMode, kSmatchRheology, "direct_smatch_entry.txt",
                                "smatch_direct.txt");
ROLLBITE_SENSITIVITY_BENCHMARKS(DirectWS18, kDirectMode, kWS18Rheology, "direct_ws18_entry.txt",
                                "ws18_direct.txt");
ROLLBITE_SENSITIVITY_BENCHMARKS(InverseConstant, kInverseMode, kConstantRheology,
                                "inverse_constant_entry.txt", "");
ROLLBITE_SENSITIVITY_BENCHMARKS(InverseSmatch, kInverseMode, kSmatchRheology, "inverse_smatch_entry.txt",
                                "smatch_inverse.txt");
ROLLBITE_SENSITIVITY_BENCHMARKS(InverseWS18, kInverseMode, kWS18Rheology, "inverse_ws18_entry.txt",
                                "ws18_inverse.txt");

} // namespace

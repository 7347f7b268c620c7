// The case API: the example passes solved from values in memory, on two threads at once, give the exit
// files' rows; and once warm, a solver solves a pass without taking memory.
#include "rollbite/model/CaseSolver.h"
#include "app/formats/ExitColumns.h"
#include "rollbite/model/SensitivitySolver.h"
#include "support/CaseTexts.h"
#include "support/ExampleRuns.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <thread>
#include <vector>

using namespace rollbite;

namespace {

// Allocations made on this thread while counting is on.
thread_local bool countAllocations = false;
thread_local long long allocations = 0;

// The exit file of a run, from the results of its cases.
std::string exitFileOf(Mode mode, const std::vector<CaseResult>& results) {
    const ExitColumns columns(mode);
    std::string text = columns.header() + "\n";
    for (const CaseResult& result : results) {
        columns.appendRow(result, text);
    }
    return text;
}

} // namespace

void* operator new(std::size_t size) {
    if (countAllocations) {
        ++allocations;
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t /*size*/) noexcept {
    std::free(memory);
}

TEST(CaseSolver, TwoThreadsAtOnceGetTheExitFilesValues) {
    // Each thread solves every example run with solvers of its own, one run after the other, while the
    // other thread does the same in the other order.
    std::vector<std::vector<CaseResult>> results[2];
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        results[t].resize(std::size(test::kExampleRuns));
        threads.emplace_back([&results, t] {
            for (std::size_t k = 0; k < std::size(test::kExampleRuns); ++k) {
                const std::size_t r = t == 0 ? k : std::size(test::kExampleRuns) - 1 - k;
                const test::ExampleRun& run = test::kExampleRuns[r];
                CaseSolver solver(test::modeOf(run), test::kindOf(run));
                for (const CaseInputs& inputs : test::exampleCases(run)) {
                    results[t][r].push_back(solver.solve(inputs));
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t r = 0; r < std::size(test::kExampleRuns); ++r) {
        const test::ExampleRun& run = test::kExampleRuns[r];
        const std::string gold = test::readFile(std::filesystem::path(ROLLBITE_TEST_DATA) / "regression" /
                                                (std::string("results_") + run.name + ".txt"));
        for (int t = 0; t < 2; ++t) {
            EXPECT_EQ(exitFileOf(test::modeOf(run), results[t][r]), gold) << run.name << ", thread " << t;
        }
    }
}

namespace {

// Once a solver of the kind has solved every example case, solving each again takes no memory (a case
// that fails may: its reason is a text).
template <typename Solver> void expectWarmSolverTakesNoMemory() {
    for (const test::ExampleRun& run : test::kExampleRuns) {
        Solver solver(test::modeOf(run), test::kindOf(run));
        const std::vector<CaseInputs> cases = test::exampleCases(run);
        for (const CaseInputs& inputs : cases) {
            solver.solve(inputs); // warm: every work array at its size
        }
        for (const CaseInputs& inputs : cases) {
            allocations = 0;
            countAllocations = true;
            const CaseResult& result = solver.solve(inputs);
            countAllocations = false;
            if (result.errorCode == VOID) {
                EXPECT_EQ(allocations, 0) << run.name << ", case " << inputs.Case_id;
            }
        }
    }
}

} // namespace

TEST(CaseSolver, AWarmSolverSolvesAPassWithoutTakingMemory) {
    expectWarmSolverTakesNoMemory<CaseSolver>();
}

TEST(SensitivitySolver, AWarmSolverGivesSensitivitiesWithoutTakingMemory) {
    expectWarmSolverTakesNoMemory<SensitivitySolver>();
}

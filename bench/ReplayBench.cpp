// A mill's log replayed through the learner (examples/mill_log/tandem_log.txt: five stands, force and
// forward slip measured): 10,000 coils, the example's coils over and over, on one thread, as one
// iteration; the cost of one coil against one schedule solve of the same stands as set (the tandem example
// with its plasticity coefficients, examples/schedules/tandem_smatch.txt).
#include "app/formats/MillLog.h"
#include "app/formats/ScheduleReader.h"
#include "rollbite/model/MillLearner.h"
#include "rollbite/model/ScheduleSolver.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace rollbite;

constexpr std::size_t kCoils = 10000;

std::vector<std::vector<StandPass>> tenThousandCoils() {
    std::ifstream file(std::string(ROLLBITE_EXAMPLES) + "/mill_log/tandem_log.txt");
    MillLog log;
    log.read(file, kSmatchRheology, {});
    std::vector<std::vector<StandPass>> coils;
    while (!log.coils().empty() && coils.size() < kCoils) {
        for (const MillLog::Coil& coil : log.coils()) {
            if (coils.size() < kCoils) {
                coils.push_back(coil.stands);
            }
        }
    }
    return coils;
}

void ReplayTenThousandCoils(benchmark::State& state) {
    const std::vector<std::vector<StandPass>> coils = tenThousandCoils();
    if (coils.size() != kCoils) {
        state.SkipWithError("examples/mill_log/tandem_log.txt cannot be read");
        return;
    }
    for (auto _ : state) {
        MillLearner learner(kSmatchRheology, LearnerSettings());
        benchmark::DoNotOptimize(learner.replayAll(coils, 1));
    }
    state.counters["coils"] = static_cast<double>(coils.size());
    state.counters["per_coil"] =
        benchmark::Counter(static_cast<double>(coils.size()), benchmark::Counter::kIsIterationInvariantRate |
                                                                   benchmark::Counter::kInvert);
}

void ScheduleOfTheSameStands(benchmark::State& state) {
    std::ifstream file(std::string(ROLLBITE_EXAMPLES) + "/schedules/tandem_smatch.txt");
    ScheduleReader::Schedule mill;
    ScheduleReader().read(file, mill);
    ScheduleSolver solver;
    for (auto _ : state) {
        benchmark::DoNotOptimize(solver.solve(mill.strip, mill.stands).Total_force);
    }
}

BENCHMARK(ReplayTenThousandCoils)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(ScheduleOfTheSameStands)->Unit(benchmark::kMillisecond);

} // namespace

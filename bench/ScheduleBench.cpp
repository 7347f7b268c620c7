// A load distribution of the seven-stand hot finishing example (examples/schedules): by force and by
// power, with its WS18 rheology and, for comparison, with a Constant and a Smatch strip on the same
// stands. Each iteration is one whole distribution, from the schedule as set to the schedule found, on
// one thread. The counters give the passes solved and the marches of each.
#include "app/formats/ScheduleReader.h"
#include "rollbite/model/LoadDistributor.h"
#include "rollbite/model/ScheduleSolver.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

using namespace rollbite;

ScheduleReader::Schedule hotMill() {
    std::ifstream file(std::string(ROLLBITE_EXAMPLES) + "/schedules/hot_finishing_ws18.txt");
    ScheduleReader::Schedule schedule;
    ScheduleReader().read(file, schedule);
    return schedule;
}

// The same stands with the mean flow stress of each pass (MPa, as in examples/direct_constant_entry.txt,
// schedule A), or with one Smatch law for the strip and an offset of 5 MPa. Those strips load the stands
// otherwise than WS18's: only the limit of the target is kept.
ScheduleReader::Schedule withRheology(RheologyKind rheology, DistributionTarget target) {
    ScheduleReader::Schedule schedule = hotMill();
    const double flowStress[] = {97.6, 113.2, 132.5, 156.6, 186.6, 224.4, 272.3};
    schedule.strip.rheology = rheology;
    schedule.strip.Coefficient_A = 70.0;
    schedule.strip.Coefficient_B = 40.0;
    schedule.strip.Coefficient_C = 0.12;
    schedule.strip.Coefficient_D = 4.5;
    for (std::size_t k = 0; k < schedule.stands.size() && rheology != kWS18Rheology; ++k) {
        schedule.stands[k].Torque_limit = kNotGiven;
        (target == DistributionTarget::ForceLimits ? schedule.stands[k].Power_limit
                                                   : schedule.stands[k].Force_limit) = kNotGiven;
        if (rheology == kConstantRheology) {
            schedule.stands[k].Offset_yield_stress = flowStress[k];
        } else if (rheology == kSmatchRheology) {
            schedule.stands[k].Offset_yield_stress = 5.0;
        }
    }
    return schedule;
}

void distribute(benchmark::State& state, RheologyKind rheology, DistributionTarget target) {
    const ScheduleReader::Schedule mill = withRheology(rheology, target);
    LoadDistributor distributor;
    long long solves = 0;
    int marches = 0;
    for (auto _ : state) {
        const DistributionResult& result = distributor.distribute(mill.strip, mill.stands, target);
        if (!result.met) {
            state.SkipWithError(result.message.c_str());
            return;
        }
        solves = result.solves;
        marches = result.marches;
        benchmark::DoNotOptimize(result.share);
    }
    state.counters["passes"] = static_cast<double>(solves);
    state.counters["marches"] = marches;
}

} // namespace

BENCHMARK_CAPTURE(distribute, HotMillWS18ByForce, kWS18Rheology, DistributionTarget::ForceLimits)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(distribute, HotMillWS18ByPower, kWS18Rheology, DistributionTarget::PowerLimits)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(distribute, HotMillConstantByForce, kConstantRheology, DistributionTarget::ForceLimits)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(distribute, HotMillConstantByPower, kConstantRheology, DistributionTarget::PowerLimits)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(distribute, HotMillSmatchByForce, kSmatchRheology, DistributionTarget::ForceLimits)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(distribute, HotMillSmatchByPower, kSmatchRheology, DistributionTarget::PowerLimits)
    ->Unit(benchmark::kMillisecond);

namespace {

// The same mill with its temperatures set by hand, or from the thermal chain (the strip's entry
// temperature, examples/schedules/hot_finishing_ws18_thermal.txt): the time the chain adds to a schedule
// and to a distribution by power.
ScheduleReader::Schedule millNamed(const char* name) {
    std::ifstream file(std::string(ROLLBITE_EXAMPLES) + "/schedules/" + name);
    ScheduleReader::Schedule schedule;
    ScheduleReader().read(file, schedule);
    return schedule;
}

void scheduleOf(benchmark::State& state, const char* name) {
    const ScheduleReader::Schedule mill = millNamed(name);
    ScheduleSolver solver;
    for (auto _ : state) {
        const ScheduleResult& result = solver.solve(mill.strip, mill.stands);
        if (!result.ok()) {
            state.SkipWithError(result.message.c_str());
            return;
        }
        benchmark::DoNotOptimize(result.Total_force);
    }
}

void distributeMill(benchmark::State& state, const char* name) {
    const ScheduleReader::Schedule mill = millNamed(name);
    LoadDistributor distributor;
    long long solves = 0;
    for (auto _ : state) {
        const DistributionResult& result =
            distributor.distribute(mill.strip, mill.stands, DistributionTarget::PowerLimits);
        if (!result.met) {
            state.SkipWithError(result.message.c_str());
            return;
        }
        solves = result.solves;
        benchmark::DoNotOptimize(result.share);
    }
    state.counters["passes"] = static_cast<double>(solves);
}

} // namespace

BENCHMARK_CAPTURE(scheduleOf, HotMillTemperaturesByHand, "hot_finishing_ws18.txt")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scheduleOf, HotMillThermalChain, "hot_finishing_ws18_thermal.txt")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(distributeMill, HotMillTemperaturesByHand, "hot_finishing_ws18.txt")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(distributeMill, HotMillThermalChain, "hot_finishing_ws18_thermal.txt")
    ->Unit(benchmark::kMillisecond);

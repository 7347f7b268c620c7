// Cost of one roll bite (501 points, both slab passes, neutral point and loads) per rheology.
#include "inputs/SmatchInputs.h"
#include "inputs/WS18Inputs.h"
#include "model/bite/Models.h"
#include "rheology/Constant.h"
#include "rheology/Smatch.h"
#include "rheology/WS18.h"

#include <benchmark/benchmark.h>

namespace {

using namespace rollbite;

// A finishing pass: 30 mm to 22 mm on 800 mm rolls, friction 0.3, small tensions.
constexpr double kEntryThickness = 30.0;
constexpr double kExitThickness = 22.0;
constexpr double kRollDiameter = 800.0;

// The roll radius alternates between two values a micrometre apart, as a flattened roll changes from
// one bite to the next in a direct solve: every bite lays a new grid, none reuses the angle table of
// the bite before.
void computeBite(benchmark::State& state, Rheology& rheology, double offsetYieldStress) {
    Models model;
    bool flattened = false;
    for (auto _ : state) {
        model.Exit_thickness = kExitThickness;
        model.Roll_radius = kRollDiameter / 2.0 + (flattened ? 0.001 : 0.0);
        flattened = !flattened;
        benchmark::DoNotOptimize(model.computeRollBite(rheology, kEntryThickness, kExitThickness, 5.0, 10.0,
                                                       0.3, offsetYieldStress, kRollDiameter));
        benchmark::DoNotOptimize(model.Rolling_Force);
    }
}

void BM_ComputeRollBiteConstant(benchmark::State& state) {
    Constant constant;
    computeBite(state, constant, 150.0);
}
BENCHMARK(BM_ComputeRollBiteConstant);

void BM_ComputeRollBiteSmatch(benchmark::State& state) {
    Smatch smatch(SmatchInputs(140.0, 30.0, 0.1, 5.0));
    smatch.Entry_thickness = kEntryThickness;
    computeBite(state, smatch, 20.0);
}
BENCHMARK(BM_ComputeRollBiteSmatch);

void BM_ComputeRollBiteWS18(benchmark::State& state) {
    // C-Mn steel, fully recrystallised, 1000 to 980 degrees Celsius, 2 m/s.
    WS18Inputs steel({0.08, 0.6, 0.02,   0.004, 0.0, 0.0, 0.0,  0.03, 0.01, 0.0,  0.0, 0.0,
                      0.0,  0.0, 1000.0, 980.0, 2.0, 1.0, 50.0, 1e13, 0.0,  50.0, 1e13});
    WS18 ws18(steel);
    ws18.computeChemistryCoefficients();
    ws18.Entry_thickness = kEntryThickness;
    ws18.Exit_thickness = kExitThickness;
    computeBite(state, ws18, 0.0);
}
BENCHMARK(BM_ComputeRollBiteWS18);

} // namespace

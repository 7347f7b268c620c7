// The cost of a law written by a user against FlowStressLaw, against the built-in law of the same formula:
// a direct pass of the cold tandem's first stand with Swift's law, solved whole (force iteration, roll
// flattening, slip). A user's law is called as the built-in one is (a virtual call a point), so the two
// should cost the same; the forces are the same to the last bit (tests/LawTest.cpp).
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/LawCatalogue.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

using namespace rollbite;

// Swift's law as a user writes it.
class UserSwift : public FlowStressLaw {
public:
    std::string name() const override { return "user-swift"; }
    std::string description() const override { return "K (eps0 + eps)^n"; }
    std::vector<LawParameter> parameters() const override {
        return {{"K", "MPa", ""}, {"eps0", "", ""}, {"n", "", ""}};
    }
    LawValidity validity() const override { return {{0.0, 1.5}, {0.0, 1e9}, {-273.15, 1e9}}; }
    bool readsStrainRate() const override { return false; }
    bool readsTemperature() const override { return false; }
    double flowStress(const LawPoint& point, const LawParameters& k) const override {
        return k[0] * std::pow(k[1] + point.strain, k[2]);
    }
};

void solvePass(benchmark::State& state, const char* lawName) {
    LawCatalogue laws;
    laws.add(std::make_unique<UserSwift>());
    CaseSolver solver(kDirectMode, kLawRheology);
    CaseInputs pass;
    pass.Case_id = 1;
    pass.Entry_thickness = 3.0;
    pass.Exit_thickness = 2.2;
    pass.Entry_tension = 20.0;
    pass.Exit_tension = 35.0;
    pass.Working_roll_diameter = 500.0;
    pass.Young_modulus_WR = 210000.0;
    pass.Friction_coefficient = 0.12;
    pass.law = laws.find(lawName);
    pass.coefficients[0] = 565.32; // NUMISHEET'93 mild steel
    pass.coefficients[1] = 0.007117;
    pass.coefficients[2] = 0.2589;
    for (auto _ : state) {
        benchmark::DoNotOptimize(solver.solve(pass).Rolling_Force);
    }
}

void BM_DirectPassBuiltInSwift(benchmark::State& state) {
    solvePass(state, "swift");
}
BENCHMARK(BM_DirectPassBuiltInSwift);

void BM_DirectPassUserSwift(benchmark::State& state) {
    solvePass(state, "user-swift");
}
BENCHMARK(BM_DirectPassUserSwift);

} // namespace

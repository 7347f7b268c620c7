// Solves passes through rollbite's case API: stand F1 of example schedule A (case 101 of
// examples/direct_constant_entry.txt), direct mode with the Constant rheology; then a cold pass with a
// flow-stress law of this program's own, registered beside the built-in ones and named as a user of this
// program would name it (argument 1, "my-swift" by default), against the built-in law of the same formula.
#include <rollbite/model/CaseSolver.h>
#include <rollbite/model/LawCatalogue.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace {

// Swift's law, sigma = K (eps0 + eps)^n (MPa), written against the interface.
class MySwift : public rollbite::FlowStressLaw {
public:
    std::string name() const override { return "my-swift"; }
    std::string description() const override { return "Swift's law, written in examples/embed"; }
    std::vector<rollbite::LawParameter> parameters() const override {
        return {{"K", "MPa", "strength"}, {"eps0", "", "prestrain"}, {"n", "", "hardening exponent"}};
    }
    rollbite::LawValidity validity() const override { return {{0.0, 1.5}, {0.0, 1e9}, {-273.15, 1e9}}; }
    bool readsStrainRate() const override { return false; }
    bool readsTemperature() const override { return false; }
    double flowStress(const rollbite::LawPoint& point, const rollbite::LawParameters& k) const override {
        return k[0] * std::pow(k[1] + point.strain, k[2]);
    }
};

int constantPass() {
    rollbite::CaseSolver solver(rollbite::kDirectMode, rollbite::kConstantRheology);

    rollbite::CaseInputs pass;
    pass.Case_id = 101;
    pass.Entry_thickness = 40.0;            // mm
    pass.Exit_thickness = 25.0;             // mm
    pass.Entry_tension = 0.0;               // MPa
    pass.Exit_tension = 8.0;                // MPa
    pass.Working_roll_diameter = 850.0;     // mm
    pass.Young_modulus_WR = 210000.0;       // MPa
    pass.Offset_yield_stress = 97.59994126; // MPa: the flow stress itself with the Constant rheology
    pass.Friction_coefficient = 0.35;

    const rollbite::CaseResult& result = solver.solve(pass);
    if (result.errorCode != rollbite::VOID) {
        std::printf("case %d: %s (%s)\n", result.Case_id, result.errorClass(), result.reason.c_str());
        return 1;
    }
    std::printf("case %d: rolling force %e (9.81 N/mm), forward slip %e %%, torque %e (9.81 N mm/mm)\n",
                result.Case_id, result.Rolling_Force, result.Forward_Slip, result.Rolling_Torque);
    return 0;
}

// A cold pass, 3 to 2.2 mm, with the law named.
double lawPass(const rollbite::FlowStressLaw* law) {
    rollbite::CaseSolver solver(rollbite::kDirectMode, rollbite::kLawRheology);
    rollbite::CaseInputs pass;
    pass.Case_id = 1;
    pass.Entry_thickness = 3.0;
    pass.Exit_thickness = 2.2;
    pass.Entry_tension = 20.0;
    pass.Exit_tension = 35.0;
    pass.Working_roll_diameter = 500.0;
    pass.Young_modulus_WR = 210000.0;
    pass.Friction_coefficient = 0.12;
    pass.law = law;
    pass.coefficients[0] = 565.32; // MPa: NUMISHEET'93 mild steel
    pass.coefficients[1] = 0.007117;
    pass.coefficients[2] = 0.2589;
    return solver.solve(pass).Rolling_Force;
}

} // namespace

int main(int argc, char** argv) {
    if (constantPass() != 0) {
        return 1;
    }
    rollbite::LawCatalogue laws; // the built-in laws, and this program's own
    laws.add(std::make_unique<MySwift>());
    const std::string named = argc > 1 ? argv[1] : "my-swift";
    const rollbite::FlowStressLaw* law = laws.find(named);
    if (law == nullptr) {
        std::printf("no law %s\n", named.c_str());
        return 1;
    }
    const double own = lawPass(law);
    const double builtIn = lawPass(laws.find("swift"));
    std::printf("law %s: rolling force %e (9.81 N/mm); the built-in swift's %e: %s\n", law->name().c_str(),
                own, builtIn, own == builtIn ? "the same to the last bit" : "different");
    return own == builtIn ? 0 : 1;
}

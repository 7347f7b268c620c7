// Solves one pass through rollbite's case API: stand F1 of example schedule A (case 101 of
// examples/direct_constant_entry.txt), direct mode with the Constant rheology.
#include <rollbite/model/CaseSolver.h>

#include <cstdio>

int main() {
    rollbite::CaseSolver solver(rollbite::kDirectMode, rollbite::kConstantRheology);

    rollbite::CaseInputs pass;
    pass.Case_id = 101;
    pass.Entry_thickness = 40.0;             // mm
    pass.Exit_thickness = 25.0;              // mm
    pass.Entry_tension = 0.0;                // MPa
    pass.Exit_tension = 8.0;                 // MPa
    pass.Working_roll_diameter = 850.0;      // mm
    pass.Young_modulus_WR = 210000.0;        // MPa
    pass.Offset_yield_stress = 97.59994126;  // MPa: the flow stress itself with the Constant rheology
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

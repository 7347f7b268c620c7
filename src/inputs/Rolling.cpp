#include "inputs/Rolling.h"

#include "rollbite/Numerics.h"

#include <cmath>

namespace rollbite {

Rolling::Rolling()
    : Parameters(kListHead), Case_id(0), Entry_thickness(0.0), Exit_thickness(0.0), Entry_tension(0.0),
      Exit_tension(0.0), Working_roll_diameter(0.0), Young_modulus_WR(0.0), Error_code(kValid) {}

void Rolling::startCase(std::int32_t caseId, double entryThickness, double exitThickness, double entryTension,
                        double exitTension, double rollDiameter, double youngModulus) {
    Case_id = caseId;
    Entry_thickness = entryThickness;
    Exit_thickness = exitThickness;
    Entry_tension = entryTension;
    Exit_tension = exitTension;
    Working_roll_diameter = rollDiameter;
    Young_modulus_WR = youngModulus;
    Error_code = kValid;
    startList(kListHead);
}

bool Rolling::applyChecks(std::initializer_list<FieldCheck> checks) {
    const CheckOutcome outcome = appendFailures(checks);
    if (!outcome.valid) {
        Error_code = outcome.lastFailedCode;
    }
    return outcome.valid;
}

bool Rolling::checkInputs() {
    startList(kListHead);
    Error_code = kValid;
    const double hIn = Entry_thickness;
    const double hOut = Exit_thickness;
    bool valid = applyChecks({
        {1.5 < hIn && hIn <= 75.0 && hOut < hIn, 101, " Entry_thickness ", hIn,
         "in (1.5, 75] mm and above the exit thickness"},
        {1.5 <= hOut && hOut < 75.0 && hOut < hIn, 102, " Exit_thickness ", hOut,
         "in [1.5, 75) mm and below the entry thickness"},
    });
    valid = checkReduction() && valid;
    valid = applyChecks({
                {0.0 <= Entry_tension && Entry_tension <= 50.0, 105, " Entry_tension ", Entry_tension,
                 "in [0, 50] MPa"},
                {0.0 <= Exit_tension && Exit_tension <= 50.0, 106, " Exit_tension ", Exit_tension,
                 "in [0, 50] MPa"},
                {500.0 <= Working_roll_diameter && Working_roll_diameter <= 1500.0, 107,
                 " Working_roll_diameter ", Working_roll_diameter, "in [500, 1500] mm"},
                {120000.0 < Young_modulus_WR && Young_modulus_WR < 250000.0, 109, " Young_modulus_WR ",
                 Young_modulus_WR, "in (120000, 250000) MPa"},
            }) &&
            valid;
    // A strip thicker than the roll modulus is large: no bite angle could take it. Keeps the code.
    if (!(Entry_thickness < Young_modulus_WR)) {
        appendFailure(0, " RollBite_maximum_angle ", Entry_thickness,
                      "below the roll's Young modulus in MPa");
        valid = false;
    }
    return valid;
}

bool Rolling::checkReduction() {
    if (isZero(Entry_thickness)) {
        // No reduction can be computed: both reduction checks fail.
        Error_code = 104;
        appendFailure(103, " Thickness_reduction_min ", Entry_thickness, "of a strip that has a thickness");
        appendFailure(104, " Thickness_reduction_max ", Entry_thickness, "of a strip that has a thickness");
        return false;
    }
    const double reductionPercent = (1.0 - Exit_thickness / Entry_thickness) * 100.0;
    return applyChecks({
        {reductionPercent > 1.0, 103, " Thickness_reduction_min ", reductionPercent, "above 1 %"},
        {reductionPercent < 60.0, 104, " Thickness_reduction_max ", reductionPercent, "below 60 %"},
    });
}

bool Rolling::checkOffsetAndFriction(bool withOffset, double offsetYieldStress, double frictionCoefficient) {
    bool valid = true;
    if (withOffset) {
        valid = applyChecks(
            {{offsetYieldStress > 0.0, 110, " Offset_yield_stress ", offsetYieldStress, "above 0 MPa"}});
    }
    return applyChecks({{0.1 < frictionCoefficient && frictionCoefficient < 1.0, 111,
                         " Friction_coefficient ", frictionCoefficient, "in (0.1, 1)"}}) &&
           valid;
}

} // namespace rollbite

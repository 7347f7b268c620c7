#pragma once

#include "inputs/Parameters.h"

#include <cstdint>

namespace rollbite {

// Rolling data shared by both modes: the first seven values of a case line.
// Thicknesses and diameter in mm, tensions and modulus in MPa.
class Rolling : public Parameters {
public:
    static constexpr const char* kListHead = "All wrong rolling inputs: ";
    static constexpr int kValid = 100;

    Rolling();
    ~Rolling() override = default;

    bool checkInputs() override;
    virtual bool checkInputsWithOffset(bool withOffset) = 0;
    // The record of a new case, in place: the values of its line, the list at its head, code 100.
    void startCase(std::int32_t caseId, double entryThickness, double exitThickness, double entryTension,
                   double exitTension, double rollDiameter, double youngModulus);

    std::int32_t Case_id;
    double Entry_thickness;
    double Exit_thickness;
    double Entry_tension;
    double Exit_tension;
    double Working_roll_diameter;
    double Young_modulus_WR;
    std::int32_t Error_code; // 100 when valid, else the code of the last failed check

protected:
    // The checks shared by both mode records: the offset yield stress when asked, then the friction.
    bool checkOffsetAndFriction(bool withOffset, double offsetYieldStress, double frictionCoefficient);
    // Appends the failures of a table and keeps the code of the last one.
    bool applyChecks(std::initializer_list<FieldCheck> checks);

private:
    bool checkReduction();
};

} // namespace rollbite

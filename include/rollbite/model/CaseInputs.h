#pragma once

// Part of the public case API: includes only the standard library and public headers, by paths relative
// to this file, so that it reads the same installed.
#include <array>
#include <cstdint>
#include <string>

namespace rollbite {

class FlowStressLaw;

// One case as values in memory: the numbers of its entry line and the record of its coefficient file.
// Thicknesses and the roll diameter in mm; tensions, the roll's Young's modulus and stresses in MPa; the
// measured force in units of 9.81 N/mm (tonnes-force per metre of width); the forward slip in percent.
struct CaseInputs {
    static constexpr int kSmatchCoefficients = 4;
    static constexpr int kWS18Coefficients = 23;

    std::int32_t Case_id = 0;
    double Entry_thickness = 0.0;
    double Exit_thickness = 0.0;
    double Entry_tension = 0.0;
    double Exit_tension = 0.0;
    double Working_roll_diameter = 0.0;
    double Young_modulus_WR = 0.0;
    double Offset_yield_stress = 0.0;  // direct: the offset to compute with; inverse: where the search starts
    double Friction_coefficient = 0.0; // likewise
    double Force = 0.0;                // inverse only: the measured rolling force
    double Slip = 0.0;                 // inverse only: the measured forward slip
    // Smatch: a, b (MPa), c, d. WS18: the 23 values of its record, in the order of kWS18CoefficientNames
    // (its strip speed in m/s is the roll surface speed in direct mode, the strip's exit speed in
    // inverse mode). Not read with the Constant rheology.
    std::array<double, kWS18Coefficients> coefficients{};
    // With a flow-stress law (kLawRheology): the law, which must outlive the solve, its parameters in
    // `coefficients` in the order of its parameters(), and what the pass gives it.
    const FlowStressLaw* law = nullptr;
    double Strain_in = 0.0;          // the equivalent strain the strip brings into the pass
    double TemperatureIn = 0.0;      // degrees Celsius at the bite's entry, for a law of temperature
    double TemperatureOut = 0.0;     // degrees Celsius at its exit
    double Strip_speed = 0.0;        // m/s, for a law of strain rate: the roll surface speed in direct mode
    double Flow_stress_factor = 1.0; // the law is multiplied by it
    bool extrapolate = false;        // the law is used outside the ranges it was fitted in
    // Empty when the entry line and the coefficient record were read whole. Otherwise what could not be
    // read: the case is then an input failure with this reason, and is not solved.
    std::string unreadable;

    // The values of an entry line after its identifier, in their order: value(0) is Entry_thickness,
    // value(9) Slip.
    static constexpr int kValues = 10;
    double& value(int k) { return this->*kValueMembers[k]; }
    double value(int k) const { return this->*kValueMembers[k]; }

private:
    static constexpr double CaseInputs::*kValueMembers[kValues] = {&CaseInputs::Entry_thickness,
                                                                   &CaseInputs::Exit_thickness,
                                                                   &CaseInputs::Entry_tension,
                                                                   &CaseInputs::Exit_tension,
                                                                   &CaseInputs::Working_roll_diameter,
                                                                   &CaseInputs::Young_modulus_WR,
                                                                   &CaseInputs::Offset_yield_stress,
                                                                   &CaseInputs::Friction_coefficient,
                                                                   &CaseInputs::Force,
                                                                   &CaseInputs::Slip};
};

// The names of the values of an entry line, in their order: the first nine in direct mode, all eleven in
// inverse mode.
inline constexpr const char* kEntryFieldNames[] = {"Case_id",
                                                   "Entry_thickness",
                                                   "Exit_thickness",
                                                   "Entry_tension",
                                                   "Exit_tension",
                                                   "Working_roll_diameter",
                                                   "Young_modulus_WR",
                                                   "Offset_yield_stress",
                                                   "Friction_coefficient",
                                                   "Force",
                                                   "Slip"};
inline constexpr int kDirectEntryFields = 9;
inline constexpr int kInverseEntryFields = 11;

// The names of the coefficients of a record, in their order.
inline constexpr const char* kSmatchCoefficientNames[CaseInputs::kSmatchCoefficients] = {
    "Coefficient_A", "Coefficient_B", "Coefficient_C", "Coefficient_D"};
inline constexpr const char* kWS18CoefficientNames[CaseInputs::kWS18Coefficients] = {"C",
                                                                                     "Mn",
                                                                                     "Si",
                                                                                     "N",
                                                                                     "Nb",
                                                                                     "Ti",
                                                                                     "V",
                                                                                     "Al",
                                                                                     "P",
                                                                                     "Cr",
                                                                                     "Mo",
                                                                                     "Cu",
                                                                                     "Ni",
                                                                                     "B",
                                                                                     "TemperatureIn",
                                                                                     "TemperatureOut",
                                                                                     "Strip_speed",
                                                                                     "X_rec",
                                                                                     "D_rec",
                                                                                     "Rho_rec",
                                                                                     "X_unrec",
                                                                                     "D_unrec",
                                                                                     "Rho_unrec"};

} // namespace rollbite

#pragma once

// Part of the public schedule API: includes only the standard library and public headers, by paths
// relative to this file, so that it reads the same installed.
#include "../Kinds.h"
#include "CaseInputs.h"
#include "FlowStressLaw.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace rollbite {

// A value the user did not give: an optional limit, reduction bound or ratio.
inline constexpr double kNotGiven = std::numeric_limits<double>::quiet_NaN();

// The chemistry of a WS18 strip: the first 14 values of a WS18 record (kWS18CoefficientNames), in weight
// percent.
inline constexpr int kChemistryValues = 14;

// One stand of a mill, as the mill engineer gives it. Lengths in mm, stresses in MPa.
struct StandInputs {
    std::string name; // "F1", "S3": names the stand in every message

    double Working_roll_diameter = 0.0;
    double Young_modulus_WR = 0.0; // of the work roll
    double Friction_coefficient = 0.0;
    // The stand's exit thickness: the next stand's entry. A distribution finds those of all stands but the
    // last, whose exit is the final thickness; a positive value given there is where its search starts.
    double Exit_thickness = 0.0;
    double Exit_tension = 0.0; // the tension between this stand and the next: the next stand's entry tension
    // Constant: the flow stress of the stand. Smatch and WS18: the offset added to the law's flow stress.
    double Offset_yield_stress = 0.0;

    // WS18, and a law of temperature: the strip's temperatures in the stand (degrees Celsius); WS18: its
    // microstructure at the stand's entry, as the user gives them: rollbite has no model of what happens
    // between two stands.
    // With the strip's Entry_temperature they come from the thermal chain where not given.
    double TemperatureIn = kNotGiven;
    double TemperatureOut = kNotGiven;
    double X_rec = 0.0;
    double D_rec = 0.0;   // um
    double Rho_rec = 0.0; // 1/m2
    double X_unrec = 0.0;
    double D_unrec = 0.0;   // um
    double Rho_unrec = 0.0; // 1/m2

    // The mill's limits of the stand, each optional: total rolling force (kN), rolling torque of both work
    // rolls (kN m) and their power (kW).
    double Force_limit = kNotGiven;
    double Torque_limit = kNotGiven;
    double Power_limit = kNotGiven;
    // Bounds of the stand's reduction for a distribution, in percent of its entry thickness (the model's
    // own range, more than 1 and less than 60 percent, applies besides).
    double Min_reduction = kNotGiven;
    double Max_reduction = kNotGiven;
    // For a distribution in given proportions: the stand's share of force or of power, in any unit common
    // to all stands.
    double Force_ratio = kNotGiven;
    double Power_ratio = kNotGiven;
    // The stand's mill modulus (kN/mm), optional: with it, the roll gap that gives the exit thickness
    // under the stand's force, by the gaugemeter equation.
    double Mill_modulus = kNotGiven;

    // The thermal chain (with the strip's Entry_temperature, docs/thermal.md): the strip's way from the
    // stand before (the first stand: from where Entry_temperature was measured), in m, and the sprays
    // just before the stand: their heat-transfer coefficient on each face (W/(m2 K), 0: none) over a length
    // of strip (m).
    double Interstand_distance = 5.5;
    double Spray_htc = 0.0;
    double Spray_length = 0.0;
};

// The strip a schedule rolls, and the flow-stress law of the whole mill.
struct StripInputs {
    RheologyKind rheology = kConstantRheology;
    double Entry_thickness = 0.0; // mm, at the first stand's entry
    double Width = 0.0;           // mm
    double Entry_tension = 0.0;   // MPa, at the first stand's entry
    double Exit_speed = 0.0;      // m/s, of the strip leaving the last stand
    double Density = 7850.0;      // kg/m3, for the mass flow in tonnes (steel at room temperature)

    // Smatch: the strip's law over its total equivalent strain since the first stand's entry (a, b in MPa;
    // c; d).
    double Coefficient_A = 0.0;
    double Coefficient_B = 0.0;
    double Coefficient_C = 0.0;
    double Coefficient_D = 0.0;

    // WS18: the steel's chemistry, in the order of kWS18CoefficientNames.
    std::array<double, kChemistryValues> chemistry{};

    // A flow-stress law (kLawRheology): the law, which must outlive the solve, and its parameters in the
    // order of its parameters(). A law of cold work hardening (carriesStrain) takes the strip's strain
    // since the first stand's entry; a law of temperature each stand's TemperatureIn and TemperatureOut.
    const FlowStressLaw* law = nullptr;
    LawParameters lawParameters{};
    double Flow_stress_factor = 1.0; // the law is multiplied by it in every stand
    bool extrapolate = false;        // the law is used outside the ranges it was fitted in

    // A hot mill's thermal chain (docs/thermal.md): the strip's temperature measured before the first
    // stand (degrees Celsius); not given: every stand's temperatures are its own. Then its heat transfer,
    // each with the default of docs/thermal.md: the emissivity of its oxidised faces, the heat-transfer
    // coefficient to the air (W/(m2 K)) at the ambient temperature (C), that to the work rolls in a bite
    // (W/(m2 K)) at the roll's surface temperature (C), and the share of a pass's work that heats it.
    double Entry_temperature = kNotGiven;
    double Emissivity = 0.8;
    double Air_htc = 20.0;
    double Ambient_temperature = 30.0;
    double Contact_htc = 20000.0;
    double Roll_temperature = 60.0;
    double Deformation_efficiency = 0.9;

    bool thermal() const { return !std::isnan(Entry_temperature); }
};

} // namespace rollbite

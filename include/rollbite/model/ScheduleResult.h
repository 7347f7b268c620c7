#pragma once

// Part of the public schedule API: includes only the standard library and public headers, by paths
// relative to this file, so that it reads the same installed.
#include "../Kinds.h"
#include "CaseInputs.h"
#include "CaseResult.h"
#include "PassSensitivities.h"

#include <array>
#include <limits>
#include <string>
#include <vector>

namespace rollbite {

// What heats or cools a hot strip along the mill (the thermal chain, docs/thermal.md).
enum HeatCause : int { kRadiation, kConvection, kSprays, kRollContact, kDeformation, kHeatCauses };
inline constexpr const char* kHeatCauseNames[kHeatCauses] = {"Radiation", "Convection", "Sprays",
                                                             "Roll_contact", "Deformation"};

// A point of the strip's way along a hot mill: where (m from the entry measurement), when (s) and its
// mean temperature (C).
struct TemperaturePoint {
    double distance = 0.0;
    double time = 0.0;
    double temperature = 0.0;
};

// One stand of a solved schedule: the direct pass the schedule built for it, its result (the row that
// rollbite direct writes for that pass, to the last bit) and the stand's loads and speeds.
struct StandResult {
    std::string name;
    CaseInputs pass; // Case_id is the stand's number, from 1
    CaseResult row;

    double Reduction = 0.0;          // % of the entry thickness
    double Force = 0.0;              // kN, rolling force over the strip's width
    double Torque = 0.0;             // kN m, both work rolls
    double Power = 0.0;              // kW, torque times the rolls' angular speed
    double Roll_speed = 0.0;         // rpm
    double Roll_surface_speed = 0.0; // m/s: the strip's exit speed over (1 + forward slip)
    double Entry_speed = 0.0;        // m/s, of the strip, by mass flow
    double Exit_speed = 0.0;         // m/s, of the strip, by mass flow from the last stand's
    double Specific_energy = 0.0;    // kWh/t: the power over the mass flow
    // MN/mm: the plasticity coefficient of the stand's pass over the strip's width, -dForce/dExit_thickness
    // (SensitivitySolver); NaN where it cannot be given to 1 %.
    double Plasticity = 0.0;
    // The loads as shares of the stand's limits, in percent; NaN for a limit not given.
    double Force_share = 0.0;
    double Torque_share = 0.0;
    double Power_share = 0.0;

    double Entry_tension_force = 0.0; // kN: the entry tension over the strip's section
    double Exit_tension_force = 0.0;  // kN: likewise at the exit
    double Flattened_radius = 0.0;    // mm: the work roll's radius flattened under the force (Hitchcock)
    // 1/s: the pass's equivalent strain over the time the strip spends in the bite, its contact length
    // over the mean of its entry and exit speeds.
    double Strain_rate = 0.0;
    double Mass_flow = 0.0;      // t/h, the same through every stand
    double TemperatureIn = 0.0;  // C, WS18 or a hot law: the strip's at the stand's entry; NaN otherwise
    double TemperatureOut = 0.0; // C, likewise at its exit
    // mm, with the stand's Mill_modulus M (NaN without): the roll gap that gives the exit thickness under
    // the stand's force F, S = h - F/M (gaugemeter equation); and the change of that gap that holds the
    // exit thickness when the strip enters 0.1 mm thicker, -(dF/dh_entry) 0.1 mm / M (negative: closing).
    double Roll_gap = 0.0;
    double Gap_correction = 0.0;
    // The sensitivities of the stand's pass (SensitivitySolver), for the final schedule.
    PassSensitivities sensitivities;

    // With the thermal chain (the strip's Entry_temperature given; NaN and 0 otherwise): the time from the
    // stand before (or the entry measurement) and in the bite (s), the strip's temperature when it left
    // the stand before (C), and the heat gained by cause on the way to and through this stand, in J per kg
    // of strip (negative: lost) and as the temperature change it made (C).
    double Interstand_time = kNoThermalChain;
    double Bite_time = kNoThermalChain;
    double Previous_temperature = kNoThermalChain;
    std::array<double, kHeatCauses> heat{};
    std::array<double, kHeatCauses> temperatureChange{};

    static constexpr double kNoThermalChain = std::numeric_limits<double>::quiet_NaN();
};

// A load of a stand as a share of its limit (percent, NaN without one), with the names a message gives
// them: "force", "Force_limit".
struct LoadShare {
    double share;
    const char* load;
    const char* limit;
};
// The stand's force, torque and power shares, in that order.
std::array<LoadShare, 3> loadShares(const StandResult& stand);
// The loads of a stand above the limits given for it, in words ("power 121.8 % of its Power_limit"); empty
// when every load is within its limit.
std::string overLimits(const StandResult& stand);

// A pass of a schedule without a result, or a field of the schedule that is wrong.
struct ScheduleFailure {
    int stand = -1;            // index into the stands; -1 for the strip or the schedule as a whole
    ErrorClass error = INPUTS; // the class of the stand's pass (INPUTS for a wrong schedule field)
    std::string reason;
    bool ofPass = false; // the stand's pass has no result (else a field of the schedule is wrong)
};

// A schedule chained through its stands.
struct ScheduleResult {
    std::vector<StandResult> stands;
    // Empty when every stand's pass has a result; otherwise every failure, and the message names them.
    std::vector<ScheduleFailure> failures;
    std::string message;

    double Total_force = 0.0;     // kN, over all stands
    double Total_power = 0.0;     // kW
    double Specific_energy = 0.0; // kWh/t, over all stands
    double Mass_flow = 0.0;       // t/h, the same through every stand
    long long solves = 0;         // passes solved to build it (a WS18 stand takes several)
    // With the thermal chain: the strip's way from the entry measurement to the last stand's exit.
    bool thermal = false;
    std::vector<TemperaturePoint> temperaturePath;
    double Exit_temperature = StandResult::kNoThermalChain; // C, the strip's leaving the last stand

    bool ok() const { return failures.empty(); }
};

} // namespace rollbite

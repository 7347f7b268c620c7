#pragma once

// Part of the public case API: includes only the standard library and public headers, by paths relative
// to this file, so that it reads the same installed.
#include "../Kinds.h"

#include <cstdint>
#include <string>

namespace rollbite {

// Everything the exit-file row of one case holds, to the last bit, with the reason of a failure. Names
// are the exit file's column names. A case that failed has zeros in every number and "--" as
// Has_Converged. Forces in units of 9.81 N/mm, torques in 9.81 N mm/mm (both work rolls), stresses in
// MPa, lengths in mm, angles in rad, slips in percent.
struct CaseResult {
    std::int32_t Case_id = 0;
    ErrorClass errorCode = VOID;
    Convergence Has_Converged = Convergence::Unknown; // written "YES", "NO" or "--" (convergenceName)
    // What went wrong, for a case that is not VOID: the failed input checks with their codes, the field
    // that could not be read, the step of the model that failed, or the output out of range.
    std::string reason;
    FailedStep failedStep = FailedStep::None; // for INTERNAL

    // Both modes.
    double Rolling_Torque = 0.0;
    double Sigma_Moy = 0.0; // mean flow stress over the bite
    double Sigma_Ini = 0.0; // at the bite entry
    double Sigma_Out = 0.0; // at the bite exit
    double Sigma_Max = 0.0; // largest over the bite

    // Direct mode.
    double Rolling_Force = 0.0; // corrected
    double Forward_Slip = 0.0;  // corrected
    double Neutral_X = 0.0;     // negative on the entry side of the roll axis line
    double U_Forward_Slip = 0.0;
    double Contact_Length = 0.0;
    double Neutral_H = 0.0;
    double angle_Tresca_Bw = 0.0;
    double Neutral_Angle = 0.0;
    double angle_Tresca_Fw = 0.0;
    double U_Rolling_Force = 0.0;
    bool Tresca_Presence = false;
    bool Total_Tresca = false;
    double Alpha_Max = 0.0;

    // Inverse mode.
    double OffsetYield = 0.0; // offset yield stress found (may be negative); 0 with a law, which has none
    // With a flow-stress law: the factor of the law, found (inverse mode) or as given (direct mode). No
    // exit-file column. 1 with the other rheologies, 0 for a case without a result.
    double Flow_stress_factor = 1.0;
    double Friction = 0.0;    // friction coefficient found
    double Force_Error = 0.0; // column Force_Error(%): (computed - measured) / measured force, a ratio
    double Slip_Error = 0.0;  // column Slip_Error(%): relative to the slip target, a ratio
    // Force and slip of the search's last evaluation: no exit-file column. When the search did not run or
    // failed, they are those of an earlier case of the same solver.
    double computedForce = 0.0;
    double computedSlip = 0.0;

    const char* errorClass() const { return errorClassName(errorCode); }
};

} // namespace rollbite

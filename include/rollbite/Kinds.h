#pragma once

// Part of the public case API: includes only the standard library, so that it reads the same installed.

namespace rollbite {

// Rheology chosen for the whole run.
// kLawRheology: a flow-stress law of the user's choice (FlowStressLaw), named by each case's inputs.
enum RheologyKind : int { kConstantRheology = 0, kSmatchRheology = 1, kWS18Rheology = 2, kLawRheology = 3 };
// How many RheologyKind values there are: the size of a table with one entry per rheology.
inline constexpr int kRheologyKinds = kLawRheology + 1;

// Computation mode of the run.
enum Mode : int { kDirectMode = 0, kInverseMode = 1 };

// Class of one case, written as text in the exit-file column "Errors".
enum ErrorClass : int { VOID = 0, INPUTS = 1, INTERNAL = 2, OUTPUTS = 3 };

// The text of an error class, as the exit file writes it.
inline const char* errorClassName(ErrorClass error) {
    switch (error) {
    case INPUTS:
        return "INPUTS";
    case INTERNAL:
        return "INTERNAL";
    case OUTPUTS:
        return "OUTPUTS";
    default:
        return "VOID";
    }
}

// Whether the iteration of a case settled: the exit-file column "Has_Converged". Compare the value, and
// write its name with convergenceName.
enum class Convergence : int {
    Unknown = 0, // not solved yet
    Yes,         // "YES"
    No,          // "NO": the iteration used all its steps without settling; the result is still reported
    NoResult,    // "--": the case has no result (INPUTS, INTERNAL or OUTPUTS)
};

// The text of a convergence state, as the exit file writes it.
inline const char* convergenceName(Convergence convergence) {
    switch (convergence) {
    case Convergence::Yes:
        return "YES";
    case Convergence::No:
        return "NO";
    case Convergence::NoResult:
        return "--";
    default:
        return "?";
    }
}

// The step of the model that failed a case of class INTERNAL (the first failure of its last solve).
enum class FailedStep : int {
    None = 0,
    BiteAngle,         // the roll cannot take the strip from its entry to its loaded exit thickness
    FlowStress,        // the rheology gives no flow stress at a point of the bite
    EntryTension,      // the entry tension leaves less than 1 MPa of roll pressure at the entry
    ExitTension,       // the exit tension leaves less than 1 MPa of roll pressure at the exit
    EndPressure,       // no roll pressure solves the slab equation at an end of the bite
    NegativePressure,  // the roll pressure fell below zero inside the bite: no friction factor there
    NoCrossing,        // the pressure curves from the entry and from the exit do not cross: no neutral point
    RollBite,          // the roll-bite integration failed otherwise
    RollFlattening,    // no flow stress at the exit plane for the roll flattening
    NeutralFlowStress, // no flow stress at the neutral point for the force and slip corrections
    TrescaFriction,    // inverse search: no sticking friction, an end pressure is not positive
    VanishedStep,      // inverse search: the Newton step vanished
    ZeroTarget,        // inverse search: the measured force or the slip target is zero
};

} // namespace rollbite

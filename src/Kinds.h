#pragma once

namespace rollbite {

// Rheology chosen for the whole run.
enum RheologyKind : int { kConstantRheology = 0, kSmatchRheology = 1, kWS18Rheology = 2 };

// Computation mode of the run.
enum Mode : int { kDirectMode = 0, kInverseMode = 1 };

// Class of one case, written as text in the exit-file column "Errors".
enum ErrorClass : int { VOID = 0, INPUTS = 1, INTERNAL = 2, OUTPUTS = 3 };

} // namespace rollbite

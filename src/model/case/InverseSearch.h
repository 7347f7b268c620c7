#pragma once

namespace rollbite {

// Force and slip computed at the two probe points of the finite differences: y + 1 and mu + h_mu.
struct ProbeResults {
    double forceByOffset = 0.0;
    double slipByOffset = 0.0;
    double forceByFriction = 0.0;
    double slipByFriction = 0.0;
};

// State of one inverse search for the offset yield stress y and the friction coefficient mu, and its
// damped Newton step. Forces are in the unit of the measured force, slips in percent, stresses in MPa.
struct InverseSearch {
    static constexpr double kOffsetProbe = 1.0;     // MPa, finite-difference step on y
    static constexpr double kFrictionCeiling = 3.0; // no friction above it; the friction of the slip ceiling
    static constexpr double kFrictionStepLimit = 0.1; // largest change of mu in one step
    static constexpr double kRestartOffset = 250.0;   // MPa
    static constexpr double kRestartFriction = 0.2;
    static constexpr double kDefaultEntryStress = 50.0; // MPa, until the entry flow stress is known

    // Finite-difference step on mu: upwards from a measured slip of 4 percent, else downwards.
    static double frictionProbeFor(double measuredSlip);

    // Moves (y, mu) towards the measured force and the target slip. The step changes y by at most the
    // entry flow stress (or stops at the offset bound when y is not positive) and mu by at most 0.1,
    // never past 3.0, and not at all while the friction weight is 0. Degenerate derivatives give a
    // secant step on the force when friction has no effect, else a restart. A vanishing step sets status.
    void newtonStep(const ProbeResults& probes);

    double measuredForce = 0.0;
    double measuredSlip = 0.0;
    double offset = 0.0;                      // y
    double friction = 0.0;                    // mu
    double force = 0.0;                       // F of the current pair
    double slip = 0.0;                        // S of the current pair
    double maximumSlip = 0.0;                 // S_max: the slip with mu = 3.0
    double minimumSlip = 0.0;                 // S_min: the elastic slip of a bite without friction, negative
    double targetSlip = 0.0;                  // S_t: the measured slip clamped to [S_min, S_max]
    double entryStress = kDefaultEntryStress; // entry flow stress without the offset: the largest step of y
    double offsetBound = 0.0;                 // L: the lowest y that keeps the entry pressure at 1.0
    double frictionProbe = 0.0;
    double frictionWeight = 1.0; // 0.0 freezes mu
    double forceResidual = 0.0;
    double slipResidual = 0.0;
    int iterations = 0;
    int status = 0;
};

} // namespace rollbite

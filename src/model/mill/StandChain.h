#pragma once

#include "rollbite/Kinds.h"
#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/ScheduleInputs.h"
#include "rollbite/model/ScheduleResult.h"

namespace rollbite {

// Where a stand sits in its mill: what the stands before it hand on, and the final thickness that fixes
// its speed by mass flow.
struct StandPlace {
    int index = 0;               // from 0
    double entryThickness = 0.0; // mm: the previous stand's exit, or the strip's entry
    double entryTension = 0.0;   // MPa: likewise
    double finalThickness = 0.0; // mm: the last stand's exit, where the strip's exit speed is given
    double slipGuess = 7.0;      // %: the forward slip expected, where a WS18 stand's speed starts
    // WS18: iterate the roll speed until it matches the mass flow (false: one pass at the speed of the
    // slip expected, for the trials of a distribution).
    bool settleSpeed = true;
};

// Builds and solves the direct pass of one stand of a schedule, chained to the stands before it:
// thickness and tension handed on, the Smatch law shifted to the strain the strip brings in, the WS18
// record's speed by mass flow; then the stand's loads and speeds. One chain per thread.
class StandChain {
public:
    explicit StandChain(RheologyKind rheology);

    const StandResult& solve(const StripInputs& strip, const StandInputs& stand, const StandPlace& place);
    // Passes solved since construction.
    long long solves() const { return solves_; }

    // Equivalent strain of the strip from thickness `from` down to `to`, as the model computes it.
    static double equivalentStrain(double from, double to);

private:
    void buildPass(const StripInputs& strip, const StandInputs& stand, const StandPlace& place);
    void solveAtSpeed(double exitSpeed, double slipGuess, bool settle);
    void fillLoads(const StripInputs& strip, const StandInputs& stand, double exitSpeed, double entrySpeed);
    // Tension forces, the flattened radius, the strain rate, the temperatures and the roll gap.
    void fillGeometry(const StripInputs& strip, const StandInputs& stand);
    // True when the stand's flow stress depends on the strip's speed (WS18, a law of strain rate): its roll
    // speed is then iterated with the forward slip until the exit speed is the mass flow's.
    bool speedCoupled() const;

    RheologyKind rheology_;
    CaseSolver solver_;
    StandResult stand_;
    long long solves_ = 0;
};

} // namespace rollbite

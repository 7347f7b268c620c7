#pragma once

#include "rollbite/Kinds.h"
#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/ScheduleInputs.h"
#include "rollbite/model/ScheduleResult.h"

#include <vector>

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
    // The thermal chain: the strip's temperature leaving the stand before (C; the first stand: the entry
    // measurement), where and when that was (m, s from the entry measurement), and the path the strip's
    // temperatures are added to (none: not kept).
    double entryTemperature = 0.0;
    double entryDistance = 0.0;
    double entryTime = 0.0;
    std::vector<TemperaturePoint>* path = nullptr;
    // C: where the bite's exit temperature starts over its entry temperature (a distribution's trials
    // start from the stand's last; 0: the entry temperature).
    double biteRise = 0.0;
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
    // With the thermal chain: the strip's temperature leaving the stand solved last (C), and where and when
    // (m, s from the entry measurement).
    double leavingTemperature() const { return leaving_.temperature; }
    double leavingDistance() const { return leaving_.distance; }
    double leavingTime() const { return leaving_.time; }
    // C: the last stand's bite exit temperature over its entry temperature.
    double biteRise() const { return biteRise_; }

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
    // The stand with its temperatures from the thermal chain: the way from the stand before, then the bite,
    // whose work heats the strip, solved again until its exit temperature settles.
    void solveHeated(const StripInputs& strip, const StandInputs& stand, const StandPlace& place,
                     double exitSpeed, double entrySpeed);

    RheologyKind rheology_;
    TemperaturePoint leaving_;
    double biteRise_ = 0.0;
    CaseSolver solver_;
    StandResult stand_;
    long long solves_ = 0;
};

} // namespace rollbite

#pragma once

// Part of the public schedule API: includes only the standard library and public headers, by paths
// relative to this file, so that it reads the same installed.
#include "ScheduleInputs.h"
#include "ScheduleResult.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace rollbite {

class SensitivitySolver;
class StandChain;

// Solves a schedule: the stands of a mill chained by the strip that passes through them, each a direct
// pass of the model.
//
//     rollbite::ScheduleSolver solver;
//     const rollbite::ScheduleResult& mill = solver.solve(strip, stands);
//     if (mill.ok()) use(mill.stands[2].Power);
//     else report(mill.message);
//
// Stand i enters at stand i - 1's exit thickness and exit tension (the first at the strip's); its exit
// speed follows by mass flow from the strip's exit speed after the last stand; with Smatch it gets the
// strip's law shifted to the equivalent strain the strip brings in; with WS18 a record of the strip's
// chemistry and the stand's temperatures and microstructure, whose roll speed gives the mass flow's exit
// speed with the pass's own forward slip. Every stand's `row` is what rollbite direct gives for its `pass`,
// to the last bit.
//
// A schedule with a wrong field, or whose stand's pass has no result, fails: `failures` lists every such
// stand with its reason, and `message` says it in words. A solver keeps its work arrays; one solver serves
// one thread.
class ScheduleSolver {
public:
    ScheduleSolver();
    ~ScheduleSolver();
    ScheduleSolver(ScheduleSolver&& other) noexcept;
    ScheduleSolver& operator=(ScheduleSolver&& other) noexcept;
    ScheduleSolver(const ScheduleSolver&) = delete;
    ScheduleSolver& operator=(const ScheduleSolver&) = delete;

    // The result stays valid until the next call.
    const ScheduleResult& solve(const StripInputs& strip, const std::vector<StandInputs>& stands);

    // The fields of the strip and the stands that no pass checks (width, speed, density, limits, reduction
    // bounds, ratios), each failure naming its stand and field. Empty when all are right.
    static std::vector<ScheduleFailure> checkFields(const StripInputs& strip,
                                                    const std::vector<StandInputs>& stands);
    // "stand F3", or "stand 3" for a stand without a name; "the strip" for -1.
    static std::string standLabel(const std::vector<StandInputs>& stands, int index);
    // One message naming every failure.
    static std::string messageOf(const std::vector<StandInputs>& stands,
                                 const std::vector<ScheduleFailure>& failures);

private:
    StandChain& chainFor(RheologyKind rheology);
    SensitivitySolver& sensitivitiesFor(RheologyKind rheology);
    // Each stand's sensitivities, its plasticity coefficient and its gap correction.
    void addPlasticity(const StripInputs& strip, const std::vector<StandInputs>& stands);
    // The reason of a stand's pass without a result, in the schedule's terms.
    static std::string passReason(const StripInputs& strip, const StandResult& stand);
    void addTotals(const StripInputs& strip, double finalThickness);

    std::array<std::unique_ptr<StandChain>, kRheologyKinds>
        chains_; // one per rheology, made when first needed
    std::array<std::unique_ptr<SensitivitySolver>, kRheologyKinds> sensitivities_; // likewise
    ScheduleResult result_;
};

} // namespace rollbite

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

class ScheduleSolver;
class StandChain;

// What a load distribution makes equal from stand to stand.
enum class DistributionTarget : int {
    ForceLimits, // the same share of every stand's Force_limit
    PowerLimits, // the same share of every stand's Power_limit
    ForceRatios, // forces in the proportions of the stands' Force_ratio
    PowerRatios, // powers in the proportions of the stands' Power_ratio
};

// The name of a target as the command line and Python take it: "force", "power", "force-ratios",
// "power-ratios".
const char* distributionTargetName(DistributionTarget target);
// False when `name` names no target.
bool parseDistributionTarget(const std::string& name, DistributionTarget& target);

// A schedule whose intermediate thicknesses share the load as the target asks.
struct DistributionResult {
    // At the thicknesses found. On failure, the best schedule the search reached, when it reached one
    // whose passes all have results (`spread` then says how far from the common share it is); else empty.
    ScheduleResult schedule;
    bool met = false; // false: `message` says why, naming the binding stand and limit
    std::string message;
    int bindingStand = -1;    // index of the stand whose limit binds; -1 for the strip or every stand
    std::string bindingLimit; // "Force_limit", "Max_reduction", ... or the reason of a failed pass
    // The common share reached: percent of the limit (ForceLimits, PowerLimits), or load per unit of ratio
    // (kN or kW; ForceRatios, PowerRatios).
    double share = 0.0;
    // Largest departure of a stand's share from the common share, in percent of it.
    double spread = 0.0;
    long long solves = 0; // passes solved, the final schedule's included
    int marches = 0;      // trial common shares, each a march through the stands
};

// Finds the intermediate exit thicknesses of a schedule that share the load as the target asks: every
// stand within 0.5 % of the common share for a force target. The strip's entry thickness and the last
// stand's exit thickness stay; the other stands' exit thicknesses are where the search starts when they
// are given (positive and decreasing), else an equal share of the strain.
//
// Method: each stand's force and power depend only on its entry and exit thickness (its speed follows
// from its exit thickness and the final one), so for a trial common share the stands can be solved one
// after another, each for the exit thickness that gives it that share; the last stand's share, with the
// final thickness, then tells whether the trial was too high or too low. Both searches bracket their root
// and only shrink the bracket (regula falsi, Illinois): no derivatives, and no cycling where the torque
// jumps as the neutral point crosses a cell of the grid. A power target is then met as closely as those
// jumps allow, and `spread` reports how closely.
//
// A target that cannot be met (a limit below what the reduction needs, a reduction outside the stands'
// bounds or the model's range, a pass without a result) is refused, naming the binding stand and limit.
// One distributor serves one thread.
class LoadDistributor {
public:
    LoadDistributor();
    ~LoadDistributor();
    LoadDistributor(LoadDistributor&& other) noexcept;
    LoadDistributor& operator=(LoadDistributor&& other) noexcept;
    LoadDistributor(const LoadDistributor&) = delete;
    LoadDistributor& operator=(const LoadDistributor&) = delete;

    // Departure from the common share within which every stand must lie for a force target (percent).
    static constexpr double kForceTolerance = 0.5;

    // The result stays valid until the next call.
    const DistributionResult& distribute(const StripInputs& strip, const std::vector<StandInputs>& stands,
                                         DistributionTarget target);

private:
    void checkLimits(const std::vector<StandInputs>& stands, DistributionTarget target);
    void measureSpread(const std::vector<StandInputs>& stands, DistributionTarget target);
    // The spread of the schedule's shares around the common share; the index of the stand farthest.
    int findSpread(const std::vector<StandInputs>& stands, DistributionTarget target);
    void showBest(const StripInputs& strip, const std::vector<StandInputs>& stands, DistributionTarget target,
                  bool searched);

    std::unique_ptr<ScheduleSolver> solver_;
    // Of the trial passes, one per rheology, made when first needed.
    std::array<std::unique_ptr<StandChain>, kRheologyKinds> chains_;
    DistributionResult result_;
};

} // namespace rollbite

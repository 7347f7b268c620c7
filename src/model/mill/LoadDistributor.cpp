#include "rollbite/model/LoadDistributor.h"

#include "model/mill/DistributionSearch.h"
#include "model/mill/StandChain.h"
#include "rollbite/model/ScheduleSolver.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace rollbite {

namespace {

constexpr double kFullLoad = 100.0; // % of a limit

struct TargetName {
    DistributionTarget target;
    const char* name;
    const char* field; // the stand field it needs
};
constexpr TargetName kTargets[] = {
    {DistributionTarget::ForceLimits, "force", "Force_limit"},
    {DistributionTarget::PowerLimits, "power", "Power_limit"},
    {DistributionTarget::ForceRatios, "force-ratios", "Force_ratio"},
    {DistributionTarget::PowerRatios, "power-ratios", "Power_ratio"},
};

const TargetName& entryOf(DistributionTarget target) {
    for (const TargetName& entry : kTargets) {
        if (entry.target == target) {
            return entry;
        }
    }
    return kTargets[0];
}

double targetField(const StandInputs& stand, DistributionTarget target) {
    switch (target) {
    case DistributionTarget::ForceLimits:
        return stand.Force_limit;
    case DistributionTarget::PowerLimits:
        return stand.Power_limit;
    case DistributionTarget::ForceRatios:
        return stand.Force_ratio;
    case DistributionTarget::PowerRatios:
        return stand.Power_ratio;
    }
    return NAN;
}

bool byForce(DistributionTarget target) {
    return target == DistributionTarget::ForceLimits || target == DistributionTarget::ForceRatios;
}

std::string percent(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g %%", value);
    return text;
}

} // namespace

const char* distributionTargetName(DistributionTarget target) {
    return entryOf(target).name;
}

bool parseDistributionTarget(const std::string& name, DistributionTarget& target) {
    // In any letter case, as the names of modes and rheologies.
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const TargetName& entry : kTargets) {
        if (lower == entry.name) {
            target = entry.target;
            return true;
        }
    }
    return false;
}

LoadDistributor::LoadDistributor() : solver_(std::make_unique<ScheduleSolver>()) {}
LoadDistributor::~LoadDistributor() = default;
LoadDistributor::LoadDistributor(LoadDistributor&& other) noexcept = default;
LoadDistributor& LoadDistributor::operator=(LoadDistributor&& other) noexcept = default;

const DistributionResult& LoadDistributor::distribute(const StripInputs& strip,
                                                      const std::vector<StandInputs>& stands,
                                                      DistributionTarget target) {
    result_ = DistributionResult();
    std::vector<ScheduleFailure> failures = ScheduleSolver::checkFields(strip, stands);
    for (std::size_t k = 0; k < stands.size(); ++k) {
        if (std::isnan(targetField(stands[k], target))) {
            failures.push_back({static_cast<int>(k), INPUTS,
                                std::string(entryOf(target).field) + " is needed to distribute by " +
                                    distributionTargetName(target)});
        }
    }
    if (!failures.empty()) {
        result_.schedule.failures = failures;
        result_.message = ScheduleSolver::messageOf(stands, failures);
        result_.bindingStand = failures.front().stand;
        return result_;
    }
    std::vector<StandInputs> working = stands;
    std::unique_ptr<StandChain>& chain = chains_[static_cast<std::size_t>(strip.rheology)];
    if (!chain) {
        chain = std::make_unique<StandChain>(strip.rheology);
    }
    const long long solvesBefore = chain->solves();
    DistributionSearch search(*chain, strip, working, target);
    const bool found = search.run();
    result_.marches = search.marches;
    result_.share = search.share;
    result_.solves = chain->solves() - solvesBefore;
    if (!found) {
        result_.message = search.message;
        result_.bindingStand = search.bindingStand;
        result_.bindingLimit = search.bindingLimit;
        showBest(strip, working, target, search.marches > 0);
        return result_;
    }
    // The schedule at the thicknesses found, each WS18 stand's roll speed settled on the mass flow.
    result_.schedule = solver_->solve(strip, working);
    result_.solves += result_.schedule.solves;
    if (!result_.schedule.ok()) {
        result_.message = result_.schedule.message;
        result_.bindingStand = result_.schedule.failures.front().stand;
        result_.bindingLimit = "its pass";
        return result_;
    }
    measureSpread(working, target);
    checkLimits(working, target);
    return result_;
}

int LoadDistributor::findSpread(const std::vector<StandInputs>& stands, DistributionTarget target) {
    result_.spread = 0.0;
    int worst = 0;
    const bool limits =
        target == DistributionTarget::ForceLimits || target == DistributionTarget::PowerLimits;
    for (std::size_t k = 0; k < stands.size(); ++k) {
        const StandResult& stand = result_.schedule.stands[k];
        const double load = byForce(target) ? stand.Force : stand.Power;
        const double share = load / targetField(stands[k], target) * (limits ? kFullLoad : 1.0);
        const double departure = std::abs(share / result_.share - 1.0) * kFullLoad;
        if (departure > result_.spread) {
            result_.spread = departure;
            worst = static_cast<int>(k);
        }
    }
    return worst;
}

void LoadDistributor::measureSpread(const std::vector<StandInputs>& stands, DistributionTarget target) {
    const int worst = findSpread(stands, target);
    result_.met = !byForce(target) || result_.spread <= kForceTolerance;
    if (!result_.met) {
        result_.bindingStand = worst;
        result_.bindingLimit = entryOf(target).field;
        result_.message = ScheduleSolver::standLabel(stands, worst) + ": its force departs " +
                          percent(result_.spread) + " from the common share, more than " +
                          percent(kForceTolerance);
    }
}

void LoadDistributor::showBest(const StripInputs& strip, const std::vector<StandInputs>& stands,
                               DistributionTarget target, bool searched) {
    // The schedule at the thicknesses the search came nearest the target with, when every pass there
    // has a result: what a mill engineer weighs against the target.
    if (!searched) {
        return;
    }
    const std::string message = result_.message;
    result_.schedule = solver_->solve(strip, stands);
    result_.solves += result_.schedule.solves;
    if (!result_.schedule.ok()) {
        result_.schedule = ScheduleResult();
        return;
    }
    findSpread(stands, target);
    result_.message = message;
}

void LoadDistributor::checkLimits(const std::vector<StandInputs>& stands, DistributionTarget /*target*/) {
    // Every limit given must hold at the distribution found; the worst excess binds.
    double worstShare = kFullLoad;
    for (std::size_t k = 0; k < stands.size(); ++k) {
        for (const LoadShare& load : loadShares(result_.schedule.stands[k])) {
            if (load.share > worstShare) {
                worstShare = load.share;
                result_.met = false;
                result_.bindingStand = static_cast<int>(k);
                result_.bindingLimit = load.limit;
                result_.message = ScheduleSolver::standLabel(stands, static_cast<int>(k)) + ": its " +
                                  load.load + " would take " + percent(load.share) + " of its " + load.limit +
                                  ": the limit is below what this reduction needs";
            }
        }
    }
}

} // namespace rollbite

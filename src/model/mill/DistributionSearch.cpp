#include "model/mill/DistributionSearch.h"

#include "model/numerics/DecreasingRoot.h"
#include "rollbite/model/ScheduleSolver.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace rollbite {

namespace {

constexpr double kPercent = 100.0;
// The model takes a reduction of more than 1 and less than 60 percent and an exit of at least 1.5 mm; a
// distribution keeps this far inside (percentage points) so that every pass it builds passes the checks.
constexpr double kModelLeastReduction = 1.0;
constexpr double kModelMostReduction = 60.0;
constexpr double kReductionInset = 1e-4;
constexpr double kThinnestExit = 1.5; // mm

// The searches. A stand is solved to 0.01 % of the common share, the common share to 0.1 % at the last
// stand: well within the 0.5 % promised for a force target.
constexpr DecreasingRoot::Limits kStandLimits{1e-4, 1e-6 /* mm */, 30};
constexpr double kCommonTolerance = 1e-3;
constexpr double kCommonWidth = 1e-7; // of the common share, a bracket that counts as closed
constexpr int kMostMarches = 40;
constexpr double kCommonRange = 1e3; // the common share is sought within this factor of its start
constexpr double kCommonStep = 0.5;  // of the start, per unit of departure: the outer search's first step
// A departure left larger than this when the outer bracket closes is no jump of the model but a wall: a
// stand held by a bound.
constexpr double kWallGap = 0.01;
constexpr double kHalf = 0.5;

std::string percent(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g %%", value);
    return text;
}

std::string millimetres(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g mm", value);
    return text;
}

} // namespace

DistributionSearch::DistributionSearch(StandChain& chain, const StripInputs& strip,
                                       std::vector<StandInputs>& stands, DistributionTarget target)
    : chain_(chain), strip_(strip), stands_(stands), target_(target),
      finalThickness_(stands.back().Exit_thickness), slip_(stands.size(), 7.0), leaving_(stands.size()),
      biteRise_(stands.size(), 0.0), lastCommon_(stands.size(), NAN), lastThickness_(stands.size(), NAN),
      earlierCommon_(stands.size(), NAN), earlierThickness_(stands.size(), NAN) {}

double DistributionSearch::targetOf(int stand) const {
    const StandInputs& s = stands_[static_cast<std::size_t>(stand)];
    switch (target_) {
    case DistributionTarget::ForceLimits:
        return s.Force_limit / kPercent;
    case DistributionTarget::PowerLimits:
        return s.Power_limit / kPercent;
    case DistributionTarget::ForceRatios:
        return s.Force_ratio;
    case DistributionTarget::PowerRatios:
        return s.Power_ratio;
    }
    return NAN;
}

double DistributionSearch::shareOf(const StandResult& result, int stand) const {
    const bool byForce =
        target_ == DistributionTarget::ForceLimits || target_ == DistributionTarget::ForceRatios;
    return (byForce ? result.Force : result.Power) / targetOf(stand);
}

double DistributionSearch::reductionLow(int stand) const {
    const double given = stands_[static_cast<std::size_t>(stand)].Min_reduction;
    return std::max(std::isnan(given) ? 0.0 : given, kModelLeastReduction + kReductionInset);
}

double DistributionSearch::reductionHigh(int stand) const {
    const double given = stands_[static_cast<std::size_t>(stand)].Max_reduction;
    return std::min(std::isnan(given) ? kPercent : given, kModelMostReduction - kReductionInset);
}

std::string DistributionSearch::reductionText(int stand, bool largest) const {
    const StandInputs& s = stands_[static_cast<std::size_t>(stand)];
    const double given = largest ? s.Max_reduction : s.Min_reduction;
    const bool own =
        !std::isnan(given) && (largest ? given <= kModelMostReduction : given >= kModelLeastReduction);
    if (own) {
        return std::string(largest ? "its Max_reduction (" : "its Min_reduction (") + percent(given) + ")";
    }
    return largest ? "the model's largest reduction (less than 60 %)"
                   : "the model's least reduction (more than 1 %)";
}

DistributionSearch::Interval DistributionSearch::allowed(int stand, double entry) const {
    Interval interval;
    interval.high = {entry * (1.0 - reductionLow(stand) / kPercent), stand, reductionText(stand, false)};
    interval.low = {entry * (1.0 - reductionHigh(stand) / kPercent), stand, reductionText(stand, true)};
    if (interval.low.thickness < kThinnestExit) {
        interval.low = {kThinnestExit, stand, "the model's thinnest exit (1.5 mm)"};
    }
    // Room for the stands after it: each must reduce within its own bounds down to the final thickness.
    const int last = static_cast<int>(stands_.size()) - 1;
    if (stand == last) {
        return interval;
    }
    double thinnest = finalThickness_;
    double thickest = finalThickness_;
    for (int later = stand + 1; later <= last; ++later) {
        thinnest /= 1.0 - reductionLow(later) / kPercent;
        thickest /= 1.0 - reductionHigh(later) / kPercent;
    }
    // One stand after it: its own bound; more: the bounds of all of them.
    const int next = stand + 1;
    const std::string stands =
        ScheduleSolver::standLabel(stands_, next) + " to " + stands_[static_cast<std::size_t>(last)].name;
    if (thinnest > interval.low.thickness) {
        interval.low = {thinnest, next,
                        next == last ? reductionText(next, false)
                                     : "the least reductions of the stands after it (" + stands + ")"};
    }
    if (thickest < interval.high.thickness) {
        interval.high = {thickest, next,
                         next == last ? reductionText(next, true)
                                      : "the largest reductions of the stands after it (" + stands + ")"};
    }
    return interval;
}

void DistributionSearch::refuse(const Bound& bound, const std::string& why) {
    bindingStand = bound.stand;
    bindingLimit = bound.limit;
    message = ScheduleSolver::standLabel(stands_, bound.stand) + ": " + why + " " + bound.limit;
}

bool DistributionSearch::totalReductionFits() {
    double thinnest = strip_.Entry_thickness;
    double thickest = strip_.Entry_thickness;
    for (std::size_t k = 0; k < stands_.size(); ++k) {
        thinnest *= 1.0 - reductionHigh(static_cast<int>(k)) / kPercent;
        thickest *= 1.0 - reductionLow(static_cast<int>(k)) / kPercent;
    }
    const std::string from =
        "the reduction from " + millimetres(strip_.Entry_thickness) + " to " + millimetres(finalThickness_);
    if (finalThickness_ < thinnest) {
        message = from +
                  " needs more than every stand's largest reduction (its Max_reduction or the "
                  "model's 60 %) gives: " +
                  millimetres(thinnest) + " at best";
        bindingLimit = "Max_reduction";
        return false;
    }
    if (finalThickness_ > thickest) {
        message = from +
                  " is less than every stand's least reduction (its Min_reduction or the model's "
                  "1 %) gives: " +
                  millimetres(thickest) + " at most";
        bindingLimit = "Min_reduction";
        return false;
    }
    return true;
}

void DistributionSearch::startingThicknesses() {
    // The thicknesses given, when they lead down from the entry to the final thickness within every
    // stand's bounds; else an equal share of the strain for each stand.
    bool given = true;
    double entry = strip_.Entry_thickness;
    for (std::size_t k = 0; k + 1 < stands_.size(); ++k) {
        const Interval interval = allowed(static_cast<int>(k), entry);
        const double exit = stands_[k].Exit_thickness;
        given = given && exit >= interval.low.thickness && exit <= interval.high.thickness;
        entry = exit;
    }
    entry = strip_.Entry_thickness;
    const double count = static_cast<double>(stands_.size());
    for (std::size_t k = 0; k + 1 < stands_.size(); ++k) {
        if (!given) {
            const double strain = static_cast<double>(k + 1) / count;
            stands_[k].Exit_thickness =
                strip_.Entry_thickness * std::pow(finalThickness_ / strip_.Entry_thickness, strain);
        }
        const Interval interval = allowed(static_cast<int>(k), entry);
        stands_[k].Exit_thickness = std::clamp(stands_[k].Exit_thickness, interval.low.thickness,
                                               std::max(interval.low.thickness, interval.high.thickness));
        entry = stands_[k].Exit_thickness;
    }
}

double DistributionSearch::departure(int stand, double entry, double entryTension, double exit, double common,
                                     double reference) {
    StandInputs& s = stands_[static_cast<std::size_t>(stand)];
    s.Exit_thickness = exit;
    StandPlace place;
    place.index = stand;
    place.entryThickness = entry;
    place.entryTension = entryTension;
    place.finalThickness = finalThickness_;
    place.slipGuess = slip_[static_cast<std::size_t>(stand)];
    place.settleSpeed = false;
    // A hot mill's stand takes the temperature its stand before left the strip at in this march.
    const auto index = static_cast<std::size_t>(stand);
    place.entryTemperature = stand == 0 ? strip_.Entry_temperature : leaving_[index - 1].temperature;
    place.entryDistance = stand == 0 ? 0.0 : leaving_[index - 1].distance;
    place.entryTime = stand == 0 ? 0.0 : leaving_[index - 1].time;
    place.biteRise = biteRise_[index];
    const StandResult& result = chain_.solve(strip_, s, place);
    leaving_[index] = {chain_.leavingDistance(), chain_.leavingTime(), chain_.leavingTemperature()};
    biteRise_[index] = chain_.biteRise();
    if (result.row.errorCode != VOID) {
        // No result: too much reduction on the thin side of the reference, too little on the thick side.
        lastFailure_ = result.row.reason;
        lastFailedStand_ = stand;
        return exit < reference ? INFINITY : -INFINITY;
    }
    solvedExit_ = exit;
    slip_[static_cast<std::size_t>(stand)] = result.row.Forward_Slip;
    return shareOf(result, stand) / common - 1.0;
}

double DistributionSearch::predicted(int stand, double common) const {
    const auto k = static_cast<std::size_t>(stand);
    if (std::isnan(lastCommon_[k])) {
        return stands_[k].Exit_thickness;
    }
    if (std::isnan(earlierCommon_[k]) || earlierCommon_[k] == lastCommon_[k]) {
        return lastThickness_[k];
    }
    const double slope = (lastThickness_[k] - earlierThickness_[k]) / (lastCommon_[k] - earlierCommon_[k]);
    return lastThickness_[k] + slope * (common - lastCommon_[k]);
}

bool DistributionSearch::solveStand(int stand, double entry, double entryTension, double common) {
    const Interval interval = allowed(stand, entry);
    if (interval.low.thickness > interval.high.thickness) {
        // The strip arrives too thin (or too thick) for this stand and those after it: the stands before
        // took too large (too small) a share.
        const bool tooThin = entry * (1.0 - reductionLow(stand) / kPercent) < interval.low.thickness;
        wall_ = tooThin ? interval.low : interval.high;
        wallDeparture_ = tooThin ? -INFINITY : INFINITY;
        return false;
    }
    const double start =
        std::clamp(predicted(stand, common), interval.low.thickness, interval.high.thickness);
    // A pass without a result lies on the side of the last pass with one: thinner than it, too much
    // reduction; thicker, too little. Before any, on the side of the middle of the stand's range.
    solvedExit_ = NAN;
    const double middle = 0.5 * (interval.low.thickness + interval.high.thickness);
    DecreasingRoot root(
        [&](double exit) {
            const double reference = std::isnan(solvedExit_) ? middle : solvedExit_;
            return departure(stand, entry, entryTension, exit, common, reference);
        },
        kStandLimits);
    // A force grows about as the square root of the draught: a departure r asks for about r times the
    // draught more.
    const DecreasingRoot::Result found =
        root.find(start, entry - start, interval.low.thickness, interval.high.thickness);
    if (found.outcome == DecreasingRoot::Outcome::AboveAtHigh ||
        found.outcome == DecreasingRoot::Outcome::BelowAtLow) {
        const bool above = found.outcome == DecreasingRoot::Outcome::AboveAtHigh;
        wall_ = above ? interval.high : interval.low;
        wallDeparture_ = above ? INFINITY : -INFINITY;
        return false;
    }
    if (!std::isfinite(found.best.value)) {
        wall_ = {0.0, lastFailedStand_, "its pass, which has no result there (" + lastFailure_ + ")"};
        wallDeparture_ = NAN;
        return false;
    }
    const auto k = static_cast<std::size_t>(stand);
    earlierCommon_[k] = lastCommon_[k];
    earlierThickness_[k] = lastThickness_[k];
    lastCommon_[k] = common;
    lastThickness_[k] = found.best.x;
    stands_[k].Exit_thickness = found.best.x;
    return true;
}

double DistributionSearch::march(double common) {
    ++marches;
    double entry = strip_.Entry_thickness;
    double entryTension = strip_.Entry_tension;
    const int last = static_cast<int>(stands_.size()) - 1;
    for (int stand = 0; stand < last; ++stand) {
        if (!solveStand(stand, entry, entryTension, common)) {
            return wallDeparture_;
        }
        entry = stands_[static_cast<std::size_t>(stand)].Exit_thickness;
        entryTension = stands_[static_cast<std::size_t>(stand)].Exit_tension;
    }
    // The last stand rolls to the final thickness from whatever the others left: a failed pass lies on the
    // side of its reduction, too much from an entry thicker than the last one that gave a result, too
    // little from a thinner one; before any, thicker or thinner than the middle of its range.
    const double value = departure(last, entry, entryTension, finalThickness_, common, finalThickness_);
    if (std::isfinite(value)) {
        lastGoodEntry_ = entry;
        return value;
    }
    const double middle =
        finalThickness_ / (1.0 - kHalf * (reductionLow(last) + reductionHigh(last)) / kPercent);
    const bool thick = entry >= (std::isnan(lastGoodEntry_) ? middle : lastGoodEntry_);
    wall_ = {0.0, last, "its pass, which has no result there (" + lastFailure_ + ")"};
    wallDeparture_ = thick ? INFINITY : -INFINITY;
    return wallDeparture_;
}

bool DistributionSearch::run() {
    if (!totalReductionFits()) {
        return false;
    }
    startingThicknesses();
    // The common share to start from: total load over total target of the starting schedule.
    double load = 0.0;
    double targets = 0.0;
    double entry = strip_.Entry_thickness;
    double entryTension = strip_.Entry_tension;
    for (std::size_t k = 0; k < stands_.size(); ++k) {
        const double r =
            departure(static_cast<int>(k), entry, entryTension, stands_[k].Exit_thickness, 1.0, 0.0);
        if (std::isfinite(r) && k + 1 == stands_.size()) {
            lastGoodEntry_ = entry;
        }
        if (std::isfinite(r)) {
            load += r + 1.0;
            targets += 1.0;
        }
        entry = stands_[k].Exit_thickness;
        entryTension = stands_[k].Exit_tension;
    }
    if (targets == 0.0 && lastFailure_.empty()) {
        // Every pass has a result, but no load over its target is a number: targets too small to divide by.
        message = "no stand's load over its target is a finite number: the targets are too small";
        bindingLimit = "the targets";
        return false;
    }
    if (targets == 0.0) {
        refuse({0.0, lastFailedStand_, lastFailure_}, "no pass of the starting schedule has a result:");
        return false;
    }
    const double start = load / targets;
    bool broken = false;
    DecreasingRoot outer(
        [&](double common) {
            if (broken) {
                return 0.0;
            }
            const double value = march(common);
            broken = std::isnan(value);
            return broken ? 0.0 : value;
        },
        {kCommonTolerance, kCommonWidth * start, kMostMarches});
    const DecreasingRoot::Result found =
        outer.find(start, kCommonStep * start, start / kCommonRange, start * kCommonRange);
    if (broken) {
        refuse(wall_, "the distribution stops at");
        return false;
    }
    share = found.best.x;
    if (!std::isfinite(found.best.value) || std::abs(found.best.value) > kWallGap) {
        refuse(wall_, "the target cannot be met, bound by");
        march(share); // the stands back at the best share found, to show how near it came
        return false;
    }
    march(share); // the stands back at the best share found
    return true;
}

} // namespace rollbite

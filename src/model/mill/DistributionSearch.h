#pragma once

#include "model/mill/StandChain.h"
#include "rollbite/model/LoadDistributor.h"
#include "rollbite/model/ScheduleInputs.h"

#include <cmath>
#include <string>
#include <vector>

namespace rollbite {

// The search of a load distribution (LoadDistributor tells the method): an outer search on the common
// share, and for each trial share a march through the stands, each solved for the exit thickness that
// gives it that share. It writes the thicknesses found into the stands it is given.
class DistributionSearch {
public:
    DistributionSearch(StandChain& chain, const StripInputs& strip, std::vector<StandInputs>& stands,
                       DistributionTarget target);

    // True when a common share was found (to the tolerance, or as closely as the model's jumps allow);
    // false with the binding stand and limit.
    bool run();

    double share = 0.0;
    int marches = 0;
    std::string message;
    int bindingStand = -1;
    std::string bindingLimit;

private:
    // A bound of a stand's exit thickness, and the stand and limit it comes from.
    struct Bound {
        double thickness = 0.0;
        int stand = -1;
        std::string limit;
    };
    struct Interval {
        Bound low;  // most reduction
        Bound high; // least reduction
    };

    double targetOf(int stand) const;
    double shareOf(const StandResult& result, int stand) const;
    double reductionLow(int stand) const;  // %, the least reduction allowed
    double reductionHigh(int stand) const; // %, the most
    Interval allowed(int stand, double entry) const;
    // "its Max_reduction (40 %)", or the model's bound when the stand gives none within it.
    std::string reductionText(int stand, bool largest) const;
    bool totalReductionFits();
    void startingThicknesses();
    // The stand's share at exit thickness `exit` over `common` minus one; +-infinity for a pass without a
    // result, by the side of `reference` it lies on.
    double departure(int stand, double entry, double entryTension, double exit, double common,
                     double reference);
    // The last stand's departure when the others share `common`; +-infinity when a stand cannot.
    double march(double common);
    bool solveStand(int stand, double entry, double entryTension, double common);
    double predicted(int stand, double common) const;
    void refuse(const Bound& bound, const std::string& why);

    StandChain& chain_;
    const StripInputs& strip_;
    std::vector<StandInputs>& stands_;
    DistributionTarget target_;
    double finalThickness_;
    std::vector<double> slip_; // %, the last forward slip of each stand
    // A hot mill's thermal chain: where, when and at what temperature each stand last left the strip.
    std::vector<TemperaturePoint> leaving_;
    std::vector<double> biteRise_;   // C, each stand's last, where its next trial starts
    std::vector<double> lastCommon_; // the two last shares each stand was solved for, and its thickness
    std::vector<double> lastThickness_;
    std::vector<double> earlierCommon_;
    std::vector<double> earlierThickness_;
    Bound wall_; // what stopped the last march that could not go through
    double wallDeparture_ = 0.0;
    std::string lastFailure_; // the reason of the last pass without a result
    int lastFailedStand_ = -1;
    double lastGoodEntry_ = NAN; // mm, of the last stand's last pass with a result
    double solvedExit_ = 0.0;    // of the stand's last pass with a result, in the search under way
};

} // namespace rollbite

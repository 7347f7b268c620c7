#pragma once

#include "rollbite/model/MillLearner.h"

#include <chrono>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace rollbite {

// What a replay of a mill's log tells besides its files: a progress line while it goes (only on a
// terminal), and at the end the force errors, frozen setup against adapted, per stand and over all (mean
// and 95th percentile of their magnitude, over the stands with a result whose measurement was not left
// out as beyond the screen), the measurements screened and the first coils of a class.
class ReplaySummary {
public:
    ReplaySummary(std::ostream& err, bool progress, std::size_t coils);

    void add(const StandReplay& said);
    void coilsDone(std::size_t coils);
    void clearProgress();
    void print() const;

private:
    struct Errors {
        std::vector<double> frozen;
        std::vector<double> adapted;
    };
    static std::string meanAndPercentile(std::vector<double> magnitudes);

    std::ostream& err_;
    bool progress_;
    std::size_t coils_;
    std::vector<std::string> stands_; // in the order first met
    std::map<std::string, Errors> errors_;
    Errors all_;
    std::vector<double> firstOfClass_;
    long long beyondScreen_ = 0;
    long long frictionsNotLearnt_ = 0;
    long long withoutResult_ = 0;
    std::chrono::steady_clock::time_point drawn_;
    std::size_t drawnWidth_ = 0;
};

} // namespace rollbite

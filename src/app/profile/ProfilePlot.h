#pragma once

#include "app/profile/CaseProfile.h"

#include <cstdint>
#include <string>

namespace rollbite {

// The friction hill of a case drawn by gnuplot from its profile table: the entry-side and exit-side
// pressure curves, the friction hill, the plane-strain flow stress 2 sigma / sqrt(3), the neutral point
// and the sticking zone, against the position x along the bite.
class ProfilePlot {
public:
    ProfilePlot(const CaseProfile& computed, std::int32_t caseId);

    // The gnuplot commands that draw `table` (the CSV of ProfileTable) into `image` (.png or .svg).
    std::string script(const std::string& table, const std::string& image) const;
    // Runs gnuplot, which draws `table` into `image` (a StagedFile's, to be put in place when whole).
    // False when gnuplot fails or cannot be given the whole script.
    bool draw(const std::string& table, const std::string& image, std::string& message) const;

    static bool knownImageType(const std::string& image);
    // True when a gnuplot executable is on the PATH.
    static bool gnuplotFound();

private:
    const CaseProfile& computed_;
    std::int32_t caseId_;
};

} // namespace rollbite

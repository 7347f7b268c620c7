#include "model/bite/BiteRegime.h"

#include "rollbite/Numerics.h"

#include <algorithm>
#include <cmath>

namespace rollbite {

namespace {

// Cell n lies between grid points n - 1 and n; the angles fall from the bite angle at point 0.
int cellOf(double angle, double biteAngle, double angleStep) {
    if (!(angleStep > 0.0) || !std::isfinite(angle)) {
        return -1;
    }
    const double cell = std::ceil((biteAngle - angle) / angleStep);
    return static_cast<int>(std::min(std::max(cell, 0.0), static_cast<double>(kLastPoint)));
}

} // namespace

BiteRegime BiteRegime::of(const Models& bite) {
    BiteRegime regime;
    // A side that never sticks has its switch angle set to the neutral angle itself.
    regime.entrySticks = bite.angle_Tresca_Bw != bite.Neutral_Angle;
    regime.exitSticks = bite.angle_Tresca_Fw != bite.Neutral_Angle;
    regime.neutralCell = bite.Neutral_Index;
    regime.entrySwitchCell =
        regime.entrySticks ? cellOf(bite.angle_Tresca_Bw, bite.Alpha_Max, bite.Angle_Step) : 0;
    regime.exitSwitchCell =
        regime.exitSticks ? cellOf(bite.angle_Tresca_Fw, bite.Alpha_Max, bite.Angle_Step) : 0;
    return regime;
}

bool BiteRegime::switchPastNeutralPoint() const {
    return (entrySticks && entrySwitchCell > neutralCell) || (exitSticks && exitSwitchCell < neutralCell);
}

bool BiteRegime::sticksOnTheSameSidesAs(const BiteRegime& other) const {
    return entrySticks == other.entrySticks && exitSticks == other.exitSticks;
}

bool BiteRegime::continuesInto(const BiteRegime& other) const {
    if (!sticksOnTheSameSidesAs(other)) {
        return false;
    }
    if (!switchPastNeutralPoint() && !other.switchPastNeutralPoint()) {
        return true;
    }
    return neutralCell == other.neutralCell && entrySwitchCell == other.entrySwitchCell &&
           exitSwitchCell == other.exitSwitchCell;
}

} // namespace rollbite

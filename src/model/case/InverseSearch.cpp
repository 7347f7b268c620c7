#include "model/case/InverseSearch.h"

#include "rollbite/Numerics.h"

#include <algorithm>
#include <cmath>

namespace rollbite {

namespace {

constexpr double kHighSlip = 4.0; // percent
constexpr double kFrictionProbe = 0.001;

} // namespace

double InverseSearch::frictionProbeFor(double measuredSlip) {
    return measuredSlip >= kHighSlip ? kFrictionProbe : -kFrictionProbe;
}

void InverseSearch::newtonStep(const ProbeResults& probes) {
    const double dForceDOffset = probes.forceByOffset - force;
    const double dSlipDOffset = probes.slipByOffset - slip;
    const double dForceDFriction = (probes.forceByFriction - force) / frictionProbe;
    const double dSlipDFriction = (probes.slipByFriction - slip) / frictionProbe;
    const double jacobian = dSlipDFriction * dForceDOffset - dSlipDOffset * dForceDFriction;
    const double forceGap = measuredForce - force;
    const double slipGap = targetSlip - slip;
    if (!(std::abs(jacobian) >= kEpsilon)) {
        if (!isZero(dForceDOffset) && !isZero(dSlipDOffset) && isZero(dForceDFriction) &&
            isZero(dSlipDFriction)) {
            offset = offset + forceGap / dForceDOffset; // friction has no effect: a secant step on the force
        } else {
            offset = kRestartOffset;
            friction = kRestartFriction;
        }
        return;
    }
    const double offsetChange = (dSlipDFriction * forceGap - dForceDFriction * slipGap) / jacobian;
    const double frictionChange = (dForceDOffset * slipGap - dSlipDOffset * forceGap) / jacobian;
    if (isZero(offsetChange) || isZero(frictionChange)) {
        status = 1;
        return;
    }
    const double limit =
        std::min(entryStress / std::abs(offsetChange), kFrictionStepLimit / std::abs(frictionChange));
    double fraction = std::min(limit, 1.0);
    double offsetStep = fraction * offsetChange;
    if (offset + fraction * offsetChange < offsetBound && (isZero(offset) || offset < 0.0)) {
        // A non-positive offset may not fall below the bound that keeps the entry pressure positive.
        offsetStep = offsetBound - offset;
        double boundFraction = 0.0;
        if (isZero(offsetBound - offset)) {
            boundFraction = 0.0;
        } else if (isZero(fraction * offsetChange)) {
            status = 1;
            boundFraction = 1.0;
        } else {
            boundFraction = std::abs((offsetBound - offset) / (fraction * offsetChange));
        }
        fraction = std::min({limit, boundFraction, 1.0});
    }
    offset = offset + offsetStep;
    friction = friction + frictionWeight * std::min(fraction * frictionChange, kFrictionCeiling - friction);
}

} // namespace rollbite

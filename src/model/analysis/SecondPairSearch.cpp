#include "model/analysis/SecondPairSearch.h"

#include "model/analysis/InverseAnalysis.h"

#include <algorithm>
#include <cmath>

namespace rollbite {

SecondPairSearch::SecondPairSearch(InverseAnalysis& analysis, double measuredForce, double measuredSlip,
                                   double flowStress)
    : analysis_(analysis), measuredForce_(measuredForce), measuredSlip_(measuredSlip),
      flowStress_(flowStress) {}

double SecondPairSearch::distance(const Pair& first, const Pair& second) const {
    return std::hypot((first.offset - second.offset) / flowStress_,
                      (first.friction - second.friction) / frictionScale_);
}

bool SecondPairSearch::onForceCurve(double friction, double& offset, double& slipGap) {
    double slope = forcePerOffset_;
    double previousOffset = offset;
    double previousGap = 0.0;
    for (int k = 0; k < kOffsetIterations; ++k) {
        const InverseAnalysis::Point point = analysis_.evaluate(offset, friction, measuredForce_);
        if (!point.solved) {
            return false;
        }
        const double forceGap = point.values[InverseAnalysis::kForce] - measuredForce_;
        slipGap = point.values[InverseAnalysis::kSlip] - measuredSlip_;
        if (std::abs(forceGap) <= kForceMatch * measuredForce_) {
            return true;
        }
        if (k > 0 && offset != previousOffset) {
            slope = (forceGap - previousGap) / (offset - previousOffset); // secant
        }
        if (!(std::abs(slope) > 0.0) || !std::isfinite(slope)) {
            return false;
        }
        previousOffset = offset;
        previousGap = forceGap;
        offset -= forceGap / slope;
    }
    return false;
}

bool SecondPairSearch::refine(Pair low, double lowGap, Pair high, double highGap, Pair& root) {
    // Illinois regula falsi on mu, each friction with its own y on the force curve.
    int lastSide = 0;
    for (int k = 0; k < kFrictionIterations; ++k) {
        const double friction = (low.friction * highGap - high.friction * lowGap) / (highGap - lowGap);
        double offset = low.offset + (high.offset - low.offset) * (friction - low.friction) /
                                         (high.friction - low.friction);
        double gap = 0.0;
        if (!onForceCurve(friction, offset, gap)) {
            return false;
        }
        if (std::abs(gap) <= kSlipMatch) {
            root = {offset, friction};
            return true;
        }
        if ((gap < 0.0) == (lowGap < 0.0)) {
            low = {offset, friction};
            lowGap = gap;
            highGap *= lastSide == -1 ? 0.5 : 1.0;
            lastSide = -1;
        } else {
            high = {offset, friction};
            highGap = gap;
            lowGap *= lastSide == 1 ? 0.5 : 1.0;
            lastSide = 1;
        }
    }
    return false;
}

SecondPairSearch::Pair SecondPairSearch::nearestApproach(int k, double& gap) {
    Pair best{gridOffsets_[k], kFrictionGrid[k]};
    gap = gridGaps_[k];
    const int last = static_cast<int>(kFrictionGrid.size()) - 1;
    if (k == 0 || k == last || !onGrid_[k - 1] || !onGrid_[k + 1]) {
        return best;
    }
    // Equally spaced grid: the vertex of the parabola through three gaps.
    const double below = gridGaps_[k - 1];
    const double above = gridGaps_[k + 1];
    const double curvature = below - 2.0 * gridGaps_[k] + above;
    if (!(std::abs(curvature) > 0.0)) {
        return best;
    }
    const double spacing = kFrictionGrid[k + 1] - kFrictionGrid[k];
    const double shift = std::max(-1.0, std::min(1.0, 0.5 * (below - above) / curvature));
    double offset = gridOffsets_[k];
    double vertexGap = 0.0;
    const double friction = kFrictionGrid[k] + shift * spacing;
    if (onForceCurve(friction, offset, vertexGap) && std::abs(vertexGap) < std::abs(gap)) {
        best = {offset, friction};
        gap = vertexGap;
    }
    return best;
}

bool SecondPairSearch::find(const Pair& found, double foundSlipGap, const Pair& start, double forcePerOffset,
                            Pair& second, double& secondSlipGap) {
    forcePerOffset_ = std::isfinite(forcePerOffset) && forcePerOffset != 0.0 ? forcePerOffset : 1.0;
    frictionScale_ = start.friction;
    bool have = false;
    double offset = found.offset;
    int nearest = -1; // the grid point whose slip comes nearest, away from the pair found
    for (std::size_t k = 0; k < kFrictionGrid.size(); ++k) {
        const double friction = kFrictionGrid[k];
        double guess = offset;
        onGrid_[k] = onForceCurve(friction, guess, gridGaps_[k]);
        gridOffsets_[k] = guess;
        if (!onGrid_[k]) {
            continue;
        }
        offset = guess;
        const Pair here{guess, friction};
        if (distance(here, found) > kSamePair &&
            (nearest < 0 ||
             std::abs(gridGaps_[k]) < std::abs(gridGaps_[static_cast<std::size_t>(nearest)]))) {
            nearest = static_cast<int>(k);
        }
        if (k == 0 || !onGrid_[k - 1] || (gridGaps_[k] < 0.0) == (gridGaps_[k - 1] < 0.0)) {
            continue;
        }
        const Pair previous{gridOffsets_[k - 1], kFrictionGrid[k - 1]};
        const bool bracketsFound = previous.friction <= found.friction && found.friction <= friction;
        Pair root{};
        if (!bracketsFound && refine(previous, gridGaps_[k - 1], here, gridGaps_[k], root) &&
            distance(root, found) > kSamePair && (!have || distance(root, start) < distance(second, start))) {
            second = root;
            secondSlipGap = 0.0;
            have = true;
        }
    }
    if (!have && nearest >= 0 && std::abs(foundSlipGap) > kSlipMatch) {
        double gap = 0.0;
        const Pair closest = nearestApproach(nearest, gap);
        if (std::abs(gap) < std::abs(foundSlipGap)) {
            second = closest;
            secondSlipGap = gap;
            have = true;
        }
    }
    return have;
}

} // namespace rollbite

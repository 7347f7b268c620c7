#pragma once

#include "model/bite/Models.h"

namespace rollbite {

// The regime of a computed bite: which sides turned to sticking friction, and in which cells of the grid
// the neutral point and the switch points lie. Within one regime the force, slip and torque are smooth
// functions of the inputs; where the regime changes, they may jump.
struct BiteRegime {
    bool entrySticks = false;
    bool exitSticks = false;
    int neutralCell = 0;
    int entrySwitchCell = 0;
    int exitSwitchCell = 0;

    static BiteRegime of(const Models& bite);
    // A switch point on the far side of the neutral point's cell: the cell it cuts then mixes the shears
    // of the two sides, so that the torque jumps whenever the switch point moves to another cell.
    bool switchPastNeutralPoint() const;
    // True when the outputs go smoothly from this regime to `other`: the same sides stick and, when a
    // switch point lies past the neutral point, every point stays in its cell. The neutral point and the
    // switch points of an ordinary bite may cross cells: the slab march splits those cells continuously.
    bool continuesInto(const BiteRegime& other) const;
    // True when the same sides stick in `other`: the cells of the points may differ.
    bool sticksOnTheSameSidesAs(const BiteRegime& other) const;
};

} // namespace rollbite

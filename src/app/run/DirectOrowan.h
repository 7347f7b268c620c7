#pragma once

#include "app/run/Orowan.h"

namespace rollbite {

// Direct mode: from the rolling inputs, a friction coefficient and an offset yield stress, the rolling
// force, forward slip and torque of each case, with the neutral point and the sticking zone.
class DirectOrowan : public Orowan {
public:
    DirectOrowan(int rheologyKind, const Console& console);

    // The exit-file row of a case, with its line feed (ExitColumns).
    std::string formatRow(const CaseResult& result) const override;
};

} // namespace rollbite

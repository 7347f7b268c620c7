#pragma once

#include "app/Orowan.h"

namespace rollbite {

// Direct mode: from the rolling inputs, a friction coefficient and an offset yield stress, the rolling
// force, forward slip and torque of each case, with the neutral point and the sticking zone.
class DirectOrowan : public Orowan {
public:
    DirectOrowan(int rheologyKind, const Console& console);

    std::string formatRow(const CaseResult& result) const override;
    // The exit-file row of a direct case, 21 columns, with its line feed.
    static std::string row(const CaseResult& result);
};

} // namespace rollbite

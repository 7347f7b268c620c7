#pragma once

#include "app/run/Orowan.h"

namespace rollbite {

// Inverse mode: from the rolling inputs and a measured force and forward slip, the offset yield stress
// and the friction coefficient that reproduce them.
class InverseOrowan : public Orowan {
public:
    InverseOrowan(int rheologyKind, const Console& console);

    // The exit-file row of a case, with its line feed (ExitColumns).
    std::string formatRow(const CaseResult& result) const override;
};

} // namespace rollbite

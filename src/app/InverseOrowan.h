#pragma once

#include "app/Orowan.h"

namespace rollbite {

// Inverse mode: from the rolling inputs and a measured force and forward slip, the offset yield stress
// and the friction coefficient that reproduce them.
class InverseOrowan : public Orowan {
public:
    InverseOrowan(int rheologyKind, const Console& console);

    std::string formatRow(const CaseResult& result) const override;
    // The exit-file row of an inverse case, 12 columns, with its line feed. The two error columns are
    // ratios, as the search reports them.
    static std::string row(const CaseResult& result);
};

} // namespace rollbite

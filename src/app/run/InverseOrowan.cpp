#include "app/run/InverseOrowan.h"

#include "app/formats/ExitColumns.h"

namespace rollbite {

InverseOrowan::InverseOrowan(int rheologyKind, const Console& console)
    : Orowan(rheologyKind, console, kInverseMode) {}

std::string InverseOrowan::formatRow(const CaseResult& result) const {
    return ExitColumns(kInverseMode, solver.rheology()).row(result);
}

} // namespace rollbite

#include "app/run/DirectOrowan.h"

#include "app/formats/ExitColumns.h"

namespace rollbite {

DirectOrowan::DirectOrowan(int rheologyKind, const Console& console)
    : Orowan(rheologyKind, console, kDirectMode) {}

std::string DirectOrowan::formatRow(const CaseResult& result) const {
    return ExitColumns(kDirectMode, solver.rheology()).row(result);
}

} // namespace rollbite

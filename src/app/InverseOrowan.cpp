#include "app/InverseOrowan.h"

#include <sstream>

namespace rollbite {

InverseOrowan::InverseOrowan(int rheologyKind, const Console& console)
    : Orowan(rheologyKind, console, kInverseMode) {}

std::string InverseOrowan::formatRow(const CaseResult& result) const {
    return row(result);
}

std::string InverseOrowan::row(const CaseResult& result) {
    const CaseResult& r = result;
    std::ostringstream out;
    out << std::scientific << r.Case_id << '\t' << r.errorClass() << '\t' << r.OffsetYield << '\t'
        << r.Friction << '\t' << r.Rolling_Torque << '\t' << r.Sigma_Moy << '\t' << r.Sigma_Ini << '\t'
        << r.Sigma_Out << '\t' << r.Sigma_Max << '\t' << r.Force_Error << '\t' << r.Slip_Error << '\t'
        << r.Has_Converged << '\n';
    return out.str();
}

} // namespace rollbite

#include "app/DirectOrowan.h"

#include <sstream>

namespace rollbite {

DirectOrowan::DirectOrowan(int rheologyKind, const Console& console)
    : Orowan(rheologyKind, console, kDirectMode) {}

std::string DirectOrowan::formatRow(const CaseResult& result) const {
    return row(result);
}

std::string DirectOrowan::row(const CaseResult& result) {
    const CaseResult& r = result;
    std::ostringstream out;
    out << std::scientific << r.Case_id << '\t' << r.errorClass() << '\t' << r.Rolling_Force << '\t'
        << r.Forward_Slip << '\t' << r.Rolling_Torque << '\t' << r.Sigma_Moy << '\t' << r.Sigma_Ini << '\t'
        << r.Sigma_Out << '\t' << r.Sigma_Max << '\t' << r.Neutral_X << '\t' << r.U_Forward_Slip << '\t'
        << r.Contact_Length << '\t' << r.Neutral_H << '\t' << r.angle_Tresca_Bw << '\t' << r.Neutral_Angle
        << '\t' << r.angle_Tresca_Fw << '\t' << r.U_Rolling_Force << '\t' << r.Tresca_Presence << '\t'
        << r.Total_Tresca << '\t' << r.Alpha_Max << '\t' << r.Has_Converged << '\n';
    return out.str();
}

} // namespace rollbite

#pragma once

#include "rheology/laws/BuiltInLaw.h"

namespace rollbite {

// Hensel and Spittel's (the Freiberg) law of hot and cold forming, T in degrees Celsius (MPa):
// sigma = A e^(m1 T) T^m9 eps^m2 e^(m4 / eps) (1 + eps)^(m5 T) e^(m7 eps) rate^m3 rate^(m8 T).
// The five-parameter form is the same with m5 = m7 = m8 = m9 = 0: two laws of one formula.
class HenselSpittel : public BuiltInLaw {
public:
    // With the nine parameters (A, m1 ... m5, m7, m8, m9), or the first five alone.
    explicit HenselSpittel(bool nineParameters);

    std::string checkParameters(const LawParameters& parameters) const override;
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;

private:
    bool nineParameters_;
};

} // namespace rollbite

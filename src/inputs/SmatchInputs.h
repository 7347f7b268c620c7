#pragma once

#include "inputs/Parameters.h"

namespace rollbite {

// The four coefficients of the Smatch strain-hardening law of one case, in coefficient-file order.
class SmatchInputs : public Parameters {
public:
    static constexpr const char* kListHead = "All wrong rheology inputs: ";

    SmatchInputs();
    SmatchInputs(double a, double b, double c, double d);
    ~SmatchInputs() override = default;

    // Any coefficients are accepted.
    bool checkInputs() override;
    // The coefficients of a new case, in place.
    void assign(double a, double b, double c, double d);
    // True when all four coefficients are zero: the law then reduces to the offset yield stress.
    bool allZero() const;

    double Coefficient_A; // MPa, additive stress term
    double Coefficient_B; // MPa, linear strain-hardening slope
    double Coefficient_C; // amplitude of the exponential term
    double Coefficient_D; // strain constant of the exponential term
};

} // namespace rollbite

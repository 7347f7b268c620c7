#include "inputs/SmatchInputs.h"

#include "rollbite/Numerics.h"

namespace rollbite {

SmatchInputs::SmatchInputs() : SmatchInputs(0.0, 0.0, 0.0, 0.0) {}

SmatchInputs::SmatchInputs(double a, double b, double c, double d)
    : Parameters(kListHead), Coefficient_A(a), Coefficient_B(b), Coefficient_C(c), Coefficient_D(d) {}

bool SmatchInputs::checkInputs() {
    startList(kListHead);
    return true;
}

void SmatchInputs::assign(double a, double b, double c, double d) {
    Coefficient_A = a;
    Coefficient_B = b;
    Coefficient_C = c;
    Coefficient_D = d;
    startList(kListHead);
}

bool SmatchInputs::allZero() const {
    return isZero(Coefficient_A) && isZero(Coefficient_B) && isZero(Coefficient_C) && isZero(Coefficient_D);
}

} // namespace rollbite

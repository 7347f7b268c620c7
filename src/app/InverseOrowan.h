#pragma once

#include "app/Orowan.h"

namespace rollbite {

// Inverse mode: from the rolling inputs and a measured force and forward slip, the offset yield stress
// and the friction coefficient that reproduce them.
class InverseOrowan : public Orowan {
public:
    InverseOrowan(int rheologyKind, const Console& console);
    ~InverseOrowan() override = default;

    int readCaseLine() override;
    int applyConstantRheology() override;
    int readWS18Record() override;
    int run() override;
    int solve() override;
    void postProcess(int status) override;
    void resetOutputs() override;
    bool checkOutputs() override;
    std::string formatRow() const override;
    std::unique_ptr<Orowan> makeWorker() const override;
    void spareOperation1() override {}
    void spareOperation2(int /*value*/) override {}
    void onInputError() override {}
    int inputCheckCode() override;

    double Friction;      // friction coefficient found
    double OffsetYield;   // MPa, offset yield stress found
    double computedForce; // force of the last evaluation, in units of 9.81 N/mm
    double computedSlip;  // forward slip of the last evaluation, percent
    double forceError;    // relative, a ratio
    double slipError;     // relative to the slip target, a ratio
};

} // namespace rollbite

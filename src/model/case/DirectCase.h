#pragma once

#include "model/case/CaseComputation.h"

namespace rollbite {

// Direct mode: from the rolling inputs, a friction coefficient and an offset yield stress, the rolling
// force, forward slip and torque of the case, with the neutral point and the sticking zone.
class DirectCase : public CaseComputation {
public:
    explicit DirectCase(int rheologyKind);

    int solve() override;
    void postProcess(int status) override;
    void resetOutputs() override;
    bool checkOutputs() override;
    int inputCheckCode() override;

    double referenceStripSpeed; // m/s, the WS18 record's roll surface speed as read

protected:
    Rolling& startRecord(const CaseInputs& inputs) override;
    void applyConstantRheology() override;
    void readWS18Record(const CaseInputs& inputs) override;
    std::string failureReason() override;

private:
    void coupleSpeedAndSlip();

    FailedStep preparationFailure_ = FailedStep::None; // of the WS18 preparation pass
};

} // namespace rollbite

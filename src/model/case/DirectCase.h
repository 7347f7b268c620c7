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

    double referenceStripSpeed; // m/s, the roll surface speed as read (WS18's record, a law's inputs)

protected:
    Rolling& startRecord(const CaseInputs& inputs) override;
    void applyConstantRheology() override;
    void readWS18Record(const CaseInputs& inputs) override;
    void readLaw(const CaseInputs& inputs) override;
    std::string failureReason() override;

private:
    void coupleSpeedAndSlip();
    // The strip's exit speed the rheology computes with (m/s): WS18's record's, or the law's.
    void setStripSpeed(double speed);
    // True when the flow stress depends on the strip's speed: WS18, or a law of the strain rate.
    bool speedCoupled() const;

    FailedStep preparationFailure_ = FailedStep::None; // of the WS18 preparation pass
};

} // namespace rollbite

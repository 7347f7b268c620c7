#pragma once

#include "model/case/CaseComputation.h"

namespace rollbite {

// Inverse mode: from the rolling inputs and a measured force and forward slip, the offset yield stress
// and the friction coefficient that reproduce them.
class InverseCase : public CaseComputation {
public:
    explicit InverseCase(int rheologyKind);

    int solve() override;
    void postProcess(int status) override;
    void resetOutputs() override;
    bool checkOutputs() override;
    int inputCheckCode() override;

protected:
    Rolling& startRecord(const CaseInputs& inputs) override;
    void applyConstantRheology() override;
    void readWS18Record(const CaseInputs& inputs) override;
    void readLaw(const CaseInputs& inputs) override;
    std::string failureReason() override;

private:
    // True with a flow-stress law, whose factor the search finds.
    bool usesLaw() const;

    bool preparationFailed_ = false; // the WS18 preparation pass failed
};

} // namespace rollbite

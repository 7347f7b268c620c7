#pragma once

#include "inputs/Rolling.h"
#include "model/case/ModelHandler.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/CaseResult.h"

#include <string>

namespace rollbite {

// One case from its inputs to its result: the record of the mode and the rheology set up from the inputs,
// the input checks, the mode's solve and its outputs, the output checks and the error class with its
// reason. The modes supply which record is filled, which solver runs and which outputs exist.
class CaseComputation {
public:
    CaseComputation(int rheologyKind, int mode);
    virtual ~CaseComputation() = default;
    CaseComputation(const CaseComputation&) = delete;
    CaseComputation& operator=(const CaseComputation&) = delete;

    // Parse (from values), input check, solve, output check, error class: the result of the case.
    const CaseResult& computeCase(const CaseInputs& inputs);

    // Runs the mode's solver; sets Has_Converged; calls postProcess; returns Solve_failed.
    virtual int solve() = 0;
    // Status 0: the outputs from the model. Otherwise: resetOutputs.
    virtual void postProcess(int status) = 0;
    // Every output of the row to 0 and Has_Converged to "--".
    virtual void resetOutputs();
    // True when every checked output passes; a value that is not finite is replaced by 0.
    virtual bool checkOutputs() = 0;
    // The Error_code of the mode's record.
    virtual int inputCheckCode() = 0;
    virtual void spareOperation1() {}
    virtual void spareOperation2(int /*value*/) {}
    virtual void onInputError() {}

    void computeFlowStressStatistics();

    ModelHandler modelHandler;
    CaseResult result;

protected:
    // The mode's record for the case, filled in place from its values.
    virtual Rolling& startRecord(const CaseInputs& inputs) = 0;
    virtual void applyConstantRheology() = 0;
    virtual void readWS18Record(const CaseInputs& inputs) = 0;
    // The case's flow-stress law, its parameters and what the pass gives it.
    virtual void readLaw(const CaseInputs& inputs);
    static LawConditions lawConditions(const CaseInputs& inputs);
    // The reason of an INTERNAL case, from the first failure of the model's last solve; sets the
    // result's failedStep.
    virtual std::string failureReason() = 0;
    // Adds one failed output check to the reason of the case.
    void addOutputFailure(const std::string& failure);
    static std::string describe(FailedStep step);
    static std::string number(double value);

    int mode_;

private:
    void setUpRheology(const CaseInputs& inputs);
    void setErrorClass(ErrorClass error);
    std::string inputFailures(const Rolling& record) const;
};

} // namespace rollbite

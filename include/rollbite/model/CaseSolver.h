#pragma once

// Part of the public case API: includes only the standard library and public headers, by paths relative
// to this file, so that it reads the same installed.
#include "../Kinds.h"
#include "BiteProfile.h"
#include "CaseInputs.h"
#include "CaseResult.h"

#include <memory>

namespace rollbite {

class CaseComputation;

// Solves one pass after another, direct or inverse, with one rheology: the model of rollbite without
// files or console. A result holds every value of the case's exit-file row, to the last bit.
//
//     rollbite::CaseSolver solver(rollbite::kDirectMode, rollbite::kConstantRheology);
//     rollbite::CaseInputs pass;
//     pass.Case_id = 101;
//     pass.Entry_thickness = 40.0; // mm
//     ...
//     const rollbite::CaseResult& result = solver.solve(pass);
//     if (result.errorCode == rollbite::VOID) use(result.Rolling_Force);
//
// A solver keeps its work arrays from case to case, so that a solve allocates nothing once the first is
// done (a failure's reason text aside). The outputs of a case do not depend on the cases solved before
// it; only the inverse fields computedForce and computedSlip, which no exit file holds, keep the values
// of an earlier case when a search did not run or failed. One solver serves one thread: give each thread
// its own, as many as wanted.
class CaseSolver {
public:
    CaseSolver(Mode mode, RheologyKind rheology);
    ~CaseSolver();
    CaseSolver(CaseSolver&& other) noexcept;
    CaseSolver& operator=(CaseSolver&& other) noexcept;
    CaseSolver(const CaseSolver&) = delete;
    CaseSolver& operator=(const CaseSolver&) = delete;

    Mode mode() const { return mode_; }
    RheologyKind rheology() const { return rheology_; }
    // The numbers of a coefficient record: 0 (Constant), 4 (Smatch) or 23 (WS18).
    static int coefficientCount(RheologyKind rheology);

    // Checks the inputs, solves the pass and checks the outputs. The result stays valid until the next
    // call.
    const CaseResult& solve(const CaseInputs& inputs);

    // From now on every roll-bite integration records its arc of contact into `profile` (none when null):
    // after a solve, that of the case's last integration.
    void recordProfile(BiteProfile* profile);
    // Forward slip of the model's last slip evaluation, before correction (percent).
    double modelForwardSlip() const;

private:
    Mode mode_;
    RheologyKind rheology_;
    std::unique_ptr<CaseComputation> computation_;
};

} // namespace rollbite

#pragma once

#include "app/run/SensitivityTable.h"
#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/CaseResult.h"
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/SensitivitySolver.h"

#include <optional>
#include <string>

namespace rollbite {

// What one thread of a run solves its cases with: the case API's solver, or, when the run writes a
// sensitivity table, the sensitivity solver (the same results to the last bit), which also gives the
// case's row of the table.
class CaseWork {
public:
    // `table`: the run's sensitivity table, or null for none; it must outlive this.
    CaseWork(Mode mode, RheologyKind rheology, const SensitivityTable* table);

    // The case's result; `sensitivityRow` gets its row of the table (with its line feed), or stays empty.
    const CaseResult& solve(const CaseInputs& inputs, std::string& sensitivityRow);

private:
    const SensitivityTable* table_;
    std::optional<CaseSolver> solver_;
    std::optional<SensitivitySolver> sensitivitySolver_;
};

} // namespace rollbite

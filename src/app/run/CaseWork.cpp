#include "app/run/CaseWork.h"

namespace rollbite {

CaseWork::CaseWork(Mode mode, RheologyKind rheology, const SensitivityTable* table) : table_(table) {
    if (table == nullptr) {
        solver_.emplace(mode, rheology);
    } else {
        sensitivitySolver_.emplace(mode, rheology);
        sensitivitySolver_->setMeasurementUncertainty(table->options().uncertainty);
    }
}

const CaseResult& CaseWork::solve(const CaseInputs& inputs, std::string& sensitivityRow) {
    sensitivityRow.clear();
    if (!sensitivitySolver_) {
        return solver_->solve(inputs);
    }
    const CaseResult& result = sensitivitySolver_->solve(inputs);
    table_->columns().appendRow({result, sensitivitySolver_->sensitivities(),
                                 sensitivitySolver_->uncertainty(), table_->options().width},
                                sensitivityRow);
    return result;
}

} // namespace rollbite

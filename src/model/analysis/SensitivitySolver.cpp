#include "rollbite/model/SensitivitySolver.h"

#include "model/analysis/DirectSensitivity.h"
#include "model/analysis/InverseAnalysis.h"

namespace rollbite {

namespace {

std::unique_ptr<SensitivityComputation> computationFor(Mode mode, RheologyKind rheology) {
    if (mode == kInverseMode) {
        return std::make_unique<InverseAnalysis>(rheology);
    }
    return std::make_unique<DirectSensitivity>(rheology);
}

} // namespace

SensitivitySolver::SensitivitySolver(Mode mode, RheologyKind rheology)
    : mode_(mode), rheology_(rheology), computation_(computationFor(mode, rheology)) {
    computation_->sensitivities.clear(DerivativeIssue::NoResult);
}

SensitivitySolver::~SensitivitySolver() = default;
SensitivitySolver::SensitivitySolver(SensitivitySolver&& other) noexcept = default;
SensitivitySolver& SensitivitySolver::operator=(SensitivitySolver&& other) noexcept = default;

void SensitivitySolver::setMeasurementUncertainty(const MeasurementUncertainty& uncertainty) {
    uncertainty_ = uncertainty;
}

void SensitivitySolver::setStepScale(double scale) {
    computation_->setStepScale(scale);
}

const CaseResult& SensitivitySolver::solve(const CaseInputs& inputs) {
    return computation_->solve(inputs, uncertainty_);
}

const CaseResult& SensitivitySolver::result() const {
    return computation_->result();
}

const PassSensitivities& SensitivitySolver::sensitivities() const {
    return computation_->sensitivities;
}

const InverseUncertainty& SensitivitySolver::uncertainty() const {
    return computation_->uncertainty;
}

} // namespace rollbite

#include "rollbite/model/CaseSolver.h"

#include "model/case/DirectCase.h"
#include "model/case/InverseCase.h"

#include <memory>

namespace rollbite {

namespace {

std::unique_ptr<CaseComputation> computationFor(Mode mode, RheologyKind rheology) {
    if (mode == kInverseMode) {
        return std::make_unique<InverseCase>(rheology);
    }
    return std::make_unique<DirectCase>(rheology);
}

} // namespace

CaseSolver::CaseSolver(Mode mode, RheologyKind rheology)
    : mode_(mode), rheology_(rheology), computation_(computationFor(mode, rheology)) {}

CaseSolver::~CaseSolver() = default;
CaseSolver::CaseSolver(CaseSolver&& other) noexcept = default;
CaseSolver& CaseSolver::operator=(CaseSolver&& other) noexcept = default;

int CaseSolver::coefficientCount(RheologyKind rheology) {
    switch (rheology) {
    case kSmatchRheology:
        return CaseInputs::kSmatchCoefficients;
    case kWS18Rheology:
        return CaseInputs::kWS18Coefficients;
    default:
        return 0;
    }
}

const CaseResult& CaseSolver::solve(const CaseInputs& inputs) {
    return computation_->computeCase(inputs);
}

void CaseSolver::recordProfile(BiteProfile* profile) {
    computation_->modelHandler.Bite_model.profileRecord = profile;
}

double CaseSolver::modelForwardSlip() const {
    return computation_->modelHandler.Model_forward_slip;
}

} // namespace rollbite

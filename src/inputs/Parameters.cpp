#include "inputs/Parameters.h"

namespace rollbite {

Parameters::Parameters(const std::string& listHead) : Wrong_inputs(listHead) {}

void Parameters::startList(const char* listHead) {
    Wrong_inputs.assign(listHead);
    Failed_checks.clear();
}

void Parameters::appendFailure(int code, const char* label, double value, const char* requirement) {
    Wrong_inputs += label;
    Failed_checks.push_back({false, code, label, value, requirement});
}

Parameters::CheckOutcome Parameters::appendFailures(std::initializer_list<FieldCheck> checks) {
    CheckOutcome outcome;
    for (const FieldCheck& check : checks) {
        if (!check.valid) {
            outcome.valid = false;
            outcome.lastFailedCode = check.code;
            appendFailure(check.code, check.label, check.value, check.requirement);
        }
    }
    return outcome;
}

} // namespace rollbite

#include "inputs/Parameters.h"

namespace rollbite {

Parameters::Parameters(const std::string& listHead) : Wrong_inputs(listHead) {}

Parameters::CheckOutcome Parameters::appendFailures(std::initializer_list<FieldCheck> checks) {
    CheckOutcome outcome;
    for (const FieldCheck& check : checks) {
        if (!check.valid) {
            outcome.valid = false;
            outcome.lastFailedCode = check.code;
            Wrong_inputs += check.label;
        }
    }
    return outcome;
}

} // namespace rollbite

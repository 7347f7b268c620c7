#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace rollbite {

// One row of a record's check table: the condition under which the field is valid, the error code of a
// failure, the label listed in Wrong_inputs, and for the reason of a case the value checked and what it
// must be ("in [0, 50] MPa"). Conditions are written as "valid when", so NaN fails.
struct FieldCheck {
    bool valid;
    int code;
    const char* label;
    double value;
    const char* requirement;
};

// Base of every input record: a list of the fields that failed the last check.
class Parameters {
public:
    explicit Parameters(const std::string& listHead);
    virtual ~Parameters() = default;

    virtual bool checkInputs() = 0;

    // The list head followed by the labels of the fields that failed, in the order of the checks.
    std::string Wrong_inputs;
    // The checks that failed, with their codes and labels, in the same order (for the reason of a case).
    std::vector<FieldCheck> Failed_checks;

protected:
    // Starts a check afresh: the list back to its head, no failed check. Allocates nothing once the list
    // has held its head.
    void startList(const char* listHead);
    // Appends one failed check to both lists.
    void appendFailure(int code, const char* label, double value, const char* requirement);
    struct CheckOutcome {
        bool valid = true;
        int lastFailedCode = 0;
    };
    // Runs every row (a failure does not stop the others) and appends the label of each failing one.
    CheckOutcome appendFailures(std::initializer_list<FieldCheck> checks);
};

} // namespace rollbite

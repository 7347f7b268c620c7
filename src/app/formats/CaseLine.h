#pragma once

#include "rollbite/model/CaseInputs.h"

#include <string>
#include <string_view>

namespace rollbite {

// How the values of a case are read from an entry line of the mode (9 or 11 numbers; RecordReader reads
// the coefficient records). A field counts only when it is a whole number in the classic notation
// (FieldReader); what cannot be read is kept in the case's `unreadable`, which makes it an input failure
// with that reason.
class CaseLine {
public:
    // The case values of `line` for the mode. The coefficients are set to 0 for the record to come; the
    // fields after one that cannot be read stay 0. False when a field is missing or not a number.
    static bool read(int mode, std::string_view line, CaseInputs& inputs);

    // Adds what could not be read to the case's `unreadable`.
    static void addUnreadable(CaseInputs& inputs, const std::string& what);
    // A field as it may be quoted in a reason: cut short, control bytes as '?'.
    static std::string quoted(std::string_view field);

private:
    // Why a field could not be read: not a number, or (for the identifier) not a whole number of 32 bits.
    static std::string whatIsWrong(bool identifier, std::string_view field);
};

} // namespace rollbite

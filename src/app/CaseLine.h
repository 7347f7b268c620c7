#pragma once

#include "model/CaseInputs.h"

#include <istream>
#include <string>
#include <string_view>

namespace rollbite {

// How the values of a case are read from the files: an entry line of the mode (9 or 11 numbers) and a
// record of the coefficient file (the next 4 or 23 numbers, whatever lines they stand on). A field counts
// only when it is a whole number in the classic notation (FieldReader); what cannot be read is kept in
// the case's `unreadable`, which makes it an input failure with that reason.
class CaseLine {
public:
    // The case values of `line` for the mode. The coefficients are set to 0 for the record to come; the
    // fields after one that cannot be read stay 0. False when a field is missing or not a number.
    static bool read(int mode, std::string_view line, CaseInputs& inputs);
    // The next record of the rheology from `coefficients` into the case's coefficients (none for
    // Constant). Every field of the record is taken, even after one that is not a number. False when one
    // is not a number or the file ends first. `field` is working space for the field text.
    static bool readRecord(std::istream& coefficients, int rheologyKind, CaseInputs& inputs,
                           std::string& field);

private:
    static void addUnreadable(CaseInputs& inputs, const std::string& what);
    // A field as it may be quoted in a reason: cut short, control bytes as '?'.
    static std::string quoted(std::string_view field);
};

} // namespace rollbite

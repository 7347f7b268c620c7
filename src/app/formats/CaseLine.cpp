#include "app/formats/CaseLine.h"

#include "app/formats/FieldReader.h"
#include "rollbite/Kinds.h"

#include <cstdint>

namespace rollbite {

namespace {

constexpr std::size_t kLongestQuote = 40; // characters of a field quoted in a reason

} // namespace

bool CaseLine::read(int mode, std::string_view line, CaseInputs& inputs) {
    inputs.Case_id = 0;
    for (int k = 0; k < CaseInputs::kValues; ++k) {
        inputs.value(k) = 0.0;
    }
    inputs.coefficients.fill(0.0);
    inputs.unreadable.clear();

    const int fieldCount = mode == kInverseMode ? kInverseEntryFields : kDirectEntryFields;
    FieldReader fields(line);
    std::string_view field;
    for (int k = 0; k < fieldCount; ++k) {
        const bool present = fields.nextField(field);
        const bool read = present && (k == 0 ? FieldReader::parseInteger(field, inputs.Case_id)
                                             : FieldReader::parseDouble(field, inputs.value(k - 1)));
        if (!read) {
            addUnreadable(inputs,
                          "field " + std::to_string(k + 1) + " (" + kEntryFieldNames[k] + ") " +
                              (present ? whatIsWrong(k == 0, field) + ": " + quoted(field) : "is missing"));
            return false;
        }
    }
    return true;
}

std::string CaseLine::whatIsWrong(bool identifier, std::string_view field) {
    double number = 0.0;
    if (!identifier || !FieldReader::parseDouble(field, number)) {
        return "is not a number";
    }
    // An identifier that is a number, but no whole one of 32 bits.
    const bool digitsOnly = field.find_first_not_of("+-0123456789") == std::string_view::npos;
    return digitsOnly ? "is a whole number beyond 32 bits" : "is not a whole number";
}

void CaseLine::addUnreadable(CaseInputs& inputs, const std::string& what) {
    inputs.unreadable += inputs.unreadable.empty() ? what : "; " + what;
}

std::string CaseLine::quoted(std::string_view field) {
    std::string text(field.substr(0, kLongestQuote));
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        c = byte < 0x20 || byte >= 0x7f ? '?' : c; // nothing that could break a line of a table
    }
    return "'" + text + (field.size() > kLongestQuote ? "...'" : "'");
}

} // namespace rollbite

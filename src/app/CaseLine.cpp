#include "app/CaseLine.h"

#include "Kinds.h"
#include "app/FieldReader.h"
#include "model/CaseSolver.h"

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
            addUnreadable(inputs, "field " + std::to_string(k + 1) + " (" + kEntryFieldNames[k] + ") " +
                                      (present ? "is not a number: " + quoted(field) : "is missing"));
            return false;
        }
    }
    return true;
}

bool CaseLine::readRecord(std::istream& coefficients, int rheologyKind, CaseInputs& inputs,
                          std::string& field) {
    const int count = CaseSolver::coefficientCount(static_cast<RheologyKind>(rheologyKind));
    const char* const* names =
        rheologyKind == kWS18Rheology ? kWS18CoefficientNames : kSmatchCoefficientNames;
    bool whole = true;
    for (int k = 0; k < count; ++k) {
        if (!(coefficients >> field)) {
            addUnreadable(inputs, "the coefficient file ends before coefficient " + std::to_string(k + 1) +
                                      " (" + names[k] + ") of the case's record");
            return false;
        }
        if (!FieldReader::parseDouble(field, inputs.coefficients[k]) && whole) {
            addUnreadable(inputs, "coefficient " + std::to_string(k + 1) + " (" + names[k] +
                                      ") of the case's record is not a number: " + quoted(field));
            whole = false;
        }
    }
    return whole;
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

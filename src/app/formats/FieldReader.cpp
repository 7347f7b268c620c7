#include "app/formats/FieldReader.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace rollbite {

namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Skips a run of digits and tells whether there was at least one.
bool skipDigits(std::string_view text, std::size_t& position) {
    const std::size_t start = position;
    while (position < text.size() && isDigit(text[position])) {
        ++position;
    }
    return position > start;
}

// [+-]? (digits [. digits?] | . digits) ([eE] [+-]? digits)?
bool isDecimalNumber(std::string_view text) {
    std::size_t position = 0;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        ++position;
    }
    bool mantissaDigits = skipDigits(text, position);
    if (position < text.size() && text[position] == '.') {
        ++position;
        mantissaDigits = skipDigits(text, position) || mantissaDigits;
    }
    if (!mantissaDigits) {
        return false;
    }
    if (position < text.size() && (text[position] == 'e' || text[position] == 'E')) {
        ++position;
        if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
            ++position;
        }
        if (!skipDigits(text, position)) {
            return false;
        }
    }
    return position == text.size();
}

std::string_view withoutPlusSign(std::string_view text) {
    return !text.empty() && text.front() == '+' ? text.substr(1) : text;
}

} // namespace

FieldReader::FieldReader(std::string_view line) : rest_(line) {}

bool FieldReader::nextField(std::string_view& field) {
    const std::size_t start = rest_.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) {
        rest_ = {};
        return false;
    }
    rest_.remove_prefix(start);
    const std::size_t end = std::min(rest_.find_first_of(kBlanks), rest_.size());
    field = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return true;
}

bool FieldReader::nextInteger(std::int32_t& value) {
    std::string_view field;
    return nextField(field) && parseInteger(field, value);
}

bool FieldReader::parseDouble(std::string_view field, double& value) {
    if (!isDecimalNumber(field)) {
        return false;
    }
    const std::string_view digits = withoutPlusSign(field);
    double parsed = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return false; // out of the range of a double
    }
    value = parsed;
    return true;
}

bool FieldReader::parseInteger(std::string_view field, std::int32_t& value) {
    std::size_t position = 0;
    if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
        ++position;
    }
    if (!skipDigits(field, position) || position != field.size()) {
        return false;
    }
    const std::string_view digits = withoutPlusSign(field);
    std::int32_t parsed = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return false;
    }
    value = parsed;
    return true;
}

} // namespace rollbite

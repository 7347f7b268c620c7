#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rollbite {

// Reads whitespace-separated numbers from one case line. A field counts only when the whole field is a
// number in the classic notation (point as decimal separator, optional sign and exponent), so that a
// garbled field is reported instead of being half read.
class FieldReader {
public:
    // The reader keeps a view of the line, which must outlive it.
    explicit FieldReader(std::string_view line);
    explicit FieldReader(std::string&& line) = delete;

    // False when the line has no more fields or the next field is not a whole number (the value is then
    // left untouched).
    bool nextInteger(std::int32_t& value);

    // The next whitespace-separated field, whatever it holds. False at the end of the line.
    bool nextField(std::string_view& field);

    static bool parseDouble(std::string_view field, double& value);
    static bool parseInteger(std::string_view field, std::int32_t& value);

private:
    std::string_view rest_;
};

} // namespace rollbite

#pragma once

#include <map>
#include <string>
#include <vector>

namespace rollbite {

// The arguments of a command line split into options and operands, as Unix tools take them: options
// anywhere, before or after the operands; "--name value" or "--name=value"; "--" ends the options; "-"
// is an operand (standard input or output), and so is a negative number.
class Arguments {
public:
    struct Option {
        const char* name; // "--threads"
        bool takesValue;
    };

    // False, with the message in `error`, for an unknown option, a value missing or one given to an
    // option that takes none. An option given twice keeps its last value.
    bool parse(const std::vector<std::string>& arguments, const std::vector<Option>& known,
               std::string& error);

    bool has(const std::string& option) const { return values_.count(option) != 0; }
    // The value of an option, or an empty text.
    std::string value(const std::string& option) const;
    const std::vector<std::string>& operands() const { return operands_; }
    // The options given, in no particular order.
    std::vector<std::string> given() const;

private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> operands_;
};

} // namespace rollbite

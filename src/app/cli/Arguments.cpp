#include "app/cli/Arguments.h"

#include <algorithm>

namespace rollbite {

bool Arguments::parse(const std::vector<std::string>& arguments, const std::vector<Option>& known,
                      std::string& error) {
    values_.clear();
    operands_.clear();
    bool optionsEnded = false;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        std::string argument = arguments[k];
        // A negative number ("-5", a case identifier) is an operand too.
        const bool negativeNumber = argument.size() >= 2 && argument[0] == '-' &&
                                    ((argument[1] >= '0' && argument[1] <= '9') || argument[1] == '.');
        if (optionsEnded || argument.size() < 2 || argument[0] != '-' || negativeNumber) {
            operands_.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string value;
        const std::size_t equals = argument.find('=');
        const bool inlineValue = argument.rfind("--", 0) == 0 && equals != std::string::npos;
        if (inlineValue) {
            value = argument.substr(equals + 1);
            argument = argument.substr(0, equals);
        }
        const auto option = std::find_if(known.begin(), known.end(),
                                         [&argument](const Option& o) { return argument == o.name; });
        if (option == known.end()) {
            error = "unknown option " + argument;
            return false;
        }
        if (option->takesValue && !inlineValue) {
            // An option's name after it is the value forgotten ("--out --force"); --out=--force writes one.
            const bool nextIsOption =
                k + 1 < arguments.size() && std::any_of(known.begin(), known.end(), [&](const Option& o) {
                    return arguments[k + 1] == o.name;
                });
            if (k + 1 >= arguments.size() || nextIsOption) {
                error = argument + " needs a value" +
                        (nextIsOption ? ", not the option " + arguments[k + 1] : "");
                return false;
            }
            value = arguments[++k];
        } else if (!option->takesValue && inlineValue) {
            error = argument + " takes no value";
            return false;
        }
        values_[argument] = value;
    }
    return true;
}

std::string Arguments::value(const std::string& option) const {
    const auto found = values_.find(option);
    return found != values_.end() ? found->second : std::string();
}

std::vector<std::string> Arguments::given() const {
    std::vector<std::string> names;
    for (const auto& entry : values_) {
        names.push_back(entry.first);
    }
    return names;
}

} // namespace rollbite

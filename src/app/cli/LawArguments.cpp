#include "app/cli/LawArguments.h"

namespace rollbite {

bool LawArguments::parse(const Arguments& arguments, const LawCatalogue& laws, const FlowStressLaw*& law,
                         LawColumns& columns, std::string& error) {
    if (!arguments.has("--law")) {
        for (const char* option : {"--parameters", "--extrapolate"}) {
            if (arguments.has(option)) {
                error = std::string(option) + " goes with --law NAME";
                return false;
            }
        }
        return true;
    }
    if (arguments.has("--rheology")) {
        error = "--law and --rheology both name the flow stress: give one of them";
        return false;
    }
    law = laws.find(arguments.value("--law"));
    if (law == nullptr) {
        std::string names;
        for (const std::string& name : laws.names()) {
            names += (names.empty() ? "" : ", ") + name;
        }
        error = "unknown law '" + arguments.value("--law") + "' for --law: " + names;
        return false;
    }
    if (!columns.setUp(*law, arguments.value("--parameters"), arguments.has("--extrapolate"), error)) {
        error = "--parameters: " + error;
        return false;
    }
    return true;
}

} // namespace rollbite

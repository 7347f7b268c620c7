#include "app/cli/SensitivityArguments.h"

#include "app/formats/FieldReader.h"

#include <cmath>

namespace rollbite {

namespace {

// A positive finite number, the whole text.
bool positiveNumber(const std::string& text, double& value) {
    return FieldReader::parseDouble(text, value) && std::isfinite(value) && value > 0.0;
}

} // namespace

bool SensitivityArguments::parseUncertainty(const std::string& text, MeasurementUncertainty& uncertainty,
                                            std::string& error) {
    const std::size_t comma = text.find(',');
    std::string force = comma == std::string::npos ? text : text.substr(0, comma);
    const std::string slip = comma == std::string::npos ? std::string() : text.substr(comma + 1);
    const bool percent = !force.empty() && force.back() == '%';
    if (percent) {
        force.pop_back();
    }
    uncertainty.forceInPercent = percent;
    if (comma == std::string::npos || !positiveNumber(force, uncertainty.force) ||
        !positiveNumber(slip, uncertainty.slip) || !uncertainty.valid()) {
        error = "--uncertainty needs FORCE_SD,SLIP_SD: two positive numbers, the force's in 9.81 N/mm (up "
                "to 5000) or in percent of the measured force (1%, up to 100%), the slip's in percentage "
                "points (0.2, up to 100), not '" +
                text + "'";
        return false;
    }
    return true;
}

bool SensitivityArguments::parseWidth(const std::string& text, double& width, std::string& error) {
    if (!positiveNumber(text, width)) {
        error = "--width needs the strip width in mm, a positive number, not '" + text + "'";
        return false;
    }
    return true;
}

} // namespace rollbite

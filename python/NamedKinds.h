#pragma once

#include "app/formats/Names.h"
#include "rollbite/Kinds.h"

#include <stdexcept>
#include <string>

namespace rollbite {

// A mode or rheology named by a Python caller, in any letter case; a ValueError (std::invalid_argument)
// that lists the names otherwise.
inline Mode modeNamed(const std::string& name) {
    Mode mode = kDirectMode;
    if (!Names::parseMode(name, mode)) {
        throw std::invalid_argument("unknown mode '" + name + "': " + Names::modeChoices());
    }
    return mode;
}

inline RheologyKind rheologyNamed(const std::string& name) {
    RheologyKind rheology = kConstantRheology;
    if (!Names::parseRheology(name, rheology)) {
        throw std::invalid_argument("unknown rheology '" + name + "': " + Names::rheologyChoices());
    }
    return rheology;
}

} // namespace rollbite

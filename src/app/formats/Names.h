#pragma once

#include "rollbite/Kinds.h"

#include <string>
#include <string_view>

namespace rollbite {

// The names of the computation modes and the rheologies, as every front end writes and reads them: the
// command line and the Python module take the name in any letter case ("ws18", "WS18"), the profile tool
// also the one-letter answer of the console dialogue ("w"); the dialogue itself takes its answers exactly.
class Names {
public:
    static const char* modeName(Mode mode);                  // "direct", "inverse"
    static const char* rheologyName(RheologyKind rheology);  // "constant", "smatch", "ws18"
    static const char* rheologyTitle(RheologyKind rheology); // "Constant", "Smatch", "WS18"
    // The dialogue's answers: "d", "i"; "c", "s", "w".
    static char modeAnswer(Mode mode);
    static char rheologyAnswer(RheologyKind rheology);

    // False when `text` names no mode (or rheology). `withAnswers`: also the one-letter answers.
    static bool parseMode(std::string_view text, Mode& mode, bool withAnswers = false);
    static bool parseRheology(std::string_view text, RheologyKind& rheology, bool withAnswers = false);

    // The names for a message: "direct or inverse", "constant, smatch or ws18".
    static std::string modeChoices();
    static std::string rheologyChoices();
};

} // namespace rollbite

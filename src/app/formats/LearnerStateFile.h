#pragma once

#include "app/formats/OutputGuard.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/FlowStressLaw.h"
#include "rollbite/model/MillLearner.h"

#include <istream>
#include <string>

namespace rollbite {

// The state of a mill's learning as a file that a later replay starts from: a first line that tells it,
// a line naming the rheology or the law it was learnt with, a header row, then a row per stand (its
// short-term factor, friction and last class, and what new rolls start from) and a row per class and stand
// (its long-term factor), tab-separated, every number with the digits that read it back exactly, so that a
// replay resumed from it gives what one replay of all the coils gives, to the last bit; a last line tells
// that the file is whole.
class LearnerStateFile {
public:
    // The first line, which tells a state file from any other.
    static std::string firstLine();
    // The form of the file for the rules of every front end: only a state file is replaced by one.
    static OutputForm form();
    // What a replay learns with, as its second line says it: "--rheology smatch", "--law swift".
    static std::string learntWith(RheologyKind rheology, const FlowStressLaw* law = nullptr);
    static std::string text(const LearnerState& state, const std::string& learntWith);
    // False, with the line and what is wrong in `failure`, for a file that is no state file, is torn, was
    // learnt with another rheology or law, or holds a value the learner never has with `settings`.
    static bool read(std::istream& file, const std::string& learntWith, const LearnerSettings& settings,
                     LearnerState& state, std::string& failure);
};

} // namespace rollbite

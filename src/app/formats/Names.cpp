#include "app/formats/Names.h"

#include <algorithm>
#include <cctype>

namespace rollbite {

namespace {

struct KindName {
    const char* name;
    const char* title;
    char answer;
};

// Indexed by Mode and by RheologyKind.
constexpr KindName kModes[] = {{"direct", "Direct", 'd'}, {"inverse", "Inverse", 'i'}};
constexpr KindName kRheologies[] = {
    {"constant", "Constant", 'c'}, {"smatch", "Smatch", 's'}, {"ws18", "WS18", 'w'}};
// A flow-stress law is named by --law, never as a rheology: it is not among the choices parsed.
constexpr KindName kLaw = {"law", "Law", '\0'};

bool sameIgnoringCase(std::string_view text, std::string_view name) {
    return text.size() == name.size() &&
           std::equal(text.begin(), text.end(), name.begin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

template <std::size_t N> int find(const KindName (&names)[N], std::string_view text, bool withAnswers) {
    for (std::size_t k = 0; k < N; ++k) {
        if (sameIgnoringCase(text, names[k].name) ||
            (withAnswers && text.size() == 1 && text[0] == names[k].answer)) {
            return static_cast<int>(k);
        }
    }
    return -1;
}

template <std::size_t N> std::string choices(const KindName (&names)[N]) {
    std::string text;
    for (std::size_t k = 0; k < N; ++k) {
        text += (k == 0 ? "" : k + 1 == N ? " or " : ", ") + std::string(names[k].name);
    }
    return text;
}

} // namespace

const char* Names::modeName(Mode mode) {
    return kModes[mode == kInverseMode ? 1 : 0].name;
}

const char* Names::rheologyName(RheologyKind rheology) {
    return rheology == kLawRheology ? kLaw.name : kRheologies[static_cast<int>(rheology) % 3].name;
}

const char* Names::rheologyTitle(RheologyKind rheology) {
    return rheology == kLawRheology ? kLaw.title : kRheologies[static_cast<int>(rheology) % 3].title;
}

char Names::modeAnswer(Mode mode) {
    return kModes[mode == kInverseMode ? 1 : 0].answer;
}

char Names::rheologyAnswer(RheologyKind rheology) {
    return kRheologies[static_cast<int>(rheology) % 3].answer;
}

bool Names::parseMode(std::string_view text, Mode& mode, bool withAnswers) {
    const int found = find(kModes, text, withAnswers);
    if (found >= 0) {
        mode = static_cast<Mode>(found);
    }
    return found >= 0;
}

bool Names::parseRheology(std::string_view text, RheologyKind& rheology, bool withAnswers) {
    const int found = find(kRheologies, text, withAnswers);
    if (found >= 0) {
        rheology = static_cast<RheologyKind>(found);
    }
    return found >= 0;
}

std::string Names::modeChoices() {
    return choices(kModes);
}

std::string Names::rheologyChoices() {
    return choices(kRheologies);
}

} // namespace rollbite

#include "rollbite/model/LawCatalogue.h"

#include "rheology/laws/HenselSpittel.h"
#include "rheology/laws/Hollomon.h"
#include "rheology/laws/JohnsonCook.h"
#include "rheology/laws/Misaka.h"
#include "rheology/laws/Shida.h"
#include "rheology/laws/Swift.h"
#include "rheology/laws/Voce.h"

#include <algorithm>
#include <cctype>

namespace rollbite {

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool isName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || c == '-' || c == '_';
    });
}

} // namespace

LawCatalogue::LawCatalogue() {
    add(std::make_unique<HenselSpittel>(false));
    add(std::make_unique<HenselSpittel>(true));
    add(std::make_unique<Misaka>());
    add(std::make_unique<Shida>());
    add(std::make_unique<Swift>());
    add(std::make_unique<Hollomon>());
    add(std::make_unique<Voce>());
    add(std::make_unique<JohnsonCook>());
}

LawCatalogue::~LawCatalogue() = default;
LawCatalogue::LawCatalogue(LawCatalogue&&) noexcept = default;
LawCatalogue& LawCatalogue::operator=(LawCatalogue&&) noexcept = default;

bool LawCatalogue::add(std::unique_ptr<FlowStressLaw> law) {
    if (law == nullptr) {
        return false;
    }
    const std::string name = law->name();
    const std::size_t count = law->parameters().size();
    if (!isName(name) || find(name) != nullptr || count == 0 ||
        count > static_cast<std::size_t>(kMaxLawParameters)) {
        return false;
    }
    laws_.push_back(std::move(law));
    return true;
}

const FlowStressLaw* LawCatalogue::find(const std::string& name) const {
    const std::string wanted = lowerCase(name);
    for (const auto& law : laws_) {
        if (lowerCase(law->name()) == wanted) {
            return law.get();
        }
    }
    return nullptr;
}

std::vector<std::string> LawCatalogue::names() const {
    std::vector<std::string> names;
    for (const auto& law : laws_) {
        names.push_back(law->name());
    }
    return names;
}

} // namespace rollbite

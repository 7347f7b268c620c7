#pragma once

// Part of the public API: includes only the standard library and public headers, by paths relative to
// this file, so that it reads the same installed.
#include "FlowStressLaw.h"

#include <memory>
#include <string>
#include <vector>

namespace rollbite {

// The flow-stress laws a program knows by name: the built-in ones (docs/laws.md) and those it adds. Built
// once and then only read, it may be shared by threads. The laws live as long as the catalogue.
//
//     rollbite::LawCatalogue laws;                     // the built-in laws
//     laws.add(std::make_unique<MyLaw>());             // and one's own
//     const rollbite::FlowStressLaw* swift = laws.find("swift");
class LawCatalogue {
public:
    // The built-in laws.
    LawCatalogue();
    ~LawCatalogue();
    LawCatalogue(LawCatalogue&&) noexcept;
    LawCatalogue& operator=(LawCatalogue&&) noexcept;

    // Adds a law. False, and the law not added, when its name is taken (in any letter case), is no name
    // (letters, digits, '-' and '_'), or it has no parameters' names or more than kMaxLawParameters.
    bool add(std::unique_ptr<FlowStressLaw> law);
    // The law of that name in any letter case; nullptr when there is none.
    const FlowStressLaw* find(const std::string& name) const;
    // The names, built-in ones first, in the order added.
    std::vector<std::string> names() const;

private:
    std::vector<std::unique_ptr<FlowStressLaw>> laws_;
};

} // namespace rollbite

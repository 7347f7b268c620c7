#pragma once

#include "rollbite/model/FlowStressLaw.h"

#include <string>
#include <vector>

namespace rollbite {

// What tells a built-in law, given once: its name, formula with its source, parameters, ranges and what it
// reads of the bite.
struct LawDescription {
    std::string name;
    std::string description;
    std::vector<LawParameter> parameters;
    LawValidity validity;
    bool readsStrainRate = false;
    bool readsTemperature = false;
    bool carriesStrain = true;
    bool givesMeanFlowStress = false;
};

// A built-in law: its description as a table, its parameters' check and its formula its own.
class BuiltInLaw : public FlowStressLaw {
public:
    explicit BuiltInLaw(LawDescription description) : description_(std::move(description)) {}

    std::string name() const override { return description_.name; }
    std::string description() const override { return description_.description; }
    std::vector<LawParameter> parameters() const override { return description_.parameters; }
    LawValidity validity() const override { return description_.validity; }
    bool readsStrainRate() const override { return description_.readsStrainRate; }
    bool readsTemperature() const override { return description_.readsTemperature; }
    bool carriesStrain() const override { return description_.carriesStrain; }
    bool givesMeanFlowStress() const override { return description_.givesMeanFlowStress; }

private:
    LawDescription description_;
};

} // namespace rollbite

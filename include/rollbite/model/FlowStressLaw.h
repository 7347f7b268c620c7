#pragma once

// Part of the public API: includes only the standard library, so that it reads the same installed.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace rollbite {

// Where in the bite a flow stress is asked for: the total equivalent strain (the strain the strip brings
// in plus the pass's own), the equivalent strain rate (1/s) and the strip's temperature (degrees Celsius).
struct LawPoint {
    double strain = 0.0;
    double strainRate = 0.0;  // 1/s
    double temperature = 0.0; // degrees Celsius
};

// One parameter of a law: its name (the column of a coefficient file), its unit, what it is.
struct LawParameter {
    std::string name;
    std::string unit; // "" for a number without unit
    std::string meaning;
};

// A closed range [lowest, highest] of a quantity where a law was fitted.
struct LawRange {
    double lowest = 0.0;
    double highest = 0.0;
    bool holds(double value) const { return value >= lowest && value <= highest; }
};

// Where a law was fitted and may be trusted: its strain, strain rate and temperature. The strain's lowest
// value is also the strain a law of vanishing stress at zero strain is evaluated at below it (at the bite's
// entry a first pass has none), likewise the strain rate's at the exit plane, where the strip's strain rate
// falls to zero: see docs/laws.md.
struct LawValidity {
    LawRange strain;
    LawRange strainRate;  // 1/s
    LawRange temperature; // degrees Celsius
};

// The most parameters a law takes.
inline constexpr int kMaxLawParameters = 12;
using LawParameters = std::array<double, kMaxLawParameters>;

// A flow-stress law: the strip's flow stress (MPa) at a point of the bite from its strain, strain rate and
// temperature, with the law's parameters in the order of `parameters()`. A law holds no state: one object
// serves every case and every thread. Write a class of your own against this interface and add it to a
// LawCatalogue to use it wherever a built-in law goes (docs/laws.md).
class FlowStressLaw {
public:
    virtual ~FlowStressLaw() = default;

    // The name a run gives (--law NAME), in lower case, letters, digits, '-' and '_'.
    virtual std::string name() const = 0;
    // The formula in words and symbols, and its published source, for messages and listings.
    virtual std::string description() const = 0;
    virtual std::vector<LawParameter> parameters() const = 0;
    virtual LawValidity validity() const = 0;
    // Which of the point's values the law reads: the bite then computes them (a law of the strain rate
    // also gets the coupling of the strip's speed with the forward slip).
    virtual bool readsStrainRate() const = 0;
    virtual bool readsTemperature() const = 0;
    // True for a law of the mean flow stress of a whole pass (Misaka's), fitted as a function of the pass's
    // strain and mean strain rate: the bite then takes it at the pass's exit strain, mean strain rate and
    // mean temperature at every point, rather than along the strain of the bite.
    virtual bool givesMeanFlowStress() const { return false; }
    // True for a law of the total strain since the strip was last soft (cold work hardening): a schedule
    // carries the strain from stand to stand. False for a law of hot rolling, whose strip recrystallises
    // between two stands: each stand starts from no strain.
    virtual bool carriesStrain() const { return true; }
    // Empty when the parameters make a law; else what is wrong with them, naming the parameter.
    virtual std::string checkParameters(const LawParameters& parameters) const {
        (void)parameters;
        return "";
    }
    // The flow stress (MPa); not a positive finite number where the law gives none.
    virtual double flowStress(const LawPoint& point, const LawParameters& parameters) const = 0;
    // The flow stresses of `count` points at once, into `stresses`; by default one flowStress each.
    virtual void flowStresses(const LawPoint* points, std::size_t count, const LawParameters& parameters,
                              double* stresses) const {
        for (std::size_t k = 0; k < count; ++k) {
            stresses[k] = flowStress(points[k], parameters);
        }
    }
    // True for a law that is cheaper asked for every point of a bite at once (one written in an
    // interpreted language): the bite then asks flowStresses once for its whole grid.
    virtual bool evaluatesWholeBite() const { return false; }
};

} // namespace rollbite

#include "rheology/LawRheology.h"

#include "rollbite/Numerics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace rollbite {

namespace {

constexpr double kMillimetresPerMetre = 1000.0;
constexpr double kAbsoluteZero = -273.15; // degrees Celsius

std::string shown(double value, int digits = 6) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

// A value outside a range, with the digits that tell it from the range's nearer end (29.98, not 30).
std::string shownOutside(double value, const LawRange& range) {
    constexpr int kMostDigits = 17;
    const double end =
        std::abs(value - range.lowest) < std::abs(value - range.highest) ? range.lowest : range.highest;
    int digits = 6;
    while (digits < kMostDigits && shown(value, digits) == shown(end, digits)) {
        ++digits;
    }
    return shown(value, digits);
}

} // namespace

LawRheology::LawRheology()
    : Temperature_profile(kGridPoints, 0.0), Speed_profile(kGridPoints, 0.0),
      Strain_rate_profile(kGridPoints, 0.0), Law_profile(kGridPoints, 0.0), points_(kGridPoints) {}

void LawRheology::reset(const FlowStressLaw* law, const LawParameters& parameters,
                        const LawConditions& conditions) {
    resetState();
    Law = law;
    Law_parameters = parameters;
    Conditions = conditions;
    Exit_thickness = 0.0;
    Roll_diameter = 0.0;
    Failures.clear();
    Scaled_by_offset = false;
    Reference_stress = 1.0;
}

double LawRheology::equivalentStrain(double thickness) {
    return logarithmicStrain(thickness);
}

bool LawRheology::isPointwise() const {
    return Law != nullptr && !Law->readsStrainRate() && !Law->readsTemperature() &&
           !Law->evaluatesWholeBite();
}

void LawRheology::storeThicknessProfile(const std::vector<double>& profile) {
    copyThicknessProfile(profile);
}

void LawRheology::setThicknessProfile(const std::vector<double>& profile) {
    Has_Failed = 0;
    storeThicknessProfile(profile);
    // Mass flow: the strip moves slower where it is thicker; the strip speed is the exit speed.
    for (int k = 0; k <= kLastPoint; ++k) {
        Speed_profile[k] =
            (Exit_thickness / Thickness_profile[k]) * (Conditions.stripSpeed * kMillimetresPerMetre);
    }
}

double LawRheology::strainRateAt(double angle, double thickness) const {
    const double speed = (Exit_thickness / thickness) * (Conditions.stripSpeed * kMillimetresPerMetre);
    // Plane compression with dh/dx = 2 tan(angle): the equivalent strain rate (2/sqrt 3) 2 tan(angle) v / h.
    return 2.0 / std::sqrt(3.0) * 2.0 * std::tan(angle) * speed / thickness;
}

double LawRheology::temperatureAt(double strain) const {
    // Along the pass's strain from its entry to its exit thickness as set (the loaded exit lies a little
    // beyond, and a little colder).
    const double pass = passStrain();
    if (!(pass > 0.0)) {
        return Conditions.temperatureIn;
    }
    return Conditions.temperatureIn + (Conditions.temperatureOut - Conditions.temperatureIn) * strain / pass;
}

LawPoint LawRheology::lawPoint(double totalStrain, double strainRate, double temperature) const {
    const LawValidity range = Law->validity();
    // Below the lowest strain and rate of its ranges the law is taken at them: see the class comment.
    return {std::max(totalStrain, range.strain.lowest), std::max(strainRate, range.strainRate.lowest),
            temperature};
}

double LawRheology::finish(double law, double offsetYieldStress) {
    const double flowStress = Scaled_by_offset ? offsetYieldStress / Reference_stress * law
                                               : Conditions.factor * law + offsetYieldStress;
    if (!(flowStress > 0.0) || !std::isfinite(flowStress)) {
        Has_Failed = 1;
        return 1.0;
    }
    return flowStress;
}

double LawRheology::evaluate(double totalStrain, double strainRate, double temperature,
                             double offsetYieldStress) {
    const LawPoint point = lawPoint(totalStrain, strainRate, temperature);
    double law = 0.0;
    Law->flowStresses(&point, 1, Law_parameters, &law);
    return finish(law, offsetYieldStress);
}

double LawRheology::flowStressAt(int /*index*/, double angle, double thickness, double offsetYieldStress) {
    Has_Failed = 0;
    if (Law->givesMeanFlowStress()) {
        return evaluate(Conditions.strainIn + passStrain(), meanStrainRate(), meanTemperature(),
                        offsetYieldStress);
    }
    const double strain = logarithmicStrain(thickness);
    return evaluate(Conditions.strainIn + strain, strainRateAt(angle, thickness), temperatureAt(strain),
                    offsetYieldStress);
}

double LawRheology::referenceStress() const {
    const LawPoint point = lawPoint(Conditions.strainIn + passStrain(), meanStrainRate(), meanTemperature());
    double law = 0.0;
    Law->flowStresses(&point, 1, Law_parameters, &law);
    return law;
}

double LawRheology::passStrain() const {
    return logarithmicStrain(Exit_thickness);
}

double LawRheology::meanStrainRate() const {
    // The pass's strain over the time the strip takes through the arc of contact of the unflattened roll,
    // at its exit speed.
    const double contactLength = std::sqrt(Roll_diameter * 0.5 * (Entry_thickness - Exit_thickness));
    return passStrain() * Conditions.stripSpeed * kMillimetresPerMetre / contactLength;
}

double LawRheology::meanTemperature() const {
    return 0.5 * (Conditions.temperatureIn + Conditions.temperatureOut);
}

void LawRheology::describePoint(int index) {
    const double thickness = Thickness_profile[index];
    const bool mean = Law->givesMeanFlowStress();
    const double strain = mean ? passStrain() : logarithmicStrain(thickness);
    Strain_profile[index] = Conditions.strainIn + strain;
    Strain_rate_profile[index] = mean                     ? meanStrainRate()
                                 : Law->readsStrainRate() ? strainRateAt(Angle_profile[index], thickness)
                                                          : 0.0;
    Temperature_profile[index] = mean ? meanTemperature() : temperatureAt(strain);
}

void LawRheology::evaluateWholeBite() {
    for (int k = 0; k <= kLastPoint; ++k) {
        describePoint(k);
        points_[k] = lawPoint(Strain_profile[k], Strain_rate_profile[k], Temperature_profile[k]);
    }
    Law->flowStresses(points_.data(), points_.size(), Law_parameters, Law_profile.data());
}

double LawRheology::flowStress(int index, double offsetYieldStress) {
    Has_Failed = 0;
    if (!onGrid(index)) {
        Has_Failed = 1;
        return 1.0;
    }
    double flowStress = 0.0;
    if (Law->evaluatesWholeBite()) {
        // The sweep runs from the entry: its first point asks the law for every point of the grid.
        if (index == 0) {
            evaluateWholeBite();
        }
        flowStress = finish(Law_profile[index], offsetYieldStress);
    } else {
        describePoint(index);
        flowStress = evaluate(Strain_profile[index], Strain_rate_profile[index], Temperature_profile[index],
                              offsetYieldStress);
    }
    Flow_stress_profile[index] = flowStress;
    return flowStress;
}

void LawRheology::fail(const std::string& reason) {
    Failures += (Failures.empty() ? "" : "; ") + reason;
}

bool LawRheology::checkInputs(double rollDiameter) {
    Failures.clear();
    Roll_diameter = rollDiameter;
    if (Law == nullptr) {
        fail("no flow-stress law");
        return false;
    }
    const std::string law = "the law " + Law->name();
    const std::string parameters = Law->checkParameters(Law_parameters);
    if (!parameters.empty()) {
        fail(law + ": " + parameters);
    }
    const LawConditions& pass = Conditions;
    if (!(pass.strainIn >= 0.0 && std::isfinite(pass.strainIn))) {
        fail("Strain_in " + shown(pass.strainIn) + " is not a strain of 0 or more");
    }
    if (!(pass.factor > 0.0 && std::isfinite(pass.factor))) {
        fail("Flow_stress_factor " + shown(pass.factor) + " is not a positive number");
    }
    if (Law->readsTemperature()) {
        for (const auto& [name, value] : {std::pair{"TemperatureIn", pass.temperatureIn},
                                          std::pair{"TemperatureOut", pass.temperatureOut}}) {
            if (!(value > kAbsoluteZero && std::isfinite(value))) {
                fail(std::string(name) + " " + shown(value) + " is not a temperature in degrees Celsius");
            }
        }
    }
    if (Law->readsStrainRate() && !(pass.stripSpeed > 0.0 && std::isfinite(pass.stripSpeed))) {
        fail("Strip_speed " + shown(pass.stripSpeed) + " is not a positive speed (m/s)");
    }
    if (Failures.empty() && !pass.extrapolate) {
        checkRanges();
    }
    return Failures.empty();
}

void LawRheology::checkRanges() {
    const LawValidity range = Law->validity();
    const std::string law = "the law " + Law->name() + " was fitted ";
    const std::string beyond = " (extrapolate to use it there)";
    const double exitStrain = Conditions.strainIn + logarithmicStrain(Exit_thickness);
    if (!(exitStrain <= range.strain.highest)) {
        fail(law + "up to a strain of " + shown(range.strain.highest) + ", not " +
             shownOutside(exitStrain, range.strain) + " at the exit" + beyond);
    }
    if (Law->readsTemperature()) {
        for (const auto& [where, value] :
             {std::pair{"entry", Conditions.temperatureIn}, std::pair{"exit", Conditions.temperatureOut}}) {
            if (!range.temperature.holds(value)) {
                fail(law + "for temperatures from " + shown(range.temperature.lowest) + " to " +
                     shown(range.temperature.highest) + " C, not " + shownOutside(value, range.temperature) +
                     " C at the " + where + beyond);
            }
        }
    }
    if (Law->readsStrainRate()) {
        const double meanRate = meanStrainRate();
        if (!range.strainRate.holds(meanRate)) {
            fail(law + "for strain rates from " + shown(range.strainRate.lowest) + " to " +
                 shown(range.strainRate.highest) + " 1/s, not the pass's mean of " +
                 shownOutside(meanRate, range.strainRate) + " 1/s" + beyond);
        }
    }
}

} // namespace rollbite

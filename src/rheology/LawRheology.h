#pragma once

#include "rheology/Rheology.h"
#include "rollbite/model/FlowStressLaw.h"

#include <string>
#include <vector>

namespace rollbite {

// What a pass gives a flow-stress law besides the bite's thicknesses: the strain the strip brings in, its
// temperatures at the bite's entry and exit (degrees Celsius), its speed at the exit (m/s), the factor the
// law is multiplied by, and whether the law may be used outside the ranges it was fitted in.
struct LawConditions {
    double strainIn = 0.0;
    double temperatureIn = 0.0;
    double temperatureOut = 0.0;
    double stripSpeed = 0.0; // m/s
    double factor = 1.0;
    bool extrapolate = false;
};

// A flow-stress law of the user's choice along the bite: sigma = factor x law(eps, rate, T) + offset yield
// stress, with eps the strain brought in plus the pass's own, rate the plane-compression strain rate of
// the strip at the point (from its mass-flow speed, as WS18 has it) and T falling linearly with strain
// from the entry temperature to the exit one, as WS18 has it. Below the lowest strain and strain rate of
// the law's ranges (at the entry of a first pass, and at the exit plane, where the rate vanishes) the law
// is evaluated at those lowest values: a law such as eps^n has no stress at zero strain.
class LawRheology : public Rheology {
public:
    LawRheology();
    ~LawRheology() override = default;

    // A new case.
    void reset(const FlowStressLaw* law, const LawParameters& parameters, const LawConditions& conditions);

    double flowStressAt(int index, double angle, double thickness, double offsetYieldStress) override;
    double flowStress(int index, double offsetYieldStress) override;
    double equivalentStrain(double thickness) override;
    void setThicknessProfile(const std::vector<double>& profile) override;
    void storeThicknessProfile(const std::vector<double>& profile) override;
    // A law of strain alone depends on a point's thickness alone.
    bool isPointwise() const override;
    void spareOperation() override {}

    // True when the law and the pass can go together: its parameters make a law, the conditions are
    // numbers, and unless extrapolating, the pass lies within the law's ranges. Otherwise the reasons are
    // in Failures. Needs Entry_thickness and Exit_thickness and the pass's work roll diameter (mm).
    bool checkInputs(double rollDiameter);

    const FlowStressLaw* Law = nullptr;
    LawParameters Law_parameters{};
    LawConditions Conditions;
    double Exit_thickness = 0.0;             // mm
    double Roll_diameter = 0.0;              // mm, of the work roll, for the pass's mean strain rate
    std::vector<double> Temperature_profile; // degrees Celsius
    std::vector<double> Speed_profile;       // mm/s
    std::vector<double> Strain_rate_profile; // 1/s
    std::vector<double> Law_profile;         // MPa, the law's own values, for a law that takes a whole bite
    std::string Failures;                    // what checkInputs found, "; "-separated
    // The inverse mode searches the law's scale: with this set, the offset yield stress each call is
    // handed is the scale y (MPa), and the flow stress is (y / Reference_stress) x law, with no offset.
    bool Scaled_by_offset = false;
    double Reference_stress = 1.0; // MPa: the law at the pass's exit strain, mean strain rate and temperature

    // The law at the pass's exit strain, mean strain rate and mean temperature (MPa, factor 1): the scale
    // of the flow stress a factor multiplies.
    double referenceStress() const;

private:
    // The law at a point, times the factor, plus the offset; the placeholder 1.0 with the failure flag
    // when that is no positive stress.
    double evaluate(double totalStrain, double strainRate, double temperature, double offsetYieldStress);
    // Where the law is asked at a point of total strain (brought in and the pass's own): the lowest strain
    // and rate of its ranges below them.
    LawPoint lawPoint(double totalStrain, double strainRate, double temperature) const;
    // The law's value times the factor plus the offset (or scaled, in an inverse search), guarded.
    double finish(double law, double offsetYieldStress);
    // The strain, strain rate and temperature of grid point `index` into their profiles.
    void describePoint(int index);
    // Every grid point's law value into Law_profile, in one call of the law.
    void evaluateWholeBite();
    // The plane-compression strain rate at an angle (rad) of the bite and a thickness (mm), 1/s.
    double strainRateAt(double angle, double thickness) const;
    // The temperature at a strain: linear in strain from the entry to the exit of the bite.
    double temperatureAt(double strain) const;
    void fail(const std::string& reason);

    std::vector<LawPoint> points_; // the grid's points, kept from bite to bite for a whole-bite law
    // The pass within the law's ranges: its exit strain, its temperatures, its mean strain rate.
    void checkRanges();
    // The pass's own strain, from its entry to its exit thickness as set.
    double passStrain() const;
    // The pass's mean strain rate (1/s) and temperature (degrees Celsius), for a law of the mean flow stress.
    double meanStrainRate() const;
    double meanTemperature() const;
};

} // namespace rollbite

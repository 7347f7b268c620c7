#pragma once

#include "inputs/WS18Inputs.h"
#include "rheology/Rheology.h"

#include <array>
#include <vector>

namespace rollbite {

// Microstructure rheology: a recrystallised and an unrecrystallised fraction, each with its own grain
// size and dislocation density. Along the bite each density grows by storage (strain, strain rate,
// temperature) less recovery; a fraction's flow stress is its lattice stress plus a Taylor hardening
// term in the square root of its density; the strip's flow stress is the fraction-weighted mean plus the
// offset yield stress. Point i builds on point i - 1, so the grid is swept in increasing order.
class WS18 : public Rheology {
public:
    WS18();
    explicit WS18(const WS18Inputs& inputs);
    ~WS18() override = default;

    double flowStressAt(int index, double angle, double thickness, double offsetYieldStress) override;
    double flowStress(int index, double offsetYieldStress) override;
    double equivalentStrain(double thickness) override;
    void setThicknessProfile(const std::vector<double>& profile) override;
    void storeThicknessProfile(const std::vector<double>& profile) override;
    // A new case with the values of its record, its chemistry coefficients computed.
    void reset(const std::array<double, WS18Inputs::kValueCount>& values);
    void spareOperation() override {}

    // The seven coefficients of the storage and recovery laws and of the lattice stress, from the
    // chemistry of WS18_inputs.
    void computeChemistryCoefficients();
    // One explicit step of d(rho)/d(eps) for one fraction from point i - 1 to point i.
    void updateDislocationDensity(int index, double strain, double strainIncrement, double strainRate,
                                  double grainSize, std::vector<double>& density, bool recrystallised);

    WS18Inputs WS18_inputs;
    double Exit_thickness;                      // mm
    std::vector<double> Lattice_stress_profile; // MPa
    std::vector<double> Temperature_profile;    // degrees Celsius
    std::vector<double> Speed_profile;          // mm/s
    std::vector<double> Grid_strain_profile;    // equivalent strain of each grid thickness
    double Lattice_stress_coefficient;          // MPa at 27 degrees Celsius
    double Storage_coefficient;
    double Storage_rate_exponent;
    double Storage_activation_energy; // J/mol
    double Recovery_coefficient;
    double Recovery_rate_exponent;
    double Recovery_activation_energy; // J/mol
    std::vector<double> Eps_rec_profile;
    std::vector<double> Sigma_rec_profile; // MPa
    std::vector<double> Rho_rec_profile;   // 1/m^2
    std::vector<double> Eps_unrec_profile;
    std::vector<double> Sigma_unrec_profile;
    std::vector<double> Rho_unrec_profile;
    std::vector<double> Eps_rate_rec_profile;   // 1/s
    std::vector<double> Eps_rate_unrec_profile; // 1/s

private:
    // Where in the bite a flow stress is asked for: its strain, temperature and strain-rate geometry.
    struct BitePosition {
        double strain;
        double temperature; // degrees Celsius
        double tangent;     // tan of the angle of the point (rad)
        double thickness;   // mm
        double speed;       // mm/s
    };
    // Arrhenius factors of dislocation storage and recovery at a grid point's temperature.
    struct ThermalFactors {
        double storage;
        double recovery;
    };
    double evaluate(int index, const BitePosition& position, double offsetYieldStress, bool keepProfiles);
    // The entry point (index 0) from the entry state; any index off the grid fails.
    double evaluateEntryOrFail(int index, double offsetYieldStress, bool keepProfiles);
    ThermalFactors thermalFactors(int index) const;
    void advanceBothDensities(int index, double recrystallisedIncrement, double unrecrystallisedIncrement);
    void advanceDensity(int index, double strain, double strainIncrement, double strainRate, double grainSize,
                        std::vector<double>& density, const ThermalFactors& thermal) const;
    void startAtEntry();
    void partitionStrain(int index, double strainIncrement);
    void computeStrainRates(int index, const BitePosition& position, double strainIncrement);
    bool densitiesValid(int index);
    double mixedFlowStress(int index, double temperature, double offsetYieldStress);
    void interpolateTemperatures();
};

} // namespace rollbite

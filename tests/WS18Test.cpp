#include "rheology/WS18.h"
#include "Numerics.h"
#include "inputs/WS18Inputs.h"
#include "model/Models.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

using rollbite::kEpsilon;
using rollbite::WS18;
using rollbite::WS18Inputs;

namespace {

// Contents in weight percent: C Mn Si N Nb Ti V Al P Cr Mo Cu Ni B.
using Chemistry = std::array<double, 14>;
const Chemistry kCarbonManganese = {0.08, 0.6,  0.02, 0.004, 0.0, 0.0, 0.0,
                                    0.03, 0.01, 0.0,  0.0,   0.0, 0.0, 0.0};
const Chemistry kHsla = {0.06,  1.45,  0.3,  0.005, 0.04, 0.02, 0.05,
                         0.035, 0.015, 0.25, 0.1,   0.12, 0.08, 0.002};

struct Process {
    double temperatureIn = 1000.0; // degrees Celsius
    double temperatureOut = 980.0;
    double stripSpeed = 2.0;     // m/s
    double recrystallised = 1.0; // volume fraction
    double grainSizeRec = 50.0;  // micrometres
    double densityRec = 1e13;    // 1/m^2
    double grainSizeUnrec = 50.0;
    double densityUnrec = 1e13;
};

WS18Inputs steelRecord(const Chemistry& chemistry, const Process& process) {
    std::array<double, 23> values{};
    for (int k = 0; k < 14; ++k) {
        values[k] = chemistry[k];
    }
    values[14] = process.temperatureIn;
    values[15] = process.temperatureOut;
    values[16] = process.stripSpeed;
    values[17] = process.recrystallised;
    values[18] = process.grainSizeRec;
    values[19] = process.densityRec;
    values[20] = 1.0 - process.recrystallised;
    values[21] = process.grainSizeUnrec;
    values[22] = process.densityUnrec;
    return WS18Inputs(values);
}

WS18 buildModel(const Chemistry& chemistry, const Process& process, double entry = 30.0, double exit = 22.0) {
    WS18 model(steelRecord(chemistry, process));
    model.computeChemistryCoefficients();
    model.Entry_thickness = entry;
    model.Exit_thickness = exit;
    return model;
}

// The bite grid of a roll of radius 400 mm from `entry` down to `exit`, as the roll-bite model lays it.
struct Grid {
    std::vector<double> thickness = std::vector<double>(501);
    std::vector<double> angle = std::vector<double>(501);
};

Grid biteGrid(double entry = 30.0, double exit = 22.0, double radius = 400.0) {
    Grid grid;
    const double biteAngle = std::acos((radius - entry / 2.0 + exit / 2.0) / radius);
    for (int i = 0; i <= 500; ++i) {
        grid.angle[i] = biteAngle - i * (biteAngle / 500.0);
        grid.thickness[i] = 2.0 * radius * (1.0 - std::cos(grid.angle[i])) + exit;
    }
    grid.angle[0] = biteAngle;
    grid.thickness[0] = entry;
    grid.angle[500] = kEpsilon;
    grid.thickness[500] = exit;
    return grid;
}

void prepare(WS18& model, const Grid& grid) {
    model.setThicknessProfile(grid.thickness);
    model.Angle_profile = grid.angle;
}

// Hardening prefactor 0.3 * 3 * mu(T) * b, MPa per square root of 1/m^2.
double hardening(double celsius) {
    return (1.0 - (celsius - 27.0) * 0.91 / 1810.0) * 81000.0 * 0.3 * 3.0 * 2.58e-10;
}

} // namespace

TEST(WS18Coefficients, PlainIronGivesTheConstantTerms) {
    WS18 model = buildModel(Chemistry{}, Process());
    EXPECT_EQ(model.Lattice_stress_coefficient, 65.0);
    EXPECT_EQ(model.Storage_coefficient, 2.488e13);
    EXPECT_EQ(model.Storage_rate_exponent, 0.182);
    EXPECT_EQ(model.Storage_activation_energy, 20015.0);
    EXPECT_EQ(model.Recovery_coefficient, 22.4);
    EXPECT_EQ(model.Recovery_rate_exponent, 0.0);
    EXPECT_EQ(model.Recovery_activation_energy, 34369.9);
}

TEST(WS18Coefficients, MicroalloyedSteelFollowsTheRegressions) {
    const WS18 model = buildModel(kHsla, Process());
    const double C = 0.06, Mn = 1.45, Si = 0.3, Nb = 0.04, Ti = 0.02, Al = 0.035, Cr = 0.25, Mo = 0.1;
    EXPECT_DOUBLE_EQ(model.Lattice_stress_coefficient,
                     65.0 + 0.1 * C + 0.02 * Si + 0.015 * Mo + 0.399 * Nb + 0.012 * Al + 0.0034 * Cr);
    EXPECT_DOUBLE_EQ(model.Storage_coefficient, 2.488e13 + 6.7e9 * Mn + 1.27e10 * Si + 1.6e11 * Ti);
    EXPECT_DOUBLE_EQ(model.Storage_rate_exponent, 0.182 + 0.000239 * C + 0.000238 * Ti);
    EXPECT_DOUBLE_EQ(model.Storage_activation_energy, 20015.0 + 5.81 * C + 6.65 * Nb);
    EXPECT_DOUBLE_EQ(model.Recovery_coefficient,
                     22.4 + 0.085 * C + 0.0092 * Mn + 0.0103 * Si + 0.0199 * Cr + 0.197 * Ti);
    EXPECT_DOUBLE_EQ(model.Recovery_rate_exponent, 1.24e-5 * Si + 8.45e-5 * Cr + 0.000139 * Ti);
    EXPECT_DOUBLE_EQ(model.Recovery_activation_energy, 34369.9 + 6.85 * Nb);
}

TEST(WS18Coefficients, NitrogenVanadiumPhosphorusCopperNickelAndBoronNeverMatter) {
    const WS18 reference = buildModel(kHsla, Process());
    for (int element : {3, 6, 8, 11, 12, 13}) {
        Chemistry changed = kHsla;
        changed[element] += 0.5;
        const WS18 model = buildModel(changed, Process());
        EXPECT_EQ(model.Lattice_stress_coefficient, reference.Lattice_stress_coefficient) << element;
        EXPECT_EQ(model.Storage_coefficient, reference.Storage_coefficient) << element;
        EXPECT_EQ(model.Storage_rate_exponent, reference.Storage_rate_exponent) << element;
        EXPECT_EQ(model.Storage_activation_energy, reference.Storage_activation_energy) << element;
        EXPECT_EQ(model.Recovery_coefficient, reference.Recovery_coefficient) << element;
        EXPECT_EQ(model.Recovery_rate_exponent, reference.Recovery_rate_exponent) << element;
        EXPECT_EQ(model.Recovery_activation_energy, reference.Recovery_activation_energy) << element;
    }
}

TEST(WS18Profiles, TemperatureFallsLinearlyWithStrainAndSetsTheLatticeStress) {
    WS18 model = buildModel(kCarbonManganese, Process());
    const Grid grid = biteGrid();
    model.setThicknessProfile(grid.thickness);
    ASSERT_EQ(model.Has_Failed, 0);
    EXPECT_EQ(model.Temperature_profile[0], 1000.0);
    EXPECT_EQ(model.Temperature_profile[500], 980.0);
    const double span = model.equivalentStrain(22.0);
    for (int k : {1, 100, 250, 499}) {
        const double expected = 1000.0 - 20.0 * model.equivalentStrain(grid.thickness[k]) / span;
        EXPECT_NEAR(model.Temperature_profile[k], expected, 1e-9) << k;
        EXPECT_LT(model.Temperature_profile[k], model.Temperature_profile[k - 1]) << k;
        EXPECT_DOUBLE_EQ(model.Lattice_stress_profile[k],
                         std::exp((27.0 - model.Temperature_profile[k]) * 0.002) *
                             model.Lattice_stress_coefficient);
    }

    Process isothermal;
    isothermal.temperatureIn = 27.0;
    isothermal.temperatureOut = 27.0;
    WS18 cold = buildModel(kCarbonManganese, isothermal);
    cold.setThicknessProfile(grid.thickness);
    for (int k = 0; k <= 500; ++k) {
        ASSERT_EQ(cold.Temperature_profile[k], 27.0) << k;
        ASSERT_EQ(cold.Lattice_stress_profile[k], cold.Lattice_stress_coefficient) << k;
    }
    Process hot;
    hot.temperatureIn = 1027.0;
    hot.temperatureOut = 1027.0;
    WS18 warm = buildModel(kCarbonManganese, hot);
    warm.setThicknessProfile(grid.thickness);
    EXPECT_DOUBLE_EQ(warm.Lattice_stress_profile[250], warm.Lattice_stress_coefficient * std::exp(-2.0));
}

TEST(WS18Profiles, SpeedFollowsMassFlowFromTheExitSpeed) {
    WS18 model = buildModel(kCarbonManganese, Process());
    model.setThicknessProfile(biteGrid().thickness);
    EXPECT_EQ(model.Speed_profile[500], 2000.0); // mm/s
    EXPECT_DOUBLE_EQ(model.Speed_profile[0], 2000.0 * 22.0 / 30.0);
}

TEST(WS18Profiles, ThicknessThatDoesNotFallFails) {
    WS18 flat = buildModel(kCarbonManganese, Process());
    flat.Temperature_profile[250] = -1.0; // a marker: the interior is not recomputed
    flat.setThicknessProfile(std::vector<double>(501, 30.0));
    EXPECT_EQ(flat.Has_Failed, 1);
    EXPECT_EQ(flat.Temperature_profile[250], -1.0);
    EXPECT_DOUBLE_EQ(flat.Lattice_stress_profile[250],
                     std::exp(28.0 * 0.002) * flat.Lattice_stress_coefficient);

    Grid rising = biteGrid();
    rising.thickness[200] = rising.thickness[199] + 0.5;
    WS18 model = buildModel(kCarbonManganese, Process());
    model.Temperature_profile[201] = -1.0;
    model.setThicknessProfile(rising.thickness);
    EXPECT_EQ(model.Has_Failed, 1);
    EXPECT_GT(model.Temperature_profile[200], model.Temperature_profile[199]);
    EXPECT_EQ(model.Temperature_profile[201], -1.0);
}

TEST(WS18FlowStress, EntryPointStartsFromFreshRecrystallisedGrains) {
    Process process;
    process.recrystallised = 0.4;
    process.densityUnrec = 3e13;
    for (double densityRec : {1e13, 3e15}) {
        process.densityRec = densityRec; // never used: a recrystallised grain starts at 5e12
        WS18 model = buildModel(kCarbonManganese, process);
        prepare(model, biteGrid());
        const double lattice = model.Lattice_stress_profile[0];
        const double h0 = hardening(1000.0);
        const double expected =
            0.4 * (lattice + h0 * std::sqrt(5e12)) + 0.6 * (lattice + h0 * std::sqrt(3e13)) + 20.0;
        EXPECT_DOUBLE_EQ(model.flowStress(0, 20.0), expected) << densityRec;
        EXPECT_EQ(model.Has_Failed, 0);
        EXPECT_EQ(model.Rho_rec_profile[0], 5e12);
    }
}

TEST(WS18FlowStress, FullyRecrystallisedStripTakesTheWholeStrainIncrement) {
    WS18 model = buildModel(kCarbonManganese, Process());
    prepare(model, biteGrid());
    model.flowStress(0, 0.0);
    model.flowStress(1, 0.0);
    ASSERT_EQ(model.Has_Failed, 0);
    const double strainIncrement = model.Strain_profile[1] - model.Strain_profile[0];
    EXPECT_DOUBLE_EQ(model.Eps_rec_profile[1], strainIncrement);
    // Equal work per unit volume: the unrecrystallised fraction strains by the ratio of the stresses.
    const double stressRatio = model.Sigma_rec_profile[0] / model.Sigma_unrec_profile[0];
    EXPECT_DOUBLE_EQ(model.Eps_unrec_profile[1], stressRatio * strainIncrement);
    EXPECT_GT(model.Eps_rate_rec_profile[1], 0.0);
}

TEST(WS18FlowStress, ZeroGrainSizeFailsAfterTheEntryYetReturnsAValue) {
    Process process;
    process.grainSizeRec = 0.0;
    WS18 model = buildModel(kCarbonManganese, process);
    prepare(model, biteGrid());
    model.flowStress(0, 0.0);
    EXPECT_EQ(model.Has_Failed, 0);
    const double value = model.flowStress(1, 0.0);
    EXPECT_EQ(model.Has_Failed, 1);
    EXPECT_NE(value, 1.0);
    EXPECT_EQ(model.Flow_stress_profile[1], value);
}

TEST(WS18FlowStress, TwoEqualThicknessesGiveNoTimeIncrement) {
    Grid grid = biteGrid();
    grid.thickness[3] = grid.thickness[2];
    WS18 model = buildModel(kCarbonManganese, Process());
    prepare(model, grid);
    for (int i = 0; i <= 2; ++i) {
        model.flowStress(i, 0.0);
        ASSERT_EQ(model.Has_Failed, 0) << i;
    }
    EXPECT_EQ(model.flowStress(3, 0.0), 1.0);
    EXPECT_EQ(model.Has_Failed, 1);
}

TEST(WS18FlowStress, OffGridAndFreshModelFail) {
    WS18 fresh = buildModel(kCarbonManganese, Process());
    EXPECT_EQ(fresh.flowStressAt(100, 0.05, 25.0, 0.0), 1.0); // no state at point 99 yet
    EXPECT_EQ(fresh.Has_Failed, 1);
    EXPECT_EQ(fresh.flowStress(501, 0.0), 1.0);
    EXPECT_EQ(fresh.Has_Failed, 1);
    EXPECT_EQ(fresh.flowStressAt(-1, 0.1, 30.0, 0.0), 1.0);
    EXPECT_EQ(fresh.Has_Failed, 1);
    for (double stored : fresh.Flow_stress_profile) {
        ASSERT_EQ(stored, 0.0);
    }
}

TEST(WS18FlowStress, ExitPointAskedAgainAfterASweepGivesTheSameValue) {
    WS18 model = buildModel(kCarbonManganese, Process());
    prepare(model, biteGrid());
    for (int i = 0; i <= 500; ++i) {
        model.flowStress(i, 15.0);
        ASSERT_EQ(model.Has_Failed, 0) << i;
    }
    const std::vector<double> profile = model.Flow_stress_profile;
    EXPECT_EQ(model.flowStressAt(500, kEpsilon, model.Exit_thickness, 15.0), profile[500]);
    EXPECT_EQ(model.Flow_stress_profile, profile);
}

TEST(WS18FlowStress, HotRollingPassGivesAPlausibleRisingFlowStress) {
    // 30 mm to 22 mm on 800 mm rolls, 1000 to 980 degrees Celsius, 2 m/s, C-Mn steel, 50 um grains.
    WS18 model = buildModel(kCarbonManganese, Process());
    rollbite::Models bite;
    bite.Exit_thickness = 22.0;
    bite.Roll_radius = 400.0;
    ASSERT_EQ(bite.computeRollBite(model, 30.0, 22.0, 0.0, 0.0, 0.3, 0.0, 800.0), 0);
    // Work hardening over the bite; near the exit the strain rate vanishes and recovery holds the
    // stress level (entry about 31 MPa, exit about 145 MPa).
    const std::vector<double>& flowStress = model.Flow_stress_profile;
    for (int i = 1; i <= 450; ++i) {
        ASSERT_GT(flowStress[i], flowStress[i - 1]) << i;
    }
    EXPECT_NEAR(flowStress[500], flowStress[450], 0.01 * flowStress[450]);
    EXPECT_GT(flowStress[500], 3.0 * flowStress[0]);
    EXPECT_GT(flowStress[0], 10.0);
    EXPECT_LT(flowStress[500], 400.0);
    EXPECT_GT(bite.Rolling_Force, 0.0);
}

#include "rheology/WS18.h"
#include "inputs/WS18Inputs.h"
#include "model/bite/Models.h"
#include "rollbite/Numerics.h"
#include "support/Cases.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

using rollbite::kEpsilon;
using rollbite::WS18;
using rollbite::WS18Inputs;
using rollbite::test::carbonManganeseSteel;

namespace {

// Contents of an Nb-Ti microalloyed steel (weight percent), in record order C Mn Si N Nb Ti V Al P Cr Mo
// Cu Ni B, in a record otherwise like the C-Mn one.
WS18Inputs hsla() {
    const double contents[] = {0.06,  1.45,  0.3,  0.005, 0.04, 0.02, 0.05,
                               0.035, 0.015, 0.25, 0.1,   0.12, 0.08, 0.002};
    WS18Inputs steel = carbonManganeseSteel();
    double* fields[] = {&steel.C,  &steel.Mn, &steel.Si, &steel.N,  &steel.Nb, &steel.Ti, &steel.V,
                        &steel.Al, &steel.P,  &steel.Cr, &steel.Mo, &steel.Cu, &steel.Ni, &steel.B};
    for (int k = 0; k < 14; ++k) {
        *fields[k] = contents[k];
    }
    return steel;
}

WS18 modelOf(const WS18Inputs& steel) {
    WS18 model(steel);
    model.computeChemistryCoefficients();
    model.Entry_thickness = 30.0;
    model.Exit_thickness = 22.0;
    return model;
}

// The bite grid of a 400 mm roll from 30 mm to 22 mm, as the roll-bite model lays it.
struct Grid {
    std::vector<double> thickness = std::vector<double>(501);
    std::vector<double> angle = std::vector<double>(501);
};

Grid biteGrid() {
    Grid grid;
    const double biteAngle = std::acos((400.0 - 15.0 + 11.0) / 400.0);
    for (int i = 0; i <= 500; ++i) {
        grid.angle[i] = i == 500 ? kEpsilon : biteAngle - i * (biteAngle / 500.0);
        grid.thickness[i] = i == 0 ? 30.0 : i == 500 ? 22.0 : 800.0 * (1.0 - std::cos(grid.angle[i])) + 22.0;
    }
    return grid;
}

WS18 preparedModel(const WS18Inputs& steel, const Grid& grid = biteGrid()) {
    WS18 model = modelOf(steel);
    model.setThicknessProfile(grid.thickness);
    std::vector<double> tangents;
    for (const double angle : grid.angle) {
        tangents.push_back(std::tan(angle));
    }
    model.setAngleProfile(grid.angle, tangents);
    return model;
}

} // namespace

TEST(WS18Coefficients, PureIronAndTheContentsThatPlayNoPart) {
    const WS18 iron = modelOf(WS18Inputs());
    EXPECT_EQ(iron.Lattice_stress_coefficient, 65.0);
    EXPECT_EQ(iron.Storage_coefficient, 2.488e13);
    EXPECT_EQ(iron.Storage_rate_exponent, 0.182);
    EXPECT_EQ(iron.Storage_activation_energy, 20015.0);
    EXPECT_EQ(iron.Recovery_coefficient, 22.4);
    EXPECT_EQ(iron.Recovery_rate_exponent, 0.0);
    EXPECT_EQ(iron.Recovery_activation_energy, 34369.9);

    // N, V, P, Cu, Ni and B never change a coefficient.
    const WS18 model = modelOf(hsla());
    WS18Inputs changed = hsla();
    for (double* content : {&changed.N, &changed.V, &changed.P, &changed.Cu, &changed.Ni, &changed.B}) {
        *content += 0.5;
    }
    const WS18 same = modelOf(changed);
    EXPECT_EQ(same.Lattice_stress_coefficient, model.Lattice_stress_coefficient);
    EXPECT_EQ(same.Storage_coefficient, model.Storage_coefficient);
    EXPECT_EQ(same.Storage_rate_exponent, model.Storage_rate_exponent);
    EXPECT_EQ(same.Storage_activation_energy, model.Storage_activation_energy);
    EXPECT_EQ(same.Recovery_coefficient, model.Recovery_coefficient);
    EXPECT_EQ(same.Recovery_rate_exponent, model.Recovery_rate_exponent);
    EXPECT_EQ(same.Recovery_activation_energy, model.Recovery_activation_energy);
}

TEST(WS18Profiles, TemperatureFallsLinearlyWithStrainAndSetsTheLatticeStress) {
    const Grid grid = biteGrid();
    WS18 model = preparedModel(carbonManganeseSteel());
    ASSERT_EQ(model.Has_Failed, 0);
    EXPECT_EQ(model.Temperature_profile[0], 1000.0);
    EXPECT_EQ(model.Temperature_profile[500], 980.0);
    for (int k : {1, 100, 250, 499}) {
        const double expected =
            1000.0 - 20.0 * model.equivalentStrain(grid.thickness[k]) / model.equivalentStrain(22.0);
        EXPECT_NEAR(model.Temperature_profile[k], expected, 1e-9) << k;
        EXPECT_DOUBLE_EQ(model.Lattice_stress_profile[k],
                         std::exp((27.0 - model.Temperature_profile[k]) * 0.002) *
                             model.Lattice_stress_coefficient);
    }
    // Mass flow: the exit speed at the exit, slower by the thickness ratio at the entry (mm/s).
    EXPECT_EQ(model.Speed_profile[500], 2000.0);
    EXPECT_DOUBLE_EQ(model.Speed_profile[0], 2000.0 * 22.0 / 30.0);

    for (double celsius :
         {27.0, 1027.0}) { // the lattice stress at 27 C is the coefficient, e^-2 of it at 1027 C
        WS18Inputs isothermal = carbonManganeseSteel();
        isothermal.TemperatureIn = isothermal.TemperatureOut = celsius;
        const WS18 steady = preparedModel(isothermal);
        EXPECT_EQ(steady.Temperature_profile[250], celsius);
        EXPECT_DOUBLE_EQ(steady.Lattice_stress_profile[250],
                         steady.Lattice_stress_coefficient * std::exp((27.0 - celsius) * 0.002));
    }
}

TEST(WS18Profiles, ThicknessThatDoesNotFallFails) {
    WS18 flat = modelOf(carbonManganeseSteel());
    flat.Temperature_profile[250] = -1.0; // a marker: the interior is not recomputed
    flat.setThicknessProfile(std::vector<double>(501, 30.0));
    EXPECT_EQ(flat.Has_Failed, 1);
    EXPECT_EQ(flat.Temperature_profile[250], -1.0);

    Grid rising = biteGrid();
    rising.thickness[200] = rising.thickness[199] + 0.5;
    WS18 model = modelOf(carbonManganeseSteel());
    model.Temperature_profile[201] = -1.0;
    model.setThicknessProfile(rising.thickness);
    EXPECT_EQ(model.Has_Failed, 1);
    EXPECT_GT(model.Temperature_profile[200], model.Temperature_profile[199]); // written, then the stop
    EXPECT_EQ(model.Temperature_profile[201], -1.0);
}

TEST(WS18FlowStress, EntryPointStartsFromFreshRecrystallisedGrains) {
    for (double densityRec : {1e13, 3e15}) { // never used: a recrystallised grain starts at 5e12
        WS18Inputs steel = carbonManganeseSteel(2.0, 0.4);
        steel.Rho_rec = densityRec;
        steel.Rho_unrec = 3e13;
        WS18 model = preparedModel(steel);
        const double lattice = model.Lattice_stress_profile[0];
        const double hardening = (1.0 - (1000.0 - 27.0) * 0.91 / 1810.0) * 81000.0 * 0.3 * 3.0 * 2.58e-10;
        EXPECT_DOUBLE_EQ(model.flowStress(0, 20.0), 0.4 * (lattice + hardening * std::sqrt(5e12)) +
                                                        0.6 * (lattice + hardening * std::sqrt(3e13)) + 20.0);
        EXPECT_EQ(model.Has_Failed, 0);
    }
}

TEST(WS18FlowStress, FullyRecrystallisedStripTakesTheWholeStrainIncrement) {
    WS18 model = preparedModel(carbonManganeseSteel());
    model.flowStress(0, 0.0);
    model.flowStress(1, 0.0);
    ASSERT_EQ(model.Has_Failed, 0);
    const double strainIncrement = model.Strain_profile[1] - model.Strain_profile[0];
    EXPECT_DOUBLE_EQ(model.Eps_rec_profile[1], strainIncrement);
    // Equal work per unit volume: the unrecrystallised fraction strains by the ratio of the stresses.
    EXPECT_DOUBLE_EQ(model.Eps_unrec_profile[1],
                     model.Sigma_rec_profile[0] / model.Sigma_unrec_profile[0] * strainIncrement);
}

TEST(WS18FlowStress, FailuresAndTheirPlaceholders) {
    WS18Inputs noGrain = carbonManganeseSteel();
    noGrain.D_rec = 0.0;
    WS18 model = preparedModel(noGrain);
    model.flowStress(0, 0.0);
    EXPECT_EQ(model.Has_Failed, 0); // the entry point needs no grain size
    const double value = model.flowStress(1, 0.0);
    EXPECT_EQ(model.Has_Failed, 1); // yet the value is computed, kept and returned
    EXPECT_NE(value, 1.0);
    EXPECT_EQ(model.Flow_stress_profile[1], value);

    Grid level = biteGrid(); // two equal thicknesses: no strain, no time increment
    level.thickness[3] = level.thickness[2];
    WS18 stalled = preparedModel(carbonManganeseSteel(), level);
    for (int i = 0; i <= 2; ++i) {
        stalled.flowStress(i, 0.0);
    }
    EXPECT_EQ(stalled.flowStress(3, 0.0), 1.0);
    EXPECT_EQ(stalled.Has_Failed, 1);

    WS18 fresh = modelOf(carbonManganeseSteel());
    EXPECT_EQ(fresh.flowStressAt(100, 0.05, 25.0, 0.0), 1.0); // no state at point 99 yet
    EXPECT_EQ(fresh.Has_Failed, 1);
    EXPECT_EQ(fresh.flowStress(501, 0.0), 1.0);
    EXPECT_EQ(fresh.flowStressAt(-1, 0.1, 30.0, 0.0), 1.0);
    EXPECT_EQ(fresh.Has_Failed, 1);
    EXPECT_EQ(fresh.Flow_stress_profile, std::vector<double>(501, 0.0));
}

TEST(WS18FlowStress, ExitPointAskedAgainAfterASweepGivesTheSameValue) {
    WS18 model = preparedModel(carbonManganeseSteel());
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
    WS18 model = modelOf(carbonManganeseSteel());
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
}

// A hot mill's temperatures chained from stand to stand: the heat by cause is the change of the strip's
// enthalpy, the chain keeps its limits (nothing exchanged: no change; the work alone: the adiabatic rise;
// radiation from a strip twice as thick: half the rate; a slower mill: colder), its time steps do not
// matter, temperatures given by hand win, and a distribution runs the chain for its trials.
#include "app/formats/ScheduleReader.h"
#include "model/mill/SteelHeat.h"
#include "model/mill/ThermalChain.h"
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/LoadDistributor.h"
#include "rollbite/model/ScheduleSolver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>

using namespace rollbite;

namespace {

ScheduleReader::Schedule thermalMill() {
    const std::filesystem::path path = std::filesystem::path(ROLLBITE_TEST_DATA) / ".." / "examples" /
                                       "schedules" / "hot_finishing_ws18_thermal.txt";
    std::ifstream file(path);
    ScheduleReader reader;
    ScheduleReader::Schedule schedule;
    EXPECT_TRUE(reader.read(file, schedule)) << (reader.errors().empty() ? "" : reader.errors()[0]);
    return schedule;
}

double sum(const std::array<double, kHeatCauses>& values) {
    return std::accumulate(values.begin(), values.end(), 0.0);
}

// The strip of a thermal chain that exchanges only what `keep` leaves on.
StripInputs quietStrip() {
    StripInputs strip;
    strip.Emissivity = 0.0;
    strip.Air_htc = 0.0;
    strip.Contact_htc = 0.0;
    strip.Deformation_efficiency = 0.0;
    return strip;
}

StandInputs interstand(double distance) {
    StandInputs stand;
    stand.Interstand_distance = distance;
    return stand;
}

} // namespace

TEST(SteelHeat, TheEnthalpyIsTheIntegralOfTheSpecificHeatAndReadsBack) {
    for (const double t : {100.0, 650.0, 734.0, 736.0, 850.0, 1000.0, 1150.0}) {
        constexpr double kStep = 1e-3;
        const double slope =
            (SteelHeat::enthalpy(t + kStep) - SteelHeat::enthalpy(t - kStep)) / (2.0 * kStep);
        EXPECT_NEAR(slope, SteelHeat::specificHeat(t), 1e-4 * SteelHeat::specificHeat(t)) << t;
        EXPECT_NEAR(SteelHeat::temperatureOf(SteelHeat::enthalpy(t), 900.0), t, 1e-8) << t;
    }
    // Continuous where its branches meet (600, 735 and 900 C).
    for (const double t : {600.0, 735.0, 900.0}) {
        EXPECT_NEAR(SteelHeat::enthalpy(t - 1e-9), SteelHeat::enthalpy(t + 1e-9), 1e-3) << t;
    }
    EXPECT_EQ(SteelHeat::specificHeat(1000.0), 650.0); // austenite
}

TEST(ThermalChain, TheHeatByCauseIsTheChangeOfTheStripsEnthalpyInEveryStandAndOverTheMill) {
    const ScheduleReader::Schedule mill = thermalMill();
    ScheduleSolver solver;
    const ScheduleResult& schedule = solver.solve(mill.strip, mill.stands);
    ASSERT_TRUE(schedule.ok()) << schedule.message;
    ASSERT_TRUE(schedule.thermal);
    double total = 0.0;
    for (std::size_t k = 0; k < schedule.stands.size(); ++k) {
        const StandResult& stand = schedule.stands[k];
        const double leaving = k + 1 < schedule.stands.size() ? schedule.stands[k + 1].Previous_temperature
                                                              : schedule.Exit_temperature;
        const double enthalpy =
            SteelHeat::enthalpy(leaving) - SteelHeat::enthalpy(stand.Previous_temperature);
        double exchanged = 0.0;
        for (const double heat : stand.heat) {
            exchanged += std::abs(heat);
        }
        EXPECT_NEAR(sum(stand.heat), enthalpy, 1e-3 * exchanged) << stand.name;
        EXPECT_NEAR(sum(stand.temperatureChange), leaving - stand.Previous_temperature, 1e-6) << stand.name;
        // The pass rolled at the temperatures the chain gave it, to its tolerance.
        EXPECT_NEAR(stand.TemperatureOut, leaving, 0.01) << stand.name;
        total += sum(stand.heat);
    }
    const double mill_change =
        SteelHeat::enthalpy(schedule.Exit_temperature) - SteelHeat::enthalpy(mill.strip.Entry_temperature);
    EXPECT_NEAR(total, mill_change, 1e-3 * std::abs(mill_change));
    // A finishing mill's fall from the first stand to the last, at the usual speeds: 50 to 150 C.
    const double fall = schedule.stands.front().TemperatureIn - schedule.stands.back().TemperatureOut;
    EXPECT_GT(fall, 50.0);
    EXPECT_LT(fall, 150.0);
    // Each stand's pass is the direct pass with those temperatures, to the last bit.
    CaseSolver direct(kDirectMode, kWS18Rheology);
    for (const StandResult& stand : schedule.stands) {
        EXPECT_EQ(direct.solve(stand.pass).Rolling_Force, stand.row.Rolling_Force) << stand.name;
    }
}

TEST(ThermalChain, KeepsItsLimits) {
    constexpr double kHot = 1000.0; // C, austenite: 650 J/(kg K)
    // Nothing exchanged: nothing changes.
    const ThermalChain quiet(quietStrip());
    EXPECT_NEAR(quiet.interstand(kHot, 5.0, 3.0, interstand(6.0)).exitTemperature, kHot, 1e-9);
    EXPECT_NEAR(quiet.bite(kHot, 5.0, 4.0, 0.01, 0.0).exitTemperature, kHot, 1e-9);
    // The work alone: the adiabatic rise of the share that heats the strip.
    StripInputs working = quietStrip();
    working.Deformation_efficiency = 0.9;
    constexpr double kWork = 20e3; // J/kg
    const ThermalChain::Stretch heated = ThermalChain(working).bite(kHot, 5.0, 4.0, 0.01, kWork);
    EXPECT_NEAR(heated.exitTemperature - kHot, 0.9 * kWork / 650.0, 1e-9);
    EXPECT_NEAR(heated.heat[kDeformation], 0.9 * kWork, 1e-6);
    // Radiation from a strip twice as thick: half the temperature per second.
    StripInputs radiating = quietStrip();
    radiating.Emissivity = 0.8;
    const ThermalChain radiation(radiating);
    const double thin = kHot - radiation.interstand(kHot, 3.0, 10.0, interstand(1.0)).exitTemperature;
    const double thick = kHot - radiation.interstand(kHot, 6.0, 10.0, interstand(1.0)).exitTemperature;
    EXPECT_NEAR(thin / thick, 2.0, 0.01);
    // Sprays as strong as any: the strip cools towards the water, never past it, and the march stays stable.
    StandInputs drenched = interstand(1.0);
    drenched.Spray_htc = 1e6;
    drenched.Spray_length = 1.0;
    const double quenched = ThermalChain(StripInputs()).interstand(kHot, 1.0, 1.0, drenched).exitTemperature;
    EXPECT_GE(quenched, StripInputs().Ambient_temperature - 1e-6);
    EXPECT_LT(quenched, StripInputs().Ambient_temperature + 1.0);
    // The time steps do not matter: half of them, the same temperature to 0.01 C.
    StripInputs full = StripInputs();
    StandInputs sprayed = interstand(5.5);
    sprayed.Spray_htc = 1500.0;
    sprayed.Spray_length = 1.0;
    const double coarse = ThermalChain(full).interstand(kHot, 4.0, 3.0, sprayed).exitTemperature;
    const double fine = ThermalChain(full, 0.5).interstand(kHot, 4.0, 3.0, sprayed).exitTemperature;
    EXPECT_NEAR(coarse, fine, 0.01);
    EXPECT_NEAR(ThermalChain(full).bite(kHot, 5.0, 4.0, 0.01, kWork).exitTemperature,
                ThermalChain(full, 0.5).bite(kHot, 5.0, 4.0, 0.01, kWork).exitTemperature, 0.01);
}

TEST(ThermalSchedule, ASlowerMillIsColderAndTemperaturesGivenWin) {
    ScheduleReader::Schedule mill = thermalMill();
    ScheduleSolver solver;
    const double fast = solver.solve(mill.strip, mill.stands).Exit_temperature;
    mill.strip.Exit_speed = 6.0;
    const double slow = solver.solve(mill.strip, mill.stands).Exit_temperature;
    EXPECT_LT(slow, fast - 10.0);
    // F4's temperatures set by hand: its pass takes them, and F5 goes on from them.
    mill.stands[3].TemperatureIn = 950.0;
    mill.stands[3].TemperatureOut = 945.0;
    const ScheduleResult& given = solver.solve(mill.strip, mill.stands);
    ASSERT_TRUE(given.ok()) << given.message;
    EXPECT_EQ(given.stands[3].TemperatureIn, 950.0);
    EXPECT_EQ(given.stands[3].TemperatureOut, 945.0);
    EXPECT_EQ(given.stands[4].Previous_temperature, 945.0);
    // F6's entry alone set: its bite starts there, and its exit is the chain's from it.
    mill.stands[5].TemperatureIn = 940.0;
    const ScheduleResult& entryOnly = solver.solve(mill.strip, mill.stands);
    ASSERT_TRUE(entryOnly.ok()) << entryOnly.message;
    EXPECT_EQ(entryOnly.stands[5].TemperatureIn, 940.0);
    EXPECT_NEAR(entryOnly.stands[5].TemperatureOut,
                940.0 + entryOnly.stands[5].temperatureChange[kRollContact] +
                    entryOnly.stands[5].temperatureChange[kDeformation],
                0.01);
}

TEST(ThermalSchedule, ADistributionRunsTheChainForItsTrials) {
    // Shifting reduction between the stands changes their temperatures; the distributed schedule is the
    // chain of its thicknesses.
    const ScheduleReader::Schedule mill = thermalMill();
    ScheduleSolver solver;
    const ScheduleResult set = solver.solve(mill.strip, mill.stands);
    LoadDistributor distributor;
    const DistributionResult& shared =
        distributor.distribute(mill.strip, mill.stands, DistributionTarget::PowerLimits);
    ASSERT_TRUE(shared.met) << shared.message;
    std::vector<StandInputs> stands = mill.stands;
    for (std::size_t k = 0; k < stands.size(); ++k) {
        stands[k].Exit_thickness = shared.schedule.stands[k].pass.Exit_thickness;
    }
    const ScheduleResult& again = solver.solve(mill.strip, stands);
    for (std::size_t k = 0; k < stands.size(); ++k) {
        EXPECT_EQ(again.stands[k].TemperatureIn, shared.schedule.stands[k].TemperatureIn);
    }
    EXPECT_NE(shared.schedule.stands[3].TemperatureIn, set.stands[3].TemperatureIn);
}

// Schedules: every stand is the direct pass it claims to be, chained by thickness, tension, strain and
// mass flow; and a load distribution meets its target, or names what binds.
#include "app/formats/ExitColumns.h"
#include "app/formats/ScheduleReader.h"
#include "app/formats/TableCells.h"
#include "model/mill/StandChain.h"
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/LoadDistributor.h"
#include "rollbite/model/ScheduleSolver.h"
#include "rollbite/model/SensitivitySolver.h"
#include "support/UniformNumbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace rollbite;

namespace {

const char* const kExamples[] = {"hot_finishing_ws18.txt", "tandem_smatch.txt"};

ScheduleReader::Schedule example(const std::string& name) {
    const std::filesystem::path path =
        std::filesystem::path(ROLLBITE_TEST_DATA) / ".." / "examples" / "schedules" / name;
    std::ifstream file(path);
    ScheduleReader reader;
    ScheduleReader::Schedule schedule;
    EXPECT_TRUE(reader.read(file, schedule))
        << path << ": " << (reader.errors().empty() ? "" : reader.errors()[0]);
    return schedule;
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Every value of the exit-file row, to the last bit.
void expectSameRow(const CaseResult& expected, const CaseResult& actual, const std::string& stand) {
    EXPECT_EQ(expected.errorCode, actual.errorCode) << stand;
    EXPECT_EQ(expected.Has_Converged, actual.Has_Converged) << stand;
    for (const ExitColumn& column : ExitColumns(kDirectMode)) {
        if (column.kind == ExitColumn::Kind::Number) {
            EXPECT_TRUE(sameBits(expected.*column.number, actual.*column.number))
                << stand << " " << column.name << ": " << expected.*column.number << " vs "
                << actual.*column.number;
        } else if (column.kind == ExitColumn::Kind::Flag) {
            EXPECT_EQ(expected.*column.flag, actual.*column.flag) << stand << " " << column.name;
        }
    }
}

void expectDirectRows(const ScheduleResult& schedule, RheologyKind rheology) {
    CaseSolver direct(kDirectMode, rheology);
    for (const StandResult& stand : schedule.stands) {
        expectSameRow(direct.solve(stand.pass), stand.row, stand.name);
    }
}

// Each stand's load over its target, as the distribution shares it: percent of a limit, load per unit of
// ratio.
double shareOf(const StandResult& result, const StandInputs& stand, DistributionTarget target) {
    switch (target) {
    case DistributionTarget::ForceLimits:
        return result.Force / stand.Force_limit * 100.0;
    case DistributionTarget::PowerLimits:
        return result.Power / stand.Power_limit * 100.0;
    case DistributionTarget::ForceRatios:
        return result.Force / stand.Force_ratio;
    case DistributionTarget::PowerRatios:
        return result.Power / stand.Power_ratio;
    }
    return NAN;
}

bool byForce(DistributionTarget target) {
    return target == DistributionTarget::ForceLimits || target == DistributionTarget::ForceRatios;
}

// Every stand's share lies within the tolerance of the common share reached (0.5 % for force, the spread
// the distribution reports for power), and that spread is the one measured.
void expectShared(const DistributionResult& result, const std::vector<StandInputs>& stands,
                  DistributionTarget target, const std::string& what) {
    ASSERT_EQ(result.schedule.stands.size(), stands.size()) << what;
    double spread = 0.0;
    for (std::size_t k = 0; k < stands.size(); ++k) {
        const double departure =
            std::abs(shareOf(result.schedule.stands[k], stands[k], target) / result.share - 1.0) * 100.0;
        spread = std::max(spread, departure);
    }
    EXPECT_NEAR(spread, result.spread, 1e-9) << what;
    if (byForce(target)) {
        EXPECT_LE(spread, LoadDistributor::kForceTolerance) << what;
    }
}

} // namespace

TEST(Schedule, EveryStandIsTheDirectPassItBuiltToTheLastBit) {
    for (const char* name : kExamples) {
        const ScheduleReader::Schedule mill = example(name);
        ScheduleSolver solver;
        const ScheduleResult& schedule = solver.solve(mill.strip, mill.stands);
        ASSERT_TRUE(schedule.ok()) << name << ": " << schedule.message;
        expectDirectRows(schedule, mill.strip.rheology);
        for (DistributionTarget target : {DistributionTarget::ForceLimits, DistributionTarget::PowerLimits}) {
            LoadDistributor distributor;
            const DistributionResult& distributed = distributor.distribute(mill.strip, mill.stands, target);
            ASSERT_TRUE(distributed.met) << name << ": " << distributed.message;
            expectDirectRows(distributed.schedule, mill.strip.rheology);
        }
    }
}

TEST(Schedule, ChainsThicknessAndTensionFromStandToStand) {
    const ScheduleReader::Schedule mill = example("hot_finishing_ws18.txt");
    const ScheduleResult schedule = ScheduleSolver().solve(mill.strip, mill.stands);
    ASSERT_TRUE(schedule.ok());
    EXPECT_EQ(schedule.stands[0].pass.Entry_thickness, mill.strip.Entry_thickness);
    EXPECT_EQ(schedule.stands[0].pass.Entry_tension, mill.strip.Entry_tension);
    for (std::size_t k = 1; k < mill.stands.size(); ++k) {
        EXPECT_EQ(schedule.stands[k].pass.Entry_thickness, mill.stands[k - 1].Exit_thickness);
        EXPECT_EQ(schedule.stands[k].pass.Entry_tension, mill.stands[k - 1].Exit_tension);
        EXPECT_EQ(schedule.stands[k].pass.Case_id, static_cast<int>(k) + 1);
    }
}

TEST(Schedule, EachSmatchStandStartsOnTheStripsLawAtTheStrainItBringsIn) {
    const ScheduleReader::Schedule mill = example("tandem_smatch.txt");
    const ScheduleResult schedule = ScheduleSolver().solve(mill.strip, mill.stands);
    ASSERT_TRUE(schedule.ok());
    const StripInputs& strip = mill.strip;
    double previous = 0.0;
    for (std::size_t k = 0; k < mill.stands.size(); ++k) {
        const double strain =
            2.0 / std::sqrt(3.0) * std::log(strip.Entry_thickness / schedule.stands[k].pass.Entry_thickness);
        const double law = (1.0 - strip.Coefficient_C * std::exp(-strip.Coefficient_D * strain)) *
                               (strip.Coefficient_A + strip.Coefficient_B * strain) +
                           mill.stands[k].Offset_yield_stress;
        EXPECT_NEAR(schedule.stands[k].row.Sigma_Ini, law, 1e-12 * law) << mill.stands[k].name;
        EXPECT_GT(schedule.stands[k].row.Sigma_Ini, previous) << "the strip hardens from stand to stand";
        previous = schedule.stands[k].row.Sigma_Ini;
    }
    // The first stand gets the strip's own law: its strain brought in is zero.
    EXPECT_EQ(schedule.stands[0].pass.coefficients[0], strip.Coefficient_A);
    EXPECT_EQ(schedule.stands[0].pass.coefficients[2], strip.Coefficient_C);
}

TEST(Schedule, MassFlowAndPowerHoldInEveryStand) {
    for (const char* name : kExamples) {
        const ScheduleReader::Schedule mill = example(name);
        const ScheduleResult schedule = ScheduleSolver().solve(mill.strip, mill.stands);
        ASSERT_TRUE(schedule.ok());
        const double finalFlow = mill.strip.Exit_speed * mill.stands.back().Exit_thickness; // m/s x mm
        for (std::size_t k = 0; k < mill.stands.size(); ++k) {
            const StandResult& stand = schedule.stands[k];
            // The strip leaves each stand at the roll speed times (1 + forward slip), the pass's own slip.
            const double exitSpeed = stand.Roll_surface_speed * (1.0 + stand.row.Forward_Slip / 100.0);
            EXPECT_NEAR(exitSpeed * stand.pass.Exit_thickness, finalFlow, 1e-8 * finalFlow)
                << name << " " << stand.name;
            EXPECT_NEAR(stand.Entry_speed * stand.pass.Entry_thickness, finalFlow, 1e-12 * finalFlow);
            // Power: torque times angular speed, the latter from the rpm and the other way round.
            const double angularSpeed = stand.Roll_speed * 2.0 * M_PI / 60.0;
            EXPECT_NEAR(stand.Power, stand.Torque * angularSpeed, 1e-9 * stand.Power);
            EXPECT_NEAR(stand.Roll_surface_speed,
                        angularSpeed * mill.stands[k].Working_roll_diameter / 2000.0,
                        1e-12 * stand.Roll_surface_speed);
            // Force and torque over the width, from the row's per-millimetre values.
            EXPECT_NEAR(stand.Force, stand.row.Rolling_Force * 9.81 * mill.strip.Width / 1000.0,
                        1e-9 * stand.Force);
            if (k > 0) {
                EXPECT_GT(stand.Exit_speed, schedule.stands[k - 1].Exit_speed) << "thinner strip runs faster";
            }
        }
    }
}

TEST(Schedule, EachStandsPlasticityIsItsPasssOverTheWidthAndRisesAsTheStripThins) {
    for (const char* name : kExamples) {
        const ScheduleReader::Schedule mill = example(name);
        const ScheduleResult schedule = ScheduleSolver().solve(mill.strip, mill.stands);
        ASSERT_TRUE(schedule.ok());
        SensitivitySolver sensitivities(kDirectMode, mill.strip.rheology);
        for (std::size_t k = 0; k < schedule.stands.size(); ++k) {
            const StandResult& stand = schedule.stands[k];
            sensitivities.solve(stand.pass);
            // 9.81 N/mm per mm, times 9.81e-3 kN/N, times the width in m: MN/mm.
            const double perWidth = sensitivities.sensitivities().plasticity();
            EXPECT_NEAR(stand.Plasticity, perWidth * 9.81e-3 * mill.strip.Width * 1e-3,
                        1e-12 * stand.Plasticity)
                << name << " " << stand.name;
            if (k > 0) {
                EXPECT_GT(stand.Plasticity, schedule.stands[k - 1].Plasticity) << name << " " << stand.name;
            }
        }
    }
}

// The gaugemeter equation, h = S + F/M: with its mill modulus a stand gives the gap that leaves the exit
// thickness under its force, and the gap change that holds the exit thickness when the strip enters 0.1 mm
// thicker, which the force of the thicker strip, solved whole, must confirm. Pass 404 of the Constant
// examples, 1500 mm wide, M = 5 MN/mm: the worked example of docs/schedules.md.
TEST(Schedule, RollGapFollowsTheGaugemeterEquation) {
    StripInputs strip;
    strip.Entry_thickness = 6.0;
    strip.Width = 1500.0;
    strip.Entry_tension = 12.0;
    strip.Exit_speed = 5.0;
    StandInputs stand;
    stand.name = "404";
    stand.Working_roll_diameter = 760.0;
    stand.Young_modulus_WR = 210000.0;
    stand.Friction_coefficient = 0.29;
    stand.Exit_thickness = 4.1;
    stand.Exit_tension = 13.0;
    stand.Offset_yield_stress = 236.746925;
    stand.Mill_modulus = 5000.0; // kN/mm
    ScheduleSolver solver;
    const StandResult mill = solver.solve(strip, {stand}).stands.at(0);
    EXPECT_NEAR(mill.Roll_gap, -0.842, 0.0005);
    EXPECT_DOUBLE_EQ(mill.Roll_gap, 4.1 - mill.Force / 5000.0);
    EXPECT_NEAR(mill.Gap_correction, -0.180, 0.0005);
    // The force of the strip entering 0.01 mm thicker and thinner, each a whole solve: its slope times
    // 0.1 mm over the modulus.
    const auto forceAt = [&](double entry) {
        StripInputs thicker = strip;
        thicker.Entry_thickness = entry;
        return ScheduleSolver().solve(thicker, {stand}).stands.at(0).Force;
    };
    const double slope = (forceAt(6.01) - forceAt(5.99)) / 0.02; // kN/mm
    EXPECT_NEAR(mill.Gap_correction, -slope * 0.1 / 5000.0, 0.01 * std::abs(mill.Gap_correction));
    // The roll flattens under the load: its radius grows beyond half the diameter.
    EXPECT_GT(mill.Flattened_radius, 380.0);
    EXPECT_DOUBLE_EQ(mill.Exit_tension_force, 13.0 * 4.1 * 1500.0 / 1000.0);
    stand.Mill_modulus = kNotGiven;
    EXPECT_TRUE(std::isnan(solver.solve(strip, {stand}).stands.at(0).Roll_gap));
}

TEST(Schedule, AFailedPassFailsTheScheduleNamingItsStand) {
    ScheduleReader::Schedule mill = example("tandem_smatch.txt");
    mill.stands[2].Friction_coefficient = 1.5; // out of the model's range
    mill.stands[3].Exit_tension = 60.0;        // too, and the next stand's entry tension with it
    const ScheduleResult schedule = ScheduleSolver().solve(mill.strip, mill.stands);
    ASSERT_FALSE(schedule.ok());
    ASSERT_EQ(schedule.failures.size(), 3u);
    EXPECT_EQ(schedule.failures[0].stand, 2);
    EXPECT_EQ(schedule.failures[0].error, INPUTS);
    EXPECT_NE(schedule.message.find("stand S3: its pass is INPUTS: Friction_coefficient"), std::string::npos)
        << schedule.message;
    EXPECT_NE(schedule.message.find("stand S4: its pass is INPUTS: Exit_tension"), std::string::npos)
        << schedule.message;
    EXPECT_NE(schedule.message.find("stand S5: its pass is INPUTS: Entry_tension"), std::string::npos)
        << schedule.message;
}

TEST(Schedule, WrongScheduleFieldsAreNamedWithTheirStand) {
    ScheduleReader::Schedule mill = example("tandem_smatch.txt");
    mill.strip.Width = 0.0;
    mill.stands[1].Force_limit = -5.0;
    mill.stands[4].Min_reduction = 36.0; // above its Max_reduction of 35
    const ScheduleResult schedule = ScheduleSolver().solve(mill.strip, mill.stands);
    ASSERT_EQ(schedule.failures.size(), 3u) << schedule.message;
    EXPECT_NE(schedule.message.find("the strip: Width 0 is not in [100, 5000] mm"), std::string::npos)
        << schedule.message;
    EXPECT_NE(schedule.message.find("stand S2: Force_limit -5 must be a positive number"), std::string::npos);
    EXPECT_NE(schedule.message.find("stand S5: Min_reduction 36 must be below Max_reduction"),
              std::string::npos);
    EXPECT_TRUE(schedule.stands.empty()) << "no pass is solved for a wrong schedule";
}

TEST(Distribution, BothExamplesMeetEveryTarget) {
    const DistributionTarget targets[] = {DistributionTarget::ForceLimits, DistributionTarget::PowerLimits,
                                          DistributionTarget::ForceRatios, DistributionTarget::PowerRatios};
    for (const char* name : kExamples) {
        for (const bool ratiosOfLimits : {false, true}) {
            ScheduleReader::Schedule mill = example(name); // with ratios of its own
            for (StandInputs& stand : mill.stands) {
                if (ratiosOfLimits) {
                    stand.Force_ratio =
                        stand.Force_limit / 1000.0; // in MN: the same as by limits, in other units
                    stand.Power_ratio = stand.Power_limit;
                }
            }
            for (DistributionTarget target : targets) {
                if (!ratiosOfLimits && (target == DistributionTarget::ForceLimits ||
                                        target == DistributionTarget::PowerLimits)) {
                    continue;
                }
                LoadDistributor distributor;
                const DistributionResult& result = distributor.distribute(mill.strip, mill.stands, target);
                const std::string what = std::string(name) + " by " + distributionTargetName(target);
                ASSERT_TRUE(result.met) << what << ": " << result.message;
                expectShared(result, mill.stands, target, what);
                EXPECT_LE(result.spread, 2.5) << what << ": more than the torque's jumps";
                EXPECT_EQ(result.schedule.stands.back().pass.Exit_thickness,
                          mill.stands.back().Exit_thickness);
                EXPECT_LE(result.solves, 400) << what;
            }
        }
    }
}

namespace {

// A random mill that can be distributed: stands with random rolls, friction, tensions and flow stresses,
// solved at random intermediate thicknesses; each stand's limit is then its load there over the same
// share, so that those thicknesses meet the target exactly, and the distribution, started from an equal
// share of the strain, must find them.
struct RandomMill {
    StripInputs strip;
    std::vector<StandInputs> stands;
    std::vector<double> thicknesses; // the exit thicknesses that meet the target
};

RandomMill randomMill(test::UniformNumbers& random, RheologyKind rheology, DistributionTarget target) {
    RandomMill mill;
    const int count = static_cast<int>(random(3.0, 8.0));
    mill.strip.rheology = rheology;
    mill.strip.Entry_thickness = random(8.0, 60.0);
    mill.strip.Width = random(800.0, 2000.0);
    mill.strip.Entry_tension = random(0.0, 10.0);
    mill.strip.Exit_speed = random(2.0, 15.0);
    mill.strip.Coefficient_A = random(100.0, 300.0);
    mill.strip.Coefficient_B = random(50.0, 250.0);
    mill.strip.Coefficient_C = random(0.0, 0.3);
    mill.strip.Coefficient_D = random(1.0, 6.0);
    double thickness = mill.strip.Entry_thickness;
    double flowStress = random(80.0, 250.0);
    for (int k = 0; k < count; ++k) {
        StandInputs stand;
        stand.name = "R" + std::to_string(k + 1);
        stand.Working_roll_diameter = random(500.0, 1500.0);
        stand.Young_modulus_WR = random(180000.0, 230000.0);
        stand.Friction_coefficient = random(0.15, 0.4);
        thickness *= 1.0 - random(0.12, 0.38);
        stand.Exit_thickness = std::max(thickness, 1.6);
        thickness = stand.Exit_thickness;
        stand.Exit_tension = random(0.0, 30.0);
        stand.Offset_yield_stress = rheology == kConstantRheology ? flowStress : random(0.0, 20.0);
        flowStress *= random(1.0, 1.3);
        mill.stands.push_back(stand);
    }
    const ScheduleResult built = ScheduleSolver().solve(mill.strip, mill.stands);
    const double share = random(50.0, 95.0); // percent of every limit
    for (std::size_t k = 0; k < mill.stands.size() && built.ok(); ++k) {
        StandInputs& stand = mill.stands[k];
        mill.thicknesses.push_back(stand.Exit_thickness);
        const double load = byForce(target) ? built.stands[k].Force : built.stands[k].Power;
        (byForce(target) ? stand.Force_limit : stand.Power_limit) = load / share * 100.0;
        stand.Exit_thickness = k + 1 == mill.stands.size() ? stand.Exit_thickness : 0.0; // to be found
    }
    return mill;
}

} // namespace

TEST(Distribution, HundredRandomMillsMeetTheirTargetsInBoundedSolves) {
    test::UniformNumbers random(28);
    int mills = 0;
    long long mostSolves = 0;
    for (int attempt = 0; mills < 100 && attempt < 200; ++attempt) {
        const RheologyKind rheology = attempt % 2 == 0 ? kConstantRheology : kSmatchRheology;
        const DistributionTarget target =
            attempt % 3 == 2 ? DistributionTarget::PowerLimits : DistributionTarget::ForceLimits;
        const RandomMill mill = randomMill(random, rheology, target);
        if (mill.thicknesses.size() != mill.stands.size()) {
            continue; // a random pass without a result: no mill
        }
        ++mills;
        LoadDistributor distributor;
        const DistributionResult& result = distributor.distribute(mill.strip, mill.stands, target);
        const std::string what = "mill " + std::to_string(attempt) + " by " + distributionTargetName(target);
        ASSERT_TRUE(result.met) << what << ": " << result.message;
        expectShared(result, mill.stands, target, what);
        mostSolves = std::max(mostSolves, result.solves);
        EXPECT_LE(result.solves, 60LL * static_cast<long long>(mill.stands.size())) << what;
        if (byForce(target)) {
            // The force of a stand rises steadily with its reduction: one set of thicknesses meets the
            // target.
            for (std::size_t k = 0; k + 1 < mill.stands.size(); ++k) {
                EXPECT_NEAR(result.schedule.stands[k].pass.Exit_thickness, mill.thicknesses[k],
                            0.01 * mill.thicknesses[k])
                    << what << " stand " << k + 1;
            }
        }
    }
    EXPECT_EQ(mills, 100);
    std::printf("100 random mills: at most %lld passes solved for one distribution\n", mostSolves);
}

TEST(Distribution, AnUnreachableTargetIsRefusedNamingTheBindingStandAndLimit) {
    const ScheduleReader::Schedule tandem = example("tandem_smatch.txt");
    struct Case {
        const char* what;
        int stand; // whose field changes
        double StandInputs::*field;
        double value;
        DistributionTarget target;
        int bindingStand; // -1: every stand
        const char* limit;
    };
    const Case cases[] = {
        {"a force limit below what the reduction needs", -1, &StandInputs::Force_limit, 5000.0,
         DistributionTarget::ForceLimits, -2, "Force_limit"},
        {"a torque limit below the share's torque", 3, &StandInputs::Torque_limit, 100.0,
         DistributionTarget::ForceLimits, 3, "Torque_limit"},
        {"reductions too small for 8 to 2 mm", -1, &StandInputs::Max_reduction, 20.0,
         DistributionTarget::ForceLimits, -1, "Max_reduction"},
        {"a least reduction that forces more than the share", 0, &StandInputs::Min_reduction, 39.0,
         DistributionTarget::ForceLimits, 0, "its Min_reduction (39 %)"},
        {"a power ratio a stand cannot reach within 60 %", 4, &StandInputs::Power_ratio, 50.0,
         DistributionTarget::PowerRatios, 4, "its Max_reduction (35 %)"},
    };
    for (const Case& c : cases) {
        ScheduleReader::Schedule mill = tandem;
        for (std::size_t k = 0; k < mill.stands.size(); ++k) {
            mill.stands[k].Power_ratio = 1.0;
            if (c.stand < 0 || static_cast<int>(k) == c.stand) {
                mill.stands[k].*c.field = c.value;
            }
        }
        LoadDistributor distributor;
        const DistributionResult& result = distributor.distribute(mill.strip, mill.stands, c.target);
        EXPECT_FALSE(result.met) << c.what;
        if (c.bindingStand != -2) {
            EXPECT_EQ(result.bindingStand, c.bindingStand) << c.what << ": " << result.message;
        }
        EXPECT_EQ(result.bindingLimit, c.limit) << c.what << ": " << result.message;
        EXPECT_NE(result.message.find(
                      c.bindingStand >= 0 ? mill.stands[static_cast<std::size_t>(c.bindingStand)].name : ""),
                  std::string::npos)
            << result.message;
    }
}

TEST(Distribution, APowerTargetInsideATorqueJumpEndsWithTheSpreadReported) {
    // The torque jumps by about 2 % where the neutral point crosses a cell of the grid, as the exit
    // thickness of a stand grows thinner: between the two sides lie powers that no thickness gives. Find such
    // a fall of stand S4 of the tandem mill, then ask for a power that lies inside it: the search must end,
    // without cycling, and report how closely it met it.
    ScheduleReader::Schedule mill = example("tandem_smatch.txt");
    const int jumping = 3;
    StandChain chain(kSmatchRheology);
    StandPlace place;
    place.index = jumping;
    place.entryThickness = mill.stands[jumping - 1].Exit_thickness;
    place.entryTension = mill.stands[jumping - 1].Exit_tension;
    place.finalThickness = mill.stands.back().Exit_thickness;
    StandInputs stand = mill.stands[jumping];
    const double step = 2e-4; // mm
    double before = 0.0;
    double after = 0.0;
    double largestJump = 0.0;
    double thicknessBefore = 0.0;
    for (double exit = 2.30; exit > 2.10; exit -= step) {
        stand.Exit_thickness = exit;
        const double thicker = chain.solve(mill.strip, stand, place).Power;
        stand.Exit_thickness = exit - step;
        const double thinner = chain.solve(mill.strip, stand, place).Power;
        if ((thinner - thicker) / thicker > largestJump) {
            largestJump = (thinner - thicker) / thicker;
            before = thicker;
            after = thinner;
            thicknessBefore = exit;
        }
    }
    ASSERT_GT(largestJump, 0.005) << "no jump of the torque to test with";
    mill.stands[jumping].Exit_thickness = thicknessBefore;
    const ScheduleResult built = ScheduleSolver().solve(mill.strip, mill.stands);
    ASSERT_TRUE(built.ok()) << built.message;
    const double share = 60.0;
    for (std::size_t k = 0; k < mill.stands.size(); ++k) {
        const double power = static_cast<int>(k) == jumping ? 0.5 * (before + after) : built.stands[k].Power;
        mill.stands[k].Power_limit = power / share * 100.0;
        mill.stands[k].Force_limit = kNotGiven; // no other limit to bind
        mill.stands[k].Torque_limit = kNotGiven;
    }
    LoadDistributor distributor;
    const DistributionResult& result =
        distributor.distribute(mill.strip, mill.stands, DistributionTarget::PowerLimits);
    ASSERT_TRUE(result.met) << result.message;
    expectShared(result, mill.stands, DistributionTarget::PowerLimits, "the power inside a jump");
    EXPECT_LE(result.spread, 100.0 * largestJump);
    EXPECT_LE(result.marches, 40);
    std::printf("a power inside a jump of %.2f %%: met to %.3f %% in %lld passes, %d marches\n",
                100.0 * largestJump, result.spread, result.solves, result.marches);
}

TEST(ScheduleFile, ReadsCellsAsASpreadsheetWritesThem) {
    const struct {
        const char* line;
        std::vector<std::string> cells;
    } cases[] = {
        {"F1\t850\t\t0.35\t-", {"F1", "850", "", "0.35", "-"}}, // an empty cell keeps its column
        {"F1\t850\t0.35\t\t\r", {"F1", "850", "0.35"}},         // empty cells at the end are no columns
        {"F1, 850 ,,0.35", {"F1", "850", "", "0.35"}},          // CSV
        {"  F1   850  0.35 ", {"F1", "850", "0.35"}},           // blanks
        {"Width 1250 mm", {"Width", "1250", "mm"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TableCells::cellsOf(c.line), c.cells) << c.line;
    }
}

TEST(ScheduleFile, AStandLeftEmptyKeepsTheValuesNotGiven) {
    std::istringstream file(
        "Rheology\tconstant\nEntry_thickness\t10\nWidth\t1000\nEntry_tension\t0\n"
        "Exit_speed\t5\nStand\tWorking_roll_diameter\tYoung_modulus_WR\tFriction_coefficient\t"
        "Exit_thickness\tExit_tension\tOffset_yield_stress\tForce_limit\tPower_limit\n"
        "A\t600\t210000\t0.3\t\t5\t200\t-\t3000\nB\t600\t210000\t0.3\t5\t5\t220\t9000\n");
    ScheduleReader reader;
    ScheduleReader::Schedule schedule;
    ASSERT_TRUE(reader.read(file, schedule)) << reader.errors()[0];
    ASSERT_EQ(schedule.stands.size(), 2u);
    EXPECT_EQ(schedule.stands[0].Exit_thickness, 0.0) << "to be found by a distribution";
    EXPECT_TRUE(std::isnan(schedule.stands[0].Force_limit));
    EXPECT_EQ(schedule.stands[0].Power_limit, 3000.0);
    EXPECT_EQ(schedule.stands[1].Force_limit, 9000.0);
    EXPECT_TRUE(std::isnan(schedule.stands[1].Power_limit)) << "a row shorter than the header";
    EXPECT_EQ(schedule.strip.Density, 7850.0);
}

#include "inputs/BackInputs.h"
#include "inputs/DirectInputs.h"
#include "inputs/SmatchInputs.h"
#include "inputs/WS18Inputs.h"
#include "support/Cases.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

using namespace rollbite;
using rollbite::test::carbonManganeseSteel;
using rollbite::test::directPass;

namespace {

const std::string kRollingHead = "All wrong rolling inputs: ";

// A change to a valid record, and what its check must then say: the code and the labels after the head.
template <typename Record> struct RecordCase {
    const char* name;
    std::function<void(Record&)> change;
    int code;
    std::string labels;
};

template <typename Record>
void expectChecks(const Record& valid, const std::vector<RecordCase<Record>>& cases, bool withOffset) {
    for (const RecordCase<Record>& c : cases) {
        Record record = valid;
        c.change(record);
        EXPECT_EQ(record.checkInputsWithOffset(withOffset), c.code == 100) << c.name;
        EXPECT_EQ(record.Error_code, c.code) << c.name;
        EXPECT_EQ(record.Wrong_inputs, kRollingHead + c.labels) << c.name;
    }
}

void thicknesses(DirectInputs& r, double entry, double exit) {
    r.Entry_thickness = entry;
    r.Exit_thickness = exit;
}

} // namespace

TEST(RollingInputs, BoundsAndTheirInclusiveSides) {
    using Case = RecordCase<DirectInputs>;
    expectChecks<DirectInputs>(
        directPass(),
        {
            Case{"valid", [](DirectInputs&) {}, 100, ""},
            Case{"75 may be rolled to 74", [](DirectInputs& r) { thicknesses(r, 75.0, 74.0); }, 100, ""},
            Case{"entry above 75", [](DirectInputs& r) { thicknesses(r, 75.01, 70.0); }, 101,
                 " Entry_thickness "},
            Case{"entry of 1.5", [](DirectInputs& r) { thicknesses(r, 1.5, 1.2); }, 102,
                 " Entry_thickness  Exit_thickness "},
            Case{"exit of 1.5 passes", [](DirectInputs& r) { thicknesses(r, 2.0, 1.5); }, 100, ""},
            Case{"equal thicknesses", [](DirectInputs& r) { thicknesses(r, 30.0, 30.0); }, 103,
                 " Entry_thickness  Exit_thickness  Thickness_reduction_min "},
            Case{"reduction below 1 percent", [](DirectInputs& r) { thicknesses(r, 50.0, 49.5005); }, 103,
                 " Thickness_reduction_min "},
            Case{"reduction above 1 percent", [](DirectInputs& r) { thicknesses(r, 50.0, 49.4995); }, 100,
                 ""},
            Case{"reduction of 60 percent", [](DirectInputs& r) { thicknesses(r, 50.0, 20.0); }, 104,
                 " Thickness_reduction_max "},
            Case{"zero entry thickness", [](DirectInputs& r) { r.Entry_thickness = 0.0; }, 104,
                 " Entry_thickness  Exit_thickness  Thickness_reduction_min  Thickness_reduction_max "},
            Case{"tensions 0 and 50 pass",
                 [](DirectInputs& r) { r.Entry_tension = 0.0, r.Exit_tension = 50.0; }, 100, ""},
            Case{"entry tension above 50", [](DirectInputs& r) { r.Entry_tension = 50.0000001; }, 105,
                 " Entry_tension "},
            Case{"both tensions", [](DirectInputs& r) { r.Entry_tension = 60.0, r.Exit_tension = -0.1; }, 106,
                 " Entry_tension  Exit_tension "},
            Case{"diameters 500 and 1500 pass", [](DirectInputs& r) { r.Working_roll_diameter = 1500.0; },
                 100, ""},
            Case{"diameter below 500", [](DirectInputs& r) { r.Working_roll_diameter = 499.9; }, 107,
                 " Working_roll_diameter "},
            Case{"diameter not a number", [](DirectInputs& r) { r.Working_roll_diameter = std::nan(""); },
                 107, " Working_roll_diameter "},
            Case{"modulus 120000 fails", [](DirectInputs& r) { r.Young_modulus_WR = 120000.0; }, 109,
                 " Young_modulus_WR "},
            Case{"modulus 250000 fails", [](DirectInputs& r) { r.Young_modulus_WR = 250000.0; }, 109,
                 " Young_modulus_WR "},
            Case{"strip thicker than the modulus", [](DirectInputs& r) { r.Young_modulus_WR = 25.0; }, 109,
                 " Young_modulus_WR  RollBite_maximum_angle "},
            Case{"several: the code of the last",
                 [](DirectInputs& r) {
                     r.Entry_thickness = 80.0, r.Exit_tension = 51.0, r.Working_roll_diameter = 0.0;
                 },
                 107, " Entry_thickness  Thickness_reduction_max  Exit_tension  Working_roll_diameter "},
        },
        false);
    DirectInputs record = directPass();
    record.Working_roll_diameter = 500.0;
    EXPECT_TRUE(record.checkInputs());
}

TEST(RollingInputs, EveryCheckStartsAfresh) {
    DirectInputs record = directPass();
    record.Entry_tension = 70.0;
    EXPECT_FALSE(record.checkInputs());
    EXPECT_EQ(record.Error_code, 105);
    record.Entry_tension = 5.0;
    EXPECT_TRUE(record.checkInputs());
    EXPECT_EQ(record.Error_code, 100);
    EXPECT_EQ(record.Wrong_inputs, kRollingHead);
}

TEST(DirectInputs, FrictionBoundsAndTheOffsetOnlyWhenAsked) {
    using Case = RecordCase<DirectInputs>;
    expectChecks<DirectInputs>(
        directPass(),
        {
            Case{"friction 0.1", [](DirectInputs& r) { r.Friction_coefficient = 0.1; }, 111,
                 " Friction_coefficient "},
            Case{"friction 1.0", [](DirectInputs& r) { r.Friction_coefficient = 1.0; }, 111,
                 " Friction_coefficient "},
            Case{"friction 0.100001", [](DirectInputs& r) { r.Friction_coefficient = 0.100001; }, 100, ""},
            Case{"zero offset", [](DirectInputs& r) { r.Offset_yield_stress = 0.0; }, 110,
                 " Offset_yield_stress "},
            Case{"rolling, offset, friction",
                 [](DirectInputs& r) {
                     r.Exit_tension = 80.0, r.Offset_yield_stress = -10.0, r.Friction_coefficient = 0.05;
                 },
                 111, " Exit_tension  Offset_yield_stress  Friction_coefficient "},
        },
        true);
    DirectInputs record = directPass(0.0);
    EXPECT_TRUE(record.checkInputs());
    EXPECT_TRUE(record.checkInputsWithOffset(false));
}

TEST(BackInputs, MeasuredForceAndSlipBounds) {
    BackInputs valid;
    rollbite::test::fillPass(valid);
    valid.Offset_yield_stress = 150.0;
    valid.Friction_coefficient = 0.3;
    valid.Force = 1200.0;
    valid.Slip = 6.0;
    using Case = RecordCase<BackInputs>;
    expectChecks<BackInputs>(
        valid,
        {
            Case{"valid", [](BackInputs&) {}, 100, ""},
            Case{"force 150", [](BackInputs& r) { r.Force = 150.0; }, 112, " Force "},
            Case{"force 5000", [](BackInputs& r) { r.Force = 5000.0; }, 112, " Force "},
            Case{"slip 0", [](BackInputs& r) { r.Slip = 0.0; }, 113, " Slip "},
            Case{"slip 20 passes", [](BackInputs& r) { r.Slip = 20.0; }, 100, ""},
            Case{"slip above 20", [](BackInputs& r) { r.Slip = 20.01; }, 113, " Slip "},
            Case{"starting friction", [](BackInputs& r) { r.Friction_coefficient = 1.2; }, 111,
                 " Friction_coefficient "},
            Case{"friction and slip", [](BackInputs& r) { r.Friction_coefficient = 0.0, r.Slip = -1.0; }, 113,
                 " Friction_coefficient  Slip "},
        },
        false);
    BackInputs negativeStart = valid;
    negativeStart.Offset_yield_stress = -5.0;
    EXPECT_TRUE(negativeStart.checkInputs());
    EXPECT_FALSE(negativeStart.checkInputsWithOffset(true));
    EXPECT_EQ(negativeStart.Error_code, 110);
}

TEST(RheologyInputs, SmatchAcceptsAnyCoefficients) {
    SmatchInputs coefficients(-100.0, 0.0, 5.0, -2.0);
    coefficients.Wrong_inputs = "stale";
    EXPECT_TRUE(coefficients.checkInputs());
    EXPECT_EQ(coefficients.Wrong_inputs, "All wrong rheology inputs: ");
    EXPECT_FALSE(coefficients.allZero());
    EXPECT_TRUE(SmatchInputs(1e-17, 0.0, -1e-17, 0.0).allZero());
    EXPECT_FALSE(SmatchInputs(0.0, 0.0, 0.0, 5.0).allZero());
}

TEST(RheologyInputs, WS18ChecksRunInTheirOwnOrderAndListEveryFailure) {
    struct SteelCase {
        const char* name;
        std::function<void(WS18Inputs&)> change;
        std::string labels;
    };
    const SteelCase cases[] = {
        {"valid", [](WS18Inputs&) {}, ""},
        {"temperatures 100 apart", [](WS18Inputs& s) { s.TemperatureOut = 900.0; }, ""},
        {"1200 and 1150 in range", [](WS18Inputs& s) { s.TemperatureIn = 1200.0, s.TemperatureOut = 1150.0; },
         ""},
        {"more than 100 apart", [](WS18Inputs& s) { s.TemperatureOut = 899.5; }, " DeltaTemperature_InOut "},
        {"temperature range", [](WS18Inputs& s) { s.TemperatureIn = 1200.5; },
         " TemperatureIn  DeltaTemperature_InOut "},
        {"speed 0", [](WS18Inputs& s) { s.Strip_speed = 0.0; }, " Strip_speed "},
        {"speed 25", [](WS18Inputs& s) { s.Strip_speed = 25.0; }, ""},
        {"carbon must be positive, silicon not", [](WS18Inputs& s) { s.C = 0.0, s.Si = 0.0; }, " C "},
        {"negative nickel", [](WS18Inputs& s) { s.Ni = -0.01; }, " Ni "},
        {"0.3 and 0.7 add up", [](WS18Inputs& s) { s.X_rec = 0.3, s.X_unrec = 0.7; }, ""},
        {"0.3 and 0.6 do not", [](WS18Inputs& s) { s.X_rec = 0.3, s.X_unrec = 0.6; }, " Non-unitary_X_sum "},
        {"density bounds pass", [](WS18Inputs& s) { s.Rho_rec = 5e12, s.Rho_unrec = 5e15; }, ""},
        {"density below the range", [](WS18Inputs& s) { s.Rho_unrec = 4.9e12; }, " Rho_unrec "},
        {"grain size above 250", [](WS18Inputs& s) { s.D_rec = 251.0; }, " D_rec "},
        {"several in check order",
         [](WS18Inputs& s) {
             s.Rho_rec = 1e12, s.X_rec = 0.5, s.C = 0.0, s.Strip_speed = 30.0, s.TemperatureIn = 1300.0;
         },
         " TemperatureIn  DeltaTemperature_InOut  Strip_speed  C  Non-unitary_X_sum  Rho_rec "},
    };
    for (const SteelCase& c : cases) {
        WS18Inputs steel = carbonManganeseSteel();
        c.change(steel);
        EXPECT_EQ(steel.checkInputs(), c.labels.empty()) << c.name;
        EXPECT_EQ(steel.Wrong_inputs, "All wrong rheology inputs: " + c.labels) << c.name;
    }
}

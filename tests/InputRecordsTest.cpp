#include "inputs/BackInputs.h"
#include "inputs/DirectInputs.h"
#include "inputs/SmatchInputs.h"
#include "inputs/WS18Inputs.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

using rollbite::BackInputs;
using rollbite::DirectInputs;
using rollbite::SmatchInputs;
using rollbite::WS18Inputs;

namespace {

const std::string kRollingHead = "All wrong rolling inputs: ";
const std::string kRheologyHead = "All wrong rheology inputs: ";

DirectInputs validDirect() {
    DirectInputs record;
    record.Case_id = 7;
    record.Entry_thickness = 30.0;
    record.Exit_thickness = 22.0;
    record.Entry_tension = 5.0;
    record.Exit_tension = 10.0;
    record.Working_roll_diameter = 800.0;
    record.Young_modulus_WR = 210000.0;
    record.Offset_yield_stress = 150.0;
    record.Friction_coefficient = 0.3;
    return record;
}

BackInputs validBack() {
    BackInputs record;
    static_cast<rollbite::Rolling&>(record) = static_cast<const rollbite::Rolling&>(validDirect());
    record.Offset_yield_stress = 150.0;
    record.Friction_coefficient = 0.3;
    record.Force = 1200.0;
    record.Slip = 6.0;
    return record;
}

struct RecordCase {
    const char* name;
    std::function<void(DirectInputs&)> change;
    int code;
    std::string labels; // appended to the list head
};

void expectCheck(DirectInputs record, const RecordCase& c, bool withOffset) {
    c.change(record);
    const bool valid = record.checkInputsWithOffset(withOffset);
    EXPECT_EQ(valid, c.code == 100) << c.name;
    EXPECT_EQ(record.Error_code, c.code) << c.name;
    EXPECT_EQ(record.Wrong_inputs, kRollingHead + c.labels) << c.name;
}

} // namespace

TEST(RollingInputs, BoundsAndTheirInclusiveSides) {
    const RecordCase cases[] = {
        {"valid", [](DirectInputs&) {}, 100, ""},
        {"entry 75 may be rolled to 74",
         [](DirectInputs& r) {
             r.Entry_thickness = 75.0;
             r.Exit_thickness = 74.0;
         },
         100, ""},
        {"entry above 75",
         [](DirectInputs& r) {
             r.Entry_thickness = 75.01;
             r.Exit_thickness = 70.0;
         },
         101, " Entry_thickness "},
        {"entry of 1.5 fails",
         [](DirectInputs& r) {
             r.Entry_thickness = 1.5;
             r.Exit_thickness = 1.2;
         },
         102, " Entry_thickness  Exit_thickness "},
        {"exit of 1.5 passes",
         [](DirectInputs& r) {
             r.Entry_thickness = 2.0;
             r.Exit_thickness = 1.5;
         },
         100, ""},
        {"equal thicknesses", [](DirectInputs& r) { r.Exit_thickness = 30.0; }, 103,
         " Entry_thickness  Exit_thickness  Thickness_reduction_min "},
        {"exit of 75 fails",
         [](DirectInputs& r) {
             r.Entry_thickness = 75.0;
             r.Exit_thickness = 75.0;
         },
         103, " Entry_thickness  Exit_thickness  Thickness_reduction_min "},
        {"reduction just below 1 percent",
         [](DirectInputs& r) {
             r.Entry_thickness = 50.0;
             r.Exit_thickness = 49.5005;
         },
         103, " Thickness_reduction_min "},
        {"reduction just above 1 percent",
         [](DirectInputs& r) {
             r.Entry_thickness = 50.0;
             r.Exit_thickness = 49.4995;
         },
         100, ""},
        {"reduction of exactly 60 percent",
         [](DirectInputs& r) {
             r.Entry_thickness = 50.0;
             r.Exit_thickness = 20.0;
         },
         104, " Thickness_reduction_max "},
        {"zero entry thickness", [](DirectInputs& r) { r.Entry_thickness = 0.0; }, 104,
         " Entry_thickness  Exit_thickness  Thickness_reduction_min  Thickness_reduction_max "},
        {"tensions of 0 and 50 pass",
         [](DirectInputs& r) {
             r.Entry_tension = 0.0;
             r.Exit_tension = 50.0;
         },
         100, ""},
        {"entry tension above 50", [](DirectInputs& r) { r.Entry_tension = 50.0000001; }, 105,
         " Entry_tension "},
        {"negative exit tension", [](DirectInputs& r) { r.Exit_tension = -0.1; }, 106, " Exit_tension "},
        {"both tensions",
         [](DirectInputs& r) {
             r.Entry_tension = 60.0;
             r.Exit_tension = 60.0;
         },
         106, " Entry_tension  Exit_tension "},
        {"diameter 500 passes", [](DirectInputs& r) { r.Working_roll_diameter = 500.0; }, 100, ""},
        {"diameter 1500 passes", [](DirectInputs& r) { r.Working_roll_diameter = 1500.0; }, 100, ""},
        {"diameter below 500", [](DirectInputs& r) { r.Working_roll_diameter = 499.9; }, 107,
         " Working_roll_diameter "},
        {"modulus 120000 fails", [](DirectInputs& r) { r.Young_modulus_WR = 120000.0; }, 109,
         " Young_modulus_WR "},
        {"modulus 250000 fails", [](DirectInputs& r) { r.Young_modulus_WR = 250000.0; }, 109,
         " Young_modulus_WR "},
        {"modulus just above 120000", [](DirectInputs& r) { r.Young_modulus_WR = 120000.1; }, 100, ""},
        {"strip thicker than the modulus", [](DirectInputs& r) { r.Young_modulus_WR = 25.0; }, 109,
         " Young_modulus_WR  RollBite_maximum_angle "},
        {"not a number fails every bound",
         [](DirectInputs& r) { r.Working_roll_diameter = std::numeric_limits<double>::quiet_NaN(); }, 107,
         " Working_roll_diameter "},
        {"several fields: the code of the last",
         [](DirectInputs& r) {
             r.Entry_thickness = 80.0;
             r.Exit_tension = 51.0;
             r.Working_roll_diameter = 2000.0;
         },
         107, " Entry_thickness  Thickness_reduction_max  Exit_tension  Working_roll_diameter "},
    };
    for (const RecordCase& c : cases) {
        expectCheck(validDirect(), c, false);
    }
}

TEST(RollingInputs, EveryCheckStartsAfresh) {
    DirectInputs record = validDirect();
    record.Entry_tension = 70.0;
    EXPECT_FALSE(record.checkInputs());
    EXPECT_EQ(record.Error_code, 105);
    record.Entry_tension = 5.0;
    EXPECT_TRUE(record.checkInputs());
    EXPECT_EQ(record.Error_code, 100);
    EXPECT_EQ(record.Wrong_inputs, kRollingHead);
}

TEST(DirectInputs, FrictionBoundsAndTheOffsetOnlyWhenAsked) {
    const RecordCase cases[] = {
        {"friction 0.1 fails", [](DirectInputs& r) { r.Friction_coefficient = 0.1; }, 111,
         " Friction_coefficient "},
        {"friction 1.0 fails", [](DirectInputs& r) { r.Friction_coefficient = 1.0; }, 111,
         " Friction_coefficient "},
        {"friction just above 0.1", [](DirectInputs& r) { r.Friction_coefficient = 0.100001; }, 100, ""},
        {"offset and friction",
         [](DirectInputs& r) {
             r.Offset_yield_stress = 0.0;
             r.Friction_coefficient = 0.05;
         },
         111, " Offset_yield_stress  Friction_coefficient "},
        {"zero offset", [](DirectInputs& r) { r.Offset_yield_stress = 0.0; }, 110, " Offset_yield_stress "},
        {"rolling field before offset",
         [](DirectInputs& r) {
             r.Exit_tension = 80.0;
             r.Offset_yield_stress = -10.0;
         },
         110, " Exit_tension  Offset_yield_stress "},
    };
    for (const RecordCase& c : cases) {
        expectCheck(validDirect(), c, true);
    }
    DirectInputs record = validDirect();
    record.Offset_yield_stress = 0.0;
    EXPECT_TRUE(record.checkInputs());
    EXPECT_TRUE(record.checkInputsWithOffset(false));
    EXPECT_FALSE(record.checkInputsWithOffset(true));
}

TEST(BackInputs, MeasuredForceAndSlipBounds) {
    struct BackCase {
        const char* name;
        std::function<void(BackInputs&)> change;
        int code;
        std::string labels;
    };
    const BackCase cases[] = {
        {"valid", [](BackInputs&) {}, 100, ""},
        {"force 150 fails", [](BackInputs& r) { r.Force = 150.0; }, 112, " Force "},
        {"force 5000 fails", [](BackInputs& r) { r.Force = 5000.0; }, 112, " Force "},
        {"slip 0 fails", [](BackInputs& r) { r.Slip = 0.0; }, 113, " Slip "},
        {"slip 20 passes", [](BackInputs& r) { r.Slip = 20.0; }, 100, ""},
        {"slip above 20", [](BackInputs& r) { r.Slip = 20.01; }, 113, " Slip "},
        {"start friction outside the range", [](BackInputs& r) { r.Friction_coefficient = 1.2; }, 111,
         " Friction_coefficient "},
        {"friction and slip",
         [](BackInputs& r) {
             r.Friction_coefficient = 0.0;
             r.Slip = -1.0;
         },
         113, " Friction_coefficient  Slip "},
    };
    for (const BackCase& c : cases) {
        BackInputs record = validBack();
        c.change(record);
        EXPECT_EQ(record.checkInputs(), c.code == 100) << c.name;
        EXPECT_EQ(record.Error_code, c.code) << c.name;
        EXPECT_EQ(record.Wrong_inputs, kRollingHead + c.labels) << c.name;
    }
    BackInputs record = validBack();
    record.Offset_yield_stress = -5.0;
    EXPECT_TRUE(record.checkInputs());
    EXPECT_FALSE(record.checkInputsWithOffset(true));
    EXPECT_EQ(record.Error_code, 110);
}

TEST(SmatchInputs, AnyCoefficientsAreAccepted) {
    SmatchInputs coefficients(-100.0, 0.0, 5.0, -2.0);
    coefficients.Wrong_inputs = "stale";
    EXPECT_TRUE(coefficients.checkInputs());
    EXPECT_EQ(coefficients.Wrong_inputs, kRheologyHead);
    EXPECT_FALSE(coefficients.allZero());
    EXPECT_TRUE(SmatchInputs().allZero());
    EXPECT_TRUE(SmatchInputs(1e-17, 0.0, -1e-17, 0.0).allZero());
}

namespace {

WS18Inputs validSteel() {
    return WS18Inputs({0.08, 0.6, 0.02,   0.004, 0.0, 0.0, 0.0,  0.03, 0.01, 0.0,  0.0, 0.0,
                       0.0,  0.0, 1000.0, 980.0, 2.0, 0.3, 50.0, 1e13, 0.7,  80.0, 2e13});
}

} // namespace

TEST(WS18Inputs, ChecksRunInTheirOwnOrderAndListEveryFailure) {
    struct SteelCase {
        const char* name;
        std::function<void(WS18Inputs&)> change;
        std::string labels;
    };
    const SteelCase cases[] = {
        {"valid", [](WS18Inputs&) {}, ""},
        {"temperatures 100 apart", [](WS18Inputs& s) { s.TemperatureOut = 900.0; }, ""},
        {"temperatures more than 100 apart", [](WS18Inputs& s) { s.TemperatureOut = 899.5; },
         " DeltaTemperature_InOut "},
        {"temperature range", [](WS18Inputs& s) { s.TemperatureIn = 1200.5; },
         " TemperatureIn  DeltaTemperature_InOut "},
        {"speed 0 fails", [](WS18Inputs& s) { s.Strip_speed = 0.0; }, " Strip_speed "},
        {"speed 25 passes", [](WS18Inputs& s) { s.Strip_speed = 25.0; }, ""},
        {"carbon must be positive", [](WS18Inputs& s) { s.C = 0.0; }, " C "},
        {"silicon may be zero", [](WS18Inputs& s) { s.Si = 0.0; }, ""},
        {"negative nickel", [](WS18Inputs& s) { s.Ni = -0.01; }, " Ni "},
        {"fractions not adding up", [](WS18Inputs& s) { s.X_unrec = 0.6; }, " Non-unitary_X_sum "},
        {"density bounds pass",
         [](WS18Inputs& s) {
             s.Rho_rec = 5e12;
             s.Rho_unrec = 5e15;
         },
         ""},
        {"density below the range", [](WS18Inputs& s) { s.Rho_unrec = 4.9e12; }, " Rho_unrec "},
        {"grain size above 250", [](WS18Inputs& s) { s.D_rec = 251.0; }, " D_rec "},
        {"several in check order",
         [](WS18Inputs& s) {
             s.Rho_rec = 1e12;
             s.X_rec = 0.5;
             s.C = 0.0;
             s.Strip_speed = 30.0;
             s.TemperatureIn = 1300.0;
         },
         " TemperatureIn  DeltaTemperature_InOut  Strip_speed  C  Non-unitary_X_sum  Rho_rec "},
    };
    for (const SteelCase& c : cases) {
        WS18Inputs steel = validSteel();
        c.change(steel);
        EXPECT_EQ(steel.checkInputs(), c.labels.empty()) << c.name;
        EXPECT_EQ(steel.Wrong_inputs, kRheologyHead + c.labels) << c.name;
    }
}

TEST(WS18Inputs, ValuesFillTheFieldsInFileOrder) {
    std::array<double, 23> values{};
    for (int k = 0; k < 23; ++k) {
        values[k] = k + 1.0;
    }
    const WS18Inputs steel(values);
    EXPECT_EQ(steel.C, 1.0);
    EXPECT_EQ(steel.B, 14.0);
    EXPECT_EQ(steel.TemperatureIn, 15.0);
    EXPECT_EQ(steel.Strip_speed, 17.0);
    EXPECT_EQ(steel.Rho_rec, 20.0);
    EXPECT_EQ(steel.Rho_unrec, 23.0);
    EXPECT_EQ(steel.Wrong_inputs, kRheologyHead);
}

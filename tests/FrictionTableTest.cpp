#include "model/bite/FrictionRows.h"
#include "model/bite/Models.h"
#include "rollbite/Numerics.h"
#include "support/UniformNumbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

using rollbite::FrictionRows;
using rollbite::kPiOverSix;
using rollbite::Models;

namespace {

double orowanFactorAtZeroAngle(double s) {
    return 0.5 * (std::asin(s) / s + std::sqrt(1.0 - s * s));
}

} // namespace

TEST(FrictionTable, FactorAtZeroAngleFollowsOrowansFormulaOnEveryRow) {
    const Models model;
    EXPECT_EQ(model.W0_Table[0], 1.0);
    for (int row = 1; row < 122; ++row) {
        const double s = model.Shear_Ratio_Table[row];
        EXPECT_NEAR(model.W0_Table[row], orowanFactorAtZeroAngle(s), 1e-7) << "row " << row;
    }
}

TEST(FrictionTable, ShearRatiosAreGeometricWithinSevenSignificantDigits) {
    const Models model;
    for (int row = 0; row <= 120; ++row) {
        const double expected = 1.0 - std::pow(10.0 / 11.0, row);
        const double unitOfSeventhDigit =
            row == 0 ? 1e-12 : std::pow(10.0, std::floor(std::log10(expected)) - 6);
        EXPECT_NEAR(model.Shear_Ratio_Table[row], expected, unitOfSeventhDigit) << "row " << row;
    }
    EXPECT_EQ(model.Shear_Ratio_Table[121], 1.0);
    EXPECT_EQ(model.W30_Table[0], 1.0);
    EXPECT_EQ(model.W30_Table[121], 0.7946017);
}

TEST(FrictionFactor, FrictionlessFactorIsOneAtEveryAngle) {
    Models model;
    for (double angle : {0.0, 0.1, 0.3, kPiOverSix, 0.8}) {
        EXPECT_EQ(model.frictionFactor(0.0, angle), 1.0) << angle;
    }
    EXPECT_EQ(model.Has_Failed, 0);
}

TEST(FrictionFactor, InterpolatesBetweenTheRowsThatBracketTheShearRatio) {
    Models model;
    // s = 0.5 lies at -ln(0.5)/ln(1.1) = 7.27: rows 7 and 8.
    const double s = 0.5;
    const double fraction = (s - 0.4868419) / (0.5334926 - 0.4868419);
    const double atZero = 0.9589583 + fraction * (0.9502991 - 0.9589583);
    const double atPiOverSix = 0.9605247 + fraction * (0.9522032 - 0.9605247);
    EXPECT_NEAR(model.frictionFactor(s, 0.0), atZero, 1e-15);
    EXPECT_GT(model.frictionFactor(s, 0.0), 0.9502991);
    EXPECT_LT(model.frictionFactor(s, 0.0), 0.9589583);
    EXPECT_NEAR(model.frictionFactor(s, 0.1), atZero + (atPiOverSix - atZero) * 0.1 / kPiOverSix, 1e-15);

    // Just below and just above a row boundary the neighbouring rows are used, and the two sides join.
    const double boundary = model.Shear_Ratio_Table[20];
    EXPECT_NEAR(model.frictionFactor(boundary, 0.0), model.W0_Table[20], 1e-12);
    EXPECT_NEAR(model.frictionFactor(boundary - 1e-9, 0.0), model.W0_Table[20], 1e-9);
    EXPECT_NEAR(model.frictionFactor(boundary + 1e-9, 0.0), model.W0_Table[20], 1e-9);

    // s = 0.99999 lies beyond row 120: rows 120 and 121.
    const double nearSticking = 0.99999;
    const double lastFraction = (nearSticking - 0.9999892) / (1.0 - 0.9999892);
    EXPECT_NEAR(model.frictionFactor(nearSticking, 0.0), 0.7854066 + lastFraction * (0.7853982 - 0.7854066),
                1e-15);
    EXPECT_EQ(model.Has_Failed, 0);
}

TEST(FrictionFactor, StickingUsesTheLastRowAndIsLinearInTheAngle) {
    Models model;
    EXPECT_EQ(model.frictionFactor(1.0, 0.0), 0.7853982);
    // The exit point of the grid lies at epsilon: still the factor of a flat roll.
    EXPECT_EQ(model.frictionFactor(1.0, rollbite::kEpsilon), 0.7853982);
    EXPECT_DOUBLE_EQ(model.frictionFactor(1.0, 0.2),
                     0.7853982 + (0.7946017 - 0.7853982) * 0.2 / 0.5235986666666667);
    // Not clamped: beyond pi/6 and below 0 the same line extends.
    EXPECT_GT(model.frictionFactor(1.0, 1.0), 0.7946017);
    EXPECT_LT(model.frictionFactor(1.0, -0.1), 0.7853982);
    EXPECT_LT(model.frictionFactor(0.5, -0.1), model.frictionFactor(0.5, 0.0));
    EXPECT_EQ(model.Has_Failed, 0);
}

TEST(FrictionFactor, ShearRatioOutsideTheTableFailsWithInfinity) {
    for (double s : {1.0000001, -0.1, std::numeric_limits<double>::quiet_NaN()}) {
        Models model;
        EXPECT_EQ(model.frictionFactor(s, 0.1), std::numeric_limits<double>::infinity()) << s;
        EXPECT_EQ(model.Has_Failed, 1) << s;
    }
}

TEST(FrictionRows, FastRowIsTheFormulaRowEverywhere) {
    const FrictionRows rows;
    rollbite::test::UniformNumbers uniform(12345);
    int mismatches = 0;
    const auto check = [&](double s) {
        if (s < 0.0 || s >= 1.0) {
            return;
        }
        const int row = FrictionRows::formulaRow(s);
        // From a bucket, and walking from rows around it.
        for (const int found : {rows.rowOf(s), rows.rowNear(s, row), rows.rowNear(s, std::max(0, row - 2)),
                                rows.rowNear(s, std::min(FrictionRows::kLastRow, row + 3))}) {
            if (found != row && ++mismatches < 10) {
                ADD_FAILURE() << "row of " << std::hexfloat << s;
            }
        }
    };
    for (int k = 0; k < 2000000; ++k) {
        check(uniform());
        check(1.0 - std::pow(10.0, -7.0 * uniform())); // crowding towards sticking, like the rows
    }
    // Every boundary and the doubles around it, where rounding decides.
    for (int row = 1; row <= FrictionRows::kLastRow; ++row) {
        double below = rows.boundary(row);
        double above = below;
        EXPECT_EQ(FrictionRows::formulaRow(below), row);
        EXPECT_LT(rows.boundary(row - 1), below);
        for (int step = 0; step < 3000; ++step) {
            check(below = std::nextafter(below, 0.0));
            check(above = std::nextafter(above, 1.0));
        }
    }
    for (const double s : {0.0, -0.0, 5e-324, 1e-300, 1e-17, 0.5, std::nextafter(1.0, 0.0), 1.0 - 1e-6}) {
        check(s);
    }
    EXPECT_EQ(mismatches, 0);
}

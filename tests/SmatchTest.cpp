#include "rheology/Smatch.h"
#include "inputs/SmatchInputs.h"
#include "model/bite/Models.h"
#include "rheology/Constant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using rollbite::Smatch;
using rollbite::SmatchInputs;

namespace {

Smatch smatchFrom(double a, double b, double c, double d, double entryThickness = 3.0) {
    Smatch smatch{SmatchInputs(a, b, c, d)};
    smatch.Entry_thickness = entryThickness;
    return smatch;
}

} // namespace

TEST(Smatch, LawOfTheLogarithmicStrainInItsEvaluationOrder) {
    Smatch linear = smatchFrom(100.0, 50.0, 0.0, 0.0);
    EXPECT_EQ(linear.equivalentStrain(3.0), 0.0); // the entry thickness
    const double strain = linear.equivalentStrain(1.5);
    EXPECT_DOUBLE_EQ(strain, 2.0 / std::sqrt(3.0) * std::log(2.0));
    EXPECT_DOUBLE_EQ(linear.flowStressAt(0, 0.0, 1.5, 10.0), 110.0 + 50.0 * strain);
    EXPECT_EQ(smatchFrom(100.0, 50.0, 1.0, 0.0).flowStressAt(3, 0.1, 2.5, 10.0),
              10.0); // c = 1, d = 0: the offset
    EXPECT_EQ(smatchFrom(120.0, 40.0, 0.3, 2.0).flowStressAt(0, 0.2, 3.0, 5.0), (1.0 - 0.3) * 120.0 + 5.0);

    // e = exp(-d eps) c; sigma = (1 - e) (eps b + a) + s0, to the last bit.
    Smatch smatch = smatchFrom(141.3, 25.7, 0.0688, 6.27);
    const double eps = smatch.equivalentStrain(2.2);
    const double e = std::exp(-6.27 * eps) * 0.0688;
    EXPECT_EQ(smatch.flowStressAt(9, 0.05, 2.2, 17.1), (1.0 - e) * (eps * 25.7 + 141.3) + 17.1);
}

TEST(Smatch, NonPositiveStressAndOffGridIndexGiveThePlaceholder) {
    Smatch smatch = smatchFrom(-100.0, 0.0, 0.0, 0.0);
    smatch.setThicknessProfile(std::vector<double>(501, 2.0));
    EXPECT_EQ(smatch.flowStress(4, 100.0), 1.0); // the sum is exactly zero: stored as the placeholder
    EXPECT_EQ(smatch.Has_Failed, 1);
    EXPECT_EQ(smatch.Flow_stress_profile[4], 1.0);
    EXPECT_EQ(smatch.flowStressAt(4, 0.1, 2.0, 50.0), 1.0);
    smatch.setThicknessProfile(std::vector<double>(501, 2.0));
    EXPECT_EQ(smatch.Has_Failed, 0);
    EXPECT_EQ(smatch.flowStress(501, 500.0), 1.0);
    EXPECT_EQ(smatch.Has_Failed, 1);
    EXPECT_EQ(smatch.Flow_stress_profile[0], 0.0);
}

TEST(Smatch, StrainHardeningRaisesTheFlowStressAlongTheBiteAndTheForce) {
    Smatch smatch = smatchFrom(140.0, 60.0, 0.1, 5.0, 30.0);
    rollbite::Models model;
    model.Exit_thickness = 22.0;
    model.Roll_radius = 400.0;
    ASSERT_EQ(model.computeRollBite(smatch, 30.0, 22.0, 0.0, 0.0, 0.3, 10.0, 800.0), 0);
    const std::vector<double>& flowStress = smatch.Flow_stress_profile;
    EXPECT_EQ(flowStress[0], (1.0 - 0.1) * 140.0 + 10.0);
    for (int i = 1; i <= 500; ++i) {
        ASSERT_GT(flowStress[i], flowStress[i - 1]) << i;
    }
    EXPECT_DOUBLE_EQ(smatch.Strain_profile[500], 2.0 / std::sqrt(3.0) * std::log(30.0 / 22.0));
    const double hardenedForce = model.Rolling_Force;
    rollbite::Constant constant; // the entry flow stress all along the bite
    ASSERT_EQ(model.computeRollBite(constant, 30.0, 22.0, 0.0, 0.0, 0.3, flowStress[0], 800.0), 0);
    EXPECT_GT(hardenedForce, model.Rolling_Force);
}

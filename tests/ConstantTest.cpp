#include "rheology/Constant.h"

#include <gtest/gtest.h>

#include <vector>

using rollbite::Constant;

TEST(Constant, FlowStressIsTheOffsetAtEveryPointAndIsKept) {
    Constant constant;
    EXPECT_EQ(constant.flowStress(500, 200.0), 200.0);
    EXPECT_EQ(constant.Flow_stress_profile[500], 200.0);
    EXPECT_EQ(constant.flowStressAt(250, 0.1, 3.0, 150.0), 150.0);
    EXPECT_EQ(constant.Has_Failed, 0);
    EXPECT_EQ(constant.equivalentStrain(1.5), 0.0);
}

TEST(Constant, FailuresGiveThePlaceholderUntilTheNextGoodCall) {
    Constant constant;
    for (int index : {-1, 501}) { // off the grid: nothing is stored
        EXPECT_EQ(constant.flowStress(index, 200.0), 1.0);
        EXPECT_EQ(constant.Has_Failed, 1);
    }
    EXPECT_EQ(constant.Flow_stress_profile, std::vector<double>(501, 0.0));
    EXPECT_EQ(constant.flowStress(7, 0.0), 1.0); // no positive offset: the placeholder is stored
    EXPECT_EQ(constant.Has_Failed, 1);
    EXPECT_EQ(constant.Flow_stress_profile[7], 1.0);
    EXPECT_EQ(constant.flowStress(7, 120.0), 120.0);
    EXPECT_EQ(constant.Has_Failed, 0);
    EXPECT_EQ(constant.flowStressAt(3, 0.1, 2.0, -5.0), 1.0);
    EXPECT_EQ(constant.Has_Failed, 1);
    constant.setThicknessProfile(std::vector<double>(501, 2.0));
    EXPECT_EQ(constant.Has_Failed, 0);
    EXPECT_EQ(constant.Thickness_profile[250], 2.0);
}

#include "rheology/Constant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using rollbite::Constant;

TEST(Constant, FlowStressIsTheOffsetAtEveryPointAndIsKept) {
    Constant constant;
    EXPECT_EQ(constant.Flow_stress_profile.size(), 501u);
    EXPECT_EQ(constant.flowStress(0, 200.0), 200.0);
    EXPECT_EQ(constant.flowStress(500, 200.0), 200.0);
    EXPECT_EQ(constant.Flow_stress_profile[0], 200.0);
    EXPECT_EQ(constant.Flow_stress_profile[500], 200.0);
    EXPECT_EQ(constant.flowStressAt(250, 0.1, 3.0, 150.0), 150.0);
    EXPECT_EQ(constant.Has_Failed, 0);
    EXPECT_EQ(constant.equivalentStrain(1.5), 0.0);
}

TEST(Constant, IndexOffTheGridFailsAndStoresNothing) {
    for (int index : {-1, 501}) {
        Constant constant;
        EXPECT_EQ(constant.flowStress(index, 200.0), 1.0);
        EXPECT_EQ(constant.Has_Failed, 1);
        for (double stored : constant.Flow_stress_profile) {
            ASSERT_EQ(stored, 0.0);
        }
    }
}

TEST(Constant, NonPositiveOffsetGivesThePlaceholderUntilTheNextGoodCall) {
    Constant constant;
    EXPECT_EQ(constant.flowStress(7, 0.0), 1.0);
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

TEST(Constant, CopyAssignmentReplacesEveryProfile) {
    Constant fresh;
    Constant used;
    used.flowStress(10, 99.0);
    used.Has_Failed = 1;
    used = fresh;
    EXPECT_EQ(used.Flow_stress_profile[10], 0.0);
    EXPECT_EQ(used.Has_Failed, 0);
}

// The output checks of both modes. (How a field of a line is read: tests/runs/file-number-forms.)
#include "model/case/DirectCase.h"
#include "model/case/InverseCase.h"

#include <gtest/gtest.h>

#include <limits>

using namespace rollbite;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(DirectOutputs, ForceBoundsAndValuesThatAreNotFinite) {
    DirectCase direct(kConstantRheology);
    struct Outputs {
        double force, slip, torque;
        bool valid;
    };
    const Outputs cases[] = {
        {1000.0, 5.0, 1e5, true},         {150.0, 5.0, 1e5, false},        {150.0001, 5.0, 1e5, true},
        {5000.0, 5.0, 1e5, false},        {4999.9, 5.0, 1e5, true},        {kNaN, 5.0, 1e5, false},
        {1000.0, kNaN, 1e5, false},       {1000.0, 5.0, kNaN, false},      {kInfinity, 5.0, 1e5, false},
        {1000.0, -kInfinity, 1e5, false}, {1000.0, 5.0, kInfinity, false},
    };
    for (const Outputs& c : cases) {
        direct.result.Rolling_Force = c.force;
        direct.result.Forward_Slip = c.slip;
        direct.result.Rolling_Torque = c.torque;
        direct.result.reason.clear();
        EXPECT_EQ(direct.checkOutputs(), c.valid) << c.force << " " << c.slip << " " << c.torque;
        EXPECT_EQ(direct.result.reason.empty(), c.valid) << direct.result.reason;
        if (!std::isfinite(c.slip)) {
            EXPECT_EQ(direct.result.Forward_Slip, 0.0);
        }
        if (!std::isfinite(c.torque)) {
            EXPECT_EQ(direct.result.Rolling_Torque, 0.0);
        }
    }
}

TEST(InverseOutputs, FrictionFoundMustBeACoulombCoefficient) {
    InverseCase inverse(kConstantRheology);
    struct Found {
        double offset, friction, torque;
        bool valid;
    };
    const Found cases[] = {
        {150.0, 0.05, 1e5, true},  {150.0, 0.0, 1e5, false},       {150.0, 1.0, 1e5, false},
        {-10.0, 0.3, 1e5, true},   {kNaN, 0.3, 1e5, false},        {kInfinity, 0.3, 1e5, false},
        {150.0, kNaN, 1e5, false}, {150.0, 0.3, kInfinity, false}, {150.0, 0.3, kNaN, false},
    };
    for (const Found& c : cases) {
        inverse.modelHandler.Back_inputs.Offset_yield_stress = c.offset;
        inverse.modelHandler.Back_inputs.Friction_coefficient = c.friction;
        inverse.result.Rolling_Torque = c.torque;
        inverse.result.reason.clear();
        EXPECT_EQ(inverse.checkOutputs(), c.valid) << c.offset << " " << c.friction << " " << c.torque;
        EXPECT_EQ(inverse.result.reason.empty(), c.valid) << inverse.result.reason;
    }
}

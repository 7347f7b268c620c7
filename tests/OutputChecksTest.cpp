// The output checks of both modes and the strict reading of case-line fields.
#include "app/FieldReader.h"
#include "model/DirectCase.h"
#include "model/InverseCase.h"

#include <gtest/gtest.h>

#include <cstdint>
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

TEST(FieldReader, WholeNumbersOnlyInTheClassicNotation) {
    struct Field {
        const char* text;
        bool number;
        double value;
    };
    const Field fields[] = {
        {"150", true, 150.0}, {"-0.5", true, -0.5}, {"+2.1e5", true, 210000.0}, {"1.5E-3", true, 0.0015},
        {".5", true, 0.5},    {"5.", true, 5.0},    {"1,5", false, 0.0},        {"1e", false, 0.0},
        {"nan", false, 0.0},  {"inf", false, 0.0},  {"0x10", false, 0.0},       {"1e999", false, 0.0},
        {"--1", false, 0.0},  {"", false, 0.0},     {"12abc", false, 0.0},      {"+-1", false, 0.0},
    };
    for (const Field& field : fields) {
        double value = -1.0;
        EXPECT_EQ(FieldReader::parseDouble(field.text, value), field.number) << field.text;
        if (field.number) {
            EXPECT_EQ(value, field.value) << field.text;
        } else {
            EXPECT_EQ(value, -1.0) << field.text;
        }
    }
    std::int32_t id = 0;
    EXPECT_TRUE(FieldReader::parseInteger("+42", id));
    EXPECT_EQ(id, 42);
    EXPECT_FALSE(FieldReader::parseInteger("4.5", id));
    EXPECT_FALSE(FieldReader::parseInteger("99999999999", id));
    EXPECT_FALSE(FieldReader::parseInteger("+-3", id));
    EXPECT_EQ(id, 42);
}

TEST(FieldReader, FieldsAreSeparatedByAnyWhiteSpace) {
    const std::string line = " 7\t30.5  \r22\v";
    FieldReader fields(line);
    std::int32_t id = 0;
    double entry = 0.0;
    double exit = 0.0;
    double missing = -1.0;
    EXPECT_TRUE(fields.nextInteger(id));
    EXPECT_TRUE(fields.nextDouble(entry));
    EXPECT_TRUE(fields.nextDouble(exit));
    EXPECT_FALSE(fields.nextDouble(missing));
    EXPECT_EQ(id, 7);
    EXPECT_EQ(entry, 30.5);
    EXPECT_EQ(exit, 22.0);
    EXPECT_EQ(missing, -1.0);
}

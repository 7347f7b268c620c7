// rollbite-profile: the arc of contact of one case. Its table must give back the case's own force and
// torque, its two pressure curves must meet at the neutral point, and its row must be rollbite's row.
#include "support/ExitFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using rollbite::test::RunResult;
using rollbite::test::sourceFolder;
using rollbite::test::Workspace;

namespace {

// A profile CSV read back: its commented scalars and its point columns.
struct ProfileFile {
    std::map<std::string, std::string> scalars;
    std::map<std::string, std::vector<double>> columns;

    double scalar(const std::string& name) const { return std::stod(scalars.at(name)); }
    int cell(const std::string& name) const { return static_cast<int>(scalar(name)); }
    const std::vector<double>& column(const std::string& name) const { return columns.at(name); }
};

ProfileFile parseProfile(const std::string& text) {
    ProfileFile file;
    std::istringstream lines(text);
    std::vector<std::string> names;
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        std::istringstream fields(line.rfind("# ", 0) == 0 ? line.substr(2) : line);
        for (std::string cell; std::getline(fields, cell, ',');) {
            cells.push_back(cell);
        }
        if (line.rfind("# ", 0) == 0) {
            file.scalars[cells[0]] = line.substr(2 + cells[0].size() + 1);
        } else if (names.empty()) {
            names = cells;
        } else {
            for (std::size_t k = 0; k < names.size(); ++k) {
                const bool blank = k >= cells.size() || cells[k].empty();
                file.columns[names[k]].push_back(blank ? NAN : std::stod(cells[k]));
            }
        }
    }
    return file;
}

double piece(double from, double valueFrom, double to, double valueTo, double step) {
    return (from - to) / step * (valueFrom + valueTo) / 2.0;
}

// The trapezoid rule over the exported integrand, with the neutral cell integrated in pieces across its
// switch and neutral points and the other switch cells cut at their switch point.
double integrate(const ProfileFile& file, const std::string& integrand, const std::string& scalarName) {
    const std::vector<double>& angle = file.column("angle_rad");
    const std::vector<double>& value = file.column(integrand);
    const double step = file.scalar("angle_step_rad");
    const int last = static_cast<int>(value.size()) - 1;
    double sum = (value[0] + value[last]) / 2.0;
    for (int i = 1; i < last; ++i) {
        sum += value[i];
    }
    const int n = file.cell("neutral_cell");
    sum -= (value[n - 1] + value[n]) / 2.0;
    const bool entrySwitch = file.cell("entry_sticks") == 1;
    const bool exitSwitch = file.cell("exit_sticks") == 1;
    const double neutralAngle = file.scalar("neutral_angle_rad");
    double fromAngle = angle[n - 1];
    double fromValue = value[n - 1];
    const auto addTo = [&](double toAngle, double toValue) {
        sum += piece(fromAngle, fromValue, toAngle, toValue, step);
        fromAngle = toAngle;
        fromValue = toValue;
    };
    if (entrySwitch && file.cell("entry_switch_cell") == n) {
        addTo(file.scalar("entry_switch_angle_rad"), file.scalar("entry_switch_" + scalarName));
    }
    addTo(neutralAngle, file.scalar("neutral_" + scalarName.substr(0, scalarName.find('_')) + "_entry_MPa"));
    fromValue = file.scalar("neutral_" + scalarName.substr(0, scalarName.find('_')) + "_exit_MPa");
    if (exitSwitch && file.cell("exit_switch_cell") == n) {
        addTo(file.scalar("exit_switch_angle_rad"), file.scalar("exit_switch_" + scalarName));
    }
    addTo(angle[n], value[n]);
    for (const std::string side : {"entry", "exit"}) {
        const int cell = file.cell(side + "_switch_cell");
        if (file.cell(side + "_sticks") == 1 && cell >= 1 && cell != n) {
            const double switchAngle = file.scalar(side + "_switch_angle_rad");
            const double switchValue = file.scalar(side + "_switch_" + scalarName);
            sum -= (value[cell - 1] + value[cell]) / 2.0;
            sum += piece(angle[cell - 1], switchValue, switchAngle, value[cell - 1], step) +
                   piece(switchAngle, switchValue, angle[cell], value[cell], step);
        }
    }
    return sum;
}

// Where the straight segment of a pressure curve across the neutral cell takes the neutral angle.
double pressureAtNeutral(const ProfileFile& file, const std::string& side) {
    const int n = file.cell("neutral_cell");
    const std::vector<double>& angle = file.column("angle_rad");
    const std::vector<double>& pressure = file.column(side + "_pressure_MPa");
    double endAngle = angle[n];
    double endPressure = pressure[n];
    if (file.cell(side + "_sticks") == 1 && file.cell(side + "_switch_cell") == n) {
        endAngle = file.scalar(side + "_switch_angle_rad");
        endPressure = file.scalar(side + "_switch_pressure_MPa");
    }
    const double fraction = (file.scalar("neutral_angle_rad") - angle[n - 1]) / (endAngle - angle[n - 1]);
    return pressure[n - 1] + fraction * (endPressure - pressure[n - 1]);
}

struct ProfiledCase {
    const char* name;
    const char* arguments; // mode, rheology, entry file, case, coefficient file
    const char* entry;
    const char* coefficients;
    const char* runAnswers;
};

const ProfiledCase kProfiledCases[] = {
    {"direct_constant_sticking", "d c direct_constant_entry.txt 101", "direct_constant_entry.txt", "",
     "d\nc\ndirect_constant_entry.txt\nexit.txt\n"},
    {"direct_constant_coulomb", "d c direct_constant_entry.txt 106", "direct_constant_entry.txt", "",
     "d\nc\ndirect_constant_entry.txt\nexit.txt\n"},
    {"direct_ws18", "d w direct_ws18_entry.txt 304 ws18_direct.txt", "direct_ws18_entry.txt",
     "ws18_direct.txt", "d\nw\ndirect_ws18_entry.txt\nexit.txt\nws18_direct.txt\n"},
    {"inverse_smatch", "i s inverse_smatch_entry.txt 1203 smatch_inverse.txt", "inverse_smatch_entry.txt",
     "smatch_inverse.txt", "i\ns\ninverse_smatch_entry.txt\nexit.txt\nsmatch_inverse.txt\n"},
};

void PrintTo(const ProfiledCase& profiled, std::ostream* out) {
    *out << profiled.name;
}

std::string profileCommand(const std::string& arguments) {
    return "'" + (rollbite::test::executable().parent_path() / "rollbite-profile").string() + "' " +
           arguments;
}

class Profiles : public testing::TestWithParam<ProfiledCase> {
protected:
    void SetUp() override {
        const ProfiledCase& profiled = GetParam();
        const std::string examples = (sourceFolder() / "examples").string();
        workspace_.copyFrom(examples, profiled.entry);
        if (profiled.coefficients[0] != '\0') {
            workspace_.copyFrom(examples, profiled.coefficients);
        }
        const RunResult run =
            workspace_.shell(profileCommand(std::string(profiled.arguments) + " profile.csv"));
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        file_ = parseProfile(workspace_.read("profile.csv"));
    }

    Workspace workspace_{"profile"};
    ProfileFile file_;
};

} // namespace

TEST_P(Profiles, IntegrandsSumToTheForceAndTorque) {
    ASSERT_EQ(file_.column("index").size(), 501u);
    const double radius = file_.scalar("roll_radius_mm");
    const double step = file_.scalar("angle_step_rad");
    const double force = radius * step * integrate(file_, "load_integrand_MPa", "load_MPa");
    const double torque = 0.5 * file_.scalar("roll_diameter_mm") * radius * step *
                          integrate(file_, "shear_integrand_MPa", "shear_MPa");
    EXPECT_NEAR(force / file_.scalar("force_N_per_mm"), 1.0, 1e-9);
    EXPECT_NEAR(torque / file_.scalar("torque_N_mm_per_mm"), 1.0, 1e-9);
}

TEST_P(Profiles, PressureCurvesMeetAtTheNeutralPoint) {
    const double neutralPressure = file_.scalar("neutral_pressure_MPa");
    EXPECT_NEAR(pressureAtNeutral(file_, "entry") / neutralPressure, 1.0, 1e-9);
    EXPECT_NEAR(pressureAtNeutral(file_, "exit") / neutralPressure, 1.0, 1e-9);
    // The friction hill follows the entry curve up to the neutral cell and the exit curve after it.
    const int n = file_.cell("neutral_cell");
    EXPECT_EQ(file_.column("friction_hill_MPa")[n - 1], file_.column("entry_pressure_MPa")[n - 1]);
    EXPECT_EQ(file_.column("friction_hill_MPa")[n], file_.column("exit_pressure_MPa")[n]);
    EXPECT_TRUE(std::isnan(file_.column("exit_pressure_MPa")[0])); // not integrated that far
    EXPECT_NEAR(file_.scalar("neutral_x_mm"),
                -file_.scalar("roll_radius_mm") * std::sin(file_.scalar("neutral_angle_rad")), 1e-12);
}

TEST_P(Profiles, RowIsTheRowRollbiteWrites) {
    const RunResult run = workspace_.run(GetParam().runAnswers);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string exitFile = workspace_.read("exit.txt");
    const std::string row = file_.scalars.at("exit_file_row");
    const std::string caseId = file_.scalars.at("case");
    EXPECT_NE(exitFile.find("\n" + row + "\n"), std::string::npos) << row;
    EXPECT_EQ(row.substr(0, row.find('\t')), caseId);
    EXPECT_EQ(file_.scalars.at("exit_file_header"), exitFile.substr(0, exitFile.find('\n')));
}

INSTANTIATE_TEST_SUITE_P(ExampleCases, Profiles, testing::ValuesIn(kProfiledCases),
                         [](const testing::TestParamInfo<ProfiledCase>& info) { return info.param.name; });

TEST(Profile, CasesWithoutAResultGiveAMessageAndNoFile) {
    Workspace workspace("profile-failures");
    const std::string examples = (sourceFolder() / "examples").string();
    workspace.copyFrom(examples, "direct_constant_entry.txt");
    workspace.copyFrom(examples, "direct_smatch_entry.txt");
    const struct {
        const char* arguments;
        const char* message;
    } failures[] = {
        {"d c direct_constant_entry.txt 999", "case 999 is not in direct_constant_entry.txt"},
        {"d c direct_constant_entry.txt 901", "error class INPUTS"},
        {"d c direct_constant_entry.txt 904", "error class INTERNAL"},
        {"d c direct_constant_entry.txt 905", "error class OUTPUTS"},
        {"d s direct_smatch_entry.txt 101 missing.txt", "cannot read the coefficient file missing.txt"},
        {"d c direct_constant_entry.txt 10x1", "CASE must be a case identifier"},
        {"d s direct_constant_entry.txt 101", "needs a coefficient file"},
        {"--plot hill.gif d c direct_constant_entry.txt 101", "the plot must be a .png or .svg file"},
    };
    for (const auto& failure : failures) {
        const RunResult run = workspace.shell(profileCommand(std::string(failure.arguments) + " out.csv"));
        EXPECT_EQ(run.exitStatus, 1) << failure.arguments;
        EXPECT_NE(run.err.find(failure.message), std::string::npos) << failure.arguments << ": " << run.err;
        EXPECT_FALSE(workspace.exists("out.csv")) << failure.arguments;
    }
}

TEST(Profile, PlotsAreDrawnAsPngAndSvg) {
    Workspace workspace("profile-plot");
    workspace.copyFrom((sourceFolder() / "examples").string(), "direct_constant_entry.txt");
    for (const std::string image : {"hill.png", "hill.svg"}) {
        const RunResult run =
            workspace.shell(profileCommand("--plot " + image + " d c direct_constant_entry.txt 101 out.csv"));
        ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
        const std::string drawn = workspace.read(image);
        EXPECT_EQ(drawn.substr(0, 4), image == "hill.png" ? "\x89PNG" : "<?xm") << image;
        EXPECT_GT(drawn.size(), 5000u) << image;
    }
    EXPECT_NE(workspace.read("hill.svg").find("friction hill"), std::string::npos);
}

TEST(Profile, APlotWithoutAWorkingGnuplotFailsWithAMessageAndNoFile) {
    // No gnuplot on the PATH, and one that fails part-way: a message, status 1, and neither the table nor
    // a picture cut short.
    Workspace workspace("profile-no-gnuplot");
    workspace.copyFrom((sourceFolder() / "examples").string(), "direct_constant_entry.txt");
    std::filesystem::create_directory(workspace.path("failing"));
    // A gnuplot that leaves half a picture where it was told to draw, and fails.
    workspace.write("failing/gnuplot", "#!/bin/sh\nout=$(sed -n \"s/^set output '\\(.*\\)'$/\\1/p\")\n"
                                       "echo half a picture > \"$out\"\nexit 3\n");
    std::filesystem::permissions(workspace.path("failing/gnuplot"), std::filesystem::perms::owner_all);
    const struct {
        const char* path;
        const char* message;
    } setups[] = {
        {"PATH=/no/such/folder", "--plot needs gnuplot, which is missing from the PATH"},
        {"PATH=failing:$PATH", "gnuplot failed to draw hill.png; nothing was written"},
    };
    for (const auto& setup : setups) {
        const RunResult run =
            workspace.shell(std::string(setup.path) + " " +
                            profileCommand("--plot hill.png d c direct_constant_entry.txt 101 out.csv"));
        EXPECT_EQ(run.exitStatus, 1) << setup.path;
        EXPECT_NE(run.err.find(setup.message), std::string::npos) << setup.path << ": " << run.err;
        EXPECT_FALSE(workspace.exists("out.csv")) << setup.path;
        for (const auto& entry : std::filesystem::directory_iterator(workspace.path("."))) {
            EXPECT_EQ(entry.path().filename().string().find("hill"), std::string::npos) << entry.path();
        }
    }
}

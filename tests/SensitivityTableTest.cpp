// The sensitivity table of a run: its columns come from one table, a run writes one row per case in the
// order of the entry file on any number of threads, the same rows the case API gives, and the exit file
// of the run stays byte for byte what it was.
#include "app/cli/CommandLine.h"
#include "app/formats/ExitColumns.h"
#include "app/formats/Names.h"
#include "app/formats/SensitivityColumns.h"
#include "rollbite/model/SensitivitySolver.h"
#include "support/CaseTexts.h"
#include "support/ExampleRuns.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace rollbite;
namespace fs = std::filesystem;

namespace {

// A folder of its own for one test, removed afterwards.
struct Folder {
    fs::path path = fs::temp_directory_path() / ("rollbite-sensitivity-" + std::to_string(::getpid()));
    Folder() { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
};

std::string example(const std::string& name) {
    return (fs::path(ROLLBITE_TEST_DATA).parent_path() / "examples" / name).string();
}

// A command-line run of an example with a sensitivity table; its exit status.
int runExample(const test::ExampleRun& run, const Folder& folder, const std::string& table,
               const std::vector<std::string>& options) {
    std::vector<std::string> arguments = {test::modeOf(run) == kDirectMode ? "direct" : "inverse",
                                          "--rheology",
                                          Names::rheologyName(test::kindOf(run)),
                                          example(run.entry),
                                          folder.file("exit.txt"),
                                          "--sensitivities",
                                          folder.file(table),
                                          "--quiet"};
    if (run.withCoefficients()) {
        arguments.insert(arguments.end(), {"--coefficients", example(run.coefficients)});
    }
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::ostringstream out;
    std::ostringstream err;
    const int status = CommandLine::run(arguments, out, err);
    EXPECT_EQ(err.str(), "") << run.name;
    return status;
}

} // namespace

TEST(SensitivityColumns, NameEveryDerivativeWithItsUnit) {
    const SensitivityColumns direct(kDirectMode, true);
    const std::string header = direct.header();
    EXPECT_EQ(header.rfind("case\tErrors\tdRolling_Force/dEntry_thickness\t", 0), 0u);
    EXPECT_NE(header.find("\tdRolling_Torque/dFriction_coefficient\tPlasticity\tPlasticity(kN/mm/mm)\t"
                          "Plasticity(MN/mm)\treason"),
              std::string::npos);
    EXPECT_EQ(direct.size(), 2u + 24u + 3u + 1u);
    for (const SensitivityColumn& column : direct.columns()) {
        if (column.name == "dForward_Slip/dExit_tension") {
            EXPECT_EQ(column.unit, "% per MPa");
        } else if (column.name == "dRolling_Force/dExit_thickness") {
            EXPECT_EQ(column.unit, "9.81 N/mm per mm");
        }
    }
    EXPECT_TRUE(SensitivityColumns::isHeader(header));
    EXPECT_TRUE(SensitivityColumns::isHeader(SensitivityColumns(kDirectMode).header()));
    EXPECT_TRUE(SensitivityColumns::isHeader(SensitivityColumns(kInverseMode).header()));
    EXPECT_FALSE(SensitivityColumns::isHeader(ExitColumns(kDirectMode).header()));
    EXPECT_FALSE(SensitivityColumns::isHeader(header + "\textra"));
}

class SensitivityTableRun : public ::testing::TestWithParam<test::ExampleRun> {};

TEST_P(SensitivityTableRun, HoldsTheCaseAPIsRowsInEntryOrderOnAnyThreadsAndKeepsTheExitFile) {
    const test::ExampleRun& run = GetParam();
    const Folder folder;
    ASSERT_EQ(runExample(run, folder, "one.txt", {"--threads", "1"}), 0);
    const std::string exitFile = test::readFile(folder.file("exit.txt"));
    ASSERT_EQ(runExample(run, folder, "two.txt", {"--threads", "2"}), 0);
    const std::string gold = test::readFile(
        (fs::path(ROLLBITE_TEST_DATA) / "regression" / (std::string("results_") + run.name + ".txt"))
            .string());
    EXPECT_EQ(exitFile, gold);
    EXPECT_EQ(test::readFile(folder.file("exit.txt")), gold);
    const std::string table = test::readFile(folder.file("one.txt"));
    EXPECT_EQ(test::readFile(folder.file("two.txt")), table);

    const SensitivityColumns columns(test::modeOf(run));
    std::string expected = columns.header() + "\n";
    SensitivitySolver solver(test::modeOf(run), test::kindOf(run));
    for (const CaseInputs& inputs : test::exampleCases(run)) {
        const CaseResult& result = solver.solve(inputs);
        columns.appendRow({result, solver.sensitivities(), solver.uncertainty()}, expected);
    }
    EXPECT_EQ(table, expected);
}

INSTANTIATE_TEST_SUITE_P(ExampleRuns, SensitivityTableRun,
                         ::testing::Values(test::kExampleRuns[0], test::kExampleRuns[1],
                                           test::kExampleRuns[3], test::kExampleRuns[4]));

TEST(SensitivityTable, GivesTheDeviationsAndWidthAskedFor) {
    const Folder folder;
    ASSERT_EQ(runExample(test::kExampleRuns[3], folder, "inverse.txt", {"--uncertainty", "12.5,0.05"}), 0);
    std::istringstream inverse(test::readFile(folder.file("inverse.txt")));
    std::string header;
    std::string row;
    std::getline(inverse, header);
    std::getline(inverse, row);
    EXPECT_NE(row.find("\t1.250000e+01\t5.000000e-02\t"), std::string::npos) << row; // Force_SD, Slip_SD

    ASSERT_EQ(runExample(test::kExampleRuns[0], folder, "direct.txt", {"--width", "1500"}), 0);
    std::istringstream direct(test::readFile(folder.file("direct.txt")));
    std::getline(direct, header);
    EXPECT_TRUE(SensitivityColumns::isHeader(header));
    std::getline(direct, row);
    // Case 101: plasticity 66.57 (9.81 N/mm per mm), 0.6530 kN/mm per mm, 0.9795 MN/mm for 1.5 m.
    std::vector<std::string> fields;
    std::istringstream cells(row);
    for (std::string field; std::getline(cells, field, '\t');) {
        fields.push_back(field);
    }
    ASSERT_GE(fields.size(), 29u); // the reason, empty, is the 30th
    const double plasticity = std::stod(fields[26]);
    EXPECT_NEAR(std::stod(fields[27]), plasticity * 9.81e-3, 1e-6 * plasticity);
    EXPECT_NEAR(std::stod(fields[28]), plasticity * 9.81e-3 * 1.5, 1e-6 * plasticity);
    EXPECT_NEAR(plasticity, 66.57, 0.3);
}

// The six runs of the bundled examples against their gold exit files, to the last printed digit. A
// gold file changes only when scripts/update-gold.sh regenerates it on purpose.
#include "support/ExitFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

using rollbite::test::compareExitFiles;
using rollbite::test::RunResult;
using rollbite::test::testDataFolder;
using rollbite::test::Workspace;

namespace {

struct GoldRun {
    const char* name;
    const char* answers; // mode and rheology
    const char* entry;
    const char* coefficients;
};

void PrintTo(const GoldRun& run, std::ostream* stream) {
    *stream << run.name;
}

std::string goldFile(const std::string& name) {
    std::ifstream stream(testDataFolder() / "regression" / ("results_" + name + ".txt"), std::ios::binary);
    std::ostringstream content;
    content << stream.rdbuf();
    return content.str();
}

class GoldRuns : public testing::TestWithParam<GoldRun> {};

} // namespace

TEST_P(GoldRuns, MatchTheirGoldExitFile) {
    const GoldRun& gold = GetParam();
    Workspace workspace(std::string("gold-") + gold.name);
    workspace.copyExample(gold.entry);
    std::string answers = std::string(gold.answers) + gold.entry + "\nexit.txt\n";
    if (*gold.coefficients != '\0') {
        workspace.copyExample(gold.coefficients);
        answers += std::string(gold.coefficients) + "\n";
    }
    const RunResult run = workspace.run(answers);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string expected = goldFile(gold.name);
    ASSERT_FALSE(expected.empty()) << "no gold file for " << gold.name;
    for (const std::string& difference : compareExitFiles(workspace.read("exit.txt"), expected, false)) {
        ADD_FAILURE() << difference;
    }
}

INSTANTIATE_TEST_SUITE_P(
    SixExampleRuns, GoldRuns,
    testing::Values(GoldRun{"direct_constant", "d\nc\n", "direct_constant_entry.txt", ""},
                    GoldRun{"direct_smatch", "d\ns\n", "direct_smatch_entry.txt", "smatch_direct.txt"},
                    GoldRun{"direct_ws18", "d\nw\n", "direct_ws18_entry.txt", "ws18_direct.txt"},
                    GoldRun{"inverse_constant", "i\nc\n", "inverse_constant_entry.txt", ""},
                    GoldRun{"inverse_smatch", "i\ns\n", "inverse_smatch_entry.txt", "smatch_inverse.txt"},
                    GoldRun{"inverse_ws18", "i\nw\n", "inverse_ws18_entry.txt", "ws18_inverse.txt"}),
    [](const testing::TestParamInfo<GoldRun>& info) { return std::string(info.param.name); });

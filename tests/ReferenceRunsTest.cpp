// The six runs (direct and inverse, each rheology) of results computed independently from the same
// model: every row must come out the same, numbers to their printed digits.
#include "support/ExitFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using rollbite::test::compareExitFiles;
using rollbite::test::RunResult;
using rollbite::test::Workspace;

namespace {

struct ReferenceRun {
    const char* name;
    const char* answers; // mode and rheology
    const char* entry;
    const char* coefficients;
    const char* results;
};

void PrintTo(const ReferenceRun& run, std::ostream* stream) {
    *stream << run.name;
}

class ReferenceRuns : public testing::TestWithParam<ReferenceRun> {};

} // namespace

TEST_P(ReferenceRuns, ReproduceEveryRow) {
    const ReferenceRun& reference = GetParam();
    Workspace workspace(std::string("reference-") + reference.name);
    workspace.copyReference(reference.entry);
    std::string answers = std::string(reference.answers) + reference.entry + "\nexit.txt\n";
    if (*reference.coefficients != '\0') {
        workspace.copyReference(reference.coefficients);
        answers += std::string(reference.coefficients) + "\n";
    }
    const RunResult run = workspace.run(answers);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    workspace.copyReference(reference.results);
    const std::vector<std::string> differences =
        compareExitFiles(workspace.read("exit.txt"), workspace.read(reference.results), true);
    for (const std::string& difference : differences) {
        ADD_FAILURE() << difference;
    }
}

INSTANTIATE_TEST_SUITE_P(
    SixRuns, ReferenceRuns,
    testing::Values(ReferenceRun{"DirectConstant", "d\nc\n", "direct_entry.txt", "",
                                 "results_direct_constant.txt"},
                    ReferenceRun{"DirectSmatch", "d\ns\n", "direct_entry.txt", "smatch_direct.txt",
                                 "results_direct_smatch.txt"},
                    ReferenceRun{"DirectWS18", "d\nw\n", "direct_entry.txt", "ws18_direct.txt",
                                 "results_direct_ws18.txt"},
                    ReferenceRun{"InverseConstant", "i\nc\n", "inverse_constant_entry.txt", "",
                                 "results_inverse_constant.txt"},
                    ReferenceRun{"InverseSmatch", "i\ns\n", "inverse_smatch_entry.txt", "smatch_inverse.txt",
                                 "results_inverse_smatch.txt"},
                    ReferenceRun{"InverseWS18", "i\nw\n", "inverse_ws18_entry.txt", "ws18_inverse.txt",
                                 "results_inverse_ws18.txt"}),
    [](const testing::TestParamInfo<ReferenceRun>& info) { return std::string(info.param.name); });

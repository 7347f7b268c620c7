// The cases of a run solved on several threads: the exit file must not depend on how many.
#include "support/ExampleRuns.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

using rollbite::test::ExampleRun;
using rollbite::test::executable;
using rollbite::test::kExampleRuns;
using rollbite::test::RunResult;
using rollbite::test::sourceFolder;
using rollbite::test::Workspace;

namespace {

// Runs rollbite inside the workspace with ROLLBITE_THREADS set to `threads`.
RunResult runOnThreads(const Workspace& workspace, const std::string& threads, const std::string& answers) {
    workspace.write(".answers", answers);
    return workspace.shell("ROLLBITE_THREADS='" + threads + "' '" + executable().string() + "' < .answers");
}

// An example file with the lines after its header repeated `times` times, so that a run has many cases
// of every kind in flight at once and reads its coefficient records in turn.
void writeRepeated(const Workspace& workspace, const std::string& file, int times) {
    std::ifstream source(sourceFolder() / "examples" / file);
    std::string header;
    std::getline(source, header);
    std::stringstream body;
    body << source.rdbuf();
    std::string content = header + "\n";
    for (int k = 0; k < times; ++k) {
        content += body.str();
    }
    workspace.write(file, content);
}

class ThreadCounts : public testing::TestWithParam<ExampleRun> {};

} // namespace

TEST_P(ThreadCounts, GiveTheSameExitFile) {
    const ExampleRun& run = GetParam();
    Workspace workspace(std::string("threads-") + run.name);
    const int times = *run.rheology == 'w' ? 3 : 12;
    writeRepeated(workspace, run.entry, times);
    if (run.withCoefficients()) {
        writeRepeated(workspace, run.coefficients, times);
    }
    std::string single;
    for (const char* threads : {"1", "2", "5"}) {
        const RunResult result = runOnThreads(workspace, threads, run.answers("exit.txt"));
        ASSERT_EQ(result.exitStatus, 0) << result.err;
        const std::string exitFile = workspace.read("exit.txt");
        if (single.empty()) {
            single = exitFile;
        } else {
            EXPECT_EQ(exitFile, single) << threads << " threads";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SixExampleRuns, ThreadCounts, testing::ValuesIn(kExampleRuns),
                         [](const testing::TestParamInfo<ExampleRun>& info) { return info.param.name; });

TEST(ThreadCount, OnlyAWholeNumberFromOneTo256IsAccepted) {
    Workspace workspace("threads-refused");
    const ExampleRun& run = kExampleRuns[0];
    workspace.copyFrom((sourceFolder() / "examples").string(), run.entry);
    for (const char* threads : {"0", "-2", "two", "2x", "", " 2", "257", "99999999999999999999"}) {
        const RunResult result = runOnThreads(workspace, threads, run.answers("exit.txt"));
        EXPECT_EQ(result.exitStatus, 1) << '"' << threads << '"';
        EXPECT_NE(result.err.find("ROLLBITE_THREADS must be a whole number from 1 to 256"), std::string::npos)
            << result.err;
        EXPECT_EQ(result.out, "") << "no question is asked";
        EXPECT_FALSE(workspace.exists("exit.txt"));
    }
    for (const char* threads : {"1", "256"}) {
        EXPECT_EQ(runOnThreads(workspace, threads, run.answers("exit.txt")).exitStatus, 0) << threads;
    }
}

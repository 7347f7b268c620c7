// rollbite with arguments: the dialogue's exit file byte for byte, the why file, the summary line and the
// progress line. What it refuses (usage errors, files it cannot use) is kept as data in tests/runs/.
#include "support/ExampleRuns.h"
#include "support/ExitFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

using rollbite::test::ExampleRun;
using rollbite::test::exitRows;
using rollbite::test::kExampleRuns;
using rollbite::test::RunResult;
using rollbite::test::sourceFolder;
using rollbite::test::testDataFolder;
using rollbite::test::Workspace;

namespace {

std::string commandLine(const std::string& arguments) {
    return "'" + rollbite::test::executable().string() + "' " + arguments;
}

// The command line of an example run that writes `exitFile`.
std::string argumentsOf(const ExampleRun& run, const std::string& exitFile) {
    const std::string mode = *run.mode == 'd' ? "direct" : "inverse";
    const std::string rheology = *run.rheology == 'c' ? "constant" : *run.rheology == 's' ? "smatch" : "ws18";
    const std::string coefficients =
        run.withCoefficients() ? std::string(" --coefficients ") + run.coefficients : std::string();
    return mode + " --rheology " + rheology + coefficients + " " + run.entry + " " + exitFile;
}

// The summary line a run must end with, from the error classes of its exit file.
std::string summaryOf(const std::string& exitFile) {
    std::map<std::string, int> count;
    const auto rows = exitRows(exitFile);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        ++count[rows[r][1]];
    }
    return "rollbite: " + std::to_string(rows.size() - 1) + " cases: " + std::to_string(count["VOID"]) +
           " VOID, " + std::to_string(count["INPUTS"]) + " INPUTS, " + std::to_string(count["INTERNAL"]) +
           " INTERNAL, " + std::to_string(count["OUTPUTS"]) + " OUTPUTS\n";
}

class CommandLineRuns : public testing::TestWithParam<ExampleRun> {};

} // namespace

TEST_P(CommandLineRuns, WriteTheDialoguesExitFileWithTheWhyFileAndTheSummary) {
    const ExampleRun& run = GetParam();
    Workspace workspace(std::string("command-line-") + run.name);
    const std::string examples = (sourceFolder() / "examples").string();
    workspace.copyFrom(examples, run.entry);
    if (run.withCoefficients()) {
        workspace.copyFrom(examples, run.coefficients);
    }
    ASSERT_EQ(workspace.run(run.answers("dialogue.txt")).exitStatus, 0);
    const RunResult result = workspace.shell(commandLine(argumentsOf(run, "exit.txt") + " --why why.txt"));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string exitFile = workspace.read("exit.txt");
    EXPECT_EQ(exitFile, workspace.read("dialogue.txt"));
    // The failed checks, steps and outputs of the wrong example cases, with their lines.
    const std::string why = std::string("why_") + run.name + ".txt";
    workspace.copyFrom((testDataFolder() / "regression").string(), why);
    EXPECT_EQ(workspace.read("why.txt"), workspace.read(why));
    EXPECT_EQ(result.err, summaryOf(exitFile)) << "no progress line off a terminal";
    EXPECT_EQ(result.out, "");
}

INSTANTIATE_TEST_SUITE_P(SixExampleRuns, CommandLineRuns, testing::ValuesIn(kExampleRuns),
                         [](const testing::TestParamInfo<ExampleRun>& info) { return info.param.name; });

TEST(CommandLine, AProgressLineOnATerminalOnly) {
    // A terminal made by script(1): the progress line is redrawn in place, then cleared before the
    // summary; --quiet silences both.
    Workspace workspace("command-line-progress");
    std::string entry = "header\n";
    for (int id = 1; id <= 6000; ++id) {
        entry += std::to_string(id) + " 30 22 5 10 800 210000 150 0.3\n";
    }
    workspace.write("e.txt", entry);
    const std::string command = commandLine("direct --rheology constant --threads 1 e.txt x.txt");
    const RunResult terminal = workspace.shell("script -qec \"" + command + "\" /dev/null");
    ASSERT_EQ(terminal.exitStatus, 0) << terminal.out;
    EXPECT_NE(terminal.out.find("\r"), std::string::npos) << terminal.out;
    EXPECT_NE(terminal.out.find(" of 6,000 cases, "), std::string::npos) << terminal.out;
    EXPECT_NE(terminal.out.find(" cases/s"), std::string::npos) << terminal.out;
    EXPECT_NE(terminal.out.find("rollbite: 6,000 cases: 6,000 VOID, 0 INPUTS, 0 INTERNAL, 0 OUTPUTS"),
              std::string::npos)
        << terminal.out;
    const RunResult quiet = workspace.shell("script -qec \"" + command + " --quiet\" /dev/null");
    ASSERT_EQ(quiet.exitStatus, 0);
    EXPECT_EQ(quiet.out, "");
}

// rollbite with arguments: the dialogue's exit file byte for byte, the why file, the summary line and the
// progress line, and what it refuses (usage errors with status 2, files it cannot use with status 1).
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

TEST(CommandLine, UsageErrorsNameTheArgumentAndExitWithTwo) {
    Workspace workspace("command-line-usage");
    workspace.write("e.txt", "header\n1 30 22 5 10 800 210000 150 0.3\n");
    const struct {
        const char* arguments;
        const char* message;
    } errors[] = {
        {"--verbose", "the first argument must be the mode, direct or inverse"},
        {"sideways --rheology constant e.txt x.txt", "unknown mode 'sideways'"},
        {"direct e.txt x.txt", "--rheology is missing"},
        {"direct --rheology steel e.txt x.txt", "unknown rheology 'steel' for --rheology"},
        {"direct --rheology smatch e.txt x.txt", "the smatch rheology needs --coefficients FILE"},
        {"inverse --rheology constant --coefficients e.txt e.txt x.txt",
         "the constant rheology takes no --coefficients"},
        {"direct --rheology constant e.txt", "ENTRY and EXIT are both needed"},
        {"direct --rheology constant e.txt x.txt y.txt", "one ENTRY and one EXIT only, not also 'y.txt'"},
        {"direct --rheology constant --threads 0 e.txt x.txt",
         "--threads must be a whole number from 1 to 256"},
        {"direct --rheology=constant --speed e.txt x.txt", "unknown option --speed"},
        {"direct --rheology constant e.txt x.txt --why", "--why needs a value"},
        {"direct --rheology constant --quiet=yes e.txt x.txt", "--quiet takes no value"},
    };
    for (const auto& error : errors) {
        const RunResult result = workspace.shell(commandLine(error.arguments));
        EXPECT_EQ(result.exitStatus, 2) << error.arguments;
        EXPECT_EQ(result.err.rfind("rollbite: " + std::string(error.message), 0), 0u)
            << error.arguments << ": " << result.err;
        EXPECT_NE(result.err.find("rollbite --help"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(workspace.exists("x.txt")) << error.arguments;
    }
    const RunResult help = workspace.shell(commandLine("--help"));
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.rfind("Usage: rollbite\n", 0), 0u) << help.out;
    const RunResult version = workspace.shell(commandLine("--version"));
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out.rfind("rollbite ", 0), 0u) << version.out;
}

TEST(CommandLine, FilesTheDialogueWouldAskAgainForStopTheRunWithOneLine) {
    // Each refusal of the dialogue, as a message and the status 1; the files are left as they were and no
    // exit file is left behind.
    Workspace workspace("command-line-files");
    const std::string entry = "header\n1 30 22 5 10 800 210000 150 0.3\n";
    const std::string notes = "measured on F3\n";
    workspace.write("e.txt", entry);
    workspace.write("notes.txt", notes);
    workspace.write("short.txt", "header\n");
    std::filesystem::create_directory(workspace.path("folder"));
    const struct {
        const char* arguments;
        const char* message;
    } refusals[] = {
        {"direct --rheology constant nothere.txt x.txt", "the entry file nothere.txt doesn't exist"},
        {"direct --rheology constant folder x.txt", "the entry file folder doesn't exist"},
        {"direct --rheology smatch --coefficients nothere.txt e.txt x.txt",
         "the coefficient file nothere.txt doesn't exist"},
        {"direct --rheology constant e.txt ./e.txt", "the exit file ./e.txt is an input file"},
        {"direct --rheology smatch --coefficients notes.txt e.txt notes.txt",
         "the exit file notes.txt is an input file"},
        {"direct --rheology constant e.txt notes.txt", "the exit file notes.txt holds other data"},
        {"direct --rheology constant e.txt no/such/x.txt", "the exit file no/such/x.txt can't be written"},
        {"direct --rheology smatch --coefficients short.txt e.txt x.txt",
         "the files e.txt and short.txt don't have the same number of lines"},
        {"direct --rheology constant e.txt x.txt --why e.txt", "the why file e.txt is an input file"},
        {"direct --rheology constant e.txt x.txt --why x.txt", "the why file x.txt is the exit file"},
        {"direct --rheology constant e.txt x.txt --why notes.txt", "the why file notes.txt holds other data"},
        {"direct --rheology constant e.txt x.txt --why no/such/why.txt",
         "the why file no/such/why.txt can't"},
    };
    for (const auto& refusal : refusals) {
        const RunResult result = workspace.shell(commandLine(refusal.arguments));
        EXPECT_EQ(result.exitStatus, 1) << refusal.arguments;
        EXPECT_EQ(result.err.rfind("rollbite: " + std::string(refusal.message), 0), 0u)
            << refusal.arguments << ": " << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line: " << result.err;
        EXPECT_FALSE(workspace.exists("x.txt")) << refusal.arguments;
        EXPECT_EQ(workspace.read("e.txt"), entry);
        EXPECT_EQ(workspace.read("notes.txt"), notes);
    }
    // --force writes over other data, never over an input.
    EXPECT_EQ(workspace.shell(commandLine("direct --rheology constant --force e.txt notes.txt")).exitStatus,
              0);
    EXPECT_EQ(exitRows(workspace.read("notes.txt")).size(), 2u);
    EXPECT_EQ(workspace.shell(commandLine("direct --rheology constant --force e.txt e.txt")).exitStatus, 1);
    EXPECT_EQ(workspace.read("e.txt"), entry);
}

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

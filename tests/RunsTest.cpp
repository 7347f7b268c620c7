// Whole runs of the real executable compared with what they must leave:
// - runs kept as data in tests/runs/NAME/, dialogues and command lines (below);
// - the six runs of the reference cases, results computed independently from the same model, to their
//   printed digits (one unit of the last digit allowed);
// - the six runs of the bundled examples, against their gold exit files to the last digit. A gold file
//   changes only when scripts/update-gold.sh regenerates it on purpose.
#include "support/ExampleRuns.h"
#include "support/ExitFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

using rollbite::test::compareExitFiles;
using rollbite::test::ExampleRun;
using rollbite::test::kExampleRuns;
using rollbite::test::RunResult;
using rollbite::test::testDataFolder;
using rollbite::test::Workspace;

namespace {

struct Run {
    const char* name;
    const char* answers; // mode and rheology
    const char* entry;
    const char* coefficients;
    const char* expected; // exit file to reproduce
};

void PrintTo(const Run& run, std::ostream* stream) {
    *stream << run.name;
}

void runAndCompare(const Run& run, const std::string& inputFolder, const std::string& expectedFolder,
                   bool lastDigit) {
    Workspace workspace(std::string("run-") + run.name);
    workspace.copyFrom(inputFolder, run.entry);
    std::string answers = std::string(run.answers) + run.entry + "\nexit.txt\n";
    if (*run.coefficients != '\0') {
        workspace.copyFrom(inputFolder, run.coefficients);
        answers += std::string(run.coefficients) + "\n";
    }
    const RunResult result = workspace.run(answers);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    workspace.copyFrom(expectedFolder, run.expected);
    const std::string expected = workspace.read(run.expected);
    ASSERT_FALSE(expected.empty()) << run.expected;
    for (const std::string& difference : compareExitFiles(workspace.read("exit.txt"), expected, lastDigit)) {
        ADD_FAILURE() << difference;
    }
}

std::string runName(const testing::TestParamInfo<Run>& info) {
    return info.param.name;
}

class ReferenceRuns : public testing::TestWithParam<Run> {};
class GoldRuns : public testing::TestWithParam<ExampleRun> {};

} // namespace

TEST_P(ReferenceRuns, ReproduceEveryRow) {
    const std::string reference = (testDataFolder() / "reference").string();
    runAndCompare(GetParam(), reference, reference, true);
}

TEST_P(GoldRuns, MatchTheirGoldExitFile) {
    const ExampleRun& example = GetParam();
    const std::string expected = std::string("results_") + example.name + ".txt";
    const std::string answers = std::string(example.mode) + "\n" + example.rheology + "\n";
    runAndCompare(::Run{example.name, answers.c_str(), example.entry, example.coefficients, expected.c_str()},
                  (testDataFolder().parent_path() / "examples").string(),
                  (testDataFolder() / "regression").string(), false);
}

INSTANTIATE_TEST_SUITE_P(
    SixRuns, ReferenceRuns,
    testing::Values(
        Run{"DirectConstant", "d\nc\n", "direct_entry.txt", "", "results_direct_constant.txt"},
        Run{"DirectSmatch", "d\ns\n", "direct_entry.txt", "smatch_direct.txt", "results_direct_smatch.txt"},
        Run{"DirectWS18", "d\nw\n", "direct_entry.txt", "ws18_direct.txt", "results_direct_ws18.txt"},
        Run{"InverseConstant", "i\nc\n", "inverse_constant_entry.txt", "", "results_inverse_constant.txt"},
        Run{"InverseSmatch", "i\ns\n", "inverse_smatch_entry.txt", "smatch_inverse.txt",
            "results_inverse_smatch.txt"},
        Run{"InverseWS18", "i\nw\n", "inverse_ws18_entry.txt", "ws18_inverse.txt",
            "results_inverse_ws18.txt"}),
    runName);

INSTANTIATE_TEST_SUITE_P(SixExampleRuns, GoldRuns, testing::ValuesIn(kExampleRuns),
                         [](const testing::TestParamInfo<ExampleRun>& info) { return info.param.name; });

TEST(QuickStart, TheExampleCommandShowsWhatItRanAndTheTableAndRebuildsNothing) {
    // The README's first command after its second (or the other way round) builds nothing again: both
    // configure the build folder alike. Only the build folder both scripts use can show that.
    namespace fs = std::filesystem;
    const fs::path build = fs::weakly_canonical(ROLLBITE_BUILD_DIR);
    if (build != fs::weakly_canonical(rollbite::test::sourceFolder() / "build")) {
        GTEST_SKIP() << "the tests were built in " << build << ", not in the folder the scripts use";
    }
    const fs::path library = build / "src" / "librollbite_core.a";
    const fs::file_time_type programBuilt = fs::last_write_time(rollbite::test::executable());
    const fs::file_time_type libraryBuilt = fs::last_write_time(library);
    Workspace workspace("quick-start");
    const RunResult run =
        workspace.shell("'" + (rollbite::test::sourceFolder() / "scripts" / "example.sh").string() + "'");
    ASSERT_EQ(run.exitStatus, 0) << run.out << run.err;
    EXPECT_EQ(fs::last_write_time(rollbite::test::executable()), programBuilt);
    EXPECT_EQ(fs::last_write_time(library), libraryBuilt);
    EXPECT_EQ(run.out.find("Name of the entry file"), std::string::npos) << "no prompts: " << run.out;
    EXPECT_NE(run.out.find("in direct mode with the Constant rheology"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Cases 901 to 906 are wrong on purpose"), std::string::npos) << run.out;
    // Why they are, from the why file: the value and the range of a failed check.
    EXPECT_NE(run.out.find("903   32    INPUTS    Entry_tension 60 is not in [0, 50] MPa (code 105)"),
              std::string::npos)
        << run.out;
    // One line per row of the exit file, its columns aligned.
    const std::string exitFile =
        (rollbite::test::sourceFolder() / "examples" / "results_direct_constant.txt").string();
    for (const auto& row : rollbite::test::exitRows(workspace.read(exitFile))) {
        EXPECT_NE(run.out.find("\n" + row[0] + " "), std::string::npos) << row[0];
    }
    // The README's one line of Python works as written after the first command.
    std::istringstream readme(workspace.read((rollbite::test::sourceFolder() / "README.md").string()));
    std::string pythonLine;
    while (std::getline(readme, pythonLine) && pythonLine.rfind("PYTHONPATH=build/python ", 0) != 0) {
    }
    ASSERT_FALSE(pythonLine.empty()) << "no line of Python in the README";
    const RunResult python =
        workspace.shell("cd '" + rollbite::test::sourceFolder().string() + "' && " + pythonLine);
    EXPECT_EQ(python.exitStatus, 0) << python.err;
    EXPECT_NE(python.out.find("101   VOID    1154.637133"), std::string::npos) << python.out;
}

namespace {

std::vector<std::string> runFolders() {
    std::vector<std::string> names;
    for (const auto& folder : std::filesystem::directory_iterator(testDataFolder() / "runs")) {
        names.push_back(folder.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

// What a run folder records rather than gives the run.
bool isRecorded(const std::string& name) {
    return startsWith(name, "expected-") || startsWith(name, "after-") || name == "answers" ||
           name == "command" || name == "script" || name == "absent" || name == "folders" ||
           name == "requirement";
}

class RecordedRuns : public testing::TestWithParam<std::string> {};

} // namespace

// Runs kept as data in tests/runs/NAME/: what it proves (`requirement`, one sentence), the dialogue's
// answers (`answers`), the command line's arguments (`command`) or a shell script that runs any of the
// programs by name (`script`: rollbite, rollbite-profile and rollbite-batch are on its PATH), the files
// the run starts with (every file not named below) and the folders to make first (`folders`); and what
// the run must leave: its standard output and error (`expected-out`, `expected-err`; empty when
// missing), its exit status (`expected-status`; 0 when missing), the exact content of every file named in
// an `after-FILE`, and none of the files listed in `absent`. scripts/update-gold.sh records them anew.
TEST_P(RecordedRuns, LeaveWhatWasRecorded) {
    const std::filesystem::path folder = testDataFolder() / "runs" / GetParam();
    Workspace workspace("run-" + GetParam());
    std::map<std::string, std::string> recorded;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        workspace.copyFrom(folder.string(), name);
        if (isRecorded(name)) {
            recorded[name] = workspace.read(name);
            std::filesystem::remove(workspace.path(name));
        }
    }
    for (const std::string& name : linesOf(recorded["folders"])) {
        std::filesystem::create_directory(workspace.path(name));
    }
    SCOPED_TRACE(recorded["requirement"]);
    const std::string command = linesOf(recorded["command"]).empty() ? "" : linesOf(recorded["command"])[0];
    RunResult run;
    if (recorded.count("answers") != 0) {
        run = workspace.run(recorded["answers"]);
    } else if (recorded.count("script") != 0) {
        workspace.write(".script", recorded["script"]);
        run = workspace.shell("PATH='" + rollbite::test::executable().parent_path().string() + ":" +
                              (rollbite::test::sourceFolder() / "scripts").string() +
                              "':\"$PATH\" bash .script < /dev/null");
    } else {
        run = workspace.shell("'" + rollbite::test::executable().string() + "' " + command + " < /dev/null");
    }
    EXPECT_EQ(run.out, recorded["expected-out"]);
    EXPECT_EQ(run.err, recorded["expected-err"]);
    EXPECT_EQ(std::to_string(run.exitStatus) + "\n",
              recorded.count("expected-status") != 0 ? recorded["expected-status"] : "0\n");
    for (const auto& [name, content] : recorded) {
        if (startsWith(name, "after-")) {
            EXPECT_EQ(workspace.read(name.substr(6)), content) << name.substr(6);
        }
    }
    for (const std::string& name : linesOf(recorded["absent"])) {
        EXPECT_FALSE(workspace.exists(name)) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Data, RecordedRuns, testing::ValuesIn(runFolders()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

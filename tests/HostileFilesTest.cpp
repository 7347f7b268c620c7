// Files a user can produce that no case file should hold: foreign line endings, blanks and binary
// bytes, numbers at the edges of a double, lines of a megabyte, files cut short, a run killed part-way.
// Whatever they hold, the run ends and writes exactly one well-formed row per case line.
#include "support/ExampleRuns.h"
#include "support/ExitFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using rollbite::test::ExampleRun;
using rollbite::test::exitRows;
using rollbite::test::kExampleRuns;
using rollbite::test::RunResult;
using rollbite::test::Workspace;

namespace {

using Row = std::vector<std::string>;

// One run of the examples: answers, a sound case line without its identifier, and the coefficient
// record that goes with it (empty for Constant).
struct RunKind {
    const char* name;
    const char* answers;
    std::size_t columns;
    const char* caseFields;
    const char* record;
};

constexpr const char* kSmatchRecord = "76.24564889 25.4152163 0.12 4.5";
constexpr const char* kWS18Record = "0.05 0.35 0.02 0.004 0 0 0 0.035 0.012 0.02 0.005 0.02 0.02 0.0003 "
                                    "1080 1068 0.9046728972 1 60 1e+13 0 40 1e+13";

const RunKind kRuns[] = {
    {"direct_constant", "d\nc\n", 21, "40 25 0 8 850 210000 97.59994126 0.35", ""},
    {"direct_smatch", "d\ns\n", 21, "40 25 0 8 850 210000 5 0.35", kSmatchRecord},
    {"direct_ws18", "d\nw\n", 21, "40 25 0 8 850 210000 2 0.35", kWS18Record},
    {"inverse_constant", "i\nc\n", 12, "40 25 0 8 850 210000 78 0.25 1154.637 10.39269", ""},
    {"inverse_smatch", "i\ns\n", 12, "40 25 0 8 850 210000 20 0.25 1013.862 9.797856", kSmatchRecord},
    {"inverse_ws18", "i\nw\n", 12, "40 25 0 8 850 210000 15 0.25 1272.811 9.064851", kWS18Record},
};

bool isErrorClass(const std::string& field) {
    return field == "VOID" || field == "INPUTS" || field == "INTERNAL" || field == "OUTPUTS";
}

// Every row has its columns and an error class, and no value is written as nan or inf.
void expectWellFormed(const std::vector<Row>& rows, std::size_t columns) {
    for (std::size_t r = 1; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), columns) << "row " << r;
        EXPECT_TRUE(isErrorClass(rows[r][1])) << "row " << r << ": " << rows[r][1];
        for (const std::string& field : rows[r]) {
            EXPECT_EQ(field.find("nan"), std::string::npos) << "row " << r;
            EXPECT_EQ(field.find("inf"), std::string::npos) << "row " << r;
        }
    }
}

Row withoutCase(Row row) {
    row.erase(row.begin());
    return row;
}

std::string answersFor(const RunKind& run) {
    std::string answers = std::string(run.answers) + "entry.txt\nexit.txt\n";
    return run.record[0] != '\0' ? answers + "coefficients.txt\n" : answers;
}

class HostileFiles : public testing::TestWithParam<RunKind> {};

void PrintTo(const RunKind& run, std::ostream* out) {
    *out << run.name;
}

} // namespace

TEST_P(HostileFiles, EveryCaseLineGivesOneRowWhateverItHolds) {
    const RunKind& run = GetParam();
    const std::string fields = run.caseFields;
    std::string spaced = fields;
    for (char& c : spaced) {
        c = c == ' ' ? '\t' : c;
    }
    const std::string megabyte(1 << 20, '9');
    // Each case line and whether it must give the row of the sound line (same values, own identifier).
    const std::vector<std::pair<std::string, bool>> lines = {
        {"1 " + fields, true},
        {"2 " + fields + "\r", true},                      // CR LF ending
        {"3\t" + spaced, true},                            // tabs
        {"  \t 4   " + fields, true},                      // leading blanks
        {"5 " + fields + std::string(1 << 20, ' '), true}, // a line of a megabyte
        {"6 " + megabyte + " " + fields, false},           // a field of a megabyte
        {std::string("7 \0\xff\x01\x80 ", 8) + fields, false},
        {"8 1e308 " + fields.substr(3), false},
        {"9 40 25 -0.0 8" + fields.substr(9), false},
        {"10 40 25 0 1e-320" + fields.substr(9), false},
        {"11 nan " + fields.substr(3), false},
        {"12 40 inf " + fields.substr(6), false},
        {"123456789012345678901234567890 " + fields, false},
        {"14 " + fields, true}, // the last line, without its line feed
    };
    std::string entry = "header\n";
    std::string coefficients = "header\n";
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const bool last = k + 1 == lines.size();
        entry += lines[k].first + (last ? "" : "\n");
        // The two files must hold as many line feeds: neither ends with one.
        coefficients += std::string(run.record) + (last ? "" : k == 1 ? "\r\n" : "\n");
    }
    Workspace workspace(std::string("hostile-") + run.name);
    workspace.write("entry.txt", entry);
    workspace.write("coefficients.txt", coefficients);
    const RunResult result = workspace.run(answersFor(run));
    ASSERT_EQ(result.exitStatus, 0) << result.out << result.err;

    const std::vector<Row> rows = exitRows(workspace.read("exit.txt"));
    ASSERT_EQ(rows.size(), lines.size() + 1);
    expectWellFormed(rows, run.columns);
    EXPECT_EQ(rows[1][1], "VOID");
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (lines[k].second) {
            EXPECT_EQ(withoutCase(rows[k + 1]), withoutCase(rows[1])) << "line " << k + 1;
        }
    }
    for (const std::size_t k : {6u, 7u, 8u, 11u, 12u, 13u}) {
        EXPECT_EQ(rows[k][1], "INPUTS") << "line " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(AllRuns, HostileFiles, testing::ValuesIn(kRuns),
                         [](const testing::TestParamInfo<RunKind>& info) { return info.param.name; });

namespace {

// A file of `count` sound direct Constant cases.
std::string manyCases(int count) {
    std::string entry = "header\n";
    for (int id = 1; id <= count; ++id) {
        entry += std::to_string(id) + " 30 22 5 10 800 210000 150 0.3\n";
    }
    return entry;
}

} // namespace

TEST(HostileFiles, ARunKilledPartWayLeavesOnlyWholeRows) {
    Workspace workspace("hostile-killed");
    workspace.write("entry.txt", manyCases(200000));
    const pid_t process = workspace.start("d\nc\nentry.txt\nexit.txt\n");
    // Let it write a few hundred rows, then kill it without warning.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (workspace.read("exit.txt").size() < 40000 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(process, SIGKILL);
    long peak = 0;
    EXPECT_EQ(Workspace::wait(process, peak), -1);

    const std::string written = workspace.read("exit.txt");
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.back(), '\n');
    const std::vector<Row> rows = exitRows(written);
    ASSERT_GT(rows.size(), 2u);
    ASSERT_LT(rows.size(), 200001u);
    expectWellFormed(rows, 21);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        EXPECT_EQ(rows[r][0], std::to_string(r));
        EXPECT_EQ(rows[r][20], "YES");
    }
}

TEST(HostileFiles, FilesThatFailDuringTheRunStopItWithAMessage) {
    // A disk that fills up part-way, as a file-size limit makes it (the limit's signal ignored, so that
    // the writes fail instead), on one thread and on two; then a device that is full from the start, and
    // an entry file whose reading fails (memory the process has not mapped).
    Workspace workspace("hostile-full");
    workspace.write("entry.txt", manyCases(400));
    ASSERT_EQ(workspace.run("d\nc\nentry.txt\nwhole.txt\n").exitStatus, 0);
    const std::string whole = workspace.read("whole.txt");
    for (const char* threads : {"1", "2"}) {
        workspace.write(".answers", "d\nc\nentry.txt\nexit.txt\n");
        const RunResult run =
            workspace.shell(std::string("trap '' XFSZ; ulimit -f 64; ROLLBITE_THREADS=") + threads + " " +
                            rollbite::test::executable().string() + " < .answers");
        EXPECT_EQ(run.exitStatus, 1) << threads << " threads";
        const std::string written = workspace.read("exit.txt");
        const std::size_t rows = exitRows(written).size() - 1;
        ASSERT_GT(rows, 10u) << threads << " threads";
        ASSERT_LT(rows, 400u) << threads << " threads";
        EXPECT_EQ(written, whole.substr(0, written.size())) << threads << " threads";
        EXPECT_EQ(written.back(), '\n') << threads << " threads";
        EXPECT_EQ(run.err, "rollbite: the exit file exit.txt could not be written (File too large); the run "
                           "stopped after " +
                               std::to_string(rows) + " rows, which the file holds whole\n")
            << threads << " threads";
    }
    const RunResult full = workspace.run("d\nc\nentry.txt\n/dev/full\n");
    EXPECT_EQ(full.exitStatus, 1);
    EXPECT_NE(full.err.find("/dev/full could not be written (No space left on device)"), std::string::npos)
        << full.err;
    const RunResult unreadable = workspace.run("d\nc\n/proc/self/mem\nexit.txt\n");
    EXPECT_EQ(unreadable.exitStatus, 1);
    EXPECT_EQ(
        unreadable.err,
        "rollbite: the file /proc/self/mem could not be read to its end; the run stopped after 0 rows\n");
}

TEST(HostileFiles, MemoryStaysFlatInTheNumberOfCases) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine: the resident size grows by design";
#endif
    Workspace workspace("hostile-memory");
    long peaks[2] = {0, 0};
    const int counts[2] = {300, 3000};
    for (int k = 0; k < 2; ++k) {
        workspace.write("entry.txt", manyCases(counts[k]));
        const pid_t process = workspace.start("d\nc\nentry.txt\nexit.txt\n");
        ASSERT_EQ(Workspace::wait(process, peaks[k]), 0);
        EXPECT_EQ(exitRows(workspace.read("exit.txt")).size(), static_cast<std::size_t>(counts[k] + 1));
    }
    // Ten times the cases may not cost more than a megabyte more: nothing is kept from case to case.
    EXPECT_LE(peaks[1], peaks[0] + 1024) << peaks[0] << " kB for " << counts[0] << " cases";
}

TEST(HostileFiles, PipesGiveTheRowsOfRegularFiles) {
    // Entry and coefficient files that can be read only once, as FIFOs and `<(zcat log.gz)` are: every run
    // writes the exit file of its regular files, and its copies of them are gone when it ends. A copy
    // that cannot be made stops the run before it starts.
    for (const ExampleRun& example : kExampleRuns) {
        Workspace workspace(std::string("hostile-pipes-") + example.name);
        const std::string examples = (rollbite::test::sourceFolder() / "examples").string();
        workspace.copyFrom(examples, example.entry);
        std::string feeders =
            "mkfifo entry.fifo && { cat " + std::string(example.entry) + " > entry.fifo & }";
        std::string answers =
            std::string(example.mode) + "\n" + example.rheology + "\nentry.fifo\nexit.txt\n";
        if (example.withCoefficients()) {
            workspace.copyFrom(examples, example.coefficients);
            feeders += " && mkfifo coefficients.fifo && { cat " + std::string(example.coefficients) +
                       " > coefficients.fifo & }";
            answers += "coefficients.fifo\n";
        }
        workspace.write(".answers", answers);
        std::filesystem::create_directory(workspace.path("spool"));
        const std::string rollbite = "'" + rollbite::test::executable().string() + "' < .answers";
        RunResult run = workspace.shell(feeders + " && TMPDIR=spool " + rollbite);
        ASSERT_EQ(run.exitStatus, 0) << example.name << ": " << run.err;
        workspace.copyFrom((rollbite::test::testDataFolder() / "regression").string(),
                           std::string("results_") + example.name + ".txt");
        EXPECT_EQ(workspace.read("exit.txt"), workspace.read(std::string("results_") + example.name + ".txt"))
            << example.name;
        EXPECT_TRUE(std::filesystem::is_empty(workspace.path("spool"))) << example.name;

        if (example.withCoefficients()) {
            std::filesystem::remove(workspace.path("exit.txt"));
            run = workspace.shell("rm -f *.fifo && " + feeders + " && TMPDIR=no/such/folder " + rollbite);
            EXPECT_EQ(run.exitStatus, 1) << example.name;
            EXPECT_NE(run.err.find("cannot make a temporary file to read entry.fifo twice"),
                      std::string::npos)
                << run.err;
            EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
            EXPECT_FALSE(workspace.exists("exit.txt")) << example.name;
        }
    }
}

// scripts/rollbite-batch: a run cut into pieces, run in parallel and joined must be byte for byte the
// exit file of one rollbite run; what cannot be cut safely, and a failing piece, leave no exit file.
#include "support/ExampleRuns.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <string>

using rollbite::test::ExampleRun;
using rollbite::test::executable;
using rollbite::test::kExampleRuns;
using rollbite::test::RunResult;
using rollbite::test::sourceFolder;
using rollbite::test::Workspace;

namespace {

std::string batchCommand(const std::string& options, const std::string& arguments,
                         const std::string& rollbite = executable().string()) {
    return "'" + (sourceFolder() / "scripts" / "rollbite-batch").string() + "' --rollbite '" + rollbite +
           "' " + options + " " + arguments;
}

// The exit file of one plain rollbite run.
std::string singleRun(const Workspace& workspace, const ExampleRun& example) {
    const RunResult run = workspace.run(example.answers("single.txt"));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return workspace.read("single.txt");
}

class ExampleBatch : public testing::TestWithParam<ExampleRun> {};

} // namespace

TEST_P(ExampleBatch, JoinedPiecesAreTheSingleRunByteForByte) {
    const ExampleRun& run = GetParam();
    Workspace workspace(std::string("batch-") + run.name);
    const std::string examples = (sourceFolder() / "examples").string();
    workspace.copyFrom(examples, run.entry);
    const std::string coefficients = run.coefficients;
    if (!coefficients.empty()) {
        workspace.copyFrom(examples, coefficients);
    }
    const std::string expected = singleRun(workspace, run);
    // Pieces of 4 cases: every example run is cut into several, some ending inside a schedule.
    const RunResult batch = workspace.shell(
        batchCommand("-j 2 --cases-per-piece 4", std::string(run.mode) + " " + run.rheology + " " +
                                                     run.entry + " batch.txt " + coefficients));
    ASSERT_EQ(batch.exitStatus, 0) << batch.err;
    EXPECT_EQ(workspace.read("batch.txt"), expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleBatch, testing::ValuesIn(kExampleRuns),
                         [](const testing::TestParamInfo<ExampleRun>& info) { return info.param.name; });

TEST(Batch, TenThousandGeneratedDirectCasesJoinByteForByte) {
    Workspace workspace("batch-generated");
    std::string entry = "case h_in h_out T_in T_out D E offset mu\n";
    for (int id = 1; id <= 10000; ++id) {
        // Reductions from 10 to 40 percent, frictions from 0.15 to 0.39, some cases failing their checks.
        const double exitThickness = 10.0 - 0.1 * (id % 31);
        const double friction = 0.15 + 0.01 * (id % 25);
        entry += std::to_string(id) + " 10 " + std::to_string(exitThickness) + " 5 10 " +
                 std::to_string(600 + id % 300) + " 210000 " + std::to_string(100 + id % 200) + " " +
                 std::to_string(friction) + "\n";
    }
    workspace.write("entry.txt", entry);
    const std::string expected = singleRun(workspace, {"generated", "d", "c", "entry.txt", ""});
    const RunResult batch = workspace.shell(batchCommand("-j 2", "d c entry.txt batch.txt"));
    ASSERT_EQ(batch.exitStatus, 0) << batch.err;
    EXPECT_EQ(workspace.read("batch.txt"), expected);
}

TEST(Batch, RefusesWhatCannotBeCutByLines) {
    Workspace workspace("batch-refusals");
    workspace.write("entry.txt", "header\n1 30 22 5 10 800 210000 20 0.3\n2 30 22 5 10 800 210000 20 0.3\n");
    // The exit file of an earlier run, which a refused batch leaves as it is.
    const std::string earlierRun =
        "'" + executable().string() + "' direct --rheology constant entry.txt exit.txt";
    ASSERT_EQ(workspace.shell(earlierRun).exitStatus, 0);
    const std::string earlier = workspace.read("exit.txt");

    // Two records spread over two lines each side of the cut: same line count, not one per line.
    workspace.write("coefficients.txt", "header\n140 60\n0.1 5 140 60 0.1 5\n");
    RunResult batch = workspace.shell(batchCommand("-j 2", "d s entry.txt exit.txt coefficients.txt"));
    EXPECT_EQ(batch.exitStatus, 1);
    EXPECT_NE(batch.err.find("line 2 of coefficients.txt does not hold exactly 4 numbers"), std::string::npos)
        << batch.err;

    // One line more than the entry file: rollbite refuses these files too.
    workspace.write("coefficients.txt", "header\n140 60 0.1 5\n140 60 0.1 5\n140 60 0.1 5\n");
    batch = workspace.shell(batchCommand("-j 2", "d s entry.txt exit.txt coefficients.txt"));
    EXPECT_EQ(batch.exitStatus, 1);
    EXPECT_NE(batch.err.find("don't have the same number of lines"), std::string::npos) << batch.err;

    // Usage errors are status 2, as for rollbite; a file that cannot be used is 1.
    EXPECT_EQ(workspace.shell(batchCommand("", "x c entry.txt exit.txt")).exitStatus, 2);
    EXPECT_EQ(workspace.shell(batchCommand("", "d s entry.txt exit.txt")).exitStatus, 2);
    EXPECT_EQ(workspace.shell(batchCommand("--cases-per-piece 0", "d c entry.txt exit.txt")).exitStatus, 2);
    EXPECT_EQ(workspace.shell(batchCommand("", "d c entry.txt entry.txt")).exitStatus, 1);
    EXPECT_EQ(workspace.read("exit.txt"), earlier); // never touched
    EXPECT_EQ(workspace.shell(batchCommand("", "--help")).exitStatus, 0);
}

TEST(Batch, AFailingPieceFailsTheBatchAndLeavesNoExitFile) {
    Workspace workspace("batch-failing-piece");
    std::string entry = "header\n";
    for (int id = 1; id <= 9; ++id) {
        entry += std::to_string(id) + " 30 22 5 10 800 210000 150 0.3\n";
    }
    workspace.write("entry.txt", entry);
    // A rollbite that dies on the second piece only.
    workspace.write("flaky-rollbite",
                    "#!/bin/sh\ncase \"$*\" in *piece-00000002*) kill -9 $$ ;; esac\nexec '" +
                        executable().string() + "' \"$@\"\n");
    ASSERT_EQ(workspace.shell("chmod +x flaky-rollbite").exitStatus, 0);
    const RunResult batch = workspace.shell(batchCommand("-j 2 --cases-per-piece 3", "d c entry.txt exit.txt",
                                                         workspace.path("flaky-rollbite").string()));
    EXPECT_EQ(batch.exitStatus, 1);
    EXPECT_NE(batch.err.find("piece piece-00000002 failed"), std::string::npos) << batch.err;
    EXPECT_FALSE(workspace.exists("exit.txt"));
    // Nothing half-joined is left beside it either.
    const RunResult listing = workspace.shell("ls -A");
    EXPECT_EQ(listing.out, ".stderr\n.stdout\nentry.txt\nflaky-rollbite\n");
}

TEST(Batch, AJoinedFileThatCannotBeWrittenFailsTheBatchAndLeavesNoExitFile) {
    // A file-size limit (its signal ignored) far above a piece's rows but below the joined file's.
    Workspace workspace("batch-full-disk");
    std::string entry = "header\n";
    for (int id = 1; id <= 400; ++id) {
        entry += std::to_string(id) + " 30 22 5 10 800 210000 150 0.3\n";
    }
    workspace.write("entry.txt", entry);
    const RunResult batch = workspace.shell(
        "trap '' XFSZ; ulimit -f 64; " + batchCommand("-j 2 --cases-per-piece 20", "d c entry.txt exit.txt"));
    EXPECT_EQ(batch.exitStatus, 1);
    EXPECT_NE(batch.err.find("exit.txt could not be written"), std::string::npos) << batch.err;
    const RunResult listing = workspace.shell("ls -A");
    EXPECT_EQ(listing.out, ".stderr\n.stdout\nentry.txt\n");
}

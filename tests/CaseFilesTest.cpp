// How the real executable reads entry and coefficient files and writes the exit file: framing, number
// format, error classes, and lines that cannot be read.
#include "support/ExitFile.h"
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using rollbite::test::exitRows;
using rollbite::test::RunResult;
using rollbite::test::Workspace;

namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::string kDirectHeaderLine = "case h_in h_out T_in T_out D E offset mu\n";
const std::string kGoodPass = "30 22 5 10 800 210000 150 0.3";

Rows runDirect(Workspace& workspace, const std::string& rheology, const std::string& entry,
               const std::string& coefficients = "") {
    workspace.write("entry.txt", entry);
    std::string answers = "d\n" + rheology + "\nentry.txt\nexit.txt\n";
    if (!coefficients.empty()) {
        workspace.write("coefficients.txt", coefficients);
        answers += "coefficients.txt\n";
    }
    const RunResult run = workspace.run(answers);
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    return exitRows(workspace.read("exit.txt"));
}

bool allZeroNumbers(const std::vector<std::string>& row) {
    for (std::size_t column = 2; column + 1 < row.size(); ++column) {
        if (row[column] != "0.000000e+00" && row[column] != "0") {
            return false;
        }
    }
    return row.back() == "--";
}

} // namespace

TEST(CaseFiles, DirectRowsHaveTwentyOneColumnsInScientificNotation) {
    Workspace workspace("files-format");
    const Rows rows =
        runDirect(workspace, "c", kDirectHeaderLine + "1 " + kGoodPass + "\n7 30 22 5 10 800 210000 0 0.3\n");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].size(), 21u);
    EXPECT_EQ(rows[0][0], "case");
    EXPECT_EQ(rows[0][20], "Has_Converged");
    const std::vector<std::string>& valid = rows[1];
    ASSERT_EQ(valid.size(), 21u);
    EXPECT_EQ(valid[0], "1");
    EXPECT_EQ(valid[1], "VOID");
    EXPECT_EQ(valid[20], "YES");
    // With the Constant rheology every flow-stress statistic is the offset yield stress.
    for (int column : {5, 6, 7, 8}) {
        EXPECT_EQ(valid[column], "1.500000e+02") << rows[0][column];
    }
    EXPECT_EQ(valid[17], "0"); // no sticking zone at mu = 0.3 with these tensions
    EXPECT_EQ(valid[18], "0");
    EXPECT_EQ(valid[2].size(), std::string("1.203123e+03").size());
    EXPECT_EQ(valid[2].substr(8), "e+03");

    const std::vector<std::string>& failed = rows[2];
    EXPECT_EQ(failed[0], "7");
    EXPECT_EQ(failed[1], "INPUTS"); // no flow stress without an offset
    EXPECT_TRUE(allZeroNumbers(failed));
}

TEST(CaseFiles, HeaderOnlyFinalLineAndEmptyLines) {
    Workspace workspace("files-framing");
    EXPECT_EQ(runDirect(workspace, "c", kDirectHeaderLine).size(), 1u);
    EXPECT_EQ(runDirect(workspace, "c", "").size(), 1u); // not even a header: the header row alone

    // A last line without its line feed is a case; a final line feed adds none.
    Rows rows = runDirect(workspace, "c", kDirectHeaderLine + "1 " + kGoodPass + "\n2 " + kGoodPass);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2][0], "2");
    EXPECT_EQ(rows[2][1], "VOID");

    // An empty line in the middle is a case of its own, which has nothing to read.
    rows = runDirect(workspace, "c", kDirectHeaderLine + "1 " + kGoodPass + "\n\n3 " + kGoodPass + "\r\n");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[2][0], "0");
    EXPECT_EQ(rows[2][1], "INPUTS");
    EXPECT_EQ(rows[3][0], "3");
    EXPECT_EQ(rows[3][1], "VOID"); // a carriage return is white space
}

TEST(CaseFiles, LinesThatCannotBeReadWholeAreInputFailures) {
    Workspace workspace("files-unreadable");
    const std::string entry = kDirectHeaderLine + "1 " + kGoodPass + "\n" + // a good case first
                              "2 30 22 5 10 800 210000 150\n" +             // a number missing
                              "3 30 22 5 10 800 210000 1,5e2 0.3\n" +       // a decimal comma
                              "4.5 30 22 5 10 800 210000 150 0.3\n" +       // not a whole identifier
                              "5 30 22 5 10 800 2.1e5 1.5E+2 0.3 extra\n";  // exponents, extra field
    const Rows rows = runDirect(workspace, "c", entry);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1][1], "VOID");
    EXPECT_EQ(rows[2][0], "2");
    EXPECT_EQ(rows[2][1], "INPUTS");
    EXPECT_TRUE(allZeroNumbers(rows[2]));
    EXPECT_EQ(rows[3][0], "3");
    EXPECT_EQ(rows[3][1], "INPUTS");
    EXPECT_EQ(rows[4][0], "0");
    EXPECT_EQ(rows[4][1], "INPUTS");
    EXPECT_EQ(rows[5][0], "5");
    EXPECT_EQ(rows[5][1], "VOID");
    EXPECT_EQ(rows[5][2], rows[1][2]); // the same pass, written otherwise
}

TEST(CaseFiles, SmatchRecordsAreReadNumberByNumber) {
    Workspace workspace("files-smatch");
    const std::string entry = kDirectHeaderLine + "1 30 22 5 10 800 210000 20 0.3\n" +
                              "2 30 22 5 10 800 210000 20 0.05\n" + // fails its check, still takes its record
                              "3 30 22 5 10 800 210000 20 0.3\n";
    const Rows oneLine = runDirect(workspace, "s", entry, "A B C D\n140 60 0.1 5\n1 1 1 1\n160 40 0.2 3\n");
    const Rows spread = runDirect(workspace, "s", entry, "A B C D\n140 60\n0.1 5 1 1 1 1 160\n40 0.2 3\n");
    ASSERT_EQ(oneLine.size(), 4u);
    EXPECT_EQ(oneLine[1][1], "VOID");
    EXPECT_EQ(oneLine[2][1], "INPUTS");
    EXPECT_EQ(oneLine[3][1], "VOID");
    EXPECT_EQ(spread, oneLine);

    const Rows third = runDirect(workspace, "s", kDirectHeaderLine + "3 30 22 5 10 800 210000 20 0.3\n",
                                 "A B C D\n160 40 0.2 3\n");
    EXPECT_EQ(third[1], oneLine[3]);
    EXPECT_NE(oneLine[3][2], oneLine[1][2]);

    const Rows broken = runDirect(workspace, "s", entry, "A B C D\n140 60 0.1 5\n1 x 1 1\n160 40 0.2 3\n");
    EXPECT_EQ(broken[2][1], "INPUTS");
    EXPECT_EQ(broken[3], oneLine[3]); // the record after the broken one is still its own case's
}

TEST(CaseFiles, ShortWS18FileFailsItsLastCases) {
    Workspace workspace("files-ws18-short");
    const std::string steel = "0.08 0.6 0.02 0.004 0 0 0 0.03 0.01 0 0 0 0 0 1000 980 2 1 50 1e13 0 50 1e13";
    const std::string entry =
        kDirectHeaderLine + "1 30 22 5 10 800 210000 0 0.3\n2 30 22 5 10 800 210000 0 0.3\n";
    const Rows rows = runDirect(workspace, "w", entry, "header\n" + steel + "\n0.08 0.6\n");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][1], "VOID");
    EXPECT_EQ(rows[2][0], "2");
    EXPECT_EQ(rows[2][1], "INPUTS");
}

TEST(CaseFiles, InverseRowsHaveTwelveColumnsAndRatiosAsErrors) {
    Workspace workspace("files-inverse");
    workspace.write("entry.txt", "case h_in h_out T_in T_out D E offset0 mu0 force slip\n"
                                 "1 30 22 5 10 800 210000 120 0.25 1203.1 6.99\n"
                                 "2 30 22 5 10 800 210000 120 0.05 1203.1 6.99\n");
    const RunResult run = workspace.run("i\nc\nentry.txt\nexit.txt\n");
    EXPECT_EQ(run.exitStatus, 0);
    const Rows rows = exitRows(workspace.read("exit.txt"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].size(), 12u);
    EXPECT_EQ(rows[0][9], "Force_Error(%)");
    EXPECT_EQ(rows[0][10], "Slip_Error(%)");
    ASSERT_EQ(rows[1].size(), 12u);
    EXPECT_EQ(rows[1][1], "VOID");
    EXPECT_EQ(rows[1][11], "YES");
    EXPECT_EQ(rows[1][3].substr(8), "e-01");
    EXPECT_NEAR(std::stod(rows[1][3]), 0.3, 0.001); // the friction of the direct run that gave the force
    // The errors are ratios, far below one percent written as a percentage would be.
    EXPECT_LT(std::abs(std::stod(rows[1][9])), 1e-4);
    EXPECT_LT(std::abs(std::stod(rows[1][10])), 2e-3);
    // A starting friction outside (0.1, 1.0) is an input failure, though the search would replace it.
    EXPECT_EQ(rows[2][1], "INPUTS");
    EXPECT_TRUE(allZeroNumbers(rows[2]));
}

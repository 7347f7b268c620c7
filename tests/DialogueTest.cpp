// The console dialogue of the real executable: questions, file prompts, and what happens when an
// answer is wrong, a file is missing, or the input ends.
#include "support/Workspace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <string>

using rollbite::test::RunResult;
using rollbite::test::Workspace;

namespace {

const std::string kModePrompt = "\n Direct/Inverse [d/i] : ";
const std::string kRheologyPrompt = "\n Constant/Smatch/WS18 [c/s/w] : ";
const std::string kEntryPrompt = "\n    Name of the entry file : ";
const std::string kExitPrompt = "    Name of the exit file : ";
const std::string kCoefficientPrompt = "    Name of the file containing rheology coefficients : ";
const std::string kDirectHeader =
    "case\tErrors\tRolling_Force\tForward_Slip\tRolling_Torque\tSigma_Moy\tSigma_Ini\t"
    "Sigma_Out\tSigma_Max\tNeutral_X\tU_Forward_Slip\tContact_Length\tNeutral_H\t"
    "angle_Tresca_Bw\tNeutral_Angle\tangle_Tresca_Fw\tU_Rolling_Force\t"
    "Tresca_Presence\tTotal_Tresca\tAlpha_Max\tHas_Converged\n";
const std::string kEntry = "case h_in h_out T_in T_out D E offset mu\n1 30 22 5 10 800 210000 150 0.3\n";
const std::string kSmatch = "A B C D\n140 60 0.1 5\n";

std::string lines(std::initializer_list<std::string> answers) {
    std::string text;
    for (const std::string& answer : answers) {
        text += answer + "\n";
    }
    return text;
}

std::string repeat(const std::string& text, int times) {
    std::string repeated;
    for (int k = 0; k < times; ++k) {
        repeated += text;
    }
    return repeated;
}

} // namespace

TEST(Dialogue, WrongAnswersBringThePromptBackWithoutAMessage) {
    Workspace workspace("dialogue-wrong");
    workspace.write("entry.txt", kEntry);
    // Upper case, a blank after or before, a doubled letter and an empty line are all wrong. With the
    // Constant rheology no coefficient file is asked for.
    const RunResult run =
        workspace.run(lines({"D", "d ", " d", "dd", "", "d", "C", "x", "c", "entry.txt", "exit.txt"}));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, repeat(kModePrompt, 6) + repeat(kRheologyPrompt, 3) +
                           "\n  Direct mode  with Constant rheology \n " + kEntryPrompt + kExitPrompt);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(workspace.read("exit.txt").substr(0, kDirectHeader.size()), kDirectHeader);
}

TEST(Dialogue, InverseModeWithWS18AsksForTheCoefficientFile) {
    Workspace workspace("dialogue-inverse");
    workspace.write("entry.txt", "header\n");
    workspace.write("steel.txt", "header\n");
    const RunResult run = workspace.run(lines({"i", "x", "w", "entry.txt", "exit.txt", "steel.txt"}));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, kModePrompt + repeat(kRheologyPrompt, 2) + "\n  Inverse mode  with WS18 rheology \n " +
                           kEntryPrompt + kExitPrompt + kCoefficientPrompt);
    EXPECT_EQ(workspace.read("exit.txt"), "case\tErrors\tOffsetYield\tFriction\tRolling_Torque\tSigma_Moy\t"
                                          "Sigma_Ini\tSigma_Out\tSigma_Max\tForce_Error(%)\tSlip_Error(%)\t"
                                          "Has_Converged\n");
}

TEST(Dialogue, MissingFilesAreAskedAgain) {
    // A folder opens, but holds no lines: it is asked again as a file that is not there.
    Workspace workspace("dialogue-missing");
    workspace.write("entry.txt", kEntry);
    workspace.write("smatch.txt", kSmatch);
    std::filesystem::create_directory(workspace.path("folder"));
    const RunResult run =
        workspace.run(lines({"d", "s", "nothere.txt", "not there.txt", "folder", "entry.txt", "exit.txt",
                             "missing.txt", "folder", "smatch.txt"}));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, kModePrompt + kRheologyPrompt + "\n  Direct mode  with Smatch rheology \n " +
                           kEntryPrompt + "\t\t ---> File  nothere.txt doesn't exist !" + kEntryPrompt +
                           "\t\t ---> File  not there.txt doesn't exist !" + kEntryPrompt +
                           "\t\t ---> File  folder doesn't exist !" + kEntryPrompt + kExitPrompt +
                           kCoefficientPrompt + "\t\t ---> File  missing.txt doesn't exist !\n" +
                           kCoefficientPrompt + "\t\t ---> File  folder doesn't exist !\n" +
                           kCoefficientPrompt);
    EXPECT_EQ(workspace.read("exit.txt").size() > kDirectHeader.size(), true);
}

TEST(Dialogue, InputThatEndsStopsTheProgramWithAMessage) {
    // The run never starts: an exit file that was there is left as it was, one the dialogue created goes.
    struct Ending {
        std::string answers;
        std::string missing;
    };
    const Ending endings[] = {
        {"", "Direct/Inverse"},
        {lines({"q", "d"}), "Constant/Smatch/WS18"},
        {lines({"d", "c"}), "entry file"},
        {lines({"d", "c", "nothere.txt"}), "entry file"},
        {lines({"d", "c", "entry.txt"}), "exit file"},
        {lines({"d", "s", "entry.txt", "exit.txt"}), "rheology coefficients"},
        {lines({"d", "s", "entry.txt", "new.txt"}), "rheology coefficients"},
    };
    const std::string earlierRun = kDirectHeader + "1\tVOID\tkept\n";
    for (const Ending& ending : endings) {
        Workspace workspace("dialogue-ending");
        workspace.write("entry.txt", kEntry);
        workspace.write("exit.txt", earlierRun);
        const RunResult run = workspace.run(ending.answers);
        EXPECT_EQ(run.exitStatus, 1) << ending.missing;
        EXPECT_NE(run.err.find(ending.missing), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line: " << run.err;
        EXPECT_EQ(workspace.read("exit.txt"), earlierRun) << ending.missing;
        EXPECT_FALSE(workspace.exists("new.txt")) << ending.missing;
    }
}

TEST(Dialogue, AFileThatHoldsOtherDataIsNeverTakenAsTheExitFile) {
    // The coefficient file named at the exit prompt by mistake, then notes: both refused and kept byte
    // for byte. Exit files of either mode, an empty file, a new one and a device are taken as before.
    Workspace workspace("dialogue-other-data");
    workspace.write("entry.txt", kEntry);
    workspace.write("smatch.txt", kSmatch);
    const std::string notes = "measured on F3\r\nno header here";
    workspace.write("notes.txt", notes);
    const std::string inverseHeader = "case\tErrors\tOffsetYield\tFriction\tRolling_Torque\tSigma_Moy\t"
                                      "Sigma_Ini\tSigma_Out\tSigma_Max\tForce_Error(%)\tSlip_Error(%)\t"
                                      "Has_Converged\n";
    workspace.write("inverse.txt", inverseHeader + "1001\tVOID\n");
    RunResult run =
        workspace.run(lines({"d", "s", "entry.txt", "smatch.txt", "notes.txt", "inverse.txt", "smatch.txt"}));
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, kModePrompt + kRheologyPrompt + "\n  Direct mode  with Smatch rheology \n " +
                           kEntryPrompt + kExitPrompt + "\t\t ---> File  smatch.txt is not an exit file !\n" +
                           kExitPrompt + "\t\t ---> File  notes.txt is not an exit file !\n" + kExitPrompt +
                           kCoefficientPrompt);
    EXPECT_EQ(workspace.read("smatch.txt"), kSmatch);
    EXPECT_EQ(workspace.read("notes.txt"), notes);
    const std::string rows = workspace.read("inverse.txt");
    EXPECT_EQ(rows.substr(0, kDirectHeader.size()), kDirectHeader);

    workspace.write("direct.txt", rows);
    workspace.write("empty.txt", "");
    for (const char* exitFile : {"direct.txt", "empty.txt", "new.txt", "/dev/null"}) {
        run = workspace.run(lines({"d", "s", "entry.txt", exitFile, "smatch.txt"}));
        EXPECT_EQ(run.exitStatus, 0) << exitFile;
        EXPECT_EQ(run.out.find("---> File"), std::string::npos) << exitFile << ": " << run.out;
        if (exitFile[0] != '/') {
            EXPECT_EQ(workspace.read(exitFile), rows) << exitFile;
        }
    }
}

TEST(Dialogue, AnExitFileThatCannotBeWrittenIsAskedAgain) {
    Workspace workspace("dialogue-unwritable");
    workspace.write("entry.txt", kEntry);
    const RunResult run =
        workspace.run(lines({"d", "c", "entry.txt", "no/such/folder/exit.txt", ".", "exit.txt"}));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_NE(run.out.find("\t\t ---> File  no/such/folder/exit.txt can't be written !\n" + kExitPrompt),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\t\t ---> File  . can't be written !\n" + kExitPrompt), std::string::npos);
    EXPECT_EQ(workspace.read("exit.txt").substr(0, kDirectHeader.size()), kDirectHeader);
}

TEST(Dialogue, AnInputFileIsNeverTakenAsTheExitFile) {
    // The entry file under another spelling; then an old exit file named as the exit file and, at the
    // next prompt, as the coefficient file too.
    Workspace workspace("dialogue-input-as-exit");
    workspace.write("entry.txt", kEntry);
    const std::string oldRun = kDirectHeader + "1\tVOID\n";
    workspace.write("old.txt", oldRun);
    const RunResult run =
        workspace.run(lines({"d", "s", "entry.txt", "./entry.txt", "old.txt", "old.txt", "exit.txt"}));
    EXPECT_EQ(run.out, kModePrompt + kRheologyPrompt + "\n  Direct mode  with Smatch rheology \n " +
                           kEntryPrompt + kExitPrompt + "\t\t ---> File  ./entry.txt is an input file !\n" +
                           kExitPrompt + kCoefficientPrompt + "\t\t ---> File  old.txt is an input file !\n" +
                           kExitPrompt);
    EXPECT_EQ(workspace.read("exit.txt").substr(0, kDirectHeader.size()), kDirectHeader);
    EXPECT_EQ(workspace.read("entry.txt"), kEntry);
    EXPECT_EQ(workspace.read("old.txt"), oldRun);
}

TEST(Dialogue, FilesOfDifferentLengthsEndTheRunWithAMessage) {
    // The run never starts: an earlier exit file is kept whole, and no new one is left behind.
    Workspace workspace("dialogue-line-count");
    workspace.write("entry.txt", "header\n1 30 22 5 10 800 210000 150 0.3\n2 30 22 5 10 800 210000 150 0.3\n"
                                 "3 30 22 5 10 800 210000 150 0.3\n");
    workspace.write("smatch.txt", "header\n140 60 0.1 5\n140 60 0.1 5\n140 60 0.1 5"); // no final line feed
    const std::string earlierRun = kDirectHeader + "1\tVOID\tkept\n";
    workspace.write("exit.txt", earlierRun);
    for (const std::string exitFile : {"exit.txt", "new.txt"}) {
        const RunResult run = workspace.run(lines({"d", "s", "entry.txt", exitFile, "smatch.txt"}));
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_NE(
            run.out.find("\t\t ---> Files  entry.txt and smatch.txt don't have the same number of lines !\n"),
            std::string::npos)
            << run.out;
    }
    EXPECT_EQ(workspace.read("exit.txt"), earlierRun);
    EXPECT_FALSE(workspace.exists("new.txt"));
}

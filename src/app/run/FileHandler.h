#pragma once

#include "app/dialogue/Console.h"
#include "app/formats/EntryReader.h"
#include "app/formats/OutputGuard.h"
#include "app/formats/RecordReader.h"
#include "app/formats/RowFile.h"
#include "rollbite/model/CaseInputs.h"

#include <fstream>
#include <string>

namespace rollbite {

// Why a name cannot be taken as the exit file.
// Stopped: a signal came while a FIFO waited for its reader.
enum class ExitFileProblem { None, InputFile, OtherData, Folder, CannotWrite, Busy, Stopped };

// The three files of a run: the entry file of cases, the exit file of result rows and, for the Smatch
// and WS18 rheologies, the file of rheology coefficients. Asks for their names on the console, or opens
// the names given on the command line, with the same checks.
class FileHandler {
public:
    // The name that stands for standard input (as the entry file) or output (as the exit file).
    static constexpr const char* kStandardStream = "-";

    explicit FileHandler(const Console& console);
    virtual ~FileHandler() = default;

    // Asks for the entry file, the exit file and, when asked, the coefficient file, until each can be
    // used. An exit file is never one of the inputs nor a file that holds other data; it is only probed
    // here, and emptied by startExitFile. False when the console input ended before every name was given.
    bool askFileNames(bool withCoefficients);
    // False when the file cannot be opened for reading, or is a folder.
    bool openEntryFile(const std::string& name);
    bool openCoefficientFile(const std::string& name);
    // Probes the exit file once the inputs are open: never one of them, never a folder, nor (unless
    // `force`) a file that holds other data; it must open for writing, and no other run may be writing
    // it. It is created if missing, but emptied only by startExitFile, and removed by abandonRun if the
    // run never starts.
    // With `checkOnly` (a dry run) a FIFO is not opened, which would wait for its reader and then give it
    // the end of the file: it need only be writable. Otherwise a FIFO waits for its reader until
    // `stopRequested` says to stop.
    ExitFileProblem openExitFile(const std::string& name, bool withCoefficients, bool force = false,
                                 bool checkOnly = false, const RowFile::StopRequested& stopRequested = {});
    // The problem in words, for the command line: "the exit file x.txt is an input file".
    std::string exitFileMessage(ExitFileProblem problem, bool withCoefficients) const;
    // The entry and exit files' names for a message: "-" is standard input or output on the command line.
    std::string shownEntry() const;
    std::string shownExit() const;
    // The rules for the other files the run writes: never an input, never the exit file.
    OutputGuard outputGuard(bool withCoefficients, bool force) const;
    // Copies an entry or coefficient file that cannot be read twice (a pipe, a FIFO) into a temporary
    // file, which is removed from its folder before anything is written into it. False, with the reason
    // in `failure`, when that copy cannot be made whole.
    bool spoolUnseekableInputs(std::string& failure);
    // True when entry and coefficient files hold the same number of line feeds, which it gives.
    bool sameLineCount(long long& entryLines, long long& coefficientLines);
    // The case lines of the entry file (its lines after the header), read from the current position.
    long long countCaseLines();
    // Back to the start of both input files after counting. False, with the reason in `failure`, when a
    // file cannot go back.
    bool rewindInputs(std::string& failure);
    // False when the entry file holds not even a header line.
    bool entryHasHeader() { return !entries.empty(); }
    // Empties the exit file for the run's rows, once the run is certain to start.
    void startExitFile();
    // The run never started: removes the exit file if this handler created it, and closes every file.
    // A file that existed before is left as it was.
    void abandonRun();
    // Skips the header lines of the input files and writes the header row of the mode.
    void writeHeader(int mode, int rheologyKind);
    void closeAll();
    // Reads the next case line and, for Smatch and WS18, its coefficient record into `inputs`;
    // `placement` says when the record did not stand alone on the case's line. False at the end of the
    // entry file.
    bool readCase(int mode, int rheologyKind, CaseInputs& inputs, std::string& placement);
    // A law's columns for the records of the coefficient file; they must outlive the handler.
    void useLaw(const LawColumns* columns) {
        law_ = columns;
        records.useLaw(columns);
    }
    // Writes one result row and flushes it, so that a run stopped at any point leaves whole rows. False
    // when the exit file cannot take it (a full disk, a lost device): the file is then cut back to its
    // last whole row and closed, and every later row is refused.
    bool writeRow(const std::string& row);
    // Takes the last row back out, when another file of the run could not take the case's row. False
    // when it cannot be (standard output into a pipe, a device).
    bool withdrawRow();
    // True once the header or a row could not be written.
    bool exitFileFailed() const { return exitFile.failed(); }
    // Rows in the exit file, after its header row.
    long long rowsWritten() const { return rowsWritten_; }
    // The input file that failed while it was read (an input/output error), or an empty name.
    std::string unreadInput() const;
    // What the system said when the exit file failed, or an empty text.
    const std::string& exitFailure() const { return exitFile.failure(); }

    std::ifstream entryFile;
    std::ifstream coefficientFile;
    RowFile exitFile;
    EntryReader entries{entryFile};
    RecordReader records{coefficientFile};

    std::string entryFileName;
    std::string exitFileName;
    std::string coefficientFileName;
    // The command line's "-": standard input as the entry file, standard output as the exit file.
    bool standardStreams = false;

private:
    bool askLine(const char* prompt, const char* what, std::string& answer);
    bool askEntryFile();
    bool askExitFile(bool withCoefficients);
    bool askCoefficientFile();
    // The rules for the exit file: never an input.
    OutputGuard inputGuard(bool withCoefficients, bool force) const;
    bool isStandard(const std::string& name) const;
    // `path` is where the file is opened, `name` what a message calls it.
    bool spool(std::ifstream& file, const std::string& path, const std::string& name, std::string& failure);

    Console console_;
    long long rowsWritten_ = 0;
    const LawColumns* law_ = nullptr;
};

} // namespace rollbite

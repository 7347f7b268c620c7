#pragma once

#include "app/Console.h"
#include "model/CaseInputs.h"

#include <cstdint>
#include <fstream>
#include <istream>
#include <string>

namespace rollbite {

// Why a name cannot be taken as the exit file.
enum class ExitFileProblem { None, InputFile, OtherData, CannotWrite };

// The three files of a run: the entry file of cases, the exit file of result rows and, for the Smatch
// and WS18 rheologies, the file of rheology coefficients. Asks for their names on the console, or opens
// the names given on the command line, with the same checks.
class FileHandler {
public:
    explicit FileHandler(const Console& console);
    virtual ~FileHandler() = default;

    // Asks for the entry file, the exit file and, when asked, the coefficient file, until each can be
    // used. An exit file is never one of the inputs nor a file that holds other data; it is only probed
    // here, and emptied by startExitFile. False when the console input ended before every name was given.
    bool askFileNames(bool withCoefficients);
    // False when the file cannot be opened for reading, or is a folder.
    bool openEntryFile(const std::string& name);
    bool openCoefficientFile(const std::string& name);
    // Probes the exit file once the inputs are open: never one of them, nor (unless `force`) a file that
    // holds other data, and it must open for writing. It is created if missing, but emptied only by
    // startExitFile, and removed by abandonRun if the run never starts.
    ExitFileProblem openExitFile(const std::string& name, bool withCoefficients, bool force = false);
    // Copies an entry or coefficient file that cannot be read twice (a pipe, a FIFO) into a temporary
    // file, which is removed from its folder before anything is written into it. False, with the reason
    // in `failure`, when that copy cannot be made whole.
    bool spoolUnseekableInputs(std::string& failure);
    // True when entry and coefficient files hold the same number of line feeds.
    bool sameLineCount();
    // The case lines of the entry file (its lines after the header), read from the current position.
    long long countCaseLines();
    // Back to the start of both input files after counting. False, with the reason in `failure`, when a
    // file cannot go back.
    bool rewindInputs(std::string& failure);
    // Empties the exit file for the run's rows, once the run is certain to start.
    void startExitFile();
    // The run never started: removes the exit file if this handler created it, and closes every file.
    // A file that existed before is left as it was.
    void abandonRun();
    // Skips the header lines of the input files and writes the header row of the mode.
    void writeHeader(int mode);
    void closeAll();
    // Reads the next coefficient record of the rheology (4 or 23 whitespace-separated numbers, whatever
    // lines they stand on) into the case's coefficients. False, with what could not be read added to the
    // case's `unreadable`, when one is not a number or the file ends first.
    bool readRecord(int rheologyKind, CaseInputs& inputs);
    // Writes one result row and flushes it, so that a run stopped at any point leaves whole rows. False
    // when the exit file cannot take it (a full disk, a lost device): the file is then cut back to its
    // last whole row and closed, and every later row is refused.
    bool writeRow(const std::string& row);
    // True once the header or a row could not be written.
    bool exitFileFailed() const { return exitFailed_; }
    // Rows in the exit file, after its header row.
    long long rowsWritten() const { return rowsWritten_; }
    // The input file that failed while it was read (an input/output error), or an empty name.
    std::string unreadInput() const;
    // What the system said when the exit file failed, or an empty text.
    const std::string& exitFailure() const { return exitFailure_; }

    // The header row of the exit file of a mode, without its line feed.
    static const char* headerRow(int mode);
    // True when `name` is a regular file that is not empty and whose first line is neither header row of
    // an exit file: data of another kind, which a run must not overwrite.
    static bool holdsOtherData(const std::string& name);
    // The same for a file whose first line may be only `header`.
    static bool holdsOtherData(const std::string& name, const std::string& header);
    // True when both names lead to the same existing file, whatever path spells them.
    static bool sameFile(const std::string& first, const std::string& second);

    std::ofstream exitFile;
    std::ifstream entryFile;
    std::ifstream coefficientFile;
    std::string line; // current line of the entry file, without its line feed

    std::string entryFileName;
    std::string exitFileName;
    std::string coefficientFileName;

private:
    bool askLine(const char* prompt, const char* what, std::string& answer);
    bool askEntryFile();
    bool askExitFile(bool withCoefficients);
    bool askCoefficientFile();
    bool isInputFile(const std::string& name, bool withCoefficients) const;
    bool spool(std::ifstream& file, const std::string& name, std::string& failure);
    // Closes the probed exit file, and removes it if the probe created it.
    void releaseExitFile();

    // Appends whole lines to the exit file; on failure cuts it back to what it held before and closes it.
    bool appendToExitFile(const std::string& text);

    Console console_;
    std::uintmax_t wholeBytes_ = 0; // bytes of the exit file up to the end of its last whole line
    long long rowsWritten_ = 0;
    bool exitFailed_ = false;
    std::string exitFailure_;
    bool exitFileCreated_ = false; // the probe of the exit file created it
    std::string field_;            // the coefficient field being read
};

} // namespace rollbite

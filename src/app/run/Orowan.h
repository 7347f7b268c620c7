#pragma once

#include "app/dialogue/Console.h"
#include "app/formats/LawColumns.h"
#include "app/run/FileHandler.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/CaseResult.h"
#include "rollbite/model/CaseSolver.h"

#include <string>

namespace rollbite {

class Interruption;
class RunReport;
class SensitivityTable;

// The computation of a run: gets the files (asked on the console, or named on the command line), then
// for every line of the entry file reads the case and its coefficient record, solves it through the case
// API and writes one result row with its error class. The two modes supply how a row is written.
class Orowan {
public:
    Orowan(int rheologyKind, const Console& console, int mode);
    virtual ~Orowan() = default;

    // The whole run with the dialogue. 0 when the entry file was processed; 1 when the console input
    // ended before every file was named, when the entry file has no header line, when entry and
    // coefficient files differ in their number of lines, or when the exit file could not be written (the
    // run then stops, and the file keeps the rows written whole) or an input file not read to its end;
    // 128 + the signal's number when SIGINT, SIGTERM or SIGHUP stopped it (every row written whole).
    int run();
    // The same run on files named on the command line: each file the dialogue would ask again for is a
    // message on the error stream and the status 1. `report` (optional) hears of every row. With
    // `dryRun`, every file is checked and nothing is written.
    int runWithFiles(const std::string& entry, const std::string& exit, const std::string& coefficients,
                     bool force, RunReport* report, bool dryRun = false);

    // Reads the next case line, and the case's coefficient record, into `inputs`; `placement` says when
    // the record did not stand alone on its line. False at the end of the entry file.
    bool readCase(CaseInputs& inputs, std::string& placement);
    // The result row of a case, with its line feed.
    virtual std::string formatRow(const CaseResult& result) const = 0;
    // Writes the row of a case to the exit file, and its row of the sensitivity table if the run writes
    // one: 0, or 1 when the exit file (or the why file, or the table) could not take it.
    int writeRow(const CaseResult& result, long long lineNumber, const std::string& placement,
                 const std::string& sensitivityRow = std::string());
    // True when the run must stop reading cases: a file failed, or a signal came.
    bool stopping() const;

    FileHandler fileHandler;
    CaseSolver solver;
    CaseInputs inputs; // the current case
    // Threads solving cases at once; above 1 the rows are still written in the order of the entry file.
    int threadCount;
    // The run's sensitivity table (--sensitivities), or null: set before runWithFiles.
    SensitivityTable* sensitivityTable = nullptr;
    // With a flow-stress law: its columns and the values given for the run; set before runWithFiles.
    LawColumns* lawColumns = nullptr;

protected:
    int mode_;
    Console console_;

private:
    int processFiles(bool dryRun);
    // True when the run reads a coefficient file: every rheology but Constant, and a law whose parameters
    // are not all given for the run (or whose run names a file).
    bool withCoefficients() const;
    // A law's coefficient file: its header row names columns of the law. False, with the reason.
    bool readLawHeader(std::string& failure);
    // Checks and probes the sensitivity table by the run's rules: never an input, the exit or the why file.
    bool openSensitivityTable(bool withCoefficients, bool force, bool checkOnly, std::string& failure);
    // Why an input file named on the command line cannot be opened, after its name.
    static std::string unreadable(const std::string& name);
    // Checks what the run needs before its first row: a header line, the line counts, the total.
    bool prepareInputs(std::string& failure);
    void processCases();
    // Ends a run that cannot start, with one line on the error stream: the exit status 1, or 128 + the
    // signal's number when a signal stopped it.
    int abandonRun(const std::string& failure);
    // "the run stopped after N rows, which every file holds whole", for a run that a file stopped.
    std::string rowsHeld() const;
    // The exit status of a run that started, with the lines that say why it stopped, if it did.
    int finishRun();
    void reportMisplacedRecords();

    RunReport* report_ = nullptr;
    bool coefficientFileNamed_ = false; // the command line named a coefficient file
    Interruption* interruption_ = nullptr;
    bool commandLine_ = false; // the files were named on the command line: messages go to the error stream
    std::string placement_;    // of the current case's record
};

} // namespace rollbite

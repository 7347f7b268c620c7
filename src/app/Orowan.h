#pragma once

#include "Kinds.h"
#include "app/Console.h"
#include "app/FileHandler.h"
#include "model/CaseInputs.h"
#include "model/CaseResult.h"
#include "model/CaseSolver.h"

#include <string>

namespace rollbite {

class RunReport;

// The computation of a run: gets the files (asked on the console, or named on the command line), then
// for every line of the entry file reads the case and its coefficient record, solves it through the case
// API and writes one result row with its error class. The two modes supply how a row is written.
class Orowan {
public:
    Orowan(int rheologyKind, const Console& console, int mode);
    virtual ~Orowan() = default;

    // The whole run with the dialogue. 0 when the entry file was processed; 1 when the console input
    // ended before every file was named, when entry and coefficient files differ in their number of
    // lines, or when the exit file could not be written (the run then stops, and the file keeps the rows
    // written whole) or an input file not read to its end.
    int run();
    // The same run on files named on the command line: each file the dialogue would ask again for is a
    // message on the error stream and the status 1. `report` (optional) hears of every row.
    int runWithFiles(const std::string& entry, const std::string& exit, const std::string& coefficients,
                     bool force, RunReport* report);

    // Reads the current entry line, and the case's coefficient record, into `inputs`.
    int readCaseLine(CaseInputs& inputs);
    // The result row of a case, with its line feed.
    virtual std::string formatRow(const CaseResult& result) const = 0;
    // Writes the row of a case to the exit file: 0, or 1 when the exit file could not take it.
    int writeRow(const CaseResult& result, long long lineNumber);

    FileHandler fileHandler;
    CaseSolver solver;
    CaseInputs inputs; // the current case
    // Threads solving cases at once; above 1 the rows are still written in the order of the entry file.
    int threadCount;
    // The number of the entry line read last (the header is line 1).
    long long lineNumber;

protected:
    int mode_;
    Console console_;

private:
    int processFiles();
    void processCase();
    // Ends a run that cannot start, with one line on the error stream: the exit status 1.
    int abandonRun(const std::string& failure);
    void reportExitFileFailure();

    RunReport* report_ = nullptr;
    bool commandLine_ = false; // the files were named on the command line: messages go to the error stream
};

} // namespace rollbite

#pragma once

#include "Kinds.h"
#include "app/Console.h"
#include "app/FieldReader.h"
#include "app/FileHandler.h"
#include "inputs/Rolling.h"
#include "model/ModelHandler.h"

#include <memory>
#include <string>

namespace rollbite {

// The computation of a run: asks for the files, then for every line of the entry file parses the case,
// checks its inputs, solves it, checks its outputs and writes one result row with its error class. The
// two modes supply how a line is read, which solver runs and which outputs are written.
class Orowan {
public:
    Orowan(int rheologyKind, const Console& console);
    virtual ~Orowan() = default;

    virtual int readCaseLine() = 0;
    virtual int applyConstantRheology() = 0;
    virtual int readWS18Record() = 0;
    // The whole run. 0 when the entry file was processed; 1 when the console input ended before every
    // file was named, when entry and coefficient files differ in their number of lines, or when the exit
    // file could not be written (the run then stops, and the file keeps the rows written whole).
    virtual int run() = 0;
    virtual int solve() = 0;
    virtual void postProcess(int status) = 0;
    virtual void resetOutputs();
    virtual bool checkOutputs() = 0;
    // Writes the row of the current case to the exit file: 0, or 1 when the exit file could not take it.
    virtual int writeRow();
    // The result row of the current case, with its line feed.
    virtual std::string formatRow() const = 0;
    // A computation of the same mode and rheology that parses and solves cases for this one, which
    // reads and writes the files (see CasePipeline).
    virtual std::unique_ptr<Orowan> makeWorker() const = 0;
    virtual void spareOperation1() = 0;
    virtual void spareOperation2(int value) = 0;
    virtual void onInputError();
    virtual int inputCheckCode() = 0;

    void parseCase();
    // Checks, solves and classifies the parsed case, leaving its outputs ready for the row.
    void computeCase(int mode);
    void computeFlowStressStatistics();

    FileHandler fileHandler;
    ModelHandler modelHandler;
    double Sigma_Ini; // MPa, flow stress at the bite entry
    double Sigma_Out; // MPa, at the bite exit
    double Sigma_Moy; // MPa, mean over the bite
    double Sigma_Max; // MPa, largest over the bite
    double Rolling_Torque;
    bool Tresca_Presence;
    bool Total_Tresca;
    std::string hasConverged;
    ErrorClass errorCode;
    std::string errorClass;
    // False when the case line or its coefficient record could not be read whole: the case is then an
    // input failure, never computed from values left over from an earlier case.
    bool caseReadable;
    // Threads solving cases at once; above 1 the rows are still written in the order of the entry file.
    int threadCount;

protected:
    int runCases(int mode);
    // The seven rolling values that open every case line.
    bool readRollingFields(FieldReader& fields, Rolling& record);
    void processCase(int mode);
    void setErrorClass(ErrorClass error);
    void reportExitFileFailure();
    // Ends a run that cannot start, with one line on the error stream: the exit status 1.
    int abandonRun(const std::string& failure);
    Console console_;

private:
    bool readSmatchRecord();
};

} // namespace rollbite

#pragma once

#include "Kinds.h"
#include "app/Console.h"
#include "app/FieldReader.h"
#include "app/FileHandler.h"
#include "inputs/Rolling.h"
#include "model/ModelHandler.h"

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
    // file was named, or when entry and coefficient files differ in their number of lines.
    virtual int run() = 0;
    virtual int solve() = 0;
    virtual void postProcess(int status) = 0;
    virtual void resetOutputs();
    virtual bool checkOutputs() = 0;
    virtual int writeRow() = 0;
    virtual void spareOperation1() = 0;
    virtual void spareOperation2(int value) = 0;
    virtual void onInputError();
    virtual int inputCheckCode() = 0;

    void parseCase();
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

protected:
    int runCases(int mode);
    // The seven rolling values that open every case line.
    bool readRollingFields(FieldReader& fields, Rolling& record);
    void processCase(int mode);
    void setErrorClass(ErrorClass error);
    Console console_;

private:
    bool readSmatchRecord();
};

} // namespace rollbite

#include "app/Orowan.h"

#include "app/CaseLine.h"
#include "app/CasePipeline.h"
#include "app/RunReport.h"

namespace rollbite {

Orowan::Orowan(int rheologyKind, const Console& console, int mode)
    : fileHandler(console), solver(static_cast<Mode>(mode), static_cast<RheologyKind>(rheologyKind)),
      threadCount(1), lineNumber(1), mode_(mode), console_(console) {}

int Orowan::run() {
    const int kind = solver.rheology();
    if (kind != kConstantRheology && kind != kSmatchRheology && kind != kWS18Rheology) {
        fileHandler.closeAll();
        return 0;
    }
    if (!fileHandler.askFileNames(kind != kConstantRheology)) {
        fileHandler.abandonRun();
        return 1;
    }
    return processFiles();
}

int Orowan::runWithFiles(const std::string& entry, const std::string& exit, const std::string& coefficients,
                         bool force, RunReport* report) {
    report_ = report;
    commandLine_ = true;
    const bool withCoefficients = solver.rheology() != kConstantRheology;
    if (!fileHandler.openEntryFile(entry)) {
        return abandonRun("the entry file " + entry + " doesn't exist or cannot be read");
    }
    if (withCoefficients && !fileHandler.openCoefficientFile(coefficients)) {
        return abandonRun("the coefficient file " + coefficients + " doesn't exist or cannot be read");
    }
    switch (fileHandler.openExitFile(exit, withCoefficients, force)) {
    case ExitFileProblem::InputFile:
        return abandonRun("the exit file " + exit + " is an input file");
    case ExitFileProblem::OtherData:
        return abandonRun("the exit file " + exit +
                          " holds other data (its first line is no header row of an exit file); --force "
                          "writes over it");
    case ExitFileProblem::CannotWrite:
        return abandonRun("the exit file " + exit + " can't be written");
    default:
        return processFiles();
    }
}

int Orowan::processFiles() {
    const bool withCoefficients = solver.rheology() != kConstantRheology;
    const bool total = report_ != nullptr && report_->wantsTotal();
    std::string failure;
    // Counting the lines reads the files once: one that cannot be read twice is copied first.
    if ((withCoefficients || total) && !fileHandler.spoolUnseekableInputs(failure)) {
        return abandonRun(failure);
    }
    if (withCoefficients) {
        if (!fileHandler.sameLineCount()) {
            if (commandLine_) {
                return abandonRun("the files " + fileHandler.entryFileName + " and " +
                                  fileHandler.coefficientFileName + " don't have the same number of lines");
            }
            console_.out << "\t\t ---> Files  " << fileHandler.entryFileName << " and "
                         << fileHandler.coefficientFileName << " don't have the same number of lines !\n";
            fileHandler.abandonRun();
            return 1;
        }
        if (!fileHandler.rewindInputs(failure)) {
            return abandonRun(failure);
        }
    }
    if (total) {
        report_->setTotal(fileHandler.countCaseLines());
        if (!fileHandler.rewindInputs(failure)) {
            return abandonRun(failure);
        }
    }
    if (report_ != nullptr && !report_->begin(failure)) {
        return abandonRun(failure);
    }
    fileHandler.startExitFile();
    fileHandler.writeHeader(mode_);
    lineNumber = 1;
    if (threadCount > 1) {
        CasePipeline(*this, threadCount).run();
    } else {
        while (!fileHandler.exitFileFailed() && std::getline(fileHandler.entryFile, fileHandler.line)) {
            ++lineNumber;
            processCase();
        }
    }
    const std::string unreadInput = fileHandler.unreadInput();
    fileHandler.closeAll();
    int status = 0;
    if (fileHandler.exitFileFailed()) {
        reportExitFileFailure();
        status = 1;
    } else if (!unreadInput.empty()) {
        // A read error ends a file as its end would: the rows missing would go unnoticed.
        console_.err << "rollbite: the file " << unreadInput
                     << " could not be read to its end; the run stopped after " << fileHandler.rowsWritten()
                     << " rows\n";
        status = 1;
    }
    if (report_ != nullptr && !report_->finish()) {
        status = 1;
    }
    return status;
}

void Orowan::processCase() {
    readCaseLine(inputs);
    writeRow(solver.solve(inputs), lineNumber);
}

int Orowan::readCaseLine(CaseInputs& caseInputs) {
    CaseLine::read(mode_, fileHandler.line, caseInputs);
    if (solver.rheology() != kConstantRheology) {
        fileHandler.readRecord(solver.rheology(), caseInputs);
    }
    return 0;
}

int Orowan::writeRow(const CaseResult& result, long long caseLine) {
    if (!fileHandler.writeRow(formatRow(result))) {
        return 1;
    }
    if (report_ != nullptr) {
        report_->caseWritten(caseLine, result);
    }
    return 0;
}

int Orowan::abandonRun(const std::string& failure) {
    console_.err << "rollbite: " << failure << "; the run did not start\n";
    fileHandler.abandonRun();
    return 1;
}

void Orowan::reportExitFileFailure() {
    // Rows that could not be written are not computed again: the run stops at the first one.
    const std::string& reason = fileHandler.exitFailure();
    console_.err << "rollbite: the exit file " << fileHandler.exitFileName << " could not be written"
                 << (reason.empty() ? "" : " (" + reason + ")") << "; the run stopped after "
                 << fileHandler.rowsWritten() << " rows, which the file holds whole\n";
}

} // namespace rollbite

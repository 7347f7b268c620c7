#include "app/run/Orowan.h"

#include "app/run/CasePipeline.h"
#include "app/run/Interruption.h"
#include "app/run/RunReport.h"
#include "app/run/SensitivityTable.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

namespace rollbite {

Orowan::Orowan(int rheologyKind, const Console& console, int mode)
    : fileHandler(console), solver(static_cast<Mode>(mode), static_cast<RheologyKind>(rheologyKind)),
      threadCount(1), mode_(mode), console_(console) {}

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
    Interruption interruption;
    interruption_ = &interruption;
    return processFiles(false);
}

int Orowan::runWithFiles(const std::string& entry, const std::string& exit, const std::string& coefficients,
                         bool force, RunReport* report, bool dryRun) {
    report_ = report;
    commandLine_ = true;
    fileHandler.standardStreams = true;
    // From the first file on: a signal while a FIFO waits for its reader stops the run cleanly, and the
    // exit file it created goes with it.
    Interruption interruption;
    interruption_ = &interruption;
    const RowFile::StopRequested stopRequested = [&interruption] { return interruption.requested(); };
    coefficientFileNamed_ = !coefficients.empty();
    const bool withCoefficients = this->withCoefficients();
    if (!fileHandler.openEntryFile(entry)) {
        return abandonRun("the entry file " + fileHandler.shownEntry() + unreadable(entry));
    }
    if (withCoefficients && !fileHandler.openCoefficientFile(coefficients)) {
        return abandonRun("the coefficient file " + coefficients + unreadable(coefficients));
    }
    const ExitFileProblem problem =
        fileHandler.openExitFile(exit, withCoefficients, force, dryRun, stopRequested);
    if (problem != ExitFileProblem::None) {
        return abandonRun(fileHandler.exitFileMessage(problem, withCoefficients));
    }
    std::string failure;
    OutputGuard guard = fileHandler.outputGuard(withCoefficients, force);
    if (sensitivityTable != nullptr) {
        guard.addOutput(sensitivityTable->name(), "the sensitivity table");
    }
    if (report_ != nullptr && !report_->openWhyFile(guard, failure, stopRequested, dryRun)) {
        return abandonRun(failure);
    }
    if (sensitivityTable != nullptr && !openSensitivityTable(withCoefficients, force, dryRun, failure)) {
        return abandonRun(failure);
    }
    return processFiles(dryRun);
}

bool Orowan::openSensitivityTable(bool withCoefficients, bool force, bool checkOnly, std::string& failure) {
    OutputGuard guard = fileHandler.outputGuard(withCoefficients, force);
    if (report_ != nullptr && !report_->whyFileName().empty()) {
        guard.addOutput(report_->whyFileName(), "the why file");
    }
    Interruption* interruption = interruption_;
    return sensitivityTable->open(
        guard, failure, [interruption] { return interruption->requested(); }, checkOnly);
}

std::string Orowan::unreadable(const std::string& name) {
    std::error_code error;
    return std::filesystem::is_directory(name, error) ? " is a folder" : " doesn't exist or cannot be read";
}

bool Orowan::withCoefficients() const {
    if (solver.rheology() == kLawRheology) {
        return coefficientFileNamed_ || lawColumns == nullptr || lawColumns->needsFile();
    }
    return solver.rheology() != kConstantRheology;
}

bool Orowan::readLawHeader(std::string& failure) {
    const std::string header = fileHandler.records.readHeader();
    std::string wrong;
    if (!lawColumns->readHeader(header, wrong)) {
        failure = "the coefficient file " + fileHandler.coefficientFileName + " is no file of the law " +
                  lawColumns->law()->name() + ": " + wrong;
        return false;
    }
    return fileHandler.rewindInputs(failure);
}

bool Orowan::prepareInputs(std::string& failure) {
    const bool withCoefficients = this->withCoefficients();
    const bool total = report_ != nullptr && report_->wantsTotal();
    // Counting the lines reads the files once: one that cannot be read twice is copied first.
    if ((withCoefficients || total) && !fileHandler.spoolUnseekableInputs(failure)) {
        return false;
    }
    if (!fileHandler.entryHasHeader()) {
        failure = "the entry file " + fileHandler.shownEntry() +
                  " is empty: an entry file starts with a header line";
        return false;
    }
    if (withCoefficients) {
        long long entryLines = 0;
        long long coefficientLines = 0;
        if (!fileHandler.sameLineCount(entryLines, coefficientLines)) {
            failure = "the files " + fileHandler.shownEntry() + " and " + fileHandler.coefficientFileName +
                      " don't have the same number of lines (" + std::to_string(entryLines) + " and " +
                      std::to_string(coefficientLines) +
                      " line feeds; an empty line at the end of a file counts as one)";
            return false;
        }
        if (!fileHandler.rewindInputs(failure)) {
            return false;
        }
        if (lawColumns != nullptr && !readLawHeader(failure)) {
            return false;
        }
    }
    if (total) {
        report_->setTotal(fileHandler.countCaseLines());
        if (!fileHandler.rewindInputs(failure)) {
            return false;
        }
    }
    return true;
}

int Orowan::processFiles(bool dryRun) {
    const Interruption& interruption = *interruption_;
    std::string failure;
    if (!prepareInputs(failure)) {
        if (!commandLine_ && failure.rfind("the files ", 0) == 0) {
            // The dialogue's own words for files of different lengths.
            console_.out << "\t\t ---> Files  " << fileHandler.entryFileName << " and "
                         << fileHandler.coefficientFileName << " don't have the same number of lines !\n";
            fileHandler.abandonRun();
            return 1;
        }
        return abandonRun(failure);
    }
    if (interruption.requested()) {
        return abandonRun("");
    }
    if (dryRun) {
        fileHandler.abandonRun();
        if (report_ != nullptr) {
            report_->abandon();
        }
        if (sensitivityTable != nullptr) {
            sensitivityTable->abandon();
        }
        return 0;
    }
    if ((report_ != nullptr && !report_->begin(failure)) ||
        (sensitivityTable != nullptr && !sensitivityTable->begin(failure))) {
        return abandonRun(failure);
    }
    fileHandler.startExitFile();
    fileHandler.writeHeader(mode_, solver.rheology());
    if (fileHandler.exitFileFailed()) {
        return abandonRun("the exit file " + fileHandler.shownExit() + " could not be written (" +
                          fileHandler.exitFailure() + ")");
    }
    processCases();
    return finishRun();
}

void Orowan::processCases() {
    if (threadCount > 1 || sensitivityTable != nullptr) {
        CasePipeline(*this, threadCount).run();
        return;
    }
    while (!stopping() && readCase(inputs, placement_)) {
        writeRow(solver.solve(inputs), fileHandler.entries.lineNumber(), placement_);
    }
}

bool Orowan::stopping() const {
    return fileHandler.exitFileFailed() || (report_ != nullptr && report_->whyFileFailed()) ||
           (sensitivityTable != nullptr && sensitivityTable->failed()) ||
           (interruption_ != nullptr && interruption_->requested());
}

bool Orowan::readCase(CaseInputs& caseInputs, std::string& placement) {
    return fileHandler.readCase(mode_, solver.rheology(), caseInputs, placement);
}

int Orowan::writeRow(const CaseResult& result, long long lineNumber, const std::string& placement,
                     const std::string& sensitivityRow) {
    // A case's row goes into every file of the run or none: a file that cannot take it has the rows
    // written before it for the case taken back, so that all files end at the same case.
    if (!fileHandler.writeRow(formatRow(result))) {
        return 1;
    }
    bool whyRow = false;
    if (report_ != nullptr && !report_->writeWhyRow(lineNumber, result, placement, whyRow)) {
        fileHandler.withdrawRow();
        return 1;
    }
    if (sensitivityTable != nullptr && !sensitivityTable->append(sensitivityRow)) {
        if (whyRow) {
            report_->withdrawWhyRow();
        }
        fileHandler.withdrawRow();
        return 1;
    }
    if (report_ != nullptr) {
        report_->caseWritten(result);
    }
    return 0;
}

int Orowan::abandonRun(const std::string& failure) {
    // A signal that came meanwhile (a FIFO waiting for its reader) is what stopped the run.
    const int signal = interruption_ != nullptr ? interruption_->signal() : 0;
    console_.err << "rollbite: "
                 << (signal != 0 ? std::string("interrupted by ") + Interruption::name(signal) : failure)
                 << "; the run did not start\n";
    fileHandler.abandonRun();
    if (report_ != nullptr) {
        report_->abandon();
    }
    if (sensitivityTable != nullptr) {
        sensitivityTable->abandon();
    }
    return signal != 0 ? Interruption::exitStatus(signal) : 1;
}

std::string Orowan::rowsHeld() const {
    const long long rows = fileHandler.rowsWritten();
    if (sensitivityTable != nullptr && sensitivityTable->rows() != rows) {
        // A row that reached a pipe or a device cannot be taken back.
        return "the run stopped with " + std::to_string(rows) + " rows in the exit file " +
               fileHandler.shownExit() + " and " + std::to_string(sensitivityTable->rows()) +
               " in the sensitivity table, each whole (a row that reached a pipe or a device cannot be "
               "taken back)";
    }
    const bool several =
        sensitivityTable != nullptr || (report_ != nullptr && !report_->whyFileName().empty());
    return "the run stopped after " + std::to_string(rows) + " rows, which " +
           (several ? "every file holds whole" : "the file holds whole");
}

int Orowan::finishRun() {
    const std::string unreadInput = fileHandler.unreadInput();
    fileHandler.closeAll();
    const long long rows = fileHandler.rowsWritten();
    const bool interrupted = interruption_->requested();
    const bool whyWhole = report_ == nullptr || report_->finish();
    const bool tableWhole = sensitivityTable == nullptr || sensitivityTable->close();
    int status = 0;
    if (fileHandler.exitFileFailed()) {
        // Rows that could not be written are not computed again: the run stops at the first one.
        const std::string& reason = fileHandler.exitFailure();
        console_.err << "rollbite: the exit file " << fileHandler.shownExit() << " could not be written"
                     << (reason.empty() ? "" : " (" + reason + ")") << "; " << rowsHeld() << "\n";
        status = 1;
    } else if (!whyWhole) {
        const std::string& reason = report_->whyFailure();
        console_.err << "rollbite: the why file " << report_->whyFileName() << " could not be written"
                     << (reason.empty() ? "" : " (" + reason + ")") << "; " << rowsHeld() << "\n";
        status = 1;
    } else if (!tableWhole) {
        const std::string& reason = sensitivityTable->failure();
        console_.err << "rollbite: the sensitivity table " << sensitivityTable->name()
                     << " could not be written" << (reason.empty() ? "" : " (" + reason + ")") << "; "
                     << rowsHeld() << "\n";
        status = 1;
    } else if (!unreadInput.empty()) {
        // A read error ends a file as its end would: the rows missing would go unnoticed.
        console_.err << "rollbite: the file " << unreadInput
                     << " could not be read to its end; the run stopped after " << rows << " rows\n";
        status = 1;
    } else if (interrupted) {
        const int signal = interruption_->signal();
        const long long total = report_ != nullptr ? report_->total() : 0;
        console_.err << "rollbite: interrupted by " << Interruption::name(signal) << " after " << rows
                     << (total > 0 ? " of " + std::to_string(total) : std::string()) << " cases; "
                     << fileHandler.shownExit() << " holds the first " << rows << " rows, each whole\n";
        status = Interruption::exitStatus(signal);
    }
    reportMisplacedRecords();
    if (report_ != nullptr && !interrupted) {
        report_->summarize(std::max(0LL, fileHandler.entries.lineNumber() - 1));
    }
    return status;
}

void Orowan::reportMisplacedRecords() {
    const RecordReader& records = fileHandler.records;
    if (records.misplacedRecords() == 0) {
        return;
    }
    const bool one = records.misplacedRecords() == 1;
    console_.err << "rollbite: " << records.misplacedRecords() << " coefficient record" << (one ? "" : "s")
                 << " of " << fileHandler.coefficientFileName << (one ? " does" : " do")
                 << " not stand alone on the line of " << (one ? "its" : "their")
                 << " case (the first on line " << records.firstMisplacedLine()
                 << "): each case took the next numbers of the file, as they follow one another"
                 << (report_ != nullptr && !report_->whyFileName().empty() ? "; the why file lists them" : "")
                 << "\n";
}

} // namespace rollbite

#include "app/Orowan.h"

#include "app/CasePipeline.h"
#include "inputs/SmatchInputs.h"

#include <array>

namespace rollbite {

namespace {

const char* errorClassName(ErrorClass error) {
    switch (error) {
    case INPUTS:
        return "INPUTS";
    case INTERNAL:
        return "INTERNAL";
    case OUTPUTS:
        return "OUTPUTS";
    default:
        return "VOID";
    }
}

} // namespace

Orowan::Orowan(int rheologyKind, const Console& console)
    : fileHandler(console), modelHandler(rheologyKind), Sigma_Ini(0.0), Sigma_Out(0.0), Sigma_Moy(0.0),
      Sigma_Max(0.0), Rolling_Torque(0.0), Tresca_Presence(false), Total_Tresca(false), hasConverged("?"),
      errorCode(VOID), errorClass("VOID"), caseReadable(true), threadCount(1), console_(console) {}

void Orowan::resetOutputs() {
    Sigma_Ini = 0.0;
    Sigma_Out = 0.0;
    Sigma_Moy = 0.0;
    Sigma_Max = 0.0;
}

void Orowan::onInputError() {
    if (errorCode == INPUTS) {
        spareOperation2(0);
    }
}

int Orowan::runCases(int mode) {
    const int kind = modelHandler.Rheology_kind;
    if (kind != kConstantRheology && kind != kSmatchRheology && kind != kWS18Rheology) {
        fileHandler.closeAll();
        return 0;
    }
    const bool withCoefficients = kind != kConstantRheology;
    if (!fileHandler.askFileNames(withCoefficients)) {
        fileHandler.abandonRun();
        return 1;
    }
    if (withCoefficients) {
        // Counting the lines reads both files once: one that cannot be read twice is copied first.
        std::string failure;
        if (!fileHandler.spoolUnseekableInputs(failure)) {
            return abandonRun(failure);
        }
        if (!fileHandler.sameLineCount()) {
            console_.out << "\t\t ---> Files  " << fileHandler.entryFileName << " and "
                         << fileHandler.coefficientFileName << " don't have the same number of lines !\n";
            fileHandler.abandonRun();
            return 1;
        }
        if (!fileHandler.rewindInputs(failure)) {
            return abandonRun(failure);
        }
    }
    fileHandler.startExitFile();
    fileHandler.writeHeader(mode);
    if (threadCount > 1) {
        CasePipeline(*this, mode, threadCount).run();
    } else {
        while (!fileHandler.exitFileFailed() && std::getline(fileHandler.entryFile, fileHandler.line)) {
            processCase(mode);
        }
    }
    const std::string unreadInput = fileHandler.unreadInput();
    fileHandler.closeAll();
    if (fileHandler.exitFileFailed()) {
        reportExitFileFailure();
        return 1;
    }
    if (!unreadInput.empty()) {
        // A read error ends a file as its end would: the rows missing would go unnoticed.
        console_.err << "rollbite: the file " << unreadInput
                     << " could not be read to its end; the run stopped after " << fileHandler.rowsWritten()
                     << " rows\n";
        return 1;
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

void Orowan::processCase(int mode) {
    parseCase();
    computeCase(mode);
    writeRow();
}

void Orowan::computeCase(int mode) {
    if (!caseReadable || !modelHandler.checkCaseInputs(mode)) {
        setErrorClass(INPUTS);
        resetOutputs();
    } else if (solve() != 0) {
        setErrorClass(INTERNAL); // the outputs were reset inside solve
    } else if (checkOutputs()) {
        setErrorClass(VOID);
    } else {
        setErrorClass(OUTPUTS);
        resetOutputs();
    }
}

int Orowan::writeRow() {
    return fileHandler.writeRow(formatRow()) ? 0 : 1;
}

void Orowan::setErrorClass(ErrorClass error) {
    errorCode = error;
    errorClass = errorClassName(error);
}

void Orowan::parseCase() {
    readCaseLine();
    switch (modelHandler.Rheology_kind) {
    case kConstantRheology:
        applyConstantRheology();
        break;
    case kSmatchRheology:
        caseReadable = readSmatchRecord() && caseReadable;
        break;
    case kWS18Rheology:
        readWS18Record();
        break;
    default:
        break;
    }
}

bool Orowan::readSmatchRecord() {
    // The next four numbers of the coefficient file, whatever line they stand on.
    std::array<double, 4> coefficients{};
    const bool whole =
        fileHandler.readCoefficients(coefficients.data(), static_cast<int>(coefficients.size()));
    modelHandler.setSmatchRheology(
        SmatchInputs(coefficients[0], coefficients[1], coefficients[2], coefficients[3]));
    return whole;
}

bool Orowan::readRollingFields(FieldReader& fields, Rolling& record) {
    return fields.nextInteger(record.Case_id) && fields.nextDouble(record.Entry_thickness) &&
           fields.nextDouble(record.Exit_thickness) && fields.nextDouble(record.Entry_tension) &&
           fields.nextDouble(record.Exit_tension) && fields.nextDouble(record.Working_roll_diameter) &&
           fields.nextDouble(record.Young_modulus_WR);
}

void Orowan::computeFlowStressStatistics() {
    const Rheology& rheology = modelHandler.currentRheology();
    const std::vector<double>& profile = rheology.Flow_stress_profile;
    if (profile.empty()) {
        return;
    }
    double sum = 0.0;
    double largest = profile.front();
    for (const double flowStress : profile) {
        sum += flowStress;
        if (flowStress > largest) {
            largest = flowStress;
        }
    }
    Sigma_Ini = profile.front();
    Sigma_Out = profile.back();
    Sigma_Moy = sum / static_cast<double>(profile.size());
    Sigma_Max = largest;
}

} // namespace rollbite

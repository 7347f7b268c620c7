#include "app/CaseProfile.h"

#include "Kinds.h"
#include "app/CaseLine.h"
#include "app/DirectOrowan.h"
#include "app/FieldReader.h"
#include "app/FileHandler.h"
#include "app/InverseOrowan.h"
#include "app/TextFiles.h"
#include "model/CaseSolver.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace rollbite {

namespace {

int fieldCount(const std::string& line) {
    std::istringstream fields(line);
    int count = 0;
    for (std::string field; fields >> field;) {
        ++count;
    }
    return count;
}

RheologyKind kindOf(char rheology) {
    return rheology == 's' ? kSmatchRheology : rheology == 'w' ? kWS18Rheology : kConstantRheology;
}

} // namespace

CaseProfile::CaseProfile(char mode, char rheology) : mode_(mode), rheology_(rheology) {}

bool CaseProfile::fail(const std::string& why) {
    message_ = why;
    return false;
}

bool CaseProfile::run(const std::string& entryFile, const std::string& coefficientFile, std::int32_t caseId) {
    std::string caseLine;
    long long rank = 0;
    if (!findCase(entryFile, caseId, caseLine, rank)) {
        return false;
    }
    std::string record;
    if (rheology_ != 'c' && !findRecord(entryFile, coefficientFile, rank, record)) {
        return false;
    }
    return compute(caseLine, record);
}

bool CaseProfile::findCase(const std::string& entryFile, std::int32_t caseId, std::string& line,
                           long long& rank) {
    std::ifstream entry(entryFile);
    if (!entry) {
        return fail("cannot read the entry file " + entryFile);
    }
    std::getline(entry, line); // the header
    for (rank = 1; std::getline(entry, line); ++rank) {
        std::int32_t id = 0;
        FieldReader fields(line);
        if (fields.nextInteger(id) && id == caseId) {
            return true;
        }
    }
    return fail("case " + std::to_string(caseId) + " is not in " + entryFile);
}

bool CaseProfile::findRecord(const std::string& entryFile, const std::string& coefficientFile, long long rank,
                             std::string& record) {
    const std::string entryText = readWholeFile(entryFile);
    const std::string coefficientText = readWholeFile(coefficientFile);
    if (coefficientText.empty() && !std::ifstream(coefficientFile)) {
        return fail("cannot read the coefficient file " + coefficientFile);
    }
    // The same refusal as a run's: the two files must hold as many line feeds.
    if (std::count(entryText.begin(), entryText.end(), '\n') !=
        std::count(coefficientText.begin(), coefficientText.end(), '\n')) {
        return fail("files " + entryFile + " and " + coefficientFile +
                    " don't have the same number of lines");
    }
    std::istringstream coefficients(coefficientText);
    std::getline(coefficients, record); // the header
    for (long long k = 1; k <= rank; ++k) {
        std::getline(coefficients, record);
    }
    const int wanted = rheology_ == 's' ? CaseInputs::kSmatchCoefficients : CaseInputs::kWS18Coefficients;
    if (fieldCount(record) != wanted) {
        return fail("line " + std::to_string(rank + 1) + " of " + coefficientFile +
                    " does not hold exactly " + std::to_string(wanted) +
                    " numbers: the record of the case is not on its own line");
    }
    return true;
}

bool CaseProfile::compute(const std::string& caseLine, const std::string& record) {
    CaseInputs inputs;
    CaseLine::read(mode_ == 'd' ? kDirectMode : kInverseMode, caseLine, inputs);
    std::istringstream coefficients(record);
    std::string field;
    CaseLine::readRecord(coefficients, kindOf(rheology_), inputs, field);
    return compute(inputs);
}

bool CaseProfile::compute(const CaseInputs& inputs) {
    const Mode mode = mode_ == 'd' ? kDirectMode : kInverseMode;
    CaseSolver solver(mode, kindOf(rheology_));
    solver.recordProfile(&profile_);
    const CaseResult& result = solver.solve(inputs);
    forwardSlip_ = solver.modelForwardSlip();
    header_ = FileHandler::headerRow(mode);
    row_ = mode == kDirectMode ? DirectOrowan::row(result) : InverseOrowan::row(result);
    row_.pop_back(); // its line feed
    if (result.errorCode != VOID) {
        return fail(std::string("the case has no result: its row has the error class ") +
                    result.errorClass() + " (" + result.reason + ")");
    }
    if (!profile_.complete) {
        return fail("the last roll-bite integration of the case failed");
    }
    return true;
}

} // namespace rollbite

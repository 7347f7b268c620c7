#include "app/profile/CaseProfile.h"

#include "app/formats/CaseLine.h"
#include "app/formats/EntryReader.h"
#include "app/formats/ExitColumns.h"
#include "app/formats/FieldReader.h"
#include "app/formats/RecordReader.h"
#include "rollbite/model/CaseSolver.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace rollbite {

namespace {

long long countLineFeeds(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::count(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>(), '\n');
}

} // namespace

CaseProfile::CaseProfile(Mode mode, RheologyKind rheology, const LawColumns* law)
    : mode_(mode), rheology_(rheology), law_(law) {}

bool CaseProfile::fail(const std::string& why) {
    message_ = why;
    return false;
}

bool CaseProfile::run(const std::string& entryFile, const std::string& coefficientFile, std::int32_t caseId) {
    CaseInputs inputs;
    return findCase(entryFile, coefficientFile, caseId, inputs) && compute(inputs);
}

bool CaseProfile::findCase(const std::string& entryFile, const std::string& coefficientFile,
                           std::int32_t caseId, CaseInputs& inputs) {
    std::ifstream entry(entryFile);
    if (!entry) {
        return fail("cannot read the entry file " + entryFile);
    }
    // A law reads a coefficient file only when one is named: its values may all be given for the run.
    const bool withCoefficients =
        rheology_ == kLawRheology ? !coefficientFile.empty() : rheology_ != kConstantRheology;
    if (rheology_ == kLawRheology && law_ == nullptr) {
        return fail("no flow-stress law");
    }
    std::ifstream coefficients;
    if (withCoefficients) {
        coefficients.open(coefficientFile);
        if (!coefficients) {
            return fail("cannot read the coefficient file " + coefficientFile);
        }
        // The same refusal as a run's: the two files must hold as many line feeds.
        if (countLineFeeds(entryFile) != countLineFeeds(coefficientFile)) {
            return fail("files " + entryFile + " and " + coefficientFile +
                        " don't have the same number of lines");
        }
    }
    EntryReader entries(entry);
    RecordReader records(coefficients);
    if (entries.empty()) {
        return fail("the entry file " + entryFile + " is empty: an entry file starts with a header line");
    }
    entries.skipHeader();
    LawColumns columns = law_ != nullptr ? *law_ : LawColumns();
    if (withCoefficients && !readHeader(records, coefficientFile, columns)) {
        return false;
    }
    // Every case before it takes its record too, so that the case gets the record the run gives it.
    CaseInputs skipped;
    while (entries.nextLine()) {
        std::int32_t id = 0;
        FieldReader fields(entries.line());
        const bool found = fields.nextInteger(id) && id == caseId;
        if (found) {
            CaseLine::read(mode_, entries.line(), inputs);
            if (law_ != nullptr) {
                columns.startCase(inputs); // the law and the run's values, before the record's
            }
        }
        if (withCoefficients) {
            skipped.unreadable.clear();
            records.next(rheology_, found ? inputs : skipped);
        }
        if (found) {
            placement_ = records.lastPlacement();
            return true;
        }
    }
    return fail("case " + std::to_string(caseId) + " is not in " + entryFile);
}

bool CaseProfile::readHeader(RecordReader& records, const std::string& coefficientFile, LawColumns& columns) {
    if (rheology_ != kLawRheology) {
        records.skipHeader();
        return true;
    }
    std::string wrong;
    if (!columns.readHeader(records.readHeader(), wrong)) {
        return fail("the coefficient file " + coefficientFile + " is no file of the law " +
                    columns.law()->name() + ": " + wrong);
    }
    records.useLaw(&columns);
    return true;
}

bool CaseProfile::compute(const CaseInputs& inputs) {
    CaseSolver solver(mode_, rheology_);
    solver.recordProfile(&profile_);
    const CaseResult& result = solver.solve(inputs);
    forwardSlip_ = solver.modelForwardSlip();
    const ExitColumns columns(mode_, rheology_);
    header_ = columns.header();
    row_ = columns.row(result);
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

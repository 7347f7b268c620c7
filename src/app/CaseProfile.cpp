#include "app/CaseProfile.h"

#include "Kinds.h"
#include "app/Console.h"
#include "app/DirectOrowan.h"
#include "app/FieldReader.h"
#include "app/InverseOrowan.h"
#include "app/TextFiles.h"
#include "inputs/WS18Inputs.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace rollbite {

namespace {

constexpr int kSmatchRecordNumbers = 4;

int fieldCount(const std::string& line) {
    std::istringstream fields(line);
    int count = 0;
    for (std::string field; fields >> field;) {
        ++count;
    }
    return count;
}

// A folder of its own for the one-case files, removed with it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "rollbite-profile-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ignored);
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    bool made() const { return !path_.empty(); }
    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

} // namespace

CaseProfile::CaseProfile(char mode, char rheology) : mode_(mode), rheology_(rheology) {}

bool CaseProfile::fail(const std::string& why) {
    message_ = why;
    return false;
}

bool CaseProfile::run(const std::string& entryFile, const std::string& coefficientFile, std::int32_t caseId) {
    std::string entryHeader;
    std::string caseLine;
    long long rank = 0;
    if (!findCase(entryFile, caseId, entryHeader, caseLine, rank)) {
        return false;
    }
    std::string coefficientText;
    if (rheology_ != 'c') {
        std::string coefficientHeader;
        std::string record;
        if (!findRecord(entryFile, coefficientFile, rank, coefficientHeader, record)) {
            return false;
        }
        coefficientText = coefficientHeader + "\n" + record + "\n";
    }
    return computeAlone(entryHeader + "\n" + caseLine + "\n", coefficientText);
}

bool CaseProfile::findCase(const std::string& entryFile, std::int32_t caseId, std::string& header,
                           std::string& line, long long& rank) {
    std::ifstream entry(entryFile);
    if (!entry) {
        return fail("cannot read the entry file " + entryFile);
    }
    std::getline(entry, header);
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
                             std::string& header, std::string& record) {
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
    std::getline(coefficients, header);
    for (long long k = 1; k <= rank; ++k) {
        std::getline(coefficients, record);
    }
    const int wanted = rheology_ == 's' ? kSmatchRecordNumbers : WS18Inputs::kValueCount;
    if (fieldCount(record) != wanted) {
        return fail("line " + std::to_string(rank + 1) + " of " + coefficientFile +
                    " does not hold exactly " + std::to_string(wanted) +
                    " numbers: the record of the case is not on its own line");
    }
    return true;
}

bool CaseProfile::computeAlone(const std::string& entryText, const std::string& coefficientText) {
    ScratchFolder folder;
    if (!folder.made()) {
        return fail("cannot make a temporary folder");
    }
    const bool withCoefficients = rheology_ != 'c';
    if (!writeWholeFile(folder.file("entry.txt"), entryText) ||
        (withCoefficients && !writeWholeFile(folder.file("coefficients.txt"), coefficientText))) {
        return fail("cannot write the case into a temporary folder");
    }
    std::string answers = folder.file("entry.txt") + "\n" + folder.file("exit.txt") + "\n";
    if (withCoefficients) {
        answers += folder.file("coefficients.txt") + "\n";
    }
    std::istringstream in(answers);
    std::ostringstream out;
    const Console console{in, out, out};
    const int kind = rheology_ == 's'   ? kSmatchRheology
                     : rheology_ == 'w' ? kWS18Rheology
                                        : kConstantRheology;
    std::unique_ptr<Orowan> computation;
    if (mode_ == 'd') {
        computation = std::make_unique<DirectOrowan>(kind, console);
    } else {
        computation = std::make_unique<InverseOrowan>(kind, console);
    }
    computation->modelHandler.Bite_model.profileRecord = &profile_;
    if (computation->run() != 0) {
        return fail("the case could not be run: " + out.str());
    }
    forwardSlip_ = computation->modelHandler.Model_forward_slip;

    std::istringstream exitRows(readWholeFile(folder.file("exit.txt")));
    std::getline(exitRows, header_);
    std::getline(exitRows, row_);
    const std::string errorClass = computation->errorClass;
    if (errorClass != "VOID") {
        return fail("the case has no result: its row has the error class " + errorClass +
                    (errorClass == "INPUTS"     ? " (its inputs fail their checks)"
                     : errorClass == "INTERNAL" ? " (the solve failed)"
                                                : " (its results are out of range)"));
    }
    if (!profile_.complete) {
        return fail("the last roll-bite integration of the case failed");
    }
    return true;
}

} // namespace rollbite

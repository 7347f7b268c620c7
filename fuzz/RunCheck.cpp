#include "RunCheck.h"

#include "app/dialogue/Console.h"
#include "app/run/DirectOrowan.h"
#include "app/run/InverseOrowan.h"
#include "rollbite/Kinds.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace rollbite::fuzz {

namespace {

constexpr std::size_t kDirectColumns = 21;
constexpr std::size_t kInverseColumns = 12;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "rollbite fuzz check failed: %s\n", what.c_str());
    std::abort();
}

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
    if (!file) {
        fail("cannot write " + path);
    }
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Lines as std::getline sees them: split at line feeds, a last piece without one counts when not empty.
std::size_t getlineCount(std::string_view text) {
    std::size_t lines = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        ++lines;
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

std::vector<std::string_view> splitTabs(std::string_view row) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = row.find('\t', start);
        fields.push_back(row.substr(start, end == std::string_view::npos ? row.npos : end - start));
        if (end == std::string_view::npos) {
            return fields;
        }
        start = end + 1;
    }
}

bool isErrorClass(std::string_view field) {
    return field == "VOID" || field == "INPUTS" || field == "INTERNAL" || field == "OUTPUTS";
}

// A written value is a number or one of the flags and convergence words, never nan or inf.
bool isSound(std::string_view field) {
    return field.find("nan") == std::string_view::npos && field.find("inf") == std::string_view::npos &&
           !field.empty();
}

// Every case file this run reads or writes lives in one folder per fuzzing process.
std::string processFolder() {
    const char* shared = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    const std::string folder = std::string(shared) + "/rollbite-fuzz-" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    return folder;
}

} // namespace

void checkRow(std::string_view row, std::size_t columns, const std::string& where) {
    const std::vector<std::string_view> fields = splitTabs(row);
    if (fields.size() != columns || !isErrorClass(fields[1])) {
        fail(where + " is malformed");
    }
    for (const std::string_view field : fields) {
        if (!isSound(field)) {
            fail(where + " holds a value that is not a number");
        }
    }
}

RunCheck::RunCheck(unsigned combination, std::string entryText, std::string coefficientText)
    : mode_(combination % 6 < 3 ? kDirectMode : kInverseMode), rheology_(static_cast<int>(combination % 3)),
      threads_(static_cast<int>(combination / 6 % 2) + 1), entryText_(std::move(entryText)),
      coefficientText_(std::move(coefficientText)), folder_(processFolder()) {}

std::string RunCheck::folderFile(const char* name) const {
    return folder_ + "/" + name;
}

void RunCheck::runAndCheck() const {
    const bool withCoefficients = rheology_ != kConstantRheology;
    writeFile(folderFile("entry.txt"), entryText_);
    if (withCoefficients) {
        writeFile(folderFile("coefficients.txt"), coefficientText_);
    }
    std::ostringstream out;
    std::ostringstream err;
    const Console console{std::cin, out, err};
    std::unique_ptr<Orowan> computation;
    if (mode_ == kDirectMode) {
        computation = std::make_unique<DirectOrowan>(rheology_, console);
    } else {
        computation = std::make_unique<InverseOrowan>(rheology_, console);
    }
    computation->threadCount = threads_;
    // --force: a fuzzed run may leave anything in the exit file for the next.
    const int status =
        computation->runWithFiles(folderFile("entry.txt"), folderFile("exit.txt"),
                                  withCoefficients ? folderFile("coefficients.txt") : "", true, nullptr);
    checkExitFile(status, err.str());
}

void RunCheck::checkExitFile(int status, const std::string& consoleErr) const {
    const bool withCoefficients = rheology_ != kConstantRheology;
    if (entryText_.empty()) {
        // An entry file without even a header line is refused before anything else is looked at.
        if (status != 1 || consoleErr.find("is empty") == std::string::npos ||
            std::filesystem::exists(folderFile("exit.txt"))) {
            fail("an entry file without a header line was not refused");
        }
        return;
    }
    if (withCoefficients && std::count(entryText_.begin(), entryText_.end(), '\n') !=
                                std::count(coefficientText_.begin(), coefficientText_.end(), '\n')) {
        // Files with different numbers of line feeds are refused as a whole, with a message and status 1,
        // and the run leaves no exit file.
        if (status != 1 || consoleErr.find("don't have the same number of lines") == std::string::npos ||
            std::filesystem::exists(folderFile("exit.txt"))) {
            fail("files of different lengths were not refused");
        }
        return;
    }
    const std::string exitText = readFile(folderFile("exit.txt"));
    std::filesystem::remove(folderFile("exit.txt"));
    if (status != 0) {
        fail("status " + std::to_string(status) + " for a run whose files were all named");
    }
    const std::size_t caseLines = getlineCount(entryText_) - 1;
    const std::size_t columns = mode_ == kDirectMode ? kDirectColumns : kInverseColumns;
    std::string_view rest(exitText);
    std::size_t rows = 0;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) {
            fail("the exit file ends inside a row");
        }
        const std::string_view row = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        if (rows++ != 0) { // after the header row
            checkRow(row, columns, "row " + std::to_string(rows - 1));
        }
    }
    if (rows != caseLines + 1) {
        fail(std::to_string(rows) + " rows (with the header) for " + std::to_string(caseLines) +
             " case lines");
    }
}

} // namespace rollbite::fuzz

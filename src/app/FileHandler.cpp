#include "app/FileHandler.h"

#include "Kinds.h"
#include "app/CaseLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <unistd.h>

namespace rollbite {

namespace {

constexpr const char* kEntryPrompt = "\n    Name of the entry file : ";
constexpr const char* kExitPrompt = "    Name of the exit file : ";
constexpr const char* kCoefficientPrompt = "    Name of the file containing rheology coefficients : ";
constexpr const char* kMessageStart = "\t\t ---> File  ";

constexpr const char* kDirectHeader = "case\tErrors\tRolling_Force\tForward_Slip\tRolling_Torque"
                                      "\tSigma_Moy\tSigma_Ini\tSigma_Out\tSigma_Max"
                                      "\tNeutral_X"
                                      "\tU_Forward_Slip\tContact_Length\tNeutral_H\tangle_Tresca_Bw"
                                      "\tNeutral_Angle\tangle_Tresca_Fw\tU_Rolling_Force"
                                      "\tTresca_Presence\tTotal_Tresca\tAlpha_Max\tHas_Converged";
constexpr const char* kInverseHeader = "case\tErrors\tOffsetYield\tFriction\tRolling_Torque"
                                       "\tSigma_Moy\tSigma_Ini\tSigma_Out\tSigma_Max"
                                       "\tForce_Error(%)\tSlip_Error(%)\tHas_Converged";

// Line feeds from the current position to the end of a stream.
long long countLineFeeds(std::istream& stream) {
    return std::count(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>(), '\n');
}

// The first line of a file, without its line feed (and a carriage return before it), read no further
// than `limit` bytes. False when the file cannot be read.
bool readFirstLine(const std::string& name, std::size_t limit, std::string& line) {
    std::ifstream file(name, std::ios::binary);
    if (!file) {
        return false;
    }
    line.clear();
    for (char c = 0; line.size() <= limit && file.get(c) && c != '\n';) {
        line += c;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return !file.bad();
}

// Writes all of `size` bytes to a file descriptor. False when the disk takes less.
bool writeAll(int descriptor, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Opens an input file. A folder opens too, but reads as nothing: it is refused as a file that is not there.
bool openInput(std::ifstream& file, const std::string& name) {
    file.open(name);
    std::error_code error;
    if (file.is_open() && std::filesystem::is_directory(name, error)) {
        file.close();
    }
    return file.is_open();
}

} // namespace

FileHandler::FileHandler(const Console& console) : console_(console) {}

bool FileHandler::askLine(const char* prompt, const char* what, std::string& answer) {
    console_.out << prompt << std::flush;
    if (!std::getline(console_.in, answer)) {
        console_.err << "rollbite: standard input ended before the name of the " << what << " was given\n";
        return false;
    }
    return true;
}

bool FileHandler::askFileNames(bool withCoefficients) {
    if (!askEntryFile() || !askExitFile(false)) {
        return false;
    }
    if (withCoefficients) {
        if (!askCoefficientFile()) {
            return false;
        }
        // The coefficient file may turn out to be the exit file named before it: ask for another.
        if (isInputFile(exitFileName, true)) {
            console_.out << kMessageStart << exitFileName << " is an input file !\n";
            if (!askExitFile(true)) {
                return false;
            }
        }
    }
    return true;
}

void FileHandler::startExitFile() {
    // Only now that the run starts is the exit file emptied.
    exitFile.close();
    exitFile.clear();
    exitFile.open(exitFileName, std::ios::out | std::ios::trunc);
    exitFileCreated_ = false;
}

void FileHandler::abandonRun() {
    closeAll();
    releaseExitFile();
}

void FileHandler::releaseExitFile() {
    exitFile.close();
    exitFile.clear();
    if (exitFileCreated_) {
        std::error_code ignored; // nothing more can be done about a file that cannot be removed
        std::filesystem::remove(exitFileName, ignored);
        exitFileCreated_ = false;
    }
}

bool FileHandler::holdsOtherData(const std::string& name) {
    return holdsOtherData(name, kDirectHeader) && holdsOtherData(name, kInverseHeader);
}

bool FileHandler::holdsOtherData(const std::string& name, const std::string& header) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(name, error) || std::filesystem::file_size(name, error) == 0 ||
        error) {
        return false;
    }
    std::string firstLine;
    // A file that cannot be read cannot be shown to hold rows: it is kept.
    return !readFirstLine(name, header.size(), firstLine) || firstLine != header;
}

bool FileHandler::sameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    const bool same = std::filesystem::equivalent(first, second, error);
    return !error && same;
}

bool FileHandler::openEntryFile(const std::string& name) {
    entryFileName = name;
    return openInput(entryFile, name);
}

bool FileHandler::openCoefficientFile(const std::string& name) {
    coefficientFileName = name;
    return openInput(coefficientFile, name);
}

ExitFileProblem FileHandler::openExitFile(const std::string& name, bool withCoefficients, bool force) {
    releaseExitFile(); // a file an earlier probe created goes
    exitFileName = name;
    if (isInputFile(name, withCoefficients)) {
        return ExitFileProblem::InputFile;
    }
    // A name typed at the wrong prompt must not destroy the file it names.
    if (!force && holdsOtherData(name)) {
        return ExitFileProblem::OtherData;
    }
    // Opened for appending, which creates the file but destroys nothing, to learn that it can be
    // written; it is emptied once the run starts, and removed again if it never does.
    std::error_code ignored;
    const bool existed = std::filesystem::exists(name, ignored);
    exitFile.close();
    exitFile.clear();
    exitFile.open(name, std::ios::out | std::ios::app);
    if (!exitFile.is_open()) {
        return ExitFileProblem::CannotWrite;
    }
    exitFileCreated_ = !existed;
    return ExitFileProblem::None;
}

bool FileHandler::askEntryFile() {
    while (true) {
        if (!askLine(kEntryPrompt, "entry file", entryFileName)) {
            return false;
        }
        if (openEntryFile(entryFileName)) {
            return true;
        }
        console_.out << kMessageStart << entryFileName << " doesn't exist !";
    }
}

bool FileHandler::askExitFile(bool withCoefficients) {
    while (true) {
        std::string name;
        if (!askLine(kExitPrompt, "exit file", name)) {
            return false;
        }
        switch (openExitFile(name, withCoefficients)) {
        case ExitFileProblem::None:
            return true;
        case ExitFileProblem::InputFile:
            console_.out << kMessageStart << name << " is an input file !\n";
            break;
        case ExitFileProblem::OtherData:
            console_.out << kMessageStart << name << " is not an exit file !\n";
            break;
        case ExitFileProblem::CannotWrite:
            console_.out << kMessageStart << name << " can't be written !\n";
            break;
        }
    }
}

bool FileHandler::askCoefficientFile() {
    while (true) {
        std::string name;
        if (!askLine(kCoefficientPrompt, "file containing rheology coefficients", name)) {
            return false;
        }
        if (openCoefficientFile(name)) {
            return true;
        }
        console_.out << kMessageStart << name << " doesn't exist !\n";
    }
}

bool FileHandler::isInputFile(const std::string& name, bool withCoefficients) const {
    return sameFile(name, entryFileName) || (withCoefficients && sameFile(name, coefficientFileName));
}

bool FileHandler::spoolUnseekableInputs(std::string& failure) {
    return spool(entryFile, entryFileName, failure) && spool(coefficientFile, coefficientFileName, failure);
}

bool FileHandler::spool(std::ifstream& file, const std::string& name, std::string& failure) {
    std::error_code error;
    if (!file.is_open() || std::filesystem::is_regular_file(name, error)) {
        return true;
    }
    std::string path = (std::filesystem::temp_directory_path(error) / "rollbite-spool-XXXXXX").string();
    const int descriptor = error ? -1 : mkstemp(path.data());
    if (descriptor < 0) {
        failure = "cannot make a temporary file to read " + name + " twice (" + std::strerror(errno) + ")";
        return false;
    }
    // Opened for reading and removed from its folder before the copy: the copy disappears with the run,
    // however the run ends.
    std::ifstream copy(path, std::ios::binary);
    ::unlink(path.c_str());
    char buffer[1 << 16];
    bool copied = copy.is_open();
    while (copied && file.read(buffer, sizeof buffer).gcount() > 0) {
        copied = writeAll(descriptor, buffer, static_cast<std::size_t>(file.gcount()));
    }
    const int writeError = errno;
    copied = ::close(descriptor) == 0 && copied;
    if (!copied || file.bad()) {
        failure = file.bad()
                      ? "the file " + name + " could not be read to its end"
                      : "cannot copy " + name + " into a temporary file (" + std::strerror(writeError) + ")";
        return false;
    }
    file.close();
    file.clear();
    file.swap(copy);
    return true;
}

bool FileHandler::sameLineCount() {
    return countLineFeeds(entryFile) == countLineFeeds(coefficientFile);
}

long long FileHandler::countCaseLines() {
    long long lines = 0;
    char last = '\n';
    for (std::istreambuf_iterator<char> c(entryFile), end; c != end; ++c) {
        last = *c;
        lines += last == '\n' ? 1 : 0;
    }
    lines += last != '\n' ? 1 : 0; // a last line without its line feed
    return std::max(0LL, lines - 1);
}

bool FileHandler::rewindInputs(std::string& failure) {
    for (std::ifstream* file : {&entryFile, &coefficientFile}) {
        if (!file->is_open()) {
            continue;
        }
        if (file->bad()) {
            failure = "the file " + (file == &entryFile ? entryFileName : coefficientFileName) +
                      " could not be read to its end";
            return false;
        }
        file->clear();
        if (!file->seekg(0)) {
            failure = "cannot go back to the start of " +
                      (file == &entryFile ? entryFileName : coefficientFileName);
            return false;
        }
    }
    return true;
}

const char* FileHandler::headerRow(int mode) {
    return mode == kDirectMode ? kDirectHeader : mode == kInverseMode ? kInverseHeader : "";
}

void FileHandler::writeHeader(int mode) {
    std::string header;
    std::getline(entryFile, header);
    std::getline(coefficientFile, header);
    if (mode == kDirectMode || mode == kInverseMode) {
        appendToExitFile(std::string(headerRow(mode)) + '\n');
    }
}

void FileHandler::closeAll() {
    entryFile.close();
    exitFile.close();
    coefficientFile.close();
}

bool FileHandler::readRecord(int rheologyKind, CaseInputs& inputs) {
    return CaseLine::readRecord(coefficientFile, rheologyKind, inputs, field_);
}

std::string FileHandler::unreadInput() const {
    if (entryFile.bad()) {
        return entryFileName;
    }
    return coefficientFile.bad() ? coefficientFileName : std::string();
}

bool FileHandler::writeRow(const std::string& row) {
    if (!appendToExitFile(row)) {
        return false;
    }
    ++rowsWritten_;
    return true;
}

bool FileHandler::appendToExitFile(const std::string& text) {
    if (exitFailed_) {
        return false;
    }
    errno = 0;
    exitFile << text << std::flush;
    if (exitFile) {
        wholeBytes_ += text.size();
        return true;
    }
    // Part of the text may have reached the file: cut it off, so that the file ends with a whole row.
    exitFailed_ = true;
    exitFailure_ = errno != 0 ? std::strerror(errno) : "";
    exitFile.close();
    std::error_code ignored; // the file is closed either way; the run reports the failure
    std::filesystem::resize_file(exitFileName, wholeBytes_, ignored);
    return false;
}

} // namespace rollbite

#include "app/run/FileHandler.h"

#include "app/formats/ExitColumns.h"
#include "rollbite/Kinds.h"

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
constexpr std::size_t kSpoolBlock = 1 << 16; // bytes copied at a time from a pipe

// Line feeds from the current position to the end of a stream.
long long countLineFeeds(std::istream& stream) {
    return std::count(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>(), '\n');
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
    file.close();
    file.clear();
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
        if (OutputGuard::samePlace(exitFileName, coefficientFileName)) {
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
    exitFile.start();
}

void FileHandler::abandonRun() {
    entryFile.close();
    coefficientFile.close();
    exitFile.abandon();
}

bool FileHandler::openEntryFile(const std::string& name) {
    entryFileName = name;
    return openInput(entryFile, isStandard(name) ? "/dev/stdin" : name);
}

bool FileHandler::openCoefficientFile(const std::string& name) {
    coefficientFileName = name;
    return openInput(coefficientFile, name);
}

bool FileHandler::isStandard(const std::string& name) const {
    return standardStreams && name == kStandardStream;
}

std::string FileHandler::shownEntry() const {
    return isStandard(entryFileName) ? "standard input" : entryFileName;
}

std::string FileHandler::shownExit() const {
    return isStandard(exitFileName) ? "standard output" : exitFileName;
}

OutputGuard FileHandler::inputGuard(bool withCoefficients, bool force) const {
    OutputGuard guard(force);
    if (isStandard(entryFileName)) {
        guard.addInput(OutputGuard::kStandardInput, "the entry file (standard input)");
    } else {
        guard.addInput(entryFileName);
    }
    if (withCoefficients) {
        guard.addInput(coefficientFileName);
    }
    return guard;
}

OutputGuard FileHandler::outputGuard(bool withCoefficients, bool force) const {
    OutputGuard guard = inputGuard(withCoefficients, force);
    if (isStandard(exitFileName)) {
        guard.addOutput(OutputGuard::kStandardOutput, "the exit file (standard output)");
    } else {
        guard.addOutput(exitFileName, "the exit file");
    }
    return guard;
}

ExitFileProblem FileHandler::openExitFile(const std::string& name, bool withCoefficients, bool force,
                                          bool checkOnly, const RowFile::StopRequested& stopRequested) {
    exitFile.abandon(); // a file an earlier probe created goes
    if (isStandard(name)) {
        // Standard output as the shell opened it: what it held was the user's to decide, but never an
        // input (rollbite ... e.txt - >> e.txt would read its own rows back).
        exitFileName = name;
        if (inputGuard(withCoefficients, force).checkStandardOutput() != OutputProblem::None) {
            return ExitFileProblem::InputFile;
        }
        return exitFile.openStandardOutput() == RowFile::Opened::Yes ? ExitFileProblem::None
                                                                     : ExitFileProblem::CannotWrite;
    }
    switch (inputGuard(withCoefficients, force).check(name, OutputKind::ExitFile)) {
    case OutputProblem::InputFile:
    case OutputProblem::OtherOutput:
        exitFileName = name;
        return ExitFileProblem::InputFile;
    case OutputProblem::Folder:
        exitFileName = name;
        return ExitFileProblem::Folder;
    case OutputProblem::OtherData:
        // A name typed at the wrong prompt must not destroy the file it names.
        exitFileName = name;
        return ExitFileProblem::OtherData;
    case OutputProblem::None:
        break;
    }
    exitFileName = name;
    // Opened for appending, which creates the file but destroys nothing, to learn that it can be
    // written; it is emptied once the run starts, and removed again if it never does.
    switch (exitFile.open(name, stopRequested, checkOnly)) {
    case RowFile::Opened::CannotWrite:
        return ExitFileProblem::CannotWrite;
    case RowFile::Opened::Busy:
        return ExitFileProblem::Busy;
    case RowFile::Opened::Stopped:
        return ExitFileProblem::Stopped;
    case RowFile::Opened::Yes:
        break;
    }
    return ExitFileProblem::None;
}

std::string FileHandler::exitFileMessage(ExitFileProblem problem, bool withCoefficients) const {
    const std::string file = "the exit file " + shownExit();
    switch (problem) {
    case ExitFileProblem::CannotWrite:
        return file + " can't be written (" + exitFile.failure() + ")";
    case ExitFileProblem::Busy:
        return file + " is being written by another run, which holds its lock";
    case ExitFileProblem::Stopped:
        return file + " had no reader yet";
    case ExitFileProblem::None:
        return file + " can be written";
    default:
        if (isStandard(exitFileName)) {
            return inputGuard(withCoefficients, false).standardOutputMessage("the exit file");
        }
        return inputGuard(withCoefficients, false)
            .message(exitFileName, OutputKind::ExitFile, "the exit file");
    }
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
        case ExitFileProblem::Folder:
            console_.out << kMessageStart << name << " is a folder !\n";
            break;
        case ExitFileProblem::CannotWrite:
            console_.out << kMessageStart << name << " can't be written !\n";
            break;
        case ExitFileProblem::Busy:
            console_.out << kMessageStart << name << " is being written by another run !\n";
            break;
        case ExitFileProblem::Stopped: // no wait is stopped in the dialogue
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

bool FileHandler::spoolUnseekableInputs(std::string& failure) {
    return spool(entryFile, isStandard(entryFileName) ? "/dev/stdin" : entryFileName, shownEntry(),
                 failure) &&
           spool(coefficientFile, coefficientFileName, coefficientFileName, failure);
}

bool FileHandler::spool(std::ifstream& file, const std::string& path, const std::string& name,
                        std::string& failure) {
    std::error_code error;
    if (!file.is_open() || std::filesystem::is_regular_file(path, error)) {
        return true;
    }
    std::string copyPath = (std::filesystem::temp_directory_path(error) / "rollbite-spool-XXXXXX").string();
    const int descriptor = error ? -1 : mkstemp(copyPath.data());
    if (descriptor < 0) {
        failure = "cannot make a temporary file to read " + name + " twice (" + std::strerror(errno) + ")";
        return false;
    }
    // Opened for reading and removed from its folder before the copy: the copy disappears with the run,
    // however the run ends.
    std::ifstream copy(copyPath, std::ios::binary);
    ::unlink(copyPath.c_str());
    char buffer[kSpoolBlock];
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

bool FileHandler::sameLineCount(long long& entryLines, long long& coefficientLines) {
    entryLines = countLineFeeds(entryFile);
    coefficientLines = countLineFeeds(coefficientFile);
    return entryLines == coefficientLines;
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
        const std::string name = file == &entryFile ? shownEntry() : coefficientFileName;
        if (file->bad()) {
            failure = "the file " + name + " could not be read to its end";
            return false;
        }
        file->clear();
        if (!file->seekg(0)) {
            failure = "cannot go back to the start of " + name;
            return false;
        }
    }
    return true;
}

void FileHandler::writeHeader(int mode, int rheologyKind) {
    entries.skipHeader();
    if (coefficientFile.is_open()) {
        records.skipHeader();
    }
    if (mode == kDirectMode || mode == kInverseMode) {
        exitFile.append(
            ExitColumns(static_cast<Mode>(mode), static_cast<RheologyKind>(rheologyKind)).header() + '\n');
    }
}

void FileHandler::closeAll() {
    entryFile.close();
    exitFile.close();
    coefficientFile.close();
}

bool FileHandler::readCase(int mode, int rheologyKind, CaseInputs& inputs, std::string& placement) {
    if (!entries.next(static_cast<Mode>(mode), inputs)) {
        return false;
    }
    placement.clear();
    if (law_ != nullptr) {
        law_->startCase(inputs); // the law and the values given for the whole run, before the record's
    }
    if (rheologyKind != kConstantRheology && coefficientFile.is_open()) {
        records.next(static_cast<RheologyKind>(rheologyKind), inputs);
        placement = records.lastPlacement();
    }
    return true;
}

std::string FileHandler::unreadInput() const {
    if (entryFile.bad()) {
        return shownEntry();
    }
    return coefficientFile.bad() ? coefficientFileName : std::string();
}

bool FileHandler::writeRow(const std::string& row) {
    if (!exitFile.append(row)) {
        return false;
    }
    ++rowsWritten_;
    return true;
}

bool FileHandler::withdrawRow() {
    if (!exitFile.withdraw()) {
        return false;
    }
    --rowsWritten_;
    return true;
}

} // namespace rollbite

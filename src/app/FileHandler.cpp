#include "app/FileHandler.h"

#include "Kinds.h"
#include "app/FieldReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <system_error>

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

// True when both names lead to the same existing file, whatever path spells them.
bool sameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    const bool same = std::filesystem::equivalent(first, second, error);
    return !error && same;
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
    // Only now that it cannot be an input is the exit file emptied.
    exitFile.close();
    exitFile.open(exitFileName, std::ios::out | std::ios::trunc);
    return true;
}

bool FileHandler::askEntryFile() {
    while (true) {
        if (!askLine(kEntryPrompt, "entry file", entryFileName)) {
            return false;
        }
        if (openInput(entryFile, entryFileName)) {
            return true;
        }
        console_.out << kMessageStart << entryFileName << " doesn't exist !";
    }
}

bool FileHandler::askExitFile(bool withCoefficients) {
    while (true) {
        if (!askLine(kExitPrompt, "exit file", exitFileName)) {
            return false;
        }
        if (isInputFile(exitFileName, withCoefficients)) {
            console_.out << kMessageStart << exitFileName << " is an input file !\n";
            continue;
        }
        // Opened for appending, which creates the file but destroys nothing, to learn that it can be
        // written; it is emptied once every name is known.
        exitFile.close();
        exitFile.clear();
        exitFile.open(exitFileName, std::ios::out | std::ios::app);
        if (exitFile.is_open()) {
            return true;
        }
        console_.out << kMessageStart << exitFileName << " can't be written !\n";
    }
}

bool FileHandler::askCoefficientFile() {
    while (true) {
        if (!askLine(kCoefficientPrompt, "file containing rheology coefficients", coefficientFileName)) {
            return false;
        }
        if (openInput(coefficientFile, coefficientFileName)) {
            return true;
        }
        console_.out << kMessageStart << coefficientFileName << " doesn't exist !\n";
    }
}

bool FileHandler::isInputFile(const std::string& name, bool withCoefficients) const {
    return sameFile(name, entryFileName) || (withCoefficients && sameFile(name, coefficientFileName));
}

bool FileHandler::sameLineCount() {
    if (countLineFeeds(entryFile) != countLineFeeds(coefficientFile)) {
        return false;
    }
    entryFile.clear();
    coefficientFile.clear();
    entryFile.seekg(0);
    coefficientFile.seekg(0);
    return true;
}

void FileHandler::writeHeader(int mode) {
    std::string header;
    std::getline(entryFile, header);
    std::getline(coefficientFile, header);
    if (mode == kDirectMode) {
        appendToExitFile(std::string(kDirectHeader) + '\n');
    } else if (mode == kInverseMode) {
        appendToExitFile(std::string(kInverseHeader) + '\n');
    }
}

void FileHandler::closeAll() {
    entryFile.close();
    exitFile.close();
    coefficientFile.close();
}

bool FileHandler::readCoefficients(double* values, int count) {
    bool whole = true;
    std::string field;
    for (int k = 0; k < count; ++k) {
        if (!(*coefficientSource_ >> field)) {
            return false;
        }
        whole = FieldReader::parseDouble(field, values[k]) && whole;
    }
    return whole;
}

std::string FileHandler::unreadInput() const {
    if (entryFile.bad()) {
        return entryFileName;
    }
    return coefficientFile.bad() ? coefficientFileName : std::string();
}

void FileHandler::shareFilesOf(FileHandler& reader) {
    coefficientSource_ = &reader.coefficientFile;
    rowWriter_ = &reader;
}

bool FileHandler::writeRow(const std::string& row) {
    if (rowWriter_ != this) {
        return rowWriter_->writeRow(row);
    }
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

#include "app/formats/OutputGuard.h"

#include "app/formats/EntryReader.h"
#include "app/formats/ExitColumns.h"
#include "app/formats/PassFiles.h"
#include "app/formats/ScheduleColumns.h"
#include "app/formats/SensitivityColumns.h"
#include "app/formats/WhyTable.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace rollbite {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxLinks = 40; // symbolic links followed before a name counts as a loop, as the kernel does
constexpr std::size_t kLongestHeader = 4096; // bytes of a first line read to tell a file's kind

// The path a name leads to: symbolic links followed, also a last one whose target does not exist yet.
fs::path resolved(const std::string& name) {
    std::error_code error;
    fs::path path = fs::absolute(name, error);
    for (int hops = 0; hops < kMaxLinks && !error; ++hops) {
        if (!fs::is_symlink(fs::symlink_status(path, error)) || error) {
            break;
        }
        const fs::path target = fs::read_symlink(path, error);
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? path.lexically_normal() : canonical;
}

// The first line of a file, without its line feed (and a carriage return before it). False when the file
// cannot be read.
bool readFirstLine(const std::string& path, std::string& line) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    line.clear();
    for (char c = 0; line.size() <= kLongestHeader && file.get(c) && c != '\n';) {
        line += c;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return !file.bad();
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool isOfKind(const std::string& firstLine, OutputKind kind) {
    switch (kind) {
    case OutputKind::ExitFile:
        return ExitColumns::isHeader(firstLine);
    case OutputKind::WhyFile:
        return firstLine == WhyTable::kHeader;
    case OutputKind::ProfileTable:
        return startsWith(firstLine, "# case,");
    case OutputKind::Picture:
        return startsWith(firstLine, "\x89PNG") || startsWith(firstLine, "<?xml") ||
               startsWith(firstLine, "<svg");
    case OutputKind::EntryFile:
        return firstLine == EntryReader::header(kDirectMode) ||
               firstLine == EntryReader::header(kInverseMode);
    case OutputKind::CoefficientFile:
        return firstLine == PassFiles::coefficientHeader(kSmatchRheology) ||
               firstLine == PassFiles::coefficientHeader(kWS18Rheology);
    case OutputKind::ScheduleTable:
        return firstLine == ScheduleColumns::header();
    case OutputKind::SensitivityTable:
        return SensitivityColumns::isHeader(firstLine);
    }
    return false;
}

// What a file of another kind lacks, for a message.
const char* kindDescription(OutputKind kind) {
    switch (kind) {
    case OutputKind::ExitFile:
        return "its first line is no header row of an exit file";
    case OutputKind::WhyFile:
        return "its first line is no header row of a why file";
    case OutputKind::ProfileTable:
        return "it is no table of rollbite-profile";
    case OutputKind::Picture:
        return "it is no PNG, SVG or PDF picture";
    case OutputKind::EntryFile:
        return "its first line is not the header line rollbite writes into an entry file";
    case OutputKind::CoefficientFile:
        return "its first line is not the header line rollbite writes into a coefficient file";
    case OutputKind::ScheduleTable:
        return "its first line is no header row of a schedule table";
    case OutputKind::SensitivityTable:
        return "its first line is no header row of a sensitivity table";
    }
    return "";
}

} // namespace

OutputGuard::OutputGuard(bool force) : force_(force) {}

void OutputGuard::addInput(const std::string& path) {
    inputs_.push_back(path);
}

void OutputGuard::addOutput(const std::string& path, const std::string& what) {
    outputs_.emplace_back(path, what);
}

bool OutputGuard::samePlace(const std::string& first, const std::string& second) {
    std::error_code error;
    if (fs::equivalent(first, second, error) && !error) {
        return true;
    }
    return resolved(first) == resolved(second);
}

bool OutputGuard::holdsOtherData(const std::string& path, OutputKind kind) {
    std::error_code error;
    if (!fs::is_regular_file(path, error) || fs::file_size(path, error) == 0 || error) {
        return false;
    }
    std::string firstLine;
    // A file that cannot be read cannot be shown to be of the kind: it is kept.
    return !readFirstLine(path, firstLine) || !isOfKind(firstLine, kind);
}

bool OutputGuard::writtenThrough(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return !error && fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

OutputProblem OutputGuard::check(const std::string& path, OutputKind kind) const {
    for (const std::string& input : inputs_) {
        if (samePlace(path, input)) {
            return OutputProblem::InputFile;
        }
    }
    for (const auto& output : outputs_) {
        if (samePlace(path, output.first)) {
            return OutputProblem::OtherOutput;
        }
    }
    std::error_code error;
    if (fs::is_directory(path, error)) {
        return OutputProblem::Folder;
    }
    if (!force_ && holdsOtherData(path, kind)) {
        return OutputProblem::OtherData;
    }
    return OutputProblem::None;
}

std::string OutputGuard::message(const std::string& path, OutputKind kind, const std::string& what,
                                 const std::string& forceOption) const {
    const std::string file = what + " " + path;
    switch (check(path, kind)) {
    case OutputProblem::InputFile:
        return file + " is an input file";
    case OutputProblem::OtherOutput:
        for (const auto& output : outputs_) {
            if (samePlace(path, output.first)) {
                return file + " is " + output.second;
            }
        }
        break;
    case OutputProblem::Folder:
        return file + " is a folder";
    case OutputProblem::OtherData:
        return file + " holds other data (" + kindDescription(kind) + "); " + forceOption + " writes over it";
    case OutputProblem::None:
        break;
    }
    return file + " can be written";
}

} // namespace rollbite

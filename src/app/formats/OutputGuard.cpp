#include "app/formats/OutputGuard.h"

#include "app/formats/ExitColumns.h"
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

bool isOfKind(const std::string& firstLine, const OutputForm& form) {
    switch (form.kind) {
    case OutputKind::ExitFile:
        return ExitColumns::isHeader(firstLine);
    case OutputKind::WhyFile:
        return firstLine == WhyTable::kHeader;
    case OutputKind::ProfileTable:
        return startsWith(firstLine, "# case,");
    case OutputKind::Picture:
        // PNG, SVG, PDF, JPEG, PostScript, TIFF and WebP, as their first bytes tell them.
        for (const char* signature :
             {"\x89PNG", "<?xml", "<svg", "%PDF", "\xFF\xD8\xFF", "%!PS", "II*", "MM", "RIFF"}) {
            if (startsWith(firstLine, signature)) {
                return true;
            }
        }
        return false;
    case OutputKind::ScheduleTable:
        return firstLine == ScheduleColumns::header() || firstLine == ScheduleColumns::header(true);
    case OutputKind::SensitivityTable:
        return SensitivityColumns::isHeader(firstLine);
    case OutputKind::HeaderLine:
        return firstLine == form.header;
    }
    return false;
}

// What a file of another kind lacks, for a message.
std::string kindDescription(const OutputForm& form) {
    switch (form.kind) {
    case OutputKind::ExitFile:
        return "its first line is no header row of an exit file";
    case OutputKind::WhyFile:
        return "its first line is no header row of a why file";
    case OutputKind::ProfileTable:
        return "it is no table of rollbite-profile";
    case OutputKind::Picture:
        return "it is no PNG, SVG, PDF, JPEG, PostScript, TIFF or WebP picture";
    case OutputKind::ScheduleTable:
        return "its first line is no header row of a schedule table";
    case OutputKind::SensitivityTable:
        return "its first line is no header row of a sensitivity table";
    case OutputKind::HeaderLine:
        return form.description;
    }
    return "";
}

bool isCharacterDevice(const std::string& path) {
    std::error_code error;
    return fs::is_character_file(path, error);
}

} // namespace

OutputGuard::OutputGuard(bool force) : force_(force) {}

void OutputGuard::addInput(const std::string& path, const std::string& what) {
    inputs_.emplace_back(path, what);
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

bool OutputGuard::holdsOtherData(const std::string& path, const OutputForm& form) {
    std::error_code error;
    if (!fs::is_regular_file(path, error) || fs::file_size(path, error) == 0 || error) {
        return false;
    }
    std::string firstLine;
    // A file that cannot be read cannot be shown to be of the kind: it is kept.
    return !readFirstLine(path, firstLine) || !isOfKind(firstLine, form);
}

bool OutputGuard::standardErrorIsOneOf(const std::vector<std::string>& paths) {
    constexpr const char* kStandardError = "/dev/stderr";
    std::error_code error;
    if (!fs::is_regular_file(kStandardError, error)) {
        return false;
    }
    for (const std::string& path : paths) {
        if (!path.empty() && fs::equivalent(kStandardError, path, error) && !error) {
            return true;
        }
    }
    return false;
}

bool OutputGuard::writtenThrough(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    return !error && fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

const OutputGuard::Named* OutputGuard::inputAt(const std::string& path) const {
    // A terminal read and written at once gives back nothing written into it: no loop, no loss.
    if (isCharacterDevice(path)) {
        return nullptr;
    }
    for (const Named& input : inputs_) {
        if (samePlace(path, input.first)) {
            return &input;
        }
    }
    return nullptr;
}

const OutputGuard::Named* OutputGuard::outputAt(const std::string& path) const {
    for (const Named& output : outputs_) {
        if (samePlace(path, output.first)) {
            return &output;
        }
    }
    return nullptr;
}

OutputProblem OutputGuard::check(const std::string& path, const OutputForm& form) const {
    if (inputAt(path) != nullptr) {
        return OutputProblem::InputFile;
    }
    if (outputAt(path) != nullptr) {
        return OutputProblem::OtherOutput;
    }
    std::error_code error;
    if (fs::is_directory(path, error)) {
        return OutputProblem::Folder;
    }
    if (!force_ && holdsOtherData(path, form)) {
        return OutputProblem::OtherData;
    }
    return OutputProblem::None;
}

OutputProblem OutputGuard::checkStandardOutput() const {
    if (inputAt(kStandardOutput) != nullptr) {
        return OutputProblem::InputFile;
    }
    return outputAt(kStandardOutput) != nullptr ? OutputProblem::OtherOutput : OutputProblem::None;
}

std::string OutputGuard::message(const std::string& path, const OutputForm& form, const std::string& what,
                                 const std::string& forceOption) const {
    const std::string file = what + " " + path;
    switch (check(path, form)) {
    case OutputProblem::InputFile:
        return file + " is " + inputAt(path)->second;
    case OutputProblem::OtherOutput:
        return file + " is " + outputAt(path)->second;
    case OutputProblem::Folder:
        return file + " is a folder";
    case OutputProblem::OtherData:
        return file + " holds other data (" + kindDescription(form) + "); " + forceOption + " writes over it";
    case OutputProblem::None:
        break;
    }
    return file + " can be written";
}

std::string OutputGuard::standardOutputMessage(const std::string& what) const {
    const std::string file = what + " standard output";
    switch (checkStandardOutput()) {
    case OutputProblem::InputFile:
        return file + " is " + inputAt(kStandardOutput)->second;
    case OutputProblem::OtherOutput:
        return file + " is " + outputAt(kStandardOutput)->second;
    default:
        return file + " can be written";
    }
}

} // namespace rollbite

#include "app/cli/ReplayCommand.h"

#include "app/formats/FieldReader.h"
#include "app/formats/LearnerStateFile.h"
#include "app/formats/MillLog.h"
#include "app/formats/Names.h"
#include "app/formats/OutputGuard.h"
#include "app/formats/ReplayColumns.h"
#include "app/formats/StagedFiles.h"
#include "app/formats/ThreadCount.h"
#include "app/run/Interruption.h"
#include "app/run/ReplaySummary.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace rollbite {

namespace {

constexpr int kUsageError = 2;
constexpr int kFailure = 1;
constexpr const char* kStandardInput = "-";
constexpr std::size_t kErrorsShown = 10;
constexpr std::size_t kCoilsPerChunk = 64; // between two looks for a signal and two redraws of progress

const std::vector<std::string> kAllowed = {"--rheology", "--class",   "--state", "--out",  "--gains",
                                           "--screen",   "--threads", "--force", "--quiet"};

int usageError(std::ostream& err, const std::string& message) {
    err << "rollbite: " << message << "\nTry 'rollbite --help' for the arguments.\n";
    return kUsageError;
}

std::vector<std::string> splitAtCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::istringstream fields(text);
    for (std::string part; std::getline(fields, part, ',');) {
        parts.push_back(part);
    }
    return parts;
}

bool readLog(const std::string& path, RheologyKind rheology, const std::vector<std::string>& classKey,
             MillLog& log, std::ostream& err) {
    std::ifstream file;
    if (path != kStandardInput) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            err << "rollbite: the log " << path << " is a folder\n";
            return false;
        }
        file.open(path, std::ios::binary);
        if (!file) {
            err << "rollbite: cannot read the log " << path << "\n";
            return false;
        }
    }
    if (log.read(path == kStandardInput ? std::cin : file, rheology, classKey)) {
        return true;
    }
    const std::vector<std::string>& errors = log.errors();
    for (std::size_t k = 0; k < errors.size() && k < kErrorsShown; ++k) {
        err << "rollbite: " << path << ": " << errors[k] << "\n";
    }
    if (errors.size() > kErrorsShown) {
        err << "rollbite: " << path << ": and " << errors.size() - kErrorsShown
            << " more; is it a mill log (docs/learning.md)?\n";
    }
    return false;
}

} // namespace

const std::vector<Arguments::Option>& ReplayCommand::options() {
    static const std::vector<Arguments::Option> kOptions = {
        {"--class", true}, {"--state", true}, {"--gains", true}, {"--screen", true}};
    return kOptions;
}

bool ReplayCommand::parseSettings(const Arguments& arguments, LearnerSettings& settings, std::string& error) {
    if (arguments.has("--gains")) {
        const std::vector<std::string> gains = splitAtCommas(arguments.value("--gains"));
        double* targets[] = {&settings.shortGain, &settings.longGain, &settings.frictionGain};
        bool read = gains.size() == std::size(targets);
        for (std::size_t k = 0; read && k < gains.size(); ++k) {
            read = FieldReader::parseDouble(gains[k], *targets[k]);
        }
        if (!read) {
            error = "--gains needs SHORT,LONG,FRICTION: three numbers in (0, 1], not '" +
                    arguments.value("--gains") + "'";
            return false;
        }
    }
    if (arguments.has("--screen") &&
        !FieldReader::parseDouble(arguments.value("--screen"), settings.forceScreen)) {
        error = "--screen needs a percentage, not '" + arguments.value("--screen") + "'";
        return false;
    }
    if (!settings.valid()) {
        error = "--gains must lie in (0, 1] and --screen be a positive percentage";
        return false;
    }
    return true;
}

bool ReplayCommand::parse(const Arguments& arguments, Request& request, std::string& error) {
    for (const std::string& option : arguments.given()) {
        if (std::find(kAllowed.begin(), kAllowed.end(), option) == kAllowed.end()) {
            error = option + " is no option of rollbite replay";
            return false;
        }
    }
    const std::vector<std::string>& operands = arguments.operands();
    if (operands.size() != 2) {
        error = operands.size() < 2 ? "rollbite replay needs a LOG"
                                    : "one LOG only, not also '" + operands[2] + "'";
        return false;
    }
    request.log = operands[1];
    if (!arguments.has("--rheology") ||
        !Names::parseRheology(arguments.value("--rheology"), request.rheology) ||
        !MillLearner::supports(request.rheology)) {
        error = "rollbite replay needs --rheology constant or smatch (the laws a factor scales)";
        return false;
    }
    if (arguments.has("--class")) {
        request.classKey = splitAtCommas(arguments.value("--class"));
    }
    for (const char* option : {"--state", "--out"}) {
        if (arguments.has(option) && (arguments.value(option).empty() || arguments.value(option) == "-")) {
            error = std::string(option) + " needs a file";
            return false;
        }
    }
    request.state = arguments.value("--state");
    request.out = arguments.value("--out");
    if (arguments.has("--threads") &&
        !ThreadCount::parse(arguments.value("--threads").c_str(), request.threads)) {
        error = "--threads must be a whole number from 1 to " + std::to_string(ThreadCount::kMax);
        return false;
    }
    request.force = arguments.has("--force");
    request.quiet = arguments.has("--quiet");
    return parseSettings(arguments, request.settings, error);
}

bool ReplayCommand::readState(const std::string& path, LearnerState& state, bool& found, std::ostream& err) {
    std::error_code error;
    found =
        !path.empty() && std::filesystem::exists(path, error) && std::filesystem::file_size(path, error) > 0;
    if (!found) {
        return true;
    }
    std::ifstream file(path, std::ios::binary);
    std::string failure;
    if (!file || !LearnerStateFile::read(file, state, failure)) {
        err << "rollbite: the state file " << path << " is no learner state ("
            << (file ? failure : "it cannot be read") << "); nothing was written\n";
        return false;
    }
    return true;
}

bool ReplayCommand::checkOutputs(const Request& request, std::ostream& err) {
    OutputGuard guard(request.force);
    if (request.log == kStandardInput) {
        guard.addInput(OutputGuard::kStandardInput, "the log (standard input)");
    } else {
        guard.addInput(request.log);
    }
    // The state file is read and written back: it is an input of no other file, and nothing else.
    if (!request.state.empty()) {
        if (guard.check(request.state, LearnerStateFile::form()) != OutputProblem::None) {
            err << "rollbite: " << guard.message(request.state, LearnerStateFile::form(), "the state file")
                << "; nothing was written\n";
            return false;
        }
        guard.addOutput(request.state, "the state file");
    }
    const OutputForm table(ReplayColumns::header(), "its first line is no header row of a replay table");
    if (!request.out.empty() && guard.check(request.out, table) != OutputProblem::None) {
        err << "rollbite: " << guard.message(request.out, table, "the table") << "; nothing was written\n";
        return false;
    }
    return true;
}

int ReplayCommand::writeOutputs(const Request& request, const std::string& table, const std::string& state,
                                std::ostream& err) {
    StagedFiles files;
    std::vector<std::string> texts;
    if (!request.out.empty()) {
        StagedFile& file = files.add(request.out);
        if (!request.force) {
            file.keepOtherData(OutputForm(ReplayColumns::header(), "it is no replay table"));
        }
        texts.push_back(table);
    }
    if (!request.state.empty()) {
        files.add(request.state).keepOtherData(LearnerStateFile::form());
        texts.push_back(state);
    }
    std::string failure;
    if (!files.write(texts, failure) || !files.publish(failure)) {
        err << "rollbite: " << failure << "\n";
        return kFailure;
    }
    return 0;
}

int ReplayCommand::run(const Arguments& arguments, std::ostream& err) {
    Request request;
    std::string error;
    if (!parse(arguments, request, error)) {
        return usageError(err, error);
    }
    if (request.threads == 0 && !ThreadCount::fromEnvironment(request.threads, error)) {
        err << "rollbite: " << error << "\n";
        return kFailure;
    }
    MillLog log;
    LearnerState start;
    bool resumed = false;
    if (!readLog(request.log, request.rheology, request.classKey, log, err) ||
        !readState(request.state, start, resumed, err) || !checkOutputs(request, err)) {
        return kFailure;
    }
    Interruption interruption;
    MillLearner learner(request.rheology, request.settings);
    if (resumed) {
        learner.setState(start);
    }
    ReplaySummary summary(err, !request.quiet && isatty(STDERR_FILENO) == 1, log.coils().size());
    std::string table = ReplayColumns::header() + "\n";
    const std::vector<MillLog::Coil>& coils = log.coils();
    for (std::size_t first = 0; first < coils.size(); first += kCoilsPerChunk) {
        if (interruption.requested()) {
            summary.clearProgress();
            err << "rollbite: interrupted by " << Interruption::name(interruption.signal())
                << "; nothing was written\n";
            return Interruption::exitStatus(interruption.signal());
        }
        std::vector<std::vector<StandPass>> chunk;
        const std::size_t last = std::min(coils.size(), first + kCoilsPerChunk);
        for (std::size_t c = first; c < last; ++c) {
            chunk.push_back(coils[c].stands);
        }
        const auto said = learner.replayAll(chunk, request.threads);
        for (std::size_t c = first; c < last; ++c) {
            for (std::size_t k = 0; k < said[c - first].size(); ++k) {
                ReplayColumns::appendRow(said[c - first][k], coils[c].stands[k], coils[c].id, table);
                summary.add(said[c - first][k]);
            }
        }
        summary.coilsDone(last);
    }
    summary.clearProgress();
    const int status = writeOutputs(request, table, LearnerStateFile::text(learner.state()), err);
    if (!request.quiet) {
        summary.print();
    }
    return status;
}

} // namespace rollbite

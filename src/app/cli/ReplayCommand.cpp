#include "app/cli/ReplayCommand.h"

#include "app/cli/LawArguments.h"

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
#include <set>
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

const std::vector<std::string> kAllowed = {"--rheology", "--class",  "--state",      "--out",
                                           "--gains",    "--screen", "--threads",    "--force",
                                           "--quiet",    "--law",    "--parameters", "--extrapolate"};

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
             const LawColumns* law, MillLog& log, std::ostream& err) {
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
    if (log.read(path == kStandardInput ? std::cin : file, rheology, classKey, law)) {
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
        error = !(settings.forceScreen > 0.0)
                    ? "--screen must be a positive percentage, not '" + arguments.value("--screen") + "'"
                    : "--gains must lie in (0, 1], not '" + arguments.value("--gains") + "'";
        return false;
    }
    return true;
}

bool ReplayCommand::parse(const Arguments& arguments, const LawCatalogue& laws, Request& request,
                          std::string& error) {
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
    if (!LawArguments::parse(arguments, laws, request.law, request.lawColumns, error)) {
        return false;
    }
    if (request.law != nullptr) {
        request.rheology = kLawRheology;
    } else if (!arguments.has("--rheology") ||
               !Names::parseRheology(arguments.value("--rheology"), request.rheology) ||
               !MillLearner::supports(request.rheology)) {
        error =
            "rollbite replay needs --rheology constant or smatch, or --law NAME (the laws a factor scales)";
        return false;
    }
    if (arguments.has("--class")) {
        request.classKey = splitAtCommas(arguments.value("--class"));
        if (request.classKey.empty() || std::any_of(request.classKey.begin(), request.classKey.end(),
                                                    [](const std::string& name) { return name.empty(); })) {
            error = "--class needs the names of the log's columns that make a class, not '" +
                    arguments.value("--class") + "'";
            return false;
        }
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

bool ReplayCommand::readState(const Request& request, LearnerState& state, bool& found, std::ostream& err) {
    std::error_code error;
    const std::string& path = request.state;
    found =
        !path.empty() && std::filesystem::exists(path, error) && std::filesystem::file_size(path, error) > 0;
    if (!found) {
        return true;
    }
    std::ifstream file(path, std::ios::binary);
    std::string failure = "it cannot be read";
    if (!file.is_open() ||
        !LearnerStateFile::read(file, LearnerStateFile::learntWith(request.rheology, request.law),
                                request.settings, state, failure)) {
        err << "rollbite: the state file " << path << " is no learner state of this replay (" << failure
            << "); nothing was written\n";
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
    // The state file is read and written back: a regular file, an input of no other file, and nothing else.
    if (!request.state.empty()) {
        std::error_code error;
        const auto status = std::filesystem::status(request.state, error);
        if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
            err << "rollbite: the state file " << request.state
                << (std::filesystem::is_directory(status) ? " is a folder" : " is no regular file")
                << "; nothing was written\n";
            return false;
        }
        // Another file is never replaced by a state, not even with --force: it is no state to go on from.
        const OutputProblem problem = guard.check(request.state, LearnerStateFile::form());
        if (problem == OutputProblem::OtherData ||
            (problem == OutputProblem::None &&
             OutputGuard::holdsOtherData(request.state, LearnerStateFile::form()))) {
            err << "rollbite: the state file " << request.state
                << " is no learner state (its first line is not that of a learner state file); nothing was "
                   "written\n";
            return false;
        }
        if (problem != OutputProblem::None) {
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

void ReplayCommand::addOutputs(const Request& request, StagedFiles& files) {
    if (!request.out.empty()) {
        StagedFile& file = files.add(request.out);
        if (!request.force) {
            file.keepOtherData(OutputForm(ReplayColumns::header(), "it is no replay table"));
        }
    }
    if (!request.state.empty()) {
        files.add(request.state).keepOtherData(LearnerStateFile::form());
    }
}

int ReplayCommand::writeOutputs(const Request& request, StagedFiles& files, const std::string& table,
                                const std::string& state, std::ostream& err) {
    std::vector<std::string> texts;
    if (!request.out.empty()) {
        texts.push_back(table);
    }
    if (!request.state.empty()) {
        texts.push_back(state);
    }
    std::string failure;
    if (!files.write(texts, failure) || !files.publish(failure)) {
        err << "rollbite: " << failure << "\n";
        return kFailure;
    }
    return 0;
}

void ReplayCommand::warnOfOtherStands(const LearnerState& state, const MillLog& log, std::ostream& err) {
    std::set<std::string> named;
    for (const MillLog::Coil& coil : log.coils()) {
        for (const StandPass& pass : coil.stands) {
            named.insert(pass.stand);
        }
    }
    const bool known =
        std::any_of(state.stands.begin(), state.stands.end(),
                    [&named](const LearnerState::Stand& stand) { return named.count(stand.name) > 0; });
    if (!state.stands.empty() && !known) {
        err << "rollbite: warning: the state file knows the stands " << state.stands.front().name << " ... "
            << state.stands.back().name << ", none of the log's: every stand starts afresh\n";
    }
}

int ReplayCommand::run(const Arguments& arguments, const LawCatalogue& laws, std::ostream& err) {
    Request request;
    std::string error;
    if (!parse(arguments, laws, request, error)) {
        return usageError(err, error);
    }
    if (request.threads == 0 && !ThreadCount::fromEnvironment(request.threads, error)) {
        err << "rollbite: " << error << "\n";
        return kFailure;
    }
    MillLog log;
    const LawColumns* law = request.law != nullptr ? &request.lawColumns : nullptr;
    if (!readLog(request.log, request.rheology, request.classKey, law, log, err) ||
        !checkOutputs(request, err)) {
        return kFailure;
    }
    // The files stay locked from before the state is read until the new one is in place: two replays
    // going on from one state file never both learn from it.
    StagedFiles files;
    addOutputs(request, files);
    if (!files.lock(error)) {
        err << "rollbite: " << error << "; nothing was written\n";
        return kFailure;
    }
    LearnerState start;
    bool resumed = false;
    if (!readState(request, start, resumed, err)) {
        return kFailure;
    }
    Interruption interruption;
    MillLearner learner(request.rheology, request.settings);
    if (resumed) {
        warnOfOtherStands(start, log, err);
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
    const int status = writeOutputs(
        request, files, table,
        LearnerStateFile::text(learner.state(), LearnerStateFile::learntWith(request.rheology, request.law)),
        err);
    if (!request.quiet) {
        summary.print();
    }
    return status;
}

} // namespace rollbite

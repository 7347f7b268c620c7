#include "app/cli/ScheduleCommand.h"

#include "app/formats/OutputGuard.h"
#include "app/formats/PassFiles.h"
#include "app/formats/RowFile.h"
#include "app/formats/ScheduleColumns.h"
#include "app/formats/ScheduleReader.h"
#include "app/formats/SensitivityColumns.h"
#include "app/formats/StagedFiles.h"
#include "app/run/Interruption.h"
#include "rollbite/model/LoadDistributor.h"
#include "rollbite/model/ScheduleSolver.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace rollbite {

namespace {

constexpr int kUsageError = 2;
constexpr int kFailure = 1;
constexpr const char* kStandardInput = "-";

const std::vector<std::string> kAllowed = {"--distribute", "--out", "--passes", "--sensitivities", "--force"};

std::string fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

constexpr std::size_t kErrorsShown = 10; // wrong fields of a schedule file told one by one

int usageError(std::ostream& err, const std::string& message) {
    err << "rollbite: " << message << "\nTry 'rollbite --help' for the arguments.\n";
    return kUsageError;
}

// A schedule read from standard input is told by what it holds: FNV-1a, 64 bits, of its bytes.
std::string fingerprint(const std::string& text) {
    constexpr std::uint64_t kOffsetBasis = 14695981039346656037ULL;
    constexpr std::uint64_t kPrime = 1099511628211ULL;
    std::uint64_t hash = kOffsetBasis;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * kPrime;
    }
    char hex[20];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

// Reads the schedule, and names it for the header of its passes (`source`): a file by its full path, so
// that only its own earlier passes are replaced; standard input by what it held.
bool readSchedule(const std::string& path, const LawCatalogue& laws, ScheduleReader::Schedule& schedule,
                  std::string& source, std::ostream& err) {
    std::ifstream file;
    std::istringstream standardInput;
    if (path == kStandardInput) {
        const std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
        standardInput.str(text);
        source = "read from standard input, " + fingerprint(text);
    } else {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            err << "rollbite: the schedule file " << path << " is a folder\n";
            return false;
        }
        file.open(path, std::ios::binary);
        if (!file) {
            err << "rollbite: cannot read the schedule file " << path << "\n";
            return false;
        }
        const std::filesystem::path full = std::filesystem::weakly_canonical(path, error);
        source = error ? path : full.string();
    }
    ScheduleReader reader(&laws);
    if (!reader.read(path == kStandardInput ? static_cast<std::istream&>(standardInput) : file, schedule)) {
        // The first few say what is wrong; a file of another kind would give one line per line.
        const std::vector<std::string>& errors = reader.errors();
        for (std::size_t k = 0; k < errors.size() && k < kErrorsShown; ++k) {
            err << "rollbite: " << path << ": " << errors[k] << "\n";
        }
        if (errors.size() > kErrorsShown) {
            err << "rollbite: " << path << ": and " << errors.size() - kErrorsShown
                << " more; is it a schedule file (docs/schedules.md)?\n";
        }
        return false;
    }
    return true;
}

// The rules of every front end for the files to write and for standard output, where the readable table
// goes: never an input (the schedule file, also on standard input), never two on one file or stream.
template <typename Output>
bool checkOutputs(const std::string& input, const std::vector<Output>& outputs, bool force,
                  std::ostream& err) {
    OutputGuard guard(force);
    if (input == kStandardInput) {
        guard.addInput(OutputGuard::kStandardInput, "the schedule file (standard input)");
    } else {
        guard.addInput(input);
    }
    if (guard.checkStandardOutput() != OutputProblem::None) {
        err << "rollbite: " << guard.standardOutputMessage("the table") << "; nothing was written\n";
        return false;
    }
    guard.addOutput(OutputGuard::kStandardOutput, "the table on standard output");
    for (const Output& output : outputs) {
        if (guard.check(output.path, output.form) != OutputProblem::None) {
            err << "rollbite: " << guard.message(output.path, output.form, output.what)
                << "; nothing was written\n";
            return false;
        }
        guard.addOutput(output.path, output.what);
    }
    return true;
}

// Writes `text` to standard output whole (a failure cuts it back to its last whole line). False, with
// the message, when it cannot be.
bool writeToStandardOutput(const std::string& text, std::ostream& err) {
    RowFile output;
    if (output.openStandardOutput() != RowFile::Opened::Yes || !output.append(text) || !output.close()) {
        err << "rollbite: the table could not be written to standard output (" << output.failure() << ")";
        return false;
    }
    return true;
}

std::string distributionLine(const DistributionResult& result, DistributionTarget target, bool met) {
    const bool limits =
        target == DistributionTarget::ForceLimits || target == DistributionTarget::PowerLimits;
    const bool force = target == DistributionTarget::ForceLimits || target == DistributionTarget::ForceRatios;
    std::string line =
        met ? std::string("Distributed by ") + distributionTargetName(target) + ": every stand at "
            : std::string("Not distributed by ") + distributionTargetName(target) +
                  ": the best schedule reached puts every stand at ";
    line += limits ? fixed(result.share, 2) + " % of its " + (force ? "Force_limit" : "Power_limit")
                   : fixed(result.share, 1) + (force ? " kN" : " kW") + " per unit of its " +
                         (force ? "Force_ratio" : "Power_ratio");
    line += ", within " + fixed(result.spread, 3) + " %; " + std::to_string(result.solves) +
            " passes solved in " + std::to_string(result.marches) + " marches\n";
    return line;
}

// The readable table with its totals, as standard output shows it.
std::string readableTable(const ScheduleResult& schedule) {
    return ScheduleColumns::readable(schedule) + "Mass flow " + fixed(schedule.Mass_flow, 1) +
           " t/h; energy " + fixed(schedule.Specific_energy, 2) + " kWh/t\n";
}

// The sensitivity table of every stand's pass, its plasticity coefficient in MN/mm over the strip's width.
std::string sensitivityText(const ScheduleResult& schedule, const StripInputs& strip) {
    const double width = strip.Width;
    const SensitivityColumns columns(kDirectMode, true, strip.rheology == kLawRheology ? strip.law : nullptr);
    std::string text = columns.header() + "\n";
    const InverseUncertainty none;
    for (const StandResult& stand : schedule.stands) {
        columns.appendRow(SensitivityRow{stand.row, stand.sensitivities, none, width}, text);
    }
    return text;
}

} // namespace

const std::vector<Arguments::Option>& ScheduleCommand::options() {
    static const std::vector<Arguments::Option> kOptions = {
        {"--distribute", true}, {"--out", true}, {"--passes", true}};
    return kOptions;
}

bool ScheduleCommand::parse(const Arguments& arguments, Request& request, std::string& error) {
    for (const std::string& option : arguments.given()) {
        if (std::find(kAllowed.begin(), kAllowed.end(), option) == kAllowed.end()) {
            error = option + " is no option of rollbite schedule";
            return false;
        }
    }
    const std::vector<std::string>& operands = arguments.operands();
    if (operands.size() != 2) {
        error = operands.size() < 2 ? "rollbite schedule needs a schedule FILE"
                                    : "one schedule FILE only, not also '" + operands[2] + "'";
        return false;
    }
    request.path = operands[1];
    request.distribute = arguments.has("--distribute");
    if (request.distribute && !parseDistributionTarget(arguments.value("--distribute"), request.target)) {
        error = "unknown target '" + arguments.value("--distribute") +
                "' for --distribute: force, power, force-ratios or power-ratios";
        return false;
    }
    for (const char* option : {"--out", "--passes", "--sensitivities"}) {
        if (arguments.has(option) && (arguments.value(option).empty() || arguments.value(option) == "-")) {
            error = std::string(option) + " needs a file";
            return false;
        }
    }
    request.out = arguments.value("--out");
    request.passes = arguments.value("--passes");
    request.sensitivities = arguments.value("--sensitivities");
    request.force = arguments.has("--force");
    return true;
}

int ScheduleCommand::run(const Arguments& arguments, std::ostream& out, std::ostream& messages) {
    Request request;
    std::string error;
    if (!parse(arguments, request, error)) {
        return usageError(messages, error);
    }
    // Standard error that leads into a file of the command gets nothing: the exit status alone tells.
    std::ostream nowhere(nullptr);
    std::ostream& err =
        OutputGuard::standardErrorIsOneOf(
            {request.path == kStandardInput ? OutputGuard::kStandardInput : request.path,
             OutputGuard::kStandardOutput, request.out,
             request.passes.empty() ? "" : request.passes + "-entry.txt",
             request.passes.empty() ? "" : request.passes + "-coefficients.txt", request.sensitivities})
            ? nowhere
            : messages;
    const LawCatalogue laws; // the laws a schedule's Law line may name, for as long as it is solved
    ScheduleReader::Schedule schedule;
    if (!readSchedule(request.path, laws, schedule, request.source, err)) {
        return kFailure;
    }
    std::vector<Output> outputs = outputsOf(request, schedule.strip);
    if (!checkOutputs(request.path, outputs, request.force, err)) {
        return kFailure;
    }
    out << std::flush; // nothing of this stream may follow the table
    // A signal stops the command before its files go out, or while a FIFO waits for its reader, with every
    // file as it was; a stop while solving waits for the solve.
    Interruption interruption;
    ScheduleSolver solver;
    LoadDistributor distributor;
    const ScheduleResult* result = nullptr;
    std::string summary;
    if (request.distribute) {
        const DistributionResult& distributed =
            distributor.distribute(schedule.strip, schedule.stands, request.target);
        if (!distributed.met) {
            return refuseDistribution(request.path, distributed, request.target, err);
        }
        result = &distributed.schedule;
        summary = distributionLine(distributed, request.target, true);
    } else {
        result = &solver.solve(schedule.strip, schedule.stands);
        if (!result->ok()) {
            err << "rollbite: " << request.path << ": " << result->message << "; nothing was written\n";
            return kFailure;
        }
        summary = std::to_string(result->solves) + " passes solved\n";
    }
    return writeResults(request, outputs, *result, schedule.strip, summary, interruption, err);
}

std::vector<ScheduleCommand::Output> ScheduleCommand::outputsOf(const Request& request,
                                                                const StripInputs& strip) {
    std::vector<Output> outputs;
    if (!request.out.empty()) {
        outputs.push_back({request.out, OutputKind::ScheduleTable, "the table"});
    }
    if (!request.passes.empty()) {
        // The passes of this schedule replace only the passes of this schedule: measured passes, passes
        // of the other mode or of another schedule are other data.
        const std::string& source = request.source;
        outputs.push_back({request.passes + "-entry.txt", PassFiles::entryForm(kDirectMode, source),
                           "the entry file of the passes"});
        if (strip.rheology != kConstantRheology) {
            outputs.push_back({request.passes + "-coefficients.txt",
                               PassFiles::coefficientForm(strip.rheology, source, strip.law),
                               "the coefficient file of the passes"});
        }
    }
    if (!request.sensitivities.empty()) {
        outputs.push_back({request.sensitivities, OutputKind::SensitivityTable, "the sensitivity table"});
    }
    return outputs;
}

std::vector<std::string> ScheduleCommand::textsOf(const Request& request, const std::vector<Output>& outputs,
                                                  const ScheduleResult& schedule, const StripInputs& strip) {
    const std::string& source = request.source;
    std::vector<std::string> texts;
    for (const Output& output : outputs) {
        if (output.path == request.out) {
            texts.push_back(ScheduleColumns::tabSeparated(schedule));
        } else if (output.form.kind == OutputKind::SensitivityTable) {
            texts.push_back(sensitivityText(schedule, strip));
        } else if (output.path == request.passes + "-entry.txt") {
            texts.push_back(PassFiles::entryText(schedule, source));
        } else {
            texts.push_back(PassFiles::coefficientText(schedule, strip.rheology, source, strip.law));
        }
    }
    return texts;
}

int ScheduleCommand::refuseDistribution(const std::string& path, const DistributionResult& result,
                                        DistributionTarget target, std::ostream& err) {
    // The best schedule the search reached, for the engineer to weigh against the target: only one whose
    // every pass has a result (a stand without one has no load to weigh).
    if (!result.schedule.stands.empty() && result.schedule.ok()) {
        const std::string text = readableTable(result.schedule) + distributionLine(result, target, false);
        if (!writeToStandardOutput(text, err)) {
            err << "\n";
        }
    }
    err << "rollbite: " << path << ": " << result.message << "; nothing was written\n";
    return kFailure;
}

int ScheduleCommand::interrupted(const Interruption& interruption, std::ostream& err) {
    err << "rollbite: interrupted by " << Interruption::name(interruption.signal())
        << "; nothing was written\n";
    return Interruption::exitStatus(interruption.signal());
}

int ScheduleCommand::writeResults(const Request& request, const std::vector<Output>& outputs,
                                  const ScheduleResult& schedule, const StripInputs& strip,
                                  const std::string& summary, const Interruption& interruption,
                                  std::ostream& err) {
    StagedFiles files;
    for (const Output& output : outputs) {
        StagedFile& file = files.add(output.path);
        if (!request.force) {
            file.keepOtherData(output.form);
        }
    }
    std::string failure;
    if (!files.write(textsOf(request, outputs, schedule, strip), failure) || !files.lock(failure)) {
        err << "rollbite: " << failure << "; nothing was written\n";
        return kFailure;
    }
    if (interruption.requested()) {
        return interrupted(interruption, err);
    }
    if (!writeToStandardOutput(readableTable(schedule) + summary, err)) {
        err << "; no file was written\n";
        return kFailure;
    }
    if (!files.publish(failure, [&interruption] { return interruption.requested(); })) {
        if (interruption.requested()) {
            err << "rollbite: interrupted by " << Interruption::name(interruption.signal()) << ": " << failure
                << " (the table went to standard output)\n";
            return Interruption::exitStatus(interruption.signal());
        }
        err << "rollbite: " << failure << " (the table went to standard output)\n";
        return kFailure;
    }
    for (const StandResult& stand : schedule.stands) {
        const std::string over = overLimits(stand);
        if (!over.empty()) {
            err << "rollbite: " << request.path << ": stand " << stand.name << " is above its limit: " << over
                << "\n";
        }
    }
    return 0;
}

} // namespace rollbite

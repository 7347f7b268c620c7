#include "app/cli/CommandLine.h"

#include "app/cli/LawArguments.h"
#include "app/cli/ReplayCommand.h"
#include "app/cli/ScheduleCommand.h"
#include "app/cli/SensitivityArguments.h"

#include "app/dialogue/Console.h"
#include "app/formats/FieldReader.h"
#include "app/formats/Names.h"
#include "app/formats/OutputGuard.h"
#include "app/formats/ThreadCount.h"
#include "app/profile/ProfileCommand.h"
#include "app/run/DirectOrowan.h"
#include "app/run/InverseOrowan.h"
#include "app/run/RunReport.h"
#include "app/run/SensitivityTable.h"
#include "rollbite/Kinds.h"

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <unistd.h>

#ifndef ROLLBITE_VERSION
#define ROLLBITE_VERSION "unknown"
#endif

namespace rollbite {

namespace {

constexpr const char* kUsage =
    "Usage: rollbite\n"
    "       rollbite direct  --rheology NAME [--coefficients FILE] ENTRY EXIT [options]\n"
    "       rollbite inverse --rheology NAME [--coefficients FILE] ENTRY EXIT [options]\n"
    "       rollbite direct|inverse --law NAME [--parameters LIST] [--coefficients FILE] [--extrapolate]\n"
    "                ENTRY EXIT [options]\n"
    "       rollbite profile direct|inverse --rheology NAME [--coefficients FILE] ENTRY CASE [TABLE]\n"
    "                [--plot IMAGE] [--force]\n"
    "       rollbite profile direct|inverse --law NAME [--parameters LIST] [--coefficients FILE]\n"
    "                [--extrapolate] ENTRY CASE [TABLE] [--plot IMAGE] [--force]\n"
    "       rollbite schedule FILE [--distribute force|power|force-ratios|power-ratios] [--out TABLE]\n"
    "                [--passes STEM] [--sensitivities FILE] [--force]\n"
    "       rollbite replay LOG --rheology constant|smatch [--class COLUMNS] [--state FILE] [--out TABLE]\n"
    "                [--gains SHORT,LONG,FRICTION] [--screen PERCENT] [--threads N] [--force] [--quiet]\n"
    "       rollbite replay LOG --law NAME [--parameters LIST] [--extrapolate] [the options above]\n"
    "       rollbite --help | --version\n"
    "\n"
    "Without arguments, rollbite asks its questions on the console. With them, it runs every case of ENTRY\n"
    "in direct mode (force, forward slip and torque from friction and flow stress) or inverse mode (offset\n"
    "yield stress and friction from a measured force and forward slip) and writes one row per case to\n"
    "EXIT, byte for byte the exit file the console dialogue writes for the same answers. Options may come\n"
    "before or after the command and the files; -- ends them.\n"
    "\n"
    "  ENTRY                 the entry file: a header line, then one case per line; - reads standard input\n"
    "  EXIT                  the exit file to write, - for standard output; it must not be an input, nor\n"
    "                        hold other data\n"
    "  --rheology NAME       constant, smatch or ws18 (in any letter case)\n"
    "  --law NAME            a flow-stress law instead of a rheology (docs/laws.md): hensel-spittel-5,\n"
    "                        hensel-spittel-9, misaka, shida, swift, hollomon, voce, johnson-cook\n"
    "  --parameters LIST     the law's parameters and conditions for every case, NAME=VALUE separated by\n"
    "                        commas (K=565.3,eps0=0.0071,n=0.259); the others come from --coefficients,\n"
    "                        whose header row names its columns in any order\n"
    "  --extrapolate         use the law outside the ranges it was fitted in, rather than refuse the case\n"
    "  --coefficients FILE   the rheology-coefficient file, for smatch and ws18 only: a header line, then\n"
    "                        the record of each case (4 or 23 numbers), as many lines as ENTRY\n"
    "\n"
    "Options:\n"
    "  --threads N           threads solving cases, 1 to 256 (default: ROLLBITE_THREADS, else one per core)\n"
    "  --why FILE            also write FILE, a tab-separated table: one row per case whose error class is\n"
    "                        not VOID (or whose coefficient record is not alone on its line), with its "
    "case,\n"
    "                        its line in ENTRY, its error class and the reason\n"
    "  --sensitivities FILE  also write FILE, a tab-separated table, one row per case: in direct mode the\n"
    "                        derivatives of force, slip and torque by the inputs and the plasticity\n"
    "                        coefficient; in inverse mode how well the offset yield stress and friction\n"
    "                        found are known, with the flags of results not to trust "
    "(docs/sensitivities.md);\n"
    "                        with --law also by the law's factor and parameters, or of the factor found\n"
    "  --uncertainty F,S     inverse: standard deviations of the measured force (9.81 N/mm up to 5000, or\n"
    "                        percent of it with %, up to 100%) and slip (percentage points, up to 100);\n"
    "                        default 1%,0.2\n"
    "  --width MM            direct: the strip width, for the plasticity coefficient in MN/mm\n"
    "  --force               write over an EXIT (or a why FILE) that holds other data; never over an input\n"
    "  --quiet               no progress line and no summary line on standard error\n"
    "  --dry-run             check every file as a run would (inputs, line counts, EXIT and the why file)\n"
    "                        and stop before writing anything; the status tells the verdict\n"
    "  -h, --help            this text\n"
    "  --version             the version of rollbite\n"
    "\n"
    "rollbite profile writes the arc of contact of case CASE of ENTRY, computed as a run computes it, as a\n"
    "CSV table into TABLE (standard output without it, or with -), and with --plot IMAGE (.png or .svg)\n"
    "draws its friction hill with gnuplot.\n"
    "\n"
    "rollbite schedule solves the stands of the schedule FILE (- for standard input) chained into one mill\n"
    "(docs/schedules.md): a table on standard output, the tab-separated table into TABLE, with --passes the\n"
    "passes it built as STEM-entry.txt (and STEM-coefficients.txt) for rollbite direct, and with\n"
    "--sensitivities the sensitivity table of those passes; the files appear all together or not at all.\n"
    "--distribute finds the intermediate thicknesses that give every stand the same share of its\n"
    "Force_limit or Power_limit, or the forces or powers in the proportions of the stands' Force_ratio or\n"
    "Power_ratio. A stand above a limit is marked in the table and named on standard error. A strip with\n"
    "an Entry_temperature gets each stand's temperatures from the thermal chain (docs/thermal.md).\n"
    "\n"
    "rollbite replay replays a mill's log coil by coil (docs/learning.md): each coil predicted from what "
    "the\n"
    "coils before it taught, then learnt from; the table of predictions and errors into TABLE, the state\n"
    "after the last coil into --state FILE (read first when it exists, so that a replay goes on where the\n"
    "last one stopped), and the force errors, frozen setup against adapted, on standard error.\n"
    "\n"
    "While the run goes, a progress line is redrawn on standard error when it is a terminal; at the end one\n"
    "line there counts the cases of each error class. SIGINT, SIGTERM and SIGHUP stop a run after the row\n"
    "it is writing: EXIT keeps every row written whole.\n"
    "\n"
    "Exit status: 0 when ENTRY was processed, whatever the error classes of its rows; 1 when a file cannot "
    "be\n"
    "used (missing, an exit file that is an input or holds other data), the files differ in their number of\n"
    "lines, or the exit file could not be written or an input read to its end; 2 for a usage error; 130,\n"
    "143 or 129 when SIGINT, SIGTERM or SIGHUP stopped the run.\n";

// The options of every command; each command refuses those that are not its own.
const std::vector<Arguments::Option> kOptions = {
    {"--rheology", true},    {"--coefficients", true}, {"--threads", true},
    {"--why", true},         {"--force", false},       {"--quiet", false},
    {"--dry-run", false},    {"--plot", true},         {"-h", false},
    {"--help", false},       {"--version", false},     {"--sensitivities", true},
    {"--uncertainty", true}, {"--width", true},        {"--law", true},
    {"--parameters", true},  {"--extrapolate", false},
};
const std::vector<std::string> kRunOptions = {
    "--rheology",      "--coefficients", "--threads", "--why", "--force",      "--quiet",      "--dry-run",
    "--sensitivities", "--uncertainty",  "--width",   "--law", "--parameters", "--extrapolate"};
const std::vector<std::string> kProfileOptions = {"--rheology", "--coefficients", "--plot",       "--force",
                                                  "--law",      "--parameters",   "--extrapolate"};

// The first option given that is not one of `allowed`, or an empty text.
std::string foreignOption(const Arguments& arguments, const std::vector<std::string>& allowed) {
    for (const std::string& option : arguments.given()) {
        if (std::find(allowed.begin(), allowed.end(), option) == allowed.end()) {
            return option;
        }
    }
    return {};
}

} // namespace

int CommandLine::run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    return run(arguments, LawCatalogue(), out, err);
}

int CommandLine::run(const std::vector<std::string>& arguments, const LawCatalogue& laws, std::ostream& out,
                     std::ostream& err) {
    Arguments parsed;
    std::string error;
    std::vector<Arguments::Option> options = kOptions;
    options.insert(options.end(), ScheduleCommand::options().begin(), ScheduleCommand::options().end());
    options.insert(options.end(), ReplayCommand::options().begin(), ReplayCommand::options().end());
    const bool understood = parsed.parse(arguments, options, error);
    if (understood && (parsed.has("-h") || parsed.has("--help"))) {
        out << kUsage;
        return 0;
    }
    if (understood && parsed.has("--version")) {
        out << "rollbite " << ROLLBITE_VERSION << "\n";
        return 0;
    }
    if (understood && !parsed.operands().empty() && parsed.operands()[0] == "profile") {
        return profile(parsed, laws, out, err);
    }
    if (understood && !parsed.operands().empty() && parsed.operands()[0] == "schedule") {
        return ScheduleCommand::run(parsed, out, err);
    }
    if (understood && !parsed.operands().empty() && parsed.operands()[0] == "replay") {
        return ReplayCommand::run(parsed, laws, err);
    }
    Request request;
    if (!understood || !parseRun(parsed, laws, request, error)) {
        err << "rollbite: " << error << "\nTry 'rollbite --help' for the arguments.\n";
        return kUsageError;
    }
    return execute(request, out, err);
}

bool CommandLine::parseKinds(const Arguments& arguments, int& mode, int& rheology, std::string& error) {
    const std::vector<std::string>& operands = arguments.operands();
    const std::size_t first = !operands.empty() && operands[0] == "profile" ? 1 : 0;
    Mode parsedMode = kDirectMode;
    if (operands.size() <= first || !Names::parseMode(operands[first], parsedMode)) {
        error = operands.size() <= first ? "the mode is missing: " + Names::modeChoices()
                                         : "unknown mode '" + operands[first] + "': " + Names::modeChoices();
        return false;
    }
    mode = parsedMode;
    if (arguments.has("--law")) {
        rheology = kLawRheology; // parseLaw reads the rest
        return true;
    }
    if (!arguments.has("--rheology")) {
        error = "--rheology is missing: " + Names::rheologyChoices();
        return false;
    }
    RheologyKind parsedRheology = kConstantRheology;
    const std::string name = arguments.value("--rheology");
    if (!Names::parseRheology(name, parsedRheology)) {
        error = "unknown rheology '" + name + "' for --rheology: " + Names::rheologyChoices();
        return false;
    }
    rheology = parsedRheology;
    const bool withCoefficients = rheology != kConstantRheology;
    if (withCoefficients && arguments.value("--coefficients").empty()) {
        error =
            std::string("the ") + Names::rheologyName(parsedRheology) + " rheology needs --coefficients FILE";
        return false;
    }
    if (!withCoefficients && arguments.has("--coefficients")) {
        error = "the constant rheology takes no --coefficients";
        return false;
    }
    if (arguments.value("--coefficients") == "-") {
        error = "--coefficients needs a file: - stands for standard input as ENTRY only (name /dev/stdin to "
                "read the coefficients from it)";
        return false;
    }
    return true;
}

bool CommandLine::parseLaw(const Arguments& arguments, const LawCatalogue& laws, const FlowStressLaw*& law,
                           LawColumns& columns, std::string& error) {
    if (!LawArguments::parse(arguments, laws, law, columns, error)) {
        return false;
    }
    if (law == nullptr) {
        return true;
    }
    if (columns.needsFile() && arguments.value("--coefficients").empty()) {
        std::string needed;
        for (const std::string& name : columns.needed()) {
            needed += (needed.empty() ? "" : ", ") + name;
        }
        error = "the law " + law->name() + " needs --coefficients FILE, or all of " + needed +
                " in --parameters NAME=VALUE,...";
        return false;
    }
    if (arguments.value("--coefficients") == "-") {
        error = "--coefficients needs a file: - stands for standard input as ENTRY only";
        return false;
    }
    return true;
}

bool CommandLine::parseRun(const Arguments& arguments, const LawCatalogue& laws, Request& request,
                           std::string& error) {
    const std::string foreign = foreignOption(arguments, kRunOptions);
    if (!foreign.empty()) {
        error = foreign + " is no option of a run";
        return false;
    }
    if (!parseKinds(arguments, request.mode, request.rheology, error) ||
        !parseLaw(arguments, laws, request.law, request.lawColumns, error)) {
        return false;
    }
    request.sensitivityOptions.law = request.law;
    request.coefficients = arguments.value("--coefficients");
    request.why = arguments.value("--why");
    if (arguments.has("--why") && (request.why.empty() || request.why == "-")) {
        error = "--why needs a file: - stands for standard input or output as ENTRY or EXIT only";
        return false;
    }
    if (arguments.has("--threads") &&
        !ThreadCount::parse(arguments.value("--threads").c_str(), request.threads)) {
        error = "--threads must be a whole number from 1 to " + std::to_string(ThreadCount::kMax) +
                ", not '" + arguments.value("--threads") + "'";
        return false;
    }
    if (!parseSensitivities(arguments, request, error)) {
        return false;
    }
    request.force = arguments.has("--force");
    request.quiet = arguments.has("--quiet");
    request.dryRun = arguments.has("--dry-run");
    const std::vector<std::string>& files = arguments.operands();
    if (files.size() != 3) {
        error = files.size() < 3 ? "ENTRY and EXIT are both needed"
                                 : "one ENTRY and one EXIT only, not also '" + files[3] + "'";
        return false;
    }
    request.entry = files[1];
    request.exit = files[2];
    return true;
}

bool CommandLine::parseSensitivities(const Arguments& arguments, Request& request, std::string& error) {
    request.sensitivities = arguments.value("--sensitivities");
    if (arguments.has("--sensitivities") && (request.sensitivities.empty() || request.sensitivities == "-")) {
        error = "--sensitivities needs a file";
        return false;
    }
    const bool inverse = request.mode == kInverseMode;
    for (const char* option : {"--uncertainty", "--width"}) {
        if (arguments.has(option) && request.sensitivities.empty()) {
            error = std::string(option) + " goes with --sensitivities FILE";
            return false;
        }
    }
    if (arguments.has("--uncertainty")) {
        if (!inverse) {
            error = "--uncertainty is for inverse runs: the deviations of the measured force and slip";
            return false;
        }
        return SensitivityArguments::parseUncertainty(arguments.value("--uncertainty"),
                                                      request.sensitivityOptions.uncertainty, error);
    }
    if (arguments.has("--width")) {
        if (inverse) {
            error = "--width is for direct runs: the strip width of the plasticity coefficient";
            return false;
        }
        return SensitivityArguments::parseWidth(arguments.value("--width"), request.sensitivityOptions.width,
                                                error);
    }
    return true;
}

int CommandLine::profile(const Arguments& arguments, const LawCatalogue& laws, std::ostream& out,
                         std::ostream& err) {
    std::string error;
    ProfileCommand::Request request;
    int mode = 0;
    int rheology = 0;
    const std::vector<std::string>& operands = arguments.operands();
    const std::string foreign = foreignOption(arguments, kProfileOptions);
    if (!foreign.empty()) {
        error = foreign + " is no option of rollbite profile";
    } else if (const FlowStressLaw* law = nullptr; parseKinds(arguments, mode, rheology, error) &&
                                                   parseLaw(arguments, laws, law, request.law, error)) {
        if (operands.size() < 4 || operands.size() > 5) {
            error = operands.size() < 4
                        ? "rollbite profile needs ENTRY and CASE"
                        : "one ENTRY, one CASE and one TABLE only, not also '" + operands[5] + "'";
        } else if (operands[2] == "-") {
            error = "rollbite profile needs ENTRY as a file, not - (standard input)";
        } else if (!FieldReader::parseInteger(operands[3], request.caseId)) {
            error = "CASE must be a case identifier, not '" + operands[3] + "'";
        }
    }
    if (error.empty()) {
        request.mode = static_cast<Mode>(mode);
        request.rheology = static_cast<RheologyKind>(rheology);
        request.entry = operands[2];
        request.coefficients = arguments.value("--coefficients");
        request.output = operands.size() == 5 ? operands[4] : "-";
        request.image = arguments.value("--plot");
        request.force = arguments.has("--force");
        error = ProfileCommand::usageError(request);
    }
    if (!error.empty()) {
        err << "rollbite: " << error << "\nTry 'rollbite --help' for the arguments.\n";
        return kUsageError;
    }
    return ProfileCommand("rollbite").run(request, out, err);
}

int CommandLine::execute(const Request& request, std::ostream& out, std::ostream& err) {
    int threads = request.threads;
    std::string failure;
    if (threads == 0 && !ThreadCount::fromEnvironment(threads, failure)) {
        err << "rollbite: " << failure << "\n";
        return 1;
    }
    // Standard error that leads into a file of the run would mix the summary and the messages into its
    // data: it gets nothing then, and the exit status alone tells.
    std::ostream nowhere(nullptr);
    std::ostream& messages =
        OutputGuard::standardErrorIsOneOf({request.entry == "-" ? OutputGuard::kStandardInput : request.entry,
                                           request.exit == "-" ? OutputGuard::kStandardOutput : request.exit,
                                           request.coefficients, request.why, request.sensitivities})
            ? nowhere
            : err;
    const Console console{std::cin, out, messages};
    std::unique_ptr<Orowan> computation;
    if (request.mode == kDirectMode) {
        computation = std::make_unique<DirectOrowan>(request.rheology, console);
    } else {
        computation = std::make_unique<InverseOrowan>(request.rheology, console);
    }
    computation->threadCount = threads;
    LawColumns lawColumns = request.lawColumns; // its header is read with the coefficient file
    if (request.law != nullptr) {
        computation->lawColumns = &lawColumns;
        computation->fileHandler.useLaw(&lawColumns);
    }
    RunReport report(messages, !request.quiet && isatty(STDERR_FILENO) == 1, !request.quiet);

    report.setWhyFile(request.why);
    std::optional<SensitivityTable> table;
    if (!request.sensitivities.empty()) {
        table.emplace(request.sensitivities, static_cast<Mode>(request.mode), request.sensitivityOptions);
        computation->sensitivityTable = &*table;
    }
    return computation->runWithFiles(request.entry, request.exit, request.coefficients, request.force,
                                     &report, request.dryRun);
}

} // namespace rollbite

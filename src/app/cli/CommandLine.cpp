#include "app/cli/CommandLine.h"

#include "app/dialogue/Console.h"
#include "app/formats/Names.h"
#include "app/formats/ThreadCount.h"
#include "app/run/DirectOrowan.h"
#include "app/run/InverseOrowan.h"
#include "app/run/RunReport.h"
#include "rollbite/Kinds.h"

#include <iostream>
#include <memory>
#include <unistd.h>

#ifndef ROLLBITE_VERSION
#define ROLLBITE_VERSION "unknown"
#endif

namespace rollbite {

namespace {

constexpr const char* kUsage =
    "Usage: rollbite\n"
    "       rollbite direct  --rheology constant|smatch|ws18 [--coefficients FILE] ENTRY EXIT [options]\n"
    "       rollbite inverse --rheology constant|smatch|ws18 [--coefficients FILE] ENTRY EXIT [options]\n"
    "       rollbite --help | --version\n"
    "\n"
    "Without arguments, rollbite asks its questions on the console. With them, it runs every case of ENTRY\n"
    "in direct mode (force, forward slip and torque from friction and flow stress) or inverse mode (offset\n"
    "yield stress and friction from a measured force and forward slip) and writes one row per case to\n"
    "EXIT, byte for byte the exit file the console dialogue writes for the same answers.\n"
    "\n"
    "  ENTRY                 the entry file: a header line, then one case per line\n"
    "  EXIT                  the exit file to write; it must not be an input, nor hold other data\n"
    "  --rheology NAME       constant, smatch or ws18\n"
    "  --coefficients FILE   the rheology-coefficient file, for smatch and ws18 only: a header line, then\n"
    "                        the record of each case (4 or 23 numbers), as many lines as ENTRY\n"
    "\n"
    "Options:\n"
    "  --threads N           threads solving cases, 1 to 256 (default: ROLLBITE_THREADS, else one per core)\n"
    "  --why FILE            also write FILE, a tab-separated table: one row per case whose error class is\n"
    "                        not VOID, with its case, its line in ENTRY, its error class and the reason\n"
    "  --force               write over an EXIT (or a why FILE) that holds other data; never over an input\n"
    "  --quiet               no progress line and no summary line on standard error\n"
    "  --dry-run             check every file as a run would (inputs, line counts, EXIT and the why file)\n"
    "                        and stop before writing anything; the status tells the verdict\n"
    "  -h, --help            this text\n"
    "  --version             the version of rollbite\n"
    "\n"
    "While the run goes, a progress line is redrawn on standard error when it is a terminal; at the end one\n"
    "line there counts the cases of each error class.\n"
    "\n"
    "Exit status: 0 when ENTRY was processed, whatever the error classes of its rows; 1 when a file cannot "
    "be\n"
    "used (missing, an exit file that is an input or holds other data), the files differ in their number of\n"
    "lines, or the exit file could not be written or an input read to its end; 2 for a usage error.\n";

} // namespace

int CommandLine::run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.size() == 1 && (arguments[0] == "-h" || arguments[0] == "--help")) {
        out << kUsage;
        return 0;
    }
    if (arguments.size() == 1 && arguments[0] == "--version") {
        out << "rollbite " << ROLLBITE_VERSION << "\n";
        return 0;
    }
    Request request;
    std::string error;
    if (!parse(arguments, request, error)) {
        err << "rollbite: " << error << "\nTry 'rollbite --help' for the arguments.\n";
        return kUsageError;
    }
    return execute(request, out, err);
}

bool CommandLine::parse(const std::vector<std::string>& arguments, Request& request, std::string& error) {
    Mode mode = kDirectMode;
    if (arguments.empty() || !Names::parseMode(arguments[0], mode)) {
        error = arguments.empty() || arguments[0].empty() || arguments[0][0] == '-'
                    ? "the first argument must be the mode, direct or inverse"
                    : "unknown mode '" + arguments[0] + "': " + Names::modeChoices();
        return false;
    }
    request.mode = mode;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (std::size_t k = 1; k < arguments.size(); ++k) {
        std::string argument = arguments[k];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        // --name=value or --name value
        std::string value;
        const std::size_t equals = argument.find('=');
        const bool inlineValue = equals != std::string::npos;
        if (inlineValue) {
            value = argument.substr(equals + 1);
            argument = argument.substr(0, equals);
        }
        const bool takesValue = argument == "--rheology" || argument == "--coefficients" ||
                                argument == "--threads" || argument == "--why";
        if (takesValue && !inlineValue) {
            if (k + 1 >= arguments.size()) {
                error = argument + " needs a value";
                return false;
            }
            value = arguments[++k];
        } else if (!takesValue && inlineValue) {
            error = argument + " takes no value";
            return false;
        }
        if (argument == "--rheology") {
            RheologyKind rheology = kConstantRheology;
            if (!Names::parseRheology(value, rheology)) {
                error = "unknown rheology '" + value + "' for --rheology: " + Names::rheologyChoices();
                return false;
            }
            request.rheology = rheology;
        } else if (argument == "--coefficients") {
            request.coefficients = value;
        } else if (argument == "--why") {
            request.why = value;
        } else if (argument == "--threads") {
            if (!ThreadCount::parse(value.c_str(), request.threads)) {
                error = "--threads must be a whole number from 1 to " + std::to_string(ThreadCount::kMax) +
                        ", not '" + value + "'";
                return false;
            }
        } else if (argument == "--force") {
            request.force = true;
        } else if (argument == "--quiet") {
            request.quiet = true;
        } else if (argument == "--dry-run") {
            request.dryRun = true;
        } else {
            error = "unknown option " + argument;
            return false;
        }
    }
    if (request.rheology < 0) {
        error = "--rheology is missing: " + Names::rheologyChoices();
        return false;
    }
    const bool withCoefficients = request.rheology != kConstantRheology;
    if (withCoefficients && request.coefficients.empty()) {
        error = std::string("the ") + Names::rheologyName(static_cast<RheologyKind>(request.rheology)) +
                " rheology needs --coefficients FILE";
        return false;
    }
    if (!withCoefficients && !request.coefficients.empty()) {
        error = "the constant rheology takes no --coefficients";
        return false;
    }
    if (files.size() != 2) {
        error = files.size() < 2 ? "ENTRY and EXIT are both needed"
                                 : "one ENTRY and one EXIT only, not also '" + files[2] + "'";
        return false;
    }
    request.entry = files[0];
    request.exit = files[1];
    return true;
}

int CommandLine::execute(const Request& request, std::ostream& out, std::ostream& err) {
    int threads = request.threads;
    std::string failure;
    if (threads == 0 && !ThreadCount::fromEnvironment(threads, failure)) {
        err << "rollbite: " << failure << "\n";
        return 1;
    }
    const Console console{std::cin, out, err};
    std::unique_ptr<Orowan> computation;
    if (request.mode == kDirectMode) {
        computation = std::make_unique<DirectOrowan>(request.rheology, console);
    } else {
        computation = std::make_unique<InverseOrowan>(request.rheology, console);
    }
    computation->threadCount = threads;
    RunReport report(err, !request.quiet && isatty(STDERR_FILENO) == 1, !request.quiet);
    report.setWhyFile(request.why);
    return computation->runWithFiles(request.entry, request.exit, request.coefficients, request.force,
                                     &report, request.dryRun);
}

} // namespace rollbite

// rollbite-profile: the friction hill of one case of a run's files, as a CSV table and optionally a plot.
#include "app/formats/FieldReader.h"
#include "app/formats/Names.h"
#include "app/profile/ProfileCommand.h"

#include <csignal>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace rollbite;

constexpr const char* kUsage =
    "Usage: rollbite-profile [--plot IMAGE] [--force] MODE RHEOLOGY ENTRY CASE [COEFFICIENTS] OUTPUT.csv\n"
    "       (also: rollbite profile MODE --rheology NAME [--coefficients FILE] ENTRY CASE [OUTPUT.csv])\n"
    "\n"
    "Computes one case of a rollbite run exactly as rollbite does and writes the arc of contact of its last\n"
    "roll-bite integration: one CSV row per grid point (angle, position, thickness, flow stress, shear "
    "yield\n"
    "stress, both pressure solutions, the friction hill, the friction shear and the force and torque\n"
    "integrands), after the case's scalars and its exit-file row as lines starting with '#'.\n"
    "\n"
    "  MODE          direct or inverse (or d, i)\n"
    "  RHEOLOGY      constant, smatch or ws18 (or c, s, w)\n"
    "  ENTRY         the entry file of the run\n"
    "  CASE          the case identifier (first field of its line; the first such line is taken)\n"
    "  COEFFICIENTS  the rheology-coefficient file, for smatch and ws18 only; the case takes the record a\n"
    "                run gives it\n"
    "  OUTPUT.csv    the table to write (- for standard output); it must not be an input, nor hold other\n"
    "                data\n"
    "\n"
    "Options:\n"
    "  --plot IMAGE  also draw the friction hill with gnuplot into IMAGE (.png or .svg)\n"
    "  --force       write over an OUTPUT.csv or IMAGE that holds other data; never over an input\n"
    "  -h, --help    this text\n"
    "\n"
    "Exit status 0 when the table (and the plot) was written. 1, with a message and no new file, when the\n"
    "case is not in the file, fails its checks or its solve, the arguments are wrong, a file may not be\n"
    "written, or --plot finds no gnuplot or gnuplot fails.\n";

int usageError(const std::string& message) {
    std::cerr << "rollbite-profile: " << message << "\n" << kUsage;
    return 1;
}

using Request = ProfileCommand::Request;

// Fills the request from the arguments; an empty text, or the usage error.
std::string parse(int argc, char** argv, Request& request) {
    std::vector<std::string> positional;
    for (int k = 1; k < argc; ++k) {
        const std::string argument = argv[k];
        if (argument == "--plot") {
            if (k + 1 >= argc) {
                return "--plot needs an image file";
            }
            request.image = argv[++k];
        } else if (argument == "--force") {
            request.force = true;
        } else if (argument.size() > 1 && argument[0] == '-' && positional.size() != 3) {
            return "unknown option " + argument;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() < 5) {
        return "missing arguments";
    }
    if (!Names::parseMode(positional[0], request.mode, true)) {
        return "MODE must be " + Names::modeChoices() + " (or d, i), not '" + positional[0] + "'";
    }
    if (!Names::parseRheology(positional[1], request.rheology, true)) {
        return "RHEOLOGY must be " + Names::rheologyChoices() + " (or c, s, w), not '" + positional[1] + "'";
    }
    const bool withCoefficients = request.rheology != kConstantRheology;
    if (positional.size() != (withCoefficients ? 6u : 5u)) {
        return withCoefficients ? std::string("the rheology '") + Names::rheologyName(request.rheology) +
                                      "' needs a coefficient file"
                                : "the Constant rheology takes no coefficient file";
    }
    if (!FieldReader::parseInteger(positional[3], request.caseId)) {
        return "CASE must be a case identifier, not '" + positional[3] + "'";
    }
    request.entry = positional[2];
    request.coefficients = withCoefficients ? positional[4] : std::string();
    request.output = positional.back();
    return ProfileCommand::usageError(request);
}

} // namespace

int main(int argc, char** argv) {
    // Past a file-size limit a write fails instead of killing the program with a file cut short.
    std::signal(SIGXFSZ, SIG_IGN);
    for (int k = 1; k < argc; ++k) {
        if (std::string(argv[k]) == "-h" || std::string(argv[k]) == "--help") {
            std::cout << kUsage;
            return 0;
        }
    }
    Request request;
    const std::string usage = parse(argc, argv, request);
    if (!usage.empty()) {
        return usageError(usage);
    }
    return ProfileCommand("rollbite-profile").run(request, std::cout, std::cerr);
}

// rollbite-profile: the friction hill of one case of a run's files, as a CSV table and optionally a plot.
#include "app/formats/FieldReader.h"
#include "app/formats/Names.h"
#include "app/formats/OutputGuard.h"
#include "app/formats/StagedFile.h"
#include "app/profile/CaseProfile.h"
#include "app/profile/ProfilePlot.h"
#include "app/profile/ProfileTable.h"

#include <csignal>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace rollbite;

constexpr const char* kUsage =
    "Usage: rollbite-profile [--plot IMAGE] [--force] MODE RHEOLOGY ENTRY CASE [COEFFICIENTS] OUTPUT.csv\n"
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
    "  OUTPUT.csv    the table to write; it must not be an input, nor hold other data\n"
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

int failure(const std::string& message) {
    std::cerr << "rollbite-profile: " << message << "\n";
    return 1;
}

struct Request {
    Mode mode = kDirectMode;
    RheologyKind rheology = kConstantRheology;
    std::string entry;
    std::int32_t caseId = 0;
    std::string coefficients;
    std::string output;
    std::string image;
    bool force = false;
};

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
    if (!request.image.empty() && !ProfilePlot::knownImageType(request.image)) {
        return "the plot must be a .png or .svg file";
    }
    request.entry = positional[2];
    request.coefficients = withCoefficients ? positional[4] : std::string();
    request.output = positional.back();
    return {};
}

// The table and the picture may be written: never over an input, a folder or other data.
std::string checkOutputs(const Request& request) {
    OutputGuard guard(request.force);
    guard.addInput(request.entry);
    if (!request.coefficients.empty()) {
        guard.addInput(request.coefficients);
    }
    if (guard.check(request.output, OutputKind::ProfileTable) != OutputProblem::None) {
        return guard.message(request.output, OutputKind::ProfileTable, "the table");
    }
    guard.addOutput(request.output, "the table");
    if (!request.image.empty() && guard.check(request.image, OutputKind::Picture) != OutputProblem::None) {
        return guard.message(request.image, OutputKind::Picture, "the picture");
    }
    return {};
}

// Writes the table and the picture under hidden names and puts them in place only when both are whole.
int writeOutputs(const Request& request, const CaseProfile& computed) {
    std::string problem;
    StagedFile table(request.output);
    if (!table.create(problem) || !table.write(ProfileTable(computed, request.caseId).text(), problem)) {
        return failure(problem + "; nothing was written");
    }
    StagedFile picture(request.image);
    if (!request.image.empty()) {
        if (!picture.create(problem)) {
            return failure(problem + "; nothing was written");
        }
        if (!ProfilePlot(computed, request.caseId).draw(table.path(), picture.path(), problem)) {
            return failure(problem + " " + request.image + "; nothing was written");
        }
    }
    if (!table.publish(problem) || (!request.image.empty() && !picture.publish(problem))) {
        return failure(problem);
    }
    return 0;
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
    const std::string refused = checkOutputs(request);
    if (!refused.empty()) {
        return failure(refused + "; nothing was written");
    }
    if (!request.image.empty() && !ProfilePlot::gnuplotFound()) {
        return failure("--plot needs gnuplot, which is missing from the PATH (scripts/install-deps.sh "
                       "installs it); nothing was written");
    }
    CaseProfile computed(request.mode, request.rheology);
    if (!computed.run(request.entry, request.coefficients, request.caseId)) {
        return failure(computed.message());
    }
    if (!computed.placement().empty()) {
        std::cerr << "rollbite-profile: case " << request.caseId << ": " << computed.placement()
                  << "; it was computed with the numbers as a run reads them\n";
    }
    return writeOutputs(request, computed);
}

// rollbite-profile: the friction hill of one case of a run's files, as a CSV table and optionally a plot.
#include "app/CaseProfile.h"
#include "app/FieldReader.h"
#include "app/ProfilePlot.h"
#include "app/ProfileTable.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: rollbite-profile [--plot IMAGE] MODE RHEOLOGY ENTRY CASE [COEFFICIENTS] OUTPUT.csv\n"
    "\n"
    "Computes one case of a rollbite run exactly as rollbite does and writes the arc of contact of its last\n"
    "roll-bite integration: one CSV row per grid point (angle, position, thickness, flow stress, shear "
    "yield\n"
    "stress, both pressure solutions, the friction hill, the friction shear and the force and torque\n"
    "integrands), after the case's scalars and its exit-file row as lines starting with '#'.\n"
    "\n"
    "  MODE          d (direct) or i (inverse)\n"
    "  RHEOLOGY      c (Constant), s (Smatch) or w (WS18)\n"
    "  ENTRY         the entry file of the run\n"
    "  CASE          the case identifier (first field of its line; the first such line is taken)\n"
    "  COEFFICIENTS  the rheology-coefficient file, for s and w only; the case's record must be the line of\n"
    "                the same rank, alone on it\n"
    "  OUTPUT.csv    the table to write\n"
    "\n"
    "Options:\n"
    "  --plot IMAGE  also draw the friction hill with gnuplot into IMAGE (.png or .svg)\n"
    "  -h, --help    this text\n"
    "\n"
    "Exit status 0 when the table (and the plot) was written. 1, with a message and no file, when the\n"
    "case is not in the file, fails its checks or its solve, the arguments are wrong, or --plot finds no\n"
    "gnuplot or gnuplot fails.\n";

int usageError(const std::string& message) {
    std::cerr << "rollbite-profile: " << message << "\n" << kUsage;
    return 1;
}

// A table cut short, or without its picture, is no result: it goes. Only a file is removed, never a
// device such as /dev/stdout.
void removeTable(const std::string& output) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(output, ignored)) {
        std::filesystem::remove(output, ignored);
    }
}

int failure(const std::string& message) {
    std::cerr << "rollbite-profile: " << message << "\n";
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> positional;
    std::string image;
    for (int k = 1; k < argc; ++k) {
        const std::string argument = argv[k];
        if (argument == "-h" || argument == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (argument == "--plot") {
            if (k + 1 >= argc) {
                return usageError("--plot needs an image file");
            }
            image = argv[++k];
        } else if (argument.size() > 1 && argument[0] == '-' && positional.size() != 3) {
            return usageError("unknown option " + argument);
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() < 5) {
        return usageError("missing arguments");
    }
    const std::string& mode = positional[0];
    const std::string& rheology = positional[1];
    if (mode != "d" && mode != "i") {
        return usageError("MODE must be d or i, not '" + mode + "'");
    }
    if (rheology != "c" && rheology != "s" && rheology != "w") {
        return usageError("RHEOLOGY must be c, s or w, not '" + rheology + "'");
    }
    const std::size_t expected = rheology == "c" ? 5 : 6;
    if (positional.size() != expected) {
        return usageError(rheology == "c" ? "the Constant rheology takes no coefficient file"
                                          : "the rheology '" + rheology + "' needs a coefficient file");
    }
    std::int32_t caseId = 0;
    if (!rollbite::FieldReader::parseInteger(positional[3], caseId)) {
        return usageError("CASE must be a case identifier, not '" + positional[3] + "'");
    }
    if (!image.empty() && !rollbite::ProfilePlot::knownImageType(image)) {
        return usageError("the plot must be a .png or .svg file");
    }
    const std::string coefficients = expected == 6 ? positional[4] : std::string();
    const std::string& output = positional.back();

    if (!image.empty() && !rollbite::ProfilePlot::gnuplotFound()) {
        return failure("--plot needs gnuplot, which is missing from the PATH (scripts/install-deps.sh "
                       "installs it); nothing was written");
    }

    rollbite::CaseProfile computed(mode[0], rheology[0]);
    if (!computed.run(positional[2], coefficients, caseId)) {
        return failure(computed.message());
    }
    if (!rollbite::ProfileTable(computed, caseId).write(output)) {
        removeTable(output);
        return failure("cannot write " + output);
    }
    std::string message;
    if (!image.empty() && !rollbite::ProfilePlot(computed, caseId).draw(output, image, message)) {
        removeTable(output);
        return failure(message + "; nothing was written");
    }
    return 0;
}

#include "app/cli/ScheduleCommand.h"

#include "app/formats/OutputGuard.h"
#include "app/formats/PassFiles.h"
#include "app/formats/ScheduleColumns.h"
#include "app/formats/ScheduleReader.h"
#include "app/formats/StagedFile.h"
#include "rollbite/model/LoadDistributor.h"
#include "rollbite/model/ScheduleSolver.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

namespace rollbite {

namespace {

constexpr int kUsageError = 2;
constexpr int kFailure = 1;

const std::vector<std::string> kAllowed = {"--distribute", "--out", "--passes", "--force"};

// A file to write, and what it is for the messages.
struct Output {
    std::string path;
    OutputKind kind;
    const char* what;
    std::string text;
};

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

bool readSchedule(const std::string& path, ScheduleReader::Schedule& schedule, std::ostream& err) {
    std::ifstream file;
    if (path != "-") {
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
    }
    ScheduleReader reader;
    if (!reader.read(path == "-" ? std::cin : file, schedule)) {
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

// The files to write, each checked by the guard before anything is written. False with the message.
bool checkOutputs(const std::string& input, const std::vector<Output>& outputs, bool force,
                  std::ostream& err) {
    OutputGuard guard(force);
    if (input != "-") {
        guard.addInput(input);
    }
    for (const Output& output : outputs) {
        if (guard.check(output.path, output.kind) != OutputProblem::None) {
            err << "rollbite: " << guard.message(output.path, output.kind, output.what)
                << "; nothing was written\n";
            return false;
        }
        guard.addOutput(output.path, output.what);
    }
    return true;
}

// Every file staged first, then all put in place: none is written unless all can be.
bool writeAll(const std::vector<Output>& outputs, std::ostream& err) {
    std::vector<std::unique_ptr<StagedFile>> staged;
    std::string failure;
    for (const Output& output : outputs) {
        staged.push_back(std::make_unique<StagedFile>(output.path));
        if (!staged.back()->create(failure) || !staged.back()->write(output.text, failure)) {
            err << "rollbite: " << failure << "; nothing was written\n";
            return false;
        }
    }
    for (const auto& file : staged) {
        if (!file->publish(failure)) {
            err << "rollbite: " << failure << "\n";
            return false;
        }
    }
    return true;
}

std::string distributionLine(const DistributionResult& result, DistributionTarget target) {
    const bool limits =
        target == DistributionTarget::ForceLimits || target == DistributionTarget::PowerLimits;
    const bool force = target == DistributionTarget::ForceLimits || target == DistributionTarget::ForceRatios;
    std::string line = std::string("Distributed by ") + distributionTargetName(target) + ": every stand at ";
    line += limits ? fixed(result.share, 2) + " % of its " + (force ? "Force_limit" : "Power_limit")
                   : fixed(result.share, 1) + (force ? " kN" : " kW") + " per unit of its " +
                         (force ? "Force_ratio" : "Power_ratio");
    line += ", within " + fixed(result.spread, 3) + " %; " + std::to_string(result.solves) +
            " passes solved in " + std::to_string(result.marches) + " marches\n";
    return line;
}

} // namespace

const std::vector<Arguments::Option>& ScheduleCommand::options() {
    static const std::vector<Arguments::Option> kOptions = {
        {"--distribute", true}, {"--out", true}, {"--passes", true}};
    return kOptions;
}

int ScheduleCommand::run(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    for (const std::string& option : arguments.given()) {
        if (std::find(kAllowed.begin(), kAllowed.end(), option) == kAllowed.end()) {
            return usageError(err, option + " is no option of rollbite schedule");
        }
    }
    const std::vector<std::string>& operands = arguments.operands();
    if (operands.size() != 2) {
        return usageError(err, operands.size() < 2
                                   ? "rollbite schedule needs a schedule FILE"
                                   : "one schedule FILE only, not also '" + operands[2] + "'");
    }
    const bool distribute = arguments.has("--distribute");
    DistributionTarget target = DistributionTarget::ForceLimits;
    if (distribute && !parseDistributionTarget(arguments.value("--distribute"), target)) {
        return usageError(err, "unknown target '" + arguments.value("--distribute") +
                                   "' for --distribute: force, power, force-ratios or power-ratios");
    }
    for (const char* option : {"--out", "--passes"}) {
        if (arguments.has(option) && (arguments.value(option).empty() || arguments.value(option) == "-")) {
            return usageError(err, std::string(option) + " needs a file");
        }
    }
    const std::string& path = operands[1];
    ScheduleReader::Schedule schedule;
    if (!readSchedule(path, schedule, err)) {
        return kFailure;
    }
    std::vector<Output> outputs;
    if (arguments.has("--out")) {
        outputs.push_back({arguments.value("--out"), OutputKind::ScheduleTable, "the table", ""});
    }
    const RheologyKind rheology = schedule.strip.rheology;
    if (arguments.has("--passes")) {
        const std::string stem = arguments.value("--passes");
        outputs.push_back({stem + "-entry.txt", OutputKind::EntryFile, "the entry file of the passes", ""});
        if (rheology != kConstantRheology) {
            outputs.push_back({stem + "-coefficients.txt", OutputKind::CoefficientFile,
                               "the coefficient file of the passes", ""});
        }
    }
    if (!checkOutputs(path, outputs, arguments.has("--force"), err)) {
        return kFailure;
    }
    ScheduleSolver solver;
    LoadDistributor distributor;
    const ScheduleResult* result = nullptr;
    std::string summary;
    if (distribute) {
        const DistributionResult& distributed =
            distributor.distribute(schedule.strip, schedule.stands, target);
        if (!distributed.met) {
            err << "rollbite: " << path << ": " << distributed.message << "; nothing was written\n";
            return kFailure;
        }
        result = &distributed.schedule;
        summary = distributionLine(distributed, target);
    } else {
        result = &solver.solve(schedule.strip, schedule.stands);
        if (!result->ok()) {
            err << "rollbite: " << path << ": " << result->message << "; nothing was written\n";
            return kFailure;
        }
        summary = std::to_string(result->solves) + " passes solved\n";
    }
    for (Output& output : outputs) {
        output.text = output.kind == OutputKind::ScheduleTable ? ScheduleColumns::tabSeparated(*result)
                      : output.kind == OutputKind::EntryFile   ? PassFiles::entryText(*result)
                                                             : PassFiles::coefficientText(*result, rheology);
    }
    out << ScheduleColumns::readable(*result) << "Mass flow " << fixed(result->Mass_flow, 1)
        << " t/h; energy " << fixed(result->Specific_energy, 2) << " kWh/t\n"
        << summary << std::flush;
    return writeAll(outputs, err) ? 0 : kFailure;
}

} // namespace rollbite

#include "app/profile/ProfileCommand.h"

#include "app/formats/OutputGuard.h"
#include "app/formats/StagedFile.h"
#include "app/profile/CaseProfile.h"
#include "app/profile/ProfilePlot.h"
#include "app/profile/ProfileTable.h"

namespace rollbite {

ProfileCommand::ProfileCommand(std::string program) : program_(std::move(program)) {}

std::string ProfileCommand::usageError(const Request& request) {
    if (!request.image.empty() && !ProfilePlot::knownImageType(request.image)) {
        return "the plot must be a .png or .svg file";
    }
    return {};
}

int ProfileCommand::fail(std::ostream& err, const std::string& message) const {
    err << program_ << ": " << message << "\n";
    return 1;
}

std::string ProfileCommand::checkOutputs(const Request& request) const {
    OutputGuard guard(request.force);
    guard.addInput(request.entry);
    if (!request.coefficients.empty()) {
        guard.addInput(request.coefficients);
    }
    if (request.output == "-") {
        if (guard.checkStandardOutput() != OutputProblem::None) {
            return guard.standardOutputMessage("the table");
        }
        guard.addOutput(OutputGuard::kStandardOutput, "the table (standard output)");
    } else {
        if (guard.check(request.output, OutputKind::ProfileTable) != OutputProblem::None) {
            return guard.message(request.output, OutputKind::ProfileTable, "the table");
        }
        guard.addOutput(request.output, "the table");
    }
    if (!request.image.empty() && guard.check(request.image, OutputKind::Picture) != OutputProblem::None) {
        return guard.message(request.image, OutputKind::Picture, "the picture");
    }
    return {};
}

int ProfileCommand::run(const Request& request, std::ostream& out, std::ostream& err) const {
    const std::string refused = checkOutputs(request);
    if (!refused.empty()) {
        return fail(err, refused + "; nothing was written");
    }
    if (!request.image.empty() && !ProfilePlot::gnuplotFound()) {
        return fail(err, "--plot needs gnuplot, which is missing from the PATH (scripts/install-deps.sh "
                         "installs it); nothing was written");
    }
    CaseProfile computed(request.mode, request.rheology, &request.law);
    if (!computed.run(request.entry, request.coefficients, request.caseId)) {
        return fail(err, computed.message());
    }
    if (!computed.placement().empty()) {
        err << program_ << ": case " << request.caseId << ": " << computed.placement()
            << "; it was computed with the numbers as a run reads them\n";
    }
    // The table and the picture are written under hidden names and put in place only when both are whole.
    // A table for standard output still needs a file for gnuplot, beside the picture, never put in place.
    const std::string text = ProfileTable(computed, request.caseId).text();
    const bool toOutput = request.output == "-";
    StagedFile table(toOutput ? request.image + ".csv" : request.output);
    StagedFile picture(request.image);
    if (!request.force) {
        table.keepOtherData(OutputKind::ProfileTable);
        picture.keepOtherData(OutputKind::Picture);
    }
    std::string problem;
    if ((!toOutput || !request.image.empty()) && (!table.create(problem) || !table.write(text, problem))) {
        return fail(err, problem + "; nothing was written");
    }
    if (!request.image.empty()) {
        if (!picture.create(problem)) {
            return fail(err, problem + "; nothing was written");
        }
        if (!ProfilePlot(computed, request.caseId).draw(table.path(), picture.path(), problem)) {
            return fail(err, problem + " " + request.image + "; nothing was written");
        }
    }
    // Both locks before either file goes: a file another run holds stops both.
    if ((!toOutput && !table.lock(problem)) || (!request.image.empty() && !picture.lock(problem))) {
        return fail(err, problem + "; nothing was written");
    }
    if (toOutput) {
        out << text << std::flush;
        if (!out) {
            return fail(err, "the table could not be written to standard output");
        }
    } else if (!table.publish(problem)) {
        return fail(err, problem);
    }
    if (!request.image.empty() && !picture.publish(problem)) {
        return fail(err, problem);
    }
    return 0;
}

} // namespace rollbite

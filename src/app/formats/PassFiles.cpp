#include "app/formats/PassFiles.h"

#include "app/formats/EntryReader.h"
#include "rollbite/model/CaseSolver.h"

#include <charconv>
#include <iterator>

namespace rollbite {

namespace {

std::string exact(double value) {
    char text[32];
    const auto written = std::to_chars(std::begin(text), std::end(text), value);
    return std::string(text, written.ptr);
}

} // namespace

std::string PassFiles::entryText(const ScheduleResult& schedule) {
    std::string text = EntryReader::header(kDirectMode) + "\n";
    for (const StandResult& stand : schedule.stands) {
        CaseInputs pass = stand.pass;
        text += std::to_string(pass.Case_id);
        for (int k = 0; k + 1 < kDirectEntryFields; ++k) {
            text += " " + exact(pass.value(k));
        }
        text += "\n";
    }
    return text;
}

std::string PassFiles::coefficientHeader(RheologyKind rheology) {
    const char* const* names = rheology == kWS18Rheology ? kWS18CoefficientNames : kSmatchCoefficientNames;
    std::string header;
    for (int k = 0; k < CaseSolver::coefficientCount(rheology); ++k) {
        header += (k == 0 ? "" : " ") + std::string(names[k]);
    }
    return header;
}

std::string PassFiles::coefficientText(const ScheduleResult& schedule, RheologyKind rheology) {
    const int count = CaseSolver::coefficientCount(rheology);
    if (count == 0) {
        return {};
    }
    std::string text = coefficientHeader(rheology) + "\n";
    for (const StandResult& stand : schedule.stands) {
        for (int k = 0; k < count; ++k) {
            text += (k == 0 ? "" : " ") + exact(stand.pass.coefficients[static_cast<std::size_t>(k)]);
        }
        text += "\n";
    }
    return text;
}

} // namespace rollbite

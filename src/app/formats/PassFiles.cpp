#include "app/formats/PassFiles.h"

#include "app/formats/LawColumns.h"

#include "app/formats/EntryReader.h"
#include "app/formats/ExactNumber.h"
#include "rollbite/model/CaseSolver.h"

#include <charconv>
#include <cmath>
#include <iterator>

namespace rollbite {

namespace {

constexpr const char* kSourceMark = "  # the passes of schedule ";

std::string sourced(const std::string& header, const std::string& source) {
    return source.empty() ? header : header + kSourceMark + source;
}

std::string lacking(const char* file, const std::string& source) {
    return source.empty()
               ? std::string("its first line is not the header line of ") + file + " written by rollbite"
               : std::string("its first line is not the header line of the passes of this schedule");
}

} // namespace

std::string PassFiles::entryHeader(Mode mode, const std::string& source) {
    return sourced(EntryReader::header(mode), source);
}

std::string PassFiles::coefficientHeader(RheologyKind rheology, const std::string& source,
                                         const FlowStressLaw* law) {
    if (rheology == kLawRheology) {
        return sourced(law != nullptr ? LawColumns::fullHeader(*law) : "", source);
    }
    const char* const* names = rheology == kWS18Rheology ? kWS18CoefficientNames : kSmatchCoefficientNames;
    std::string header;
    for (int k = 0; k < CaseSolver::coefficientCount(rheology); ++k) {
        header += (k == 0 ? "" : " ") + std::string(names[k]);
    }
    return sourced(header, source);
}

OutputForm PassFiles::entryForm(Mode mode, const std::string& source) {
    const std::string file = mode == kInverseMode ? "an inverse entry file" : "a direct entry file";
    return {entryHeader(mode, source), lacking(file.c_str(), source)};
}

OutputForm PassFiles::coefficientForm(RheologyKind rheology, const std::string& source,
                                      const FlowStressLaw* law) {
    const std::string file = std::string("a coefficient file of ") +
                             (rheology == kWS18Rheology  ? "WS18"
                              : rheology == kLawRheology ? "the law " + (law != nullptr ? law->name() : "")
                                                         : "Smatch");
    return {coefficientHeader(rheology, source, law), lacking(file.c_str(), source)};
}

bool PassFiles::appendEntryLine(Mode mode, const CaseInputs& pass, std::string& text, std::string& failure) {
    const int values = (mode == kInverseMode ? kInverseEntryFields : kDirectEntryFields) - 1;
    std::string line = std::to_string(pass.Case_id);
    for (int k = 0; k < values; ++k) {
        const double value = pass.value(k);
        if (!std::isfinite(value)) {
            failure = std::string(kEntryFieldNames[k + 1]) + " is " +
                      (std::isnan(value) ? "nan"
                       : value > 0.0     ? "inf"
                                         : "-inf") +
                      ", which an entry file cannot hold (it reads back as no number)";
            return false;
        }
        line += " " + ExactNumber::text(value);
    }
    text += line + "\n";
    return true;
}

std::string PassFiles::entryText(const ScheduleResult& schedule, const std::string& source) {
    std::string text = entryHeader(kDirectMode, source) + "\n";
    std::string failure;
    for (const StandResult& stand : schedule.stands) {
        // A solved schedule's passes are finite: every one of them has a result.
        appendEntryLine(kDirectMode, stand.pass, text, failure);
    }
    return text;
}

std::string PassFiles::coefficientText(const ScheduleResult& schedule, RheologyKind rheology,
                                       const std::string& source, const FlowStressLaw* law) {
    if (rheology == kLawRheology && law != nullptr) {
        std::string text = coefficientHeader(rheology, source, law) + "\n";
        for (const StandResult& stand : schedule.stands) {
            const std::vector<double> record = LawColumns::fullRecord(*law, stand.pass);
            for (std::size_t k = 0; k < record.size(); ++k) {
                text += (k == 0 ? "" : " ") + ExactNumber::text(record[k]);
            }
            text += "\n";
        }
        return text;
    }
    const int count = CaseSolver::coefficientCount(rheology);
    if (count == 0) {
        return {};
    }
    std::string text = coefficientHeader(rheology, source) + "\n";
    for (const StandResult& stand : schedule.stands) {
        for (int k = 0; k < count; ++k) {
            text +=
                (k == 0 ? "" : " ") + ExactNumber::text(stand.pass.coefficients[static_cast<std::size_t>(k)]);
        }
        text += "\n";
    }
    return text;
}

} // namespace rollbite

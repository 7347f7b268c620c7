#include "app/run/RunReport.h"

#include "app/formats/WhyTable.h"

#include <algorithm>
#include <cstdio>

namespace rollbite {

namespace {

// A count with thousands separated by commas, as a reader takes it in at a glance.
std::string grouped(long long count) {
    std::string digits = std::to_string(count);
    for (int k = static_cast<int>(digits.size()) - 3; k > 0; k -= 3) {
        digits.insert(static_cast<std::size_t>(k), ",");
    }
    return digits;
}

std::string minutesAndSeconds(double seconds) {
    const long long whole = static_cast<long long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

} // namespace

RunReport::RunReport(std::ostream& err, bool progress, bool summary)
    : err_(err), progress_(progress), summary_(summary), started_(Clock::now()), drawn_(started_) {}

bool RunReport::openWhyFile(const OutputGuard& guard, std::string& failure,
                            const RowFile::StopRequested& stopRequested, bool checkOnly) {
    return whyName_.empty() || why_.openChecked(whyName_, guard, OutputKind::WhyFile, "the why file", failure,
                                                stopRequested, checkOnly);
}

bool RunReport::begin(std::string& failure) {
    started_ = Clock::now();
    drawn_ = started_;
    if (!why_.isOpen()) {
        return true;
    }
    why_.start();
    if (!why_.append(std::string(WhyTable::kHeader) + '\n')) {
        failure = "the why file " + whyName_ + " can't be written (" + why_.failure() + ")";
        return false;
    }
    return true;
}

bool RunReport::writeWhyRow(long long lineNumber, const CaseResult& result, const std::string& placement,
                            bool& written) {
    written = false;
    if (!why_.isOpen() || !WhyTable::listed(result, placement)) {
        return !why_.failed();
    }
    whyRow_.clear();
    WhyTable::appendRow(result, lineNumber, placement, whyRow_);
    written = why_.append(whyRow_);
    return written;
}

void RunReport::caseWritten(const CaseResult& result) {
    ++cases_;
    ++byClass_[static_cast<std::size_t>(result.errorCode) % byClass_.size()];
    if (progress_) {
        const Clock::time_point now = Clock::now();
        if (now - drawn_ >= kRedrawInterval) {
            drawProgress(now);
        }
    }
}

void RunReport::drawProgress(Clock::time_point now) {
    drawn_ = now;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const double rate = seconds > 0.0 ? static_cast<double>(cases_) / seconds : 0.0;
    std::string line = grouped(cases_) + " of " + grouped(total_) + " cases, " +
                       grouped(static_cast<long long>(rate)) + " cases/s";
    if (rate > 0.0 && total_ >= cases_) {
        line += ", " + minutesAndSeconds(static_cast<double>(total_ - cases_) / rate) + " left";
    }
    const std::size_t width = line.size();
    line.resize(std::max(width, drawnWidth_), ' '); // blank out what a longer line left
    drawnWidth_ = width;
    err_ << '\r' << line << std::flush;
}

bool RunReport::finish() {
    if (progress_ && drawnWidth_ > 0) {
        err_ << '\r' << std::string(drawnWidth_, ' ') << '\r';
    }
    return whyName_.empty() || why_.close();
}

void RunReport::summarize(long long casesRead) {
    if (!summary_) {
        return;
    }
    err_ << "rollbite: "
         << (casesRead > cases_ ? grouped(casesRead) + " cases read, " + grouped(cases_) + " rows written"
                                : grouped(cases_) + " cases")
         << ": " << grouped(byClass_[VOID]) << " VOID, " << grouped(byClass_[INPUTS]) << " INPUTS, "
         << grouped(byClass_[INTERNAL]) << " INTERNAL, " << grouped(byClass_[OUTPUTS]) << " OUTPUTS\n";
}

} // namespace rollbite

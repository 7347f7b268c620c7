#pragma once

#include "model/CaseResult.h"

#include <array>
#include <chrono>
#include <fstream>
#include <ostream>
#include <string>

namespace rollbite {

// What a run from the command line tells besides its exit file: a progress line while it goes (only on a
// terminal), one summary line at the end, and the why file, which lists every case that has no result
// with its reason.
class RunReport {
public:
    // `progress`: redraw a progress line in place on `err`; `summary`: write the summary line at the end.
    RunReport(std::ostream& err, bool progress, bool summary);

    // The why file to write (none when empty): a table with a header row, one row per case that has no
    // result: case, line of the entry file, error class, reason.
    void setWhyFile(const std::string& name) { whyName_ = name; }
    static constexpr const char* kWhyHeader = "case\tline\tErrors\treason";
    // True when the run should count its cases first, for the progress line.
    bool wantsTotal() const { return progress_; }
    void setTotal(long long totalCases) { total_ = totalCases; }
    // The run starts: the why file is written from now on. False, with the reason in `failure`, when it
    // cannot be.
    bool begin(std::string& failure);
    // The row of the case on entry line `lineNumber` is in the exit file.
    void caseWritten(long long lineNumber, const CaseResult& result);
    // Clears the progress line and writes the summary. False when the why file could not be written
    // whole (said on the error stream).
    bool finish();

private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kRedrawInterval{250};

    void drawProgress(Clock::time_point now);

    std::ostream& err_;
    bool progress_;
    bool summary_;
    std::ofstream why_;
    std::string whyName_;
    long long total_ = 0;
    long long cases_ = 0;
    std::array<long long, 4> byClass_{}; // per ErrorClass
    Clock::time_point started_;
    Clock::time_point drawn_;
    std::size_t drawnWidth_ = 0;
};

} // namespace rollbite

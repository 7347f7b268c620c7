#pragma once

#include "app/formats/OutputGuard.h"
#include "app/formats/RowFile.h"
#include "rollbite/model/CaseResult.h"

#include <array>
#include <chrono>
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
    // Checks the why file by the run's rules and probes it as the exit file is probed: created if
    // missing, emptied only by begin; a FIFO waits for its reader until `stopRequested` (not at all with
    // `checkOnly`). False, with the reason in `failure`.
    bool openWhyFile(const OutputGuard& guard, std::string& failure,
                     const RowFile::StopRequested& stopRequested = {}, bool checkOnly = false);
    // The run never started: a why file the probe created goes.
    void abandon() { why_.abandon(); }
    // True when the run should count its cases first, for the progress line.
    bool wantsTotal() const { return progress_; }
    void setTotal(long long totalCases) { total_ = totalCases; }
    long long total() const { return total_; }
    // The run starts: the why file is written from now on. False, with the reason in `failure`, when it
    // cannot be.
    bool begin(std::string& failure);
    // Writes the why row of the case on entry line `lineNumber`, if it has one (`placement` is the word on
    // its coefficient record), whole. False when the why file cannot take it; `written` tells whether a
    // row was written, to withdraw if another file of the run cannot take the case's row.
    bool writeWhyRow(long long lineNumber, const CaseResult& result, const std::string& placement,
                     bool& written);
    // Takes the last why row back out; false when it cannot be.
    bool withdrawWhyRow() { return why_.withdraw(); }
    // The case's rows are in every file of the run: it counts, and the progress line may be redrawn.
    void caseWritten(const CaseResult& result);
    // True once the why file could not take a row: the run stops.
    bool whyFileFailed() const { return why_.failed(); }
    // Clears the progress line and closes the why file. False when the why file could not be written
    // whole.
    bool finish();
    // The summary line (unless quiet): the cases of each error class, and `casesRead` too when the run
    // stopped before every case read had its row.
    void summarize(long long casesRead);
    // Cases whose rows every file of the run holds.
    long long cases() const { return cases_; }
    const std::string& whyFileName() const { return whyName_; }
    // What the system said when the why file failed.
    const std::string& whyFailure() const { return why_.failure(); }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kRedrawInterval{250};

    void drawProgress(Clock::time_point now);

    std::ostream& err_;
    bool progress_;
    bool summary_;
    RowFile why_;
    std::string whyName_;
    std::string whyRow_; // working space for a row
    long long total_ = 0;
    long long cases_ = 0;
    std::array<long long, 4> byClass_{}; // per ErrorClass
    Clock::time_point started_;
    Clock::time_point drawn_;
    std::size_t drawnWidth_ = 0;
};

} // namespace rollbite

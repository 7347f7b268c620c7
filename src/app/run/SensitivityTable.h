#pragma once

#include "app/formats/OutputGuard.h"
#include "app/formats/RowFile.h"
#include "app/formats/SensitivityColumns.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/FlowStressLaw.h"
#include "rollbite/model/InverseUncertainty.h"

#include <string>
#include <string_view>

namespace rollbite {

// What a run's sensitivity table is asked for: the measurement's deviations (inverse), a strip width
// (direct, 0 for none) and the run's flow-stress law (direct: the derivatives by its factor and
// parameters; none without a law).
struct SensitivityOptions {
    MeasurementUncertainty uncertainty;
    double width = 0.0; // mm
    const FlowStressLaw* law = nullptr;
};

// The sensitivity table of a run (--sensitivities FILE): a tab-separated table with a header row, then one
// row per case of the entry file, in its order, written whole as the exit file's rows are. It may replace
// only an earlier sensitivity table or an empty file (other data with --force), never an input, the exit
// file or the why file.
class SensitivityTable {
public:
    SensitivityTable(std::string name, Mode mode, const SensitivityOptions& options);

    // Checks the name by the run's rules and probes the file: created if missing, emptied only by begin;
    // a FIFO waits for its reader until `stopRequested` (not at all with `checkOnly`). False, with the
    // reason in `failure`.
    bool open(const OutputGuard& guard, std::string& failure,
              const RowFile::StopRequested& stopRequested = {}, bool checkOnly = false);
    // The run starts: empties the file and writes the header row.
    bool begin(std::string& failure);
    // Appends the row of the next case (with its line feed); false when the file cannot take it.
    bool append(std::string_view row);
    // Takes the last row back out; false when it cannot be.
    bool withdraw();
    // Rows written after the header row.
    long long rows() const { return rows_; }
    // False when the file was not written whole.
    bool close();
    // The run never started: a file the probe created goes.
    void abandon() { file_.abandon(); }

    bool failed() const { return file_.failed(); }
    const std::string& failure() const { return file_.failure(); }
    const std::string& name() const { return name_; }
    Mode mode() const { return mode_; }
    const SensitivityOptions& options() const { return options_; }
    const SensitivityColumns& columns() const { return columns_; }

private:
    std::string name_;
    Mode mode_;
    SensitivityOptions options_;
    SensitivityColumns columns_;
    RowFile file_;
    long long rows_ = 0;
};

} // namespace rollbite

#include "app/run/SensitivityTable.h"

#include <utility>

namespace rollbite {

SensitivityTable::SensitivityTable(std::string name, Mode mode, const SensitivityOptions& options)
    : name_(std::move(name)), mode_(mode), options_(options),
      columns_(mode, options.width > 0.0, options.law) {}

bool SensitivityTable::open(const OutputGuard& guard, std::string& failure,
                            const RowFile::StopRequested& stopRequested, bool checkOnly) {
    return file_.openChecked(name_, guard, OutputKind::SensitivityTable, "the sensitivity table", failure,
                             stopRequested, checkOnly);
}

bool SensitivityTable::begin(std::string& failure) {
    file_.start();
    if (!file_.append(columns_.header() + '\n')) {
        failure = "the sensitivity table " + name_ + " can't be written (" + file_.failure() + ")";
        return false;
    }
    return true;
}

bool SensitivityTable::append(std::string_view row) {
    if (!file_.append(row)) {
        return false;
    }
    ++rows_;
    return true;
}

bool SensitivityTable::withdraw() {
    if (!file_.withdraw()) {
        return false;
    }
    --rows_;
    return true;
}

bool SensitivityTable::close() {
    return file_.close();
}

} // namespace rollbite

#include "app/run/SensitivityTable.h"

#include <utility>

namespace rollbite {

SensitivityTable::SensitivityTable(std::string name, Mode mode, const SensitivityOptions& options)
    : name_(std::move(name)), mode_(mode), options_(options), columns_(mode, options.width > 0.0) {}

bool SensitivityTable::open(const OutputGuard& guard, std::string& failure) {
    const std::string what = "the sensitivity table";
    if (guard.check(name_, OutputKind::SensitivityTable) != OutputProblem::None) {
        failure = guard.message(name_, OutputKind::SensitivityTable, what);
        return false;
    }
    switch (file_.open(name_)) {
    case RowFile::Opened::CannotWrite:
        failure = what + " " + name_ + " can't be written (" + file_.failure() + ")";
        return false;
    case RowFile::Opened::Busy:
        failure = what + " " + name_ + " is being written by another run, which holds its lock";
        return false;
    case RowFile::Opened::Yes:
        break;
    }
    return true;
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
    return file_.append(row);
}

bool SensitivityTable::close() {
    return file_.close();
}

} // namespace rollbite

// rollbite._rollbite: the case API for Python. Columns in, columns out; the cases are solved on threads,
// each with its own CaseSolver, with the interpreter lock released, and written straight into the result's
// columns in input order. The Python package rollbite (rollbite/__init__.py) turns data frames into these
// columns and back.
#include "ChunkedWork.h"
#include "LawBindings.h"
#include "LawPasses.h"
#include "NamedKinds.h"
#include "ReplayBindings.h"
#include "ScheduleBindings.h"
#include "SensitivityBindings.h"
#include "app/formats/EntryReader.h"
#include "app/formats/ExitColumns.h"
#include "app/formats/LawColumns.h"
#include "app/formats/Names.h"
#include "app/formats/OutputGuard.h"
#include "app/formats/PassFiles.h"
#include "app/formats/RecordReader.h"
#include "app/formats/StagedFile.h"
#include "app/formats/ThreadCount.h"
#include "app/profile/CaseProfile.h"
#include "app/profile/ProfileTable.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/LawCatalogue.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace py = pybind11;
using namespace rollbite;

namespace {

using Numbers = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Identifiers = py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>;
using Rows = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>;

// The values of a case line after its identifier, in file order (the last two in inverse mode only).
constexpr int kPassValues = CaseInputs::kValues;

// The values a case line of the mode holds after its identifier.
std::size_t valueCount(Mode mode) {
    return static_cast<std::size_t>(mode == kInverseMode ? kInverseEntryFields - 1 : kDirectEntryFields - 1);
}

// The passes as the columns Python holds them, one array per value, read in place by the solving threads.
class PassColumns {
public:
    PassColumns(Mode mode, RheologyKind rheology, const Identifiers& caseIds,
                const std::vector<Numbers>& values, const std::vector<Numbers>& coefficients,
                const Rows& unreadableRows, const std::vector<std::string>& unreadableTexts)
        : count_(static_cast<std::size_t>(caseIds.size())), caseIds_(caseIds.data()),
          unreadableTexts_(unreadableTexts) {
        if (caseIds.ndim() != 1 || values.size() != valueCount(mode) || !allOfLength(values)) {
            throw std::invalid_argument("values must be " + std::to_string(valueCount(mode)) +
                                        " arrays of one number per case");
        }
        const auto coefficientCount = static_cast<std::size_t>(CaseSolver::coefficientCount(rheology));
        if (coefficients.size() != coefficientCount || !allOfLength(coefficients)) {
            throw std::invalid_argument("coefficients must be " + std::to_string(coefficientCount) +
                                        " arrays of one number per case");
        }
        for (const Numbers& column : values) {
            values_.push_back(column.data());
        }
        for (const Numbers& column : coefficients) {
            coefficients_.push_back(column.data());
        }
        const auto rows = unreadableRows.unchecked<1>();
        for (py::ssize_t k = 0; k < rows.shape(0); ++k) {
            if (rows(k) < 0 || static_cast<std::size_t>(rows(k)) >= count_ ||
                (k > 0 && rows(k) <= rows(k - 1))) {
                throw std::invalid_argument("unreadable rows must be rising positions of cases");
            }
            unreadableRows_.push_back(static_cast<std::size_t>(rows(k)));
        }
        if (unreadableRows_.size() != unreadableTexts_.size()) {
            throw std::invalid_argument("unreadable must hold one text per row named");
        }
    }

    std::size_t size() const { return count_; }

    // The inputs of the case at `row`. Touches no Python object: safe without the interpreter lock.
    void fill(std::size_t row, CaseInputs& inputs) const {
        inputs.Case_id = caseIds_[row];
        for (std::size_t k = 0; k < values_.size(); ++k) {
            inputs.value(static_cast<int>(k)) = values_[k][row];
        }
        for (std::size_t k = 0; k < coefficients_.size(); ++k) {
            inputs.coefficients[k] = coefficients_[k][row];
        }
        const auto named = std::lower_bound(unreadableRows_.begin(), unreadableRows_.end(), row);
        if (named != unreadableRows_.end() && *named == row) {
            inputs.unreadable = unreadableTexts_[static_cast<std::size_t>(named - unreadableRows_.begin())];
        } else {
            inputs.unreadable.clear();
        }
    }

private:
    bool allOfLength(const std::vector<Numbers>& columns) const {
        return std::all_of(columns.begin(), columns.end(), [this](const Numbers& column) {
            return column.ndim() == 1 && static_cast<std::size_t>(column.shape(0)) == count_;
        });
    }

    std::size_t count_;
    const std::int32_t* caseIds_;
    std::vector<const double*> values_;       // in entry-file order; direct mode has no Force and Slip
    std::vector<const double*> coefficients_; // in coefficient-file order
    std::vector<std::size_t> unreadableRows_; // rising
    const std::vector<std::string>& unreadableTexts_;
};

// The reasons of the cases without a result that one thread solved, with their rows.
using Reasons = std::vector<std::pair<std::size_t, std::string>>;

// The results as the columns of the frame, allocated once with the interpreter lock held and filled by
// the solving threads without it, each row by the thread that solved it. The numbers are one block, a row
// per column, which pandas takes as its own block without a copy.
class ResultColumns {
public:
    ResultColumns(Mode mode, std::size_t count, RheologyKind rheology = kConstantRheology)
        : count_(static_cast<py::ssize_t>(count)) {
        const ExitColumns columns(mode, rheology);
        std::vector<std::string> numberNames;
        for (const ExitColumn& column : columns) {
            if (column.kind == ExitColumn::Kind::Number) {
                numberNames.emplace_back(column.name);
            }
        }
        numbers_ = py::array_t<double>({static_cast<py::ssize_t>(numberNames.size()), count_});
        double* cells = numbers_.mutable_data();
        for (const ExitColumn& column : columns) {
            switch (column.kind) {
            case ExitColumn::Kind::CaseId:
                caseIds_ = newColumn<std::int32_t>(column.name);
                break;
            case ExitColumn::Kind::ErrorClass:
                errors_ = newColumn<std::int8_t>(column.name);
                break;
            case ExitColumn::Kind::Convergence:
                convergence_ = newColumn<std::int8_t>(column.name);
                break;
            case ExitColumn::Kind::Flag:
                flagSinks_.push_back({column.flag, newColumn<bool>(column.name)});
                break;
            case ExitColumn::Kind::Number:
                numberSinks_.push_back({column.number, cells});
                cells += count_;
                break;
            }
        }
        table_["numbers"] = numbers_;
        table_["number_columns"] = numberNames;
    }

    // Touches no Python object: safe without the interpreter lock, from any thread for a row of its own.
    void write(std::size_t row, const CaseResult& result) const {
        caseIds_[row] = result.Case_id;
        errors_[row] = static_cast<std::int8_t>(result.errorCode);
        convergence_[row] = static_cast<std::int8_t>(result.Has_Converged);
        for (const NumberSink& sink : numberSinks_) {
            sink.cells[row] = result.*sink.member;
        }
        for (const FlagSink& sink : flagSinks_) {
            sink.cells[row] = result.*sink.member;
        }
    }

    // The columns by exit-file name (the numbers as the block "numbers", its rows named by
    // "number_columns"), and the reasons of the rows without a result as "reason_rows" and "reason_texts".
    py::dict table(const std::vector<Reasons>& reasonsOfThreads) {
        Reasons reasons;
        for (const Reasons& ofThread : reasonsOfThreads) {
            reasons.insert(reasons.end(), ofThread.begin(), ofThread.end());
        }
        std::sort(reasons.begin(), reasons.end());
        py::array_t<std::int64_t> rows(static_cast<py::ssize_t>(reasons.size()));
        py::list texts;
        for (std::size_t k = 0; k < reasons.size(); ++k) {
            rows.mutable_at(static_cast<py::ssize_t>(k)) = static_cast<std::int64_t>(reasons[k].first);
            texts.append(reasons[k].second);
        }
        table_["reason_rows"] = rows;
        table_["reason_texts"] = texts;
        return table_;
    }

private:
    struct NumberSink {
        double CaseResult::*member;
        double* cells;
    };
    struct FlagSink {
        bool CaseResult::*member;
        bool* cells;
    };

    template <typename T> T* newColumn(const char* name) {
        py::array_t<T> column(count_);
        table_[name] = column;
        return column.mutable_data();
    }

    py::ssize_t count_;
    py::dict table_;
    py::array_t<double> numbers_;
    std::int32_t* caseIds_ = nullptr;
    std::int8_t* errors_ = nullptr;
    std::int8_t* convergence_ = nullptr;
    std::vector<NumberSink> numberSinks_;
    std::vector<FlagSink> flagSinks_;
};

// Every case solved on the threads of `solvers`, one each, in chunks between which Ctrl-C is heard.
void solveInChunks(const PassColumns& passes, std::vector<CaseSolver>& solvers, ResultColumns& results,
                   std::vector<Reasons>& reasons) {
    std::vector<CaseInputs> inputs(solvers.size());
    ChunkedWork::run(passes.size(), solvers.size(), [&](std::size_t thread, std::size_t row) {
        passes.fill(row, inputs[thread]);
        const CaseResult& result = solvers[thread].solve(inputs[thread]);
        results.write(row, result);
        if (!result.reason.empty()) {
            reasons[thread].emplace_back(row, result.reason);
        }
    });
}

// A solver for each thread asked for, no more than the cases: a thread without a case would only cost its
// solver.
std::vector<CaseSolver> solversFor(Mode mode, RheologyKind rheology, std::size_t cases, int threads) {
    if (threads < 1 || threads > ThreadCount::kMax) {
        throw std::invalid_argument("threads must be a whole number from 1 to " +
                                    std::to_string(ThreadCount::kMax));
    }
    const std::size_t threadCount = std::clamp<std::size_t>(cases, 1, static_cast<std::size_t>(threads));
    std::vector<CaseSolver> solvers;
    for (std::size_t thread = 0; thread < threadCount; ++thread) {
        solvers.emplace_back(mode, rheology);
    }
    return solvers;
}

py::dict solve(const std::string& modeName, const std::string& rheologyName, const Identifiers& caseIds,
               const std::vector<Numbers>& values, const std::vector<Numbers>& coefficients,
               const Rows& unreadableRows, const std::vector<std::string>& unreadableTexts, int threads) {
    const Mode mode = modeNamed(modeName);
    const RheologyKind rheology = rheologyNamed(rheologyName);
    const PassColumns passes(mode, rheology, caseIds, values, coefficients, unreadableRows, unreadableTexts);
    std::vector<CaseSolver> solvers = solversFor(mode, rheology, passes.size(), threads);
    ResultColumns results(mode, passes.size());
    std::vector<Reasons> reasons(solvers.size());
    solveInChunks(passes, solvers, results, reasons);
    return results.table(reasons);
}

// The passes solved with a flow-stress law: a built-in one by name, or one written in Python. `columns`
// holds the law's parameters and the passes' conditions per pass, `run` those for every pass.
py::dict solveLaw(const std::string& modeName, const py::object& lawGiven, const Identifiers& caseIds,
                  const std::vector<Numbers>& values, const std::map<std::string, Numbers>& columns,
                  const std::vector<std::pair<std::string, double>>& run, bool extrapolate,
                  const Rows& unreadableRows, const std::vector<std::string>& unreadableTexts, int threads) {
    const Mode mode = modeNamed(modeName);
    const PassColumns passes(mode, kLawRheology, caseIds, values, {}, unreadableRows, unreadableTexts);
    const LawPasses law(lawGiven, columns, run, extrapolate, passes.size());
    std::vector<CaseSolver> solvers = solversFor(mode, kLawRheology, passes.size(), threads);
    ResultColumns results(mode, passes.size(), kLawRheology);
    std::vector<Reasons> reasons(solvers.size());
    std::vector<CaseInputs> inputs(solvers.size());
    ChunkedWork::run(passes.size(), solvers.size(), [&](std::size_t thread, std::size_t row) {
        CaseInputs& pass = inputs[thread];
        passes.fill(row, pass);
        law.fill(row, pass);
        const CaseResult& result = solvers[thread].solve(pass);
        results.write(row, result);
        if (!result.reason.empty()) {
            reasons[thread].emplace_back(row, result.reason);
        }
    });
    law.raiseIfFailed();
    py::dict table = results.table(reasons);
    table["law_calls"] = law.calls();
    return table;
}

// The case lines of an entry file (its header line skipped), read as a run reads them.
py::dict parseEntry(const std::string& modeName, const std::string& path) {
    const Mode mode = modeNamed(modeName);
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::invalid_argument("cannot read the entry file " + path);
    }
    EntryReader entries(file);
    if (entries.empty()) {
        throw std::invalid_argument("the entry file " + path +
                                    " is empty: an entry file starts with a header line");
    }
    entries.skipHeader();
    std::vector<std::int32_t> ids;
    std::vector<double> values;
    py::list unreadable;
    CaseInputs inputs;
    while (entries.next(mode, inputs)) {
        ids.push_back(inputs.Case_id);
        for (int k = 0; k < kPassValues; ++k) {
            values.push_back(inputs.value(k));
        }
        unreadable.append(inputs.unreadable);
    }
    if (file.bad()) {
        throw std::invalid_argument("the entry file " + path + " could not be read to its end");
    }
    py::dict table;
    table["case"] = py::array_t<std::int32_t>(static_cast<py::ssize_t>(ids.size()), ids.data());
    table["values"] = py::array_t<double>(
        {static_cast<py::ssize_t>(ids.size()), static_cast<py::ssize_t>(kPassValues)}, values.data());
    table["unreadable"] = unreadable;
    return table;
}

// The records of a coefficient file (its header line skipped): the next 4 or 23 numbers each, until the
// file ends, with what could not be read and whether each stood alone on its line.
py::dict parseRecords(const std::string& rheologyName, const std::string& path) {
    const RheologyKind rheology = rheologyNamed(rheologyName);
    const int count = CaseSolver::coefficientCount(rheology);
    if (count == 0) {
        throw std::invalid_argument("the constant rheology has no coefficients");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::invalid_argument("cannot read the coefficient file " + path);
    }
    RecordReader records(file);
    records.skipHeader();
    std::vector<double> values;
    py::list unreadable;
    py::list misplaced;
    CaseInputs inputs;
    while (records.more()) {
        inputs.coefficients.fill(0.0);
        inputs.unreadable.clear();
        records.next(rheology, inputs);
        values.insert(values.end(), inputs.coefficients.begin(), inputs.coefficients.begin() + count);
        unreadable.append(inputs.unreadable);
        misplaced.append(records.lastPlacement());
    }
    if (file.bad()) {
        throw std::invalid_argument("the coefficient file " + path + " could not be read to its end");
    }
    py::dict table;
    const auto rows = static_cast<py::ssize_t>(values.size() / static_cast<std::size_t>(count));
    table["values"] = py::array_t<double>({rows, static_cast<py::ssize_t>(count)}, values.data());
    table["unreadable"] = unreadable;
    table["misplaced"] = misplaced;
    return table;
}

// A ValueError when a picture may not be written to `path`: an input, a folder, or a file that is no
// picture unless `overwrite`.
void checkPicture(const std::string& path, bool overwrite) {
    const OutputGuard guard(overwrite);
    if (guard.check(path, OutputKind::Picture) != OutputProblem::None) {
        throw std::invalid_argument(
            guard.message(path, OutputKind::Picture, "the picture", "overwrite=True"));
    }
}

// Raises OSError with the message: a file that could not be written.
[[noreturn]] void raiseOSError(const std::string& message) {
    PyErr_SetString(PyExc_OSError, message.c_str());
    throw py::error_already_set();
}

// Writes passes as an entry file of the mode, each number with the digits that read it back exactly:
// refused (ValueError) for a value that is not finite, naming its row and column, and over an input, a
// folder or a file that is not an entry file of the mode written by rollbite, unless `overwrite`; the file
// appears whole or not at all (OSError otherwise).
void writeEntryFile(const std::string& path, const std::string& modeName, const Identifiers& caseIds,
                    const std::vector<Numbers>& values, const std::vector<std::string>& labels,
                    bool overwrite) {
    const Mode mode = modeNamed(modeName);
    const std::vector<std::string> noTexts;
    const PassColumns passes(mode, kConstantRheology, caseIds, values, {}, Rows(0), noTexts);
    if (labels.size() != passes.size()) {
        throw std::invalid_argument("labels must name every pass");
    }
    std::string text = PassFiles::entryHeader(mode) + "\n";
    CaseInputs pass;
    std::string failure;
    for (std::size_t row = 0; row < passes.size(); ++row) {
        passes.fill(row, pass);
        if (!PassFiles::appendEntryLine(mode, pass, text, failure)) {
            throw std::invalid_argument("the pass in the row labelled " + labels[row] + " (case " +
                                        std::to_string(pass.Case_id) + "): " + failure);
        }
    }
    const OutputGuard guard(overwrite);
    const OutputForm form = PassFiles::entryForm(mode);
    if (guard.check(path, form) != OutputProblem::None) {
        throw std::invalid_argument(guard.message(path, form, "the file", "overwrite=True"));
    }
    StagedFile file(path);
    if (!overwrite) {
        file.keepOtherData(form);
    }
    if (!file.create(failure) || !file.write(text, failure) || !file.publish(failure)) {
        raiseOSError(failure);
    }
}

// A picture written under a hidden name and put in place whole (matplotlib draws it): Python writes into
// `path`, then `publish` puts it in place or raises OSError; `discard` removes it unpublished. Unless
// `overwrite`, it replaces only a picture, checked again once no other run can write the file.
class StagedForPython {
public:
    StagedForPython(const std::string& target, bool overwrite) : file_(std::in_place, target) {
        if (!overwrite) {
            file_->keepOtherData(OutputKind::Picture);
        }
        std::string failure;
        if (!file_->create(failure)) {
            raiseOSError(failure);
        }
    }
    const std::string& path() const { return file_->path(); }
    void publish() {
        std::string failure;
        if (!file_->publish(failure)) {
            raiseOSError(failure);
        }
        file_.reset();
    }
    void discard() { file_.reset(); }

private:
    std::optional<StagedFile> file_;
};

// The arc of contact of one case computed as a run computes it: its points, its scalars and its exit-file
// row. Throws std::invalid_argument when the case has no result.
py::dict profileOf(Mode mode, RheologyKind rheology, const CaseInputs& inputs) {
    CaseProfile computed(mode, rheology);
    if (!computed.compute(inputs)) {
        throw std::invalid_argument("case " + std::to_string(inputs.Case_id) + ": " + computed.message());
    }
    const ProfileTable table(computed, inputs.Case_id);
    py::array_t<double> points(
        {static_cast<py::ssize_t>(kGridPoints), static_cast<py::ssize_t>(ProfileTable::kColumnCount)});
    auto cells = points.mutable_unchecked<2>();
    for (int i = 0; i < kGridPoints; ++i) {
        const auto point = table.point(i);
        for (int k = 0; k < ProfileTable::kColumnCount; ++k) {
            cells(i, k) = point[static_cast<std::size_t>(k)];
        }
    }
    py::dict scalars;
    for (const auto& [name, value] : table.scalarValues()) {
        scalars[name] = value;
    }
    py::dict result;
    result["points"] = points;
    result["scalars"] = scalars;
    result["exit_file_row"] = computed.row();
    return result;
}

// The arc of contact of one case, as rollbite-profile writes it.
py::dict profile(const std::string& modeName, const std::string& rheologyName, std::int32_t caseId,
                 const std::vector<double>& values, const std::vector<double>& coefficients) {
    const Mode mode = modeNamed(modeName);
    const RheologyKind rheology = rheologyNamed(rheologyName);
    if (values.size() != valueCount(mode) ||
        coefficients.size() != static_cast<std::size_t>(CaseSolver::coefficientCount(rheology))) {
        throw std::invalid_argument("a pass has the values of an entry line of its mode and the coefficients "
                                    "of its rheology");
    }
    CaseInputs inputs;
    inputs.Case_id = caseId;
    for (std::size_t k = 0; k < values.size(); ++k) {
        inputs.value(static_cast<int>(k)) = values[k];
    }
    std::copy(coefficients.begin(), coefficients.end(), inputs.coefficients.begin());
    return profileOf(mode, rheology, inputs);
}

// The same with a flow-stress law: its parameters and the pass's conditions by name, in `columns` (one
// number each) and `run`.
py::dict lawProfile(const std::string& modeName, const py::object& lawGiven, std::int32_t caseId,
                    const std::vector<double>& values,
                    const std::map<std::string, LawPasses::Numbers>& columns,
                    const std::vector<std::pair<std::string, double>>& run, bool extrapolate) {
    const Mode mode = modeNamed(modeName);
    if (values.size() != valueCount(mode)) {
        throw std::invalid_argument("a pass has the values of an entry line of its mode");
    }
    CaseInputs inputs;
    inputs.Case_id = caseId;
    for (std::size_t k = 0; k < values.size(); ++k) {
        inputs.value(static_cast<int>(k)) = values[k];
    }
    const LawPasses law(lawGiven, columns, run, extrapolate, 1);
    law.fill(0, inputs);
    try {
        return profileOf(mode, kLawRheology, inputs);
    } catch (const std::invalid_argument&) {
        law.raiseIfFailed(); // a law written in Python that raised says why
        throw;
    }
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream fields(text);
    for (std::string part; std::getline(fields, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

} // namespace

PYBIND11_MODULE(_rollbite, module) {
    module.doc() = "The compiled part of rollbite: the case API over arrays. Use the functions of the "
                   "package rollbite.";
    module.def("solve", &solve, py::arg("mode"), py::arg("rheology"), py::arg("case_ids"), py::arg("values"),
               py::arg("coefficients"), py::arg("unreadable_rows"), py::arg("unreadable_texts"),
               py::arg("threads"),
               "Solves cases given as columns on threads, the interpreter lock released, in chunks between "
               "which Ctrl-C is looked for; a dict of columns.");
    module.def("solve_law", &solveLaw, py::arg("mode"), py::arg("law"), py::arg("case_ids"),
               py::arg("values"), py::arg("columns"), py::arg("run"), py::arg("extrapolate"),
               py::arg("unreadable_rows"), py::arg("unreadable_texts"), py::arg("threads"),
               "Solves passes with a flow-stress law: a built-in one by name, or a rollbite.laws.Law.");
    bindLaws(module);
    module.def("parse_entry", &parseEntry, py::arg("mode"), py::arg("path"),
               "The case lines of an entry file, read as a run reads them.");
    module.def("parse_records", &parseRecords, py::arg("rheology"), py::arg("path"),
               "The records of a coefficient file, read as a run reads them.");
    module.def("check_picture", &checkPicture, py::arg("path"), py::arg("overwrite"),
               "Refuses (ValueError) a picture's path that the rules of every front end keep from it.");
    module.def("write_entry_file", &writeEntryFile, py::arg("path"), py::arg("mode"), py::arg("case_ids"),
               py::arg("values"), py::arg("labels"), py::arg("overwrite"),
               "Writes passes as an entry file whole, by the rules of every front end.");
    py::class_<StagedForPython>(module, "StagedFile",
                                "A file written under a hidden name and put in place whole.")
        .def(py::init<const std::string&, bool>(), py::arg("target"), py::arg("overwrite"))
        .def_property_readonly("path", &StagedForPython::path)
        .def("publish", &StagedForPython::publish)
        .def("discard", &StagedForPython::discard);
    module.def("law_profile", &lawProfile, py::arg("mode"), py::arg("law"), py::arg("case_id"),
               py::arg("values"), py::arg("columns"), py::arg("run"), py::arg("extrapolate"),
               "The arc of contact of one case with a flow-stress law.");
    module.def("profile", &profile, py::arg("mode"), py::arg("rheology"), py::arg("case_id"),
               py::arg("values"), py::arg("coefficients"), "The arc of contact of one case.");
    module.def("machine_threads", &ThreadCount::ofMachine, "The cores this process may run on.");

    std::vector<std::string> entryFields(std::begin(kEntryFieldNames), std::end(kEntryFieldNames));
    entryFields[0] = "case"; // as the exit file names it
    module.attr("ENTRY_FIELDS") = entryFields;
    module.attr("SMATCH_COEFFICIENTS") =
        std::vector<std::string>(std::begin(kSmatchCoefficientNames), std::end(kSmatchCoefficientNames));
    module.attr("WS18_COEFFICIENTS") =
        std::vector<std::string>(std::begin(kWS18CoefficientNames), std::end(kWS18CoefficientNames));
    module.attr("DIRECT_COLUMNS") = split(ExitColumns(kDirectMode).header(), '\t');
    module.attr("INVERSE_COLUMNS") = split(ExitColumns(kInverseMode).header(), '\t');
    module.attr("ENTRY_HEADERS") =
        std::vector<std::string>{EntryReader::header(kDirectMode), EntryReader::header(kInverseMode)};
    module.attr("CONVERGENCE") =
        std::vector<std::string>{convergenceName(Convergence::Unknown), convergenceName(Convergence::Yes),
                                 convergenceName(Convergence::No), convergenceName(Convergence::NoResult)};
    module.attr("PROFILE_COLUMNS") = split(ProfileTable::kColumns, ',');
    module.attr("MAX_THREADS") = ThreadCount::kMax;
    module.attr("__version__") = ROLLBITE_VERSION;
    bindSchedules(module);
    bindReplay(module);
    addSensitivityFunctions(module);
}

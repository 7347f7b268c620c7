// rollbite._rollbite: the case API for Python. Arrays in, arrays out; the cases are solved on threads,
// each with its own CaseSolver, with the interpreter lock released, and come back in input order. The
// Python package rollbite (rollbite/__init__.py) turns data frames into these arrays and back.
#include "SensitivityBindings.h"
#include "app/formats/EntryReader.h"
#include "app/formats/ExitColumns.h"
#include "app/formats/Names.h"
#include "app/formats/OutputGuard.h"
#include "app/formats/RecordReader.h"
#include "app/formats/StagedFile.h"
#include "app/formats/ThreadCount.h"
#include "app/profile/CaseProfile.h"
#include "app/profile/ProfileTable.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/CaseSolver.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace py = pybind11;
using namespace rollbite;

namespace {

using Numbers = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Identifiers = py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>;

// The values of a case line after its identifier, in file order (the last two in inverse mode only).
constexpr int kPassValues = CaseInputs::kValues;

Mode modeNamed(const std::string& name) {
    Mode mode = kDirectMode;
    if (!Names::parseMode(name, mode)) {
        throw std::invalid_argument("unknown mode '" + name + "': " + Names::modeChoices());
    }
    return mode;
}

RheologyKind rheologyNamed(const std::string& name) {
    RheologyKind rheology = kConstantRheology;
    if (!Names::parseRheology(name, rheology)) {
        throw std::invalid_argument("unknown rheology '" + name + "': " + Names::rheologyChoices());
    }
    return rheology;
}

// One value of every result as a column.
template <typename T, typename Value>
py::array_t<T> columnOf(const std::vector<CaseResult>& results, Value value) {
    py::array_t<T> column(static_cast<py::ssize_t>(results.size()));
    auto cells = column.template mutable_unchecked<1>();
    for (std::size_t c = 0; c < results.size(); ++c) {
        cells(static_cast<py::ssize_t>(c)) = value(results[c]);
    }
    return column;
}

// Every case solved on `threads` threads, each taking the next case not yet taken.
void solveOnThreads(Mode mode, RheologyKind rheology, const std::vector<CaseInputs>& cases,
                    std::vector<CaseResult>& results, int threads) {
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        CaseSolver solver(mode, rheology);
        for (std::size_t k = next++; k < cases.size(); k = next++) {
            results[k] = solver.solve(cases[k]);
        }
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t) {
        workers.emplace_back(work);
    }
    work();
    for (std::thread& worker : workers) {
        worker.join();
    }
}

py::dict solve(const std::string& modeName, const std::string& rheologyName, const Identifiers& caseIds,
               const Numbers& values, const Numbers& coefficients, const std::vector<std::string>& unreadable,
               int threads) {
    const Mode mode = modeNamed(modeName);
    const RheologyKind rheology = rheologyNamed(rheologyName);
    const auto count = static_cast<std::size_t>(caseIds.size());
    const int coefficientCount = CaseSolver::coefficientCount(rheology);
    if (values.ndim() != 2 || static_cast<std::size_t>(values.shape(0)) != count ||
        values.shape(1) != kPassValues) {
        throw std::invalid_argument("values must be an array of one row of 10 numbers per case");
    }
    if (coefficientCount > 0 &&
        (coefficients.ndim() != 2 || static_cast<std::size_t>(coefficients.shape(0)) != count ||
         coefficients.shape(1) != coefficientCount)) {
        throw std::invalid_argument("coefficients must be an array of one row of " +
                                    std::to_string(coefficientCount) + " numbers per case");
    }
    if (!unreadable.empty() && unreadable.size() != count) {
        throw std::invalid_argument("unreadable must hold one text per case");
    }
    if (threads < 1 || threads > ThreadCount::kMax) {
        throw std::invalid_argument("threads must be a whole number from 1 to " +
                                    std::to_string(ThreadCount::kMax));
    }
    std::vector<CaseInputs> cases(count);
    const auto ids = caseIds.unchecked<1>();
    const auto passes = values.unchecked<2>();
    for (std::size_t c = 0; c < count; ++c) {
        const auto row = static_cast<py::ssize_t>(c);
        cases[c].Case_id = ids(row);
        for (int k = 0; k < kPassValues; ++k) {
            cases[c].value(k) = passes(row, k);
        }
        for (int k = 0; k < coefficientCount; ++k) {
            cases[c].coefficients[static_cast<std::size_t>(k)] = coefficients.at(row, k);
        }
        if (!unreadable.empty()) {
            cases[c].unreadable = unreadable[c];
        }
    }
    std::vector<CaseResult> results(count);
    {
        py::gil_scoped_release released;
        solveOnThreads(mode, rheology, cases, results, threads);
    }

    py::dict table;
    for (const ExitColumn& column : ExitColumns(mode)) {
        switch (column.kind) {
        case ExitColumn::Kind::CaseId:
            table[column.name] =
                columnOf<std::int32_t>(results, [](const CaseResult& r) { return r.Case_id; });
            break;
        case ExitColumn::Kind::ErrorClass:
            table[column.name] = columnOf<std::int8_t>(
                results, [](const CaseResult& r) { return static_cast<std::int8_t>(r.errorCode); });
            break;
        case ExitColumn::Kind::Number:
            table[column.name] =
                columnOf<double>(results, [&column](const CaseResult& r) { return r.*column.number; });
            break;
        case ExitColumn::Kind::Flag:
            table[column.name] =
                columnOf<bool>(results, [&column](const CaseResult& r) { return r.*column.flag; });
            break;
        case ExitColumn::Kind::Convergence:
            table[column.name] = columnOf<std::int8_t>(
                results, [](const CaseResult& r) { return static_cast<std::int8_t>(r.Has_Converged); });
            break;
        }
    }
    py::list reasons;
    for (const CaseResult& result : results) {
        reasons.append(result.reason);
    }
    table["reason"] = reasons;
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

// Writes `text` as an entry file: refused (ValueError) over an input, a folder or a file that is not an
// entry file written by rollbite, unless `overwrite`; the file appears whole or not at all.
void writeEntryFile(const std::string& path, const std::string& text, bool overwrite) {
    const OutputGuard guard(overwrite);
    if (guard.check(path, OutputKind::EntryFile) != OutputProblem::None) {
        throw std::invalid_argument(guard.message(path, OutputKind::EntryFile, "the file", "overwrite=True"));
    }
    StagedFile file(path);
    std::string failure;
    if (!file.create(failure) || !file.write(text, failure) || !file.publish(failure)) {
        throw std::runtime_error(failure);
    }
}

// The arc of contact of one case, as rollbite-profile writes it.
py::dict profile(const std::string& modeName, const std::string& rheologyName, std::int32_t caseId,
                 const std::vector<double>& values, const std::vector<double>& coefficients) {
    const Mode mode = modeNamed(modeName);
    const RheologyKind rheology = rheologyNamed(rheologyName);
    if (values.size() != static_cast<std::size_t>(kPassValues) ||
        coefficients.size() != static_cast<std::size_t>(CaseSolver::coefficientCount(rheology))) {
        throw std::invalid_argument("a pass has 10 values and the coefficients of its rheology");
    }
    CaseInputs inputs;
    inputs.Case_id = caseId;
    for (int k = 0; k < kPassValues; ++k) {
        inputs.value(k) = values[static_cast<std::size_t>(k)];
    }
    std::copy(coefficients.begin(), coefficients.end(), inputs.coefficients.begin());
    CaseProfile computed(mode, rheology);
    if (!computed.compute(inputs)) {
        throw std::invalid_argument("case " + std::to_string(caseId) + ": " + computed.message());
    }
    const ProfileTable table(computed, caseId);
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
               py::arg("coefficients"), py::arg("unreadable"), py::arg("threads"),
               "Solves cases given as arrays on threads, the interpreter lock released; a dict of columns.");
    module.def("parse_entry", &parseEntry, py::arg("mode"), py::arg("path"),
               "The case lines of an entry file, read as a run reads them.");
    module.def("parse_records", &parseRecords, py::arg("rheology"), py::arg("path"),
               "The records of a coefficient file, read as a run reads them.");
    module.def("write_entry_file", &writeEntryFile, py::arg("path"), py::arg("text"), py::arg("overwrite"),
               "Writes an entry file whole, by the rules of every front end.");
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
    addSensitivityFunctions(module);
}

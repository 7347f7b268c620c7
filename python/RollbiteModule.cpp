// rollbite._rollbite: the case API for Python. Arrays in, arrays out; the cases are solved on threads,
// each with its own CaseSolver, with the interpreter lock released, and come back in input order. The
// Python package rollbite (rollbite/__init__.py) turns data frames into these arrays and back.
#include "Kinds.h"
#include "app/CaseLine.h"
#include "app/CaseProfile.h"
#include "app/FileHandler.h"
#include "app/ProfileTable.h"
#include "app/ThreadCount.h"
#include "model/CaseInputs.h"
#include "model/CaseSolver.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <cstdint>
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
    if (name == "direct") {
        return kDirectMode;
    }
    if (name == "inverse") {
        return kInverseMode;
    }
    throw std::invalid_argument("unknown mode '" + name + "': direct or inverse");
}

RheologyKind rheologyNamed(const std::string& name) {
    if (name == "constant") {
        return kConstantRheology;
    }
    if (name == "smatch") {
        return kSmatchRheology;
    }
    if (name == "ws18") {
        return kWS18Rheology;
    }
    throw std::invalid_argument("unknown rheology '" + name + "': constant, smatch or ws18");
}

// An output column of the exit file and where the result holds it.
struct OutputColumn {
    const char* name;
    double CaseResult::*value;
};

const std::vector<OutputColumn>& outputColumns(Mode mode) {
    static const std::vector<OutputColumn> direct = {{"Rolling_Force", &CaseResult::Rolling_Force},
                                                     {"Forward_Slip", &CaseResult::Forward_Slip},
                                                     {"Rolling_Torque", &CaseResult::Rolling_Torque},
                                                     {"Sigma_Moy", &CaseResult::Sigma_Moy},
                                                     {"Sigma_Ini", &CaseResult::Sigma_Ini},
                                                     {"Sigma_Out", &CaseResult::Sigma_Out},
                                                     {"Sigma_Max", &CaseResult::Sigma_Max},
                                                     {"Neutral_X", &CaseResult::Neutral_X},
                                                     {"U_Forward_Slip", &CaseResult::U_Forward_Slip},
                                                     {"Contact_Length", &CaseResult::Contact_Length},
                                                     {"Neutral_H", &CaseResult::Neutral_H},
                                                     {"angle_Tresca_Bw", &CaseResult::angle_Tresca_Bw},
                                                     {"Neutral_Angle", &CaseResult::Neutral_Angle},
                                                     {"angle_Tresca_Fw", &CaseResult::angle_Tresca_Fw},
                                                     {"U_Rolling_Force", &CaseResult::U_Rolling_Force},
                                                     {"Alpha_Max", &CaseResult::Alpha_Max}};
    static const std::vector<OutputColumn> inverse = {
        {"OffsetYield", &CaseResult::OffsetYield},       {"Friction", &CaseResult::Friction},
        {"Rolling_Torque", &CaseResult::Rolling_Torque}, {"Sigma_Moy", &CaseResult::Sigma_Moy},
        {"Sigma_Ini", &CaseResult::Sigma_Ini},           {"Sigma_Out", &CaseResult::Sigma_Out},
        {"Sigma_Max", &CaseResult::Sigma_Max},           {"Force_Error(%)", &CaseResult::Force_Error},
        {"Slip_Error(%)", &CaseResult::Slip_Error}};
    return mode == kDirectMode ? direct : inverse;
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
    py::array_t<std::int32_t> caseColumn(static_cast<py::ssize_t>(count));
    py::array_t<std::int8_t> errorColumn(static_cast<py::ssize_t>(count));
    py::list converged;
    py::list reasons;
    for (std::size_t c = 0; c < count; ++c) {
        caseColumn.mutable_at(static_cast<py::ssize_t>(c)) = results[c].Case_id;
        errorColumn.mutable_at(static_cast<py::ssize_t>(c)) = static_cast<std::int8_t>(results[c].errorCode);
        converged.append(results[c].Has_Converged);
        reasons.append(results[c].reason);
    }
    table["case"] = caseColumn;
    table["Errors"] = errorColumn;
    for (const OutputColumn& column : outputColumns(mode)) {
        py::array_t<double> numbers(static_cast<py::ssize_t>(count));
        for (std::size_t c = 0; c < count; ++c) {
            numbers.mutable_at(static_cast<py::ssize_t>(c)) = results[c].*column.value;
        }
        table[column.name] = numbers;
    }
    if (mode == kDirectMode) {
        py::array_t<bool> presence(static_cast<py::ssize_t>(count));
        py::array_t<bool> total(static_cast<py::ssize_t>(count));
        for (std::size_t c = 0; c < count; ++c) {
            presence.mutable_at(static_cast<py::ssize_t>(c)) = results[c].Tresca_Presence;
            total.mutable_at(static_cast<py::ssize_t>(c)) = results[c].Total_Tresca;
        }
        table["Tresca_Presence"] = presence;
        table["Total_Tresca"] = total;
    }
    table["Has_Converged"] = converged;
    table["reason"] = reasons;
    return table;
}

// The case lines of an entry file's text (its header line skipped), read as a run reads them.
py::dict parseEntry(const std::string& modeName, const std::string& text) {
    const Mode mode = modeNamed(modeName);
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    std::vector<std::int32_t> ids;
    std::vector<double> values;
    py::list unreadable;
    CaseInputs inputs;
    while (std::getline(lines, line)) {
        CaseLine::read(mode, line, inputs);
        ids.push_back(inputs.Case_id);
        for (int k = 0; k < kPassValues; ++k) {
            values.push_back(inputs.value(k));
        }
        unreadable.append(inputs.unreadable);
    }
    py::dict table;
    table["case"] = py::array_t<std::int32_t>(static_cast<py::ssize_t>(ids.size()), ids.data());
    table["values"] = py::array_t<double>(
        {static_cast<py::ssize_t>(ids.size()), static_cast<py::ssize_t>(kPassValues)}, values.data());
    table["unreadable"] = unreadable;
    return table;
}

// The records of a coefficient file's text (its header line skipped): the next 4 or 23 numbers each,
// until the text ends.
py::dict parseRecords(const std::string& rheologyName, const std::string& text) {
    const RheologyKind rheology = rheologyNamed(rheologyName);
    const int count = CaseSolver::coefficientCount(rheology);
    if (count == 0) {
        throw std::invalid_argument("the constant rheology has no coefficients");
    }
    std::istringstream records(text);
    std::string field;
    std::getline(records, field);
    std::vector<double> values;
    py::list unreadable;
    CaseInputs inputs;
    while (records >> std::ws && records.peek() != std::char_traits<char>::eof()) {
        inputs.coefficients.fill(0.0);
        inputs.unreadable.clear();
        CaseLine::readRecord(records, rheology, inputs, field);
        values.insert(values.end(), inputs.coefficients.begin(), inputs.coefficients.begin() + count);
        unreadable.append(inputs.unreadable);
    }
    py::dict table;
    const auto rows = static_cast<py::ssize_t>(values.size() / static_cast<std::size_t>(count));
    table["values"] = py::array_t<double>({rows, static_cast<py::ssize_t>(count)}, values.data());
    table["unreadable"] = unreadable;
    return table;
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
    CaseProfile computed(mode == kDirectMode ? 'd' : 'i', rheology == kSmatchRheology ? 's'
                                                          : rheology == kWS18Rheology ? 'w'
                                                                                      : 'c');
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
    module.def("parse_entry", &parseEntry, py::arg("mode"), py::arg("text"),
               "The case lines of an entry file's text, read as a run reads them.");
    module.def("parse_records", &parseRecords, py::arg("rheology"), py::arg("text"),
               "The records of a coefficient file's text, read as a run reads them.");
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
    module.attr("DIRECT_COLUMNS") = split(FileHandler::headerRow(kDirectMode), '\t');
    module.attr("INVERSE_COLUMNS") = split(FileHandler::headerRow(kInverseMode), '\t');
    module.attr("PROFILE_COLUMNS") = split(ProfileTable::kColumns, ',');
    module.attr("MAX_THREADS") = ThreadCount::kMax;
}

// rollbite._rollbite.sensitivities: the sensitivity table of passes given as arrays, solved on threads,
// each with its own SensitivitySolver, with the interpreter lock released. The columns are those of the
// command line's table (SensitivityColumns); python/rollbite/sensitivities.py makes a data frame of them.
#include "SensitivityBindings.h"

#include "ChunkedWork.h"
#include "LawPasses.h"
#include "NamedKinds.h"

#include "app/formats/Names.h"
#include "app/formats/SensitivityColumns.h"
#include "app/formats/ThreadCount.h"
#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/SensitivitySolver.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace rollbite {

namespace {

using Numbers = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Identifiers = py::array_t<std::int32_t, py::array::c_style | py::array::forcecast>;

// What a pass gives its row of the table.
struct PassRow {
    CaseResult result;
    PassSensitivities sensitivities;
    InverseUncertainty uncertainty;
};

std::vector<CaseInputs> casesOf(RheologyKind rheology, const Identifiers& caseIds, const Numbers& values,
                                const Numbers& coefficients, const std::vector<std::string>& unreadable) {
    const auto count = static_cast<std::size_t>(caseIds.size());
    const int coefficientCount = CaseSolver::coefficientCount(rheology);
    if (values.ndim() != 2 || static_cast<std::size_t>(values.shape(0)) != count ||
        values.shape(1) != CaseInputs::kValues) {
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
    std::vector<CaseInputs> cases(count);
    const auto ids = caseIds.unchecked<1>();
    const auto passes = values.unchecked<2>();
    for (std::size_t c = 0; c < count; ++c) {
        const auto row = static_cast<py::ssize_t>(c);
        cases[c].Case_id = ids(row);
        for (int k = 0; k < CaseInputs::kValues; ++k) {
            cases[c].value(k) = passes(row, k);
        }
        for (int k = 0; k < coefficientCount; ++k) {
            cases[c].coefficients[static_cast<std::size_t>(k)] = coefficients.at(row, k);
        }
        if (!unreadable.empty()) {
            cases[c].unreadable = unreadable[c];
        }
    }
    return cases;
}

void solveOnThreads(Mode mode, RheologyKind rheology, const MeasurementUncertainty& uncertainty,
                    double stepScale, const std::vector<CaseInputs>& cases, std::vector<PassRow>& rows,
                    int threads) {
    // No more threads than cases: a thread without a case would only cost its solver.
    const std::size_t threadCount =
        std::clamp<std::size_t>(cases.size(), 1, static_cast<std::size_t>(threads));
    std::vector<SensitivitySolver> solvers;
    for (std::size_t thread = 0; thread < threadCount; ++thread) {
        solvers.emplace_back(mode, rheology);
        solvers.back().setMeasurementUncertainty(uncertainty);
        solvers.back().setStepScale(stepScale);
    }
    ChunkedWork::run(cases.size(), threadCount, [&](std::size_t thread, std::size_t k) {
        SensitivitySolver& solver = solvers[thread];
        rows[k].result = solver.solve(cases[k]);
        rows[k].sensitivities = solver.sensitivities();
        rows[k].uncertainty = solver.uncertainty();
    });
}

// The table's columns of every pass, under their names.
py::dict tableOf(const SensitivityColumns& columns, const std::vector<PassRow>& rows,
                 const std::vector<double>& widths) {
    using Kind = SensitivityColumn::Kind;
    const auto count = static_cast<py::ssize_t>(rows.size());
    const auto rowOf = [&](std::size_t k) {
        return SensitivityRow{rows[k].result, rows[k].sensitivities, rows[k].uncertainty,
                              widths.empty() ? 0.0 : widths[k]};
    };
    py::dict table;
    for (const SensitivityColumn& column : columns.columns()) {
        if (column.kind == Kind::Reason) {
            py::list reasons;
            for (std::size_t k = 0; k < rows.size(); ++k) {
                reasons.append(columns.reason(rowOf(k)));
            }
            table[column.name.c_str()] = reasons;
        } else if (column.kind == Kind::CaseId || column.kind == Kind::ErrorClass) {
            py::array_t<std::int32_t> cells(count);
            auto write = cells.mutable_unchecked<1>();
            for (std::size_t k = 0; k < rows.size(); ++k) {
                write(static_cast<py::ssize_t>(k)) =
                    column.kind == Kind::CaseId ? rows[k].result.Case_id
                                                : static_cast<std::int32_t>(rows[k].result.errorCode);
            }
            table[column.name.c_str()] = cells;
        } else if (column.kind == Kind::Flag) {
            py::array_t<bool> cells(count);
            auto write = cells.mutable_unchecked<1>();
            for (std::size_t k = 0; k < rows.size(); ++k) {
                write(static_cast<py::ssize_t>(k)) = columns.value(column, rowOf(k)) != 0.0;
            }
            table[column.name.c_str()] = cells;
        } else {
            py::array_t<double> cells(count);
            auto write = cells.mutable_unchecked<1>();
            for (std::size_t k = 0; k < rows.size(); ++k) {
                write(static_cast<py::ssize_t>(k)) = columns.value(column, rowOf(k));
            }
            table[column.name.c_str()] = cells;
        }
    }
    return table;
}

// What every table of passes is asked for besides its passes.
struct TableRequest {
    Mode mode;
    MeasurementUncertainty uncertainty;
    std::vector<double> widths;
    double stepScale = 1.0;
};

TableRequest requestOf(const std::string& modeName, int threads, double forceDeviation, bool forceInPercent,
                       double slipDeviation, const std::vector<double>& widths, double stepScale) {
    if (threads < 1 || threads > ThreadCount::kMax) {
        throw std::invalid_argument("threads must be a whole number from 1 to " +
                                    std::to_string(ThreadCount::kMax));
    }
    if (!(stepScale > 0.0)) {
        throw std::invalid_argument("step_scale must be positive");
    }
    MeasurementUncertainty uncertainty;
    uncertainty.force = forceDeviation;
    uncertainty.forceInPercent = forceInPercent;
    uncertainty.slip = slipDeviation;
    if (!uncertainty.valid()) {
        throw std::invalid_argument(
            "the deviations of the measured force and slip must be positive numbers: the force's up to 100 "
            "percent of it or 5000 (9.81 N/mm), the slip's up to 100 percentage points");
    }
    return {modeNamed(modeName), uncertainty, widths, stepScale};
}

void checkWidths(const TableRequest& request, std::size_t passes) {
    if (!request.widths.empty() && request.widths.size() != passes) {
        throw std::invalid_argument("width must be one number, or one per pass");
    }
}

py::dict sensitivities(const std::string& modeName, const std::string& rheologyName,
                       const Identifiers& caseIds, const Numbers& values, const Numbers& coefficients,
                       const std::vector<std::string>& unreadable, int threads, double forceDeviation,
                       bool forceInPercent, double slipDeviation, const std::vector<double>& widths,
                       double stepScale) {
    const TableRequest request =
        requestOf(modeName, threads, forceDeviation, forceInPercent, slipDeviation, widths, stepScale);
    const RheologyKind rheology = rheologyNamed(rheologyName);
    const std::vector<CaseInputs> cases = casesOf(rheology, caseIds, values, coefficients, unreadable);
    checkWidths(request, cases.size());
    std::vector<PassRow> rows(cases.size());
    solveOnThreads(request.mode, rheology, request.uncertainty, request.stepScale, cases, rows, threads);
    return tableOf(SensitivityColumns(request.mode, !widths.empty()), rows, widths);
}

// The same with a flow-stress law: its parameters and the passes' conditions per pass in `columns`, those
// of every pass in `run`; the table adds the derivatives by the law's factor and parameters (direct).
py::dict lawSensitivities(const std::string& modeName, const py::object& lawGiven, const Identifiers& caseIds,
                          const Numbers& values, const std::map<std::string, LawPasses::Numbers>& columns,
                          const std::vector<std::pair<std::string, double>>& run, bool extrapolate,
                          const std::vector<std::string>& unreadable, int threads, double forceDeviation,
                          bool forceInPercent, double slipDeviation, const std::vector<double>& widths,
                          double stepScale) {
    const TableRequest request =
        requestOf(modeName, threads, forceDeviation, forceInPercent, slipDeviation, widths, stepScale);
    std::vector<CaseInputs> cases = casesOf(kLawRheology, caseIds, values, Numbers(), unreadable);
    checkWidths(request, cases.size());
    const LawPasses law(lawGiven, columns, run, extrapolate, cases.size());
    for (std::size_t row = 0; row < cases.size(); ++row) {
        law.fill(row, cases[row]);
    }
    std::vector<PassRow> rows(cases.size());
    solveOnThreads(request.mode, kLawRheology, request.uncertainty, request.stepScale, cases, rows, threads);
    law.raiseIfFailed();
    py::dict table = tableOf(SensitivityColumns(request.mode, !widths.empty(), &law.law()), rows, widths);
    table["law_calls"] = law.calls();
    return table;
}

// name, unit and meaning of every column of a mode's table (with a width in direct mode).
std::vector<std::tuple<std::string, std::string, std::string>> columnsOf(const std::string& modeName) {
    std::vector<std::tuple<std::string, std::string, std::string>> described;
    const SensitivityColumns columns(modeNamed(modeName), true);
    for (const SensitivityColumn& column : columns.columns()) {
        described.emplace_back(column.name, column.unit, column.meaning);
    }
    return described;
}

} // namespace

void addSensitivityFunctions(py::module_& module) {
    module.def("sensitivities", &sensitivities, py::arg("mode"), py::arg("rheology"), py::arg("case_ids"),
               py::arg("values"), py::arg("coefficients"), py::arg("unreadable"), py::arg("threads"),
               py::arg("force_sd"), py::arg("force_sd_in_percent"), py::arg("slip_sd"), py::arg("widths"),
               py::arg("step_scale"),
               "The sensitivity table of passes given as arrays, solved on threads: a dict of columns.");
    module.def("law_sensitivities", &lawSensitivities, py::arg("mode"), py::arg("law"), py::arg("case_ids"),
               py::arg("values"), py::arg("columns"), py::arg("run"), py::arg("extrapolate"),
               py::arg("unreadable"), py::arg("threads"), py::arg("force_sd"), py::arg("force_sd_in_percent"),
               py::arg("slip_sd"), py::arg("widths"), py::arg("step_scale"),
               "The sensitivity table of passes with a flow-stress law: a dict of columns.");
    module.def("sensitivity_columns", &columnsOf, py::arg("mode"),
               "Name, unit and meaning of every column of the sensitivity table of a mode.");
    module.attr("DEFAULT_FORCE_SD_PERCENT") = MeasurementUncertainty::kDefaultForcePercent;
    module.attr("DEFAULT_SLIP_SD") = MeasurementUncertainty::kDefaultSlip;
}

} // namespace rollbite

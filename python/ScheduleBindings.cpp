// rollbite._rollbite's schedules: a mill's stands chained, with the load distributed or not, from the
// strip as a dict and the stands as columns; a schedule file read as rollbite schedule reads it. The
// Python module rollbite/schedule.py turns frames into these and back.
#include "ScheduleBindings.h"

#include "app/formats/ExitColumns.h"
#include "app/formats/LawColumns.h"
#include "app/formats/Names.h"
#include "app/formats/ScheduleColumns.h"
#include "app/formats/ScheduleFields.h"
#include "app/formats/ScheduleReader.h"
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/LawCatalogue.h"
#include "rollbite/model/LoadDistributor.h"
#include "rollbite/model/ScheduleSolver.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <fstream>
#include <stdexcept>

namespace py = pybind11;

namespace rollbite {

namespace {

using Column = std::vector<double>;

StripInputs stripOf(const std::string& rheologyName, const std::map<std::string, double>& values) {
    StripInputs strip;
    if (!Names::parseRheology(rheologyName, strip.rheology)) {
        throw std::invalid_argument("unknown rheology '" + rheologyName + "': " + Names::rheologyChoices());
    }
    for (const auto& [name, value] : values) {
        const StripField* field = ScheduleFields::stripField(name);
        if (field == nullptr) {
            throw std::invalid_argument("'" + name + "' is no field of the strip");
        }
        ScheduleFields::valueOf(*field, strip) = value;
    }
    return strip;
}

std::vector<StandInputs> standsOf(const std::vector<std::string>& names,
                                  const std::map<std::string, Column>& columns) {
    std::vector<StandInputs> stands(names.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
        stands[k].name = names[k];
    }
    for (const auto& [name, values] : columns) {
        const StandField* field = ScheduleFields::standField(name);
        if (field == nullptr) {
            throw std::invalid_argument("'" + name + "' is no column of the stands");
        }
        if (values.size() != names.size()) {
            throw std::invalid_argument("the stands' column " + name + " has " +
                                        std::to_string(values.size()) + " values for " +
                                        std::to_string(names.size()) + " stands");
        }
        for (std::size_t k = 0; k < names.size(); ++k) {
            // NaN is a value not given: the field keeps its default (an interstand's 5.5 m, no sprays).
            if (!std::isnan(values[k])) {
                stands[k].*field->member = values[k];
            }
        }
    }
    return stands;
}

// A law schedule's passes' parameters and conditions, by name, as rollbite.direct(law=) takes them.
py::dict lawCoefficientsOf(const ScheduleResult& schedule, const FlowStressLaw& law) {
    std::vector<std::string> names;
    for (const LawParameter& parameter : law.parameters()) {
        names.push_back(parameter.name);
    }
    for (const std::string& name : LawColumns::conditionNames()) {
        names.push_back(name);
    }
    std::vector<Column> columns(names.size());
    for (const StandResult& stand : schedule.stands) {
        const std::vector<double> record = LawColumns::fullRecord(law, stand.pass);
        for (std::size_t k = 0; k < names.size(); ++k) {
            columns[k].push_back(record[k]);
        }
    }
    py::dict table;
    for (std::size_t k = 0; k < names.size(); ++k) {
        table[names[k].c_str()] =
            py::array_t<double>(static_cast<py::ssize_t>(columns[k].size()), columns[k].data());
    }
    return table;
}

py::dict tableOf(const ScheduleResult& schedule, const StripInputs& mill) {
    const RheologyKind rheology = mill.rheology;
    py::dict table;
    if (rheology == kLawRheology && mill.law != nullptr) {
        table["law_coefficients"] = lawCoefficientsOf(schedule, *mill.law);
    }
    const std::size_t count = schedule.stands.size();
    std::vector<std::string> names;
    for (const StandResult& stand : schedule.stands) {
        names.push_back(stand.name);
    }
    table[ScheduleColumns::kStandName] = names;
    py::dict columns;
    const auto addColumns = [&](const ScheduleColumn* begin, const ScheduleColumn* end) {
        for (const ScheduleColumn* column = begin; column != end; ++column) {
            Column values;
            for (const StandResult& stand : schedule.stands) {
                values.push_back(column->value(stand));
            }
            columns[column->name] = py::array_t<double>(static_cast<py::ssize_t>(count), values.data());
        }
    };
    addColumns(ScheduleColumns::begin(), ScheduleColumns::end());
    if (schedule.thermal) {
        // The thermal chain's columns, and the strip's way: distance (m), time (s), temperature (C).
        addColumns(ScheduleColumns::thermalBegin(), ScheduleColumns::thermalEnd());
        std::vector<double> path;
        for (const TemperaturePoint& point : schedule.temperaturePath) {
            path.insert(path.end(), {point.distance, point.time, point.temperature});
        }
        table["temperature_path"] = py::array_t<double>(
            {static_cast<py::ssize_t>(schedule.temperaturePath.size()), static_cast<py::ssize_t>(3)},
            path.data());
        table["exit_temperature"] = schedule.Exit_temperature;
    }
    table["columns"] = columns;
    // The passes as rollbite.direct takes them, and their rows: the exit file's numbers.
    const int coefficients = CaseSolver::coefficientCount(rheology);
    std::vector<std::int32_t> ids;
    Column values;
    Column records;
    py::dict rows;
    for (const StandResult& stand : schedule.stands) {
        CaseInputs pass = stand.pass;
        ids.push_back(pass.Case_id);
        for (int k = 0; k < CaseInputs::kValues; ++k) {
            values.push_back(pass.value(k));
        }
        records.insert(records.end(), pass.coefficients.begin(), pass.coefficients.begin() + coefficients);
    }
    for (const ExitColumn& column : ExitColumns(kDirectMode)) {
        if (column.kind == ExitColumn::Kind::Number) {
            Column numbers;
            for (const StandResult& stand : schedule.stands) {
                numbers.push_back(stand.row.*column.number);
            }
            rows[column.name] = py::array_t<double>(static_cast<py::ssize_t>(count), numbers.data());
        }
    }
    const auto rowsCount = static_cast<py::ssize_t>(count);
    table["case"] = py::array_t<std::int32_t>(rowsCount, ids.data());
    table["pass_values"] =
        py::array_t<double>({rowsCount, static_cast<py::ssize_t>(CaseInputs::kValues)}, values.data());
    table["pass_coefficients"] =
        py::array_t<double>({rowsCount, static_cast<py::ssize_t>(coefficients)}, records.data());
    table["rows"] = rows;
    std::vector<std::string> over;
    for (const StandResult& stand : schedule.stands) {
        over.push_back(overLimits(stand));
    }
    table["over_limits"] = over;
    table["totals"] = py::dict(
        py::arg("Force") = schedule.Total_force, py::arg("Power") = schedule.Total_power,
        py::arg("Specific_energy") = schedule.Specific_energy, py::arg("Mass_flow") = schedule.Mass_flow);
    table["solves"] = schedule.solves;
    return table;
}

// Solves the schedule, distributing its load when `distribute` names a target; raises ValueError with the
// message of a schedule that fails or a target that cannot be met.
// The strip's law by name, its parameters and factor by name into the strip.
void setLaw(const LawCatalogue& laws, const std::string& name, const std::map<std::string, double>& values,
            StripInputs& strip) {
    strip.rheology = kLawRheology;
    strip.law = laws.find(name);
    if (strip.law == nullptr) {
        throw std::invalid_argument("unknown law '" + name + "'");
    }
    const std::vector<LawParameter> parameters = strip.law->parameters();
    for (std::size_t k = 0; k < parameters.size(); ++k) {
        const auto value = values.find(parameters[k].name);
        if (value == values.end()) {
            throw std::invalid_argument("the strip's " + parameters[k].name +
                                        " is missing: a parameter of the law " + strip.law->name());
        }
        strip.lawParameters[k] = value->second;
    }
    for (const auto& [key, value] : values) {
        const bool parameter = std::any_of(parameters.begin(), parameters.end(),
                                           [&key](const LawParameter& p) { return p.name == key; });
        if (key == ScheduleFields::kFactor) {
            strip.Flow_stress_factor = value;
        } else if (!parameter) {
            throw std::invalid_argument("'" + key + "' is no parameter of the law " + strip.law->name());
        }
    }
}

py::dict solveSchedule(const std::string& rheologyName, const std::map<std::string, double>& strip,
                       const std::vector<std::string>& names, const std::map<std::string, Column>& columns,
                       const std::string& distribute, const std::string& lawName,
                       const std::map<std::string, double>& lawValues) {
    const LawCatalogue laws; // lives as long as the solve
    StripInputs mill = stripOf(lawName.empty() ? rheologyName : "constant", strip);
    if (!lawName.empty()) {
        setLaw(laws, lawName, lawValues, mill);
    }
    const std::vector<StandInputs> stands = standsOf(names, columns);
    DistributionTarget target = DistributionTarget::ForceLimits;
    if (!distribute.empty() && !parseDistributionTarget(distribute, target)) {
        throw std::invalid_argument("unknown target '" + distribute +
                                    "': force, power, force-ratios or power-ratios");
    }
    if (distribute.empty()) {
        ScheduleResult schedule;
        {
            py::gil_scoped_release released;
            schedule = ScheduleSolver().solve(mill, stands);
        }
        if (!schedule.ok()) {
            throw std::invalid_argument(schedule.message);
        }
        return tableOf(schedule, mill);
    }
    DistributionResult result;
    {
        py::gil_scoped_release released;
        result = LoadDistributor().distribute(mill, stands, target);
    }
    if (!result.met && (result.schedule.stands.empty() || !result.schedule.ok())) {
        throw std::invalid_argument(result.message);
    }
    py::dict table = tableOf(result.schedule, mill);
    if (!result.met) {
        // The best schedule the search reached goes with the message, for the caller to see how near.
        table["unmet"] = result.message;
    }
    table["solves"] = result.solves;
    table["distribution"] = py::dict(py::arg("target") = distribute, py::arg("share") = result.share,
                                     py::arg("spread") = result.spread, py::arg("marches") = result.marches,
                                     py::arg("solves") = result.solves);
    return table;
}

// A schedule file as rollbite schedule reads it: the strip's fields and the stands' columns (NaN where a
// value is not given).
py::dict readSchedule(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw std::invalid_argument("cannot read the schedule file " + path);
    }
    const LawCatalogue laws;
    ScheduleReader reader(&laws);
    ScheduleReader::Schedule schedule;
    if (!reader.read(file, schedule)) {
        std::string message = path + ":";
        for (const std::string& error : reader.errors()) {
            message += "\n  " + error;
        }
        throw std::invalid_argument(message);
    }
    const RheologyKind rheology = schedule.strip.rheology;
    py::dict strip;
    for (const StripField* field = ScheduleFields::stripBegin(); field != ScheduleFields::stripEnd();
         ++field) {
        if (field->rheologies == 0 || ScheduleFields::required(field->rheologies, rheology)) {
            strip[field->name] = ScheduleFields::valueOf(*field, schedule.strip);
        }
    }
    py::dict stands;
    std::vector<std::string> names;
    for (const StandInputs& stand : schedule.stands) {
        names.push_back(stand.name);
    }
    stands[ScheduleFields::kStandName] = names;
    // A law of temperature takes the stands' temperatures, which are WS18's columns otherwise.
    const bool hot = rheology == kLawRheology && schedule.strip.law->readsTemperature();
    for (const StandField* field = ScheduleFields::standBegin(); field != ScheduleFields::standEnd();
         ++field) {
        const bool temperature =
            field->member == &StandInputs::TemperatureIn || field->member == &StandInputs::TemperatureOut;
        if (field->rheologies == 0 || ScheduleFields::required(field->rheologies, rheology) ||
            (hot && temperature)) {
            Column values;
            for (const StandInputs& stand : schedule.stands) {
                values.push_back(stand.*field->member);
            }
            stands[field->name] = values;
        }
    }
    py::dict result;
    result["rheology"] = Names::rheologyName(rheology);
    if (rheology == kLawRheology) {
        // The law by name, its parameters and factor by theirs, as the schedule file gives them.
        result["law"] = schedule.strip.law->name();
        const std::vector<LawParameter> parameters = schedule.strip.law->parameters();
        for (std::size_t k = 0; k < parameters.size(); ++k) {
            strip[parameters[k].name.c_str()] = schedule.strip.lawParameters[k];
        }
        strip[ScheduleFields::kFactor] = schedule.strip.Flow_stress_factor;
    }
    result["strip"] = strip;
    result["stands"] = stands;
    return result;
}

py::list fieldsOf(bool strip) {
    py::list fields;
    const auto add = [&fields](const char* name, const char* unit, unsigned rheologies) {
        py::list required;
        for (RheologyKind kind : {kConstantRheology, kSmatchRheology, kWS18Rheology, kLawRheology}) {
            if (ScheduleFields::required(rheologies, kind)) {
                required.append(Names::rheologyName(kind));
            }
        }
        fields.append(py::make_tuple(name, unit, required));
    };
    if (strip) {
        for (const StripField* f = ScheduleFields::stripBegin(); f != ScheduleFields::stripEnd(); ++f) {
            add(f->name, f->unit, f->rheologies);
        }
    } else {
        for (const StandField* f = ScheduleFields::standBegin(); f != ScheduleFields::standEnd(); ++f) {
            add(f->name, f->unit, f->rheologies);
        }
    }
    return fields;
}

} // namespace

void bindSchedules(py::module_& module) {
    module.def("schedule", &solveSchedule, py::arg("rheology"), py::arg("strip"), py::arg("names"),
               py::arg("columns"), py::arg("distribute"), py::arg("law"), py::arg("law_values"),
               "Solves a schedule (its load distributed when distribute names a target); a dict of columns.");
    module.def("read_schedule", &readSchedule, py::arg("path"),
               "A schedule file, read as rollbite schedule reads it.");
    py::list columns;
    for (const ScheduleColumn* column = ScheduleColumns::begin(); column != ScheduleColumns::end();
         ++column) {
        columns.append(py::make_tuple(column->name, column->unit));
    }
    module.attr("SCHEDULE_COLUMNS") = columns;
    py::list thermal;
    for (const ScheduleColumn* column = ScheduleColumns::thermalBegin();
         column != ScheduleColumns::thermalEnd(); ++column) {
        thermal.append(py::make_tuple(column->name, column->unit));
    }
    module.attr("THERMAL_COLUMNS") = thermal;
    module.attr("STRIP_FIELDS") = fieldsOf(true);
    module.attr("STAND_FIELDS") = fieldsOf(false);
}

} // namespace rollbite

// rollbite._rollbite's laws: the built-in laws' names and descriptions, their flow stress over arrays,
// and a law written in Python as the model takes one.
#include "LawBindings.h"

#include "rollbite/model/LawCatalogue.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <limits>
#include <stdexcept>
#include <utility>

namespace py = pybind11;

namespace rollbite {

namespace {

using Numbers = py::array_t<double, py::array::c_style | py::array::forcecast>;

LawRange rangeOf(const py::object& law, const char* name) {
    const auto range = law.attr(name).cast<std::pair<double, double>>();
    return {range.first, range.second};
}

const FlowStressLaw& builtIn(const LawCatalogue& laws, const std::string& name) {
    const FlowStressLaw* law = laws.find(name);
    if (law == nullptr) {
        std::string names;
        for (const std::string& known : laws.names()) {
            names += (names.empty() ? "" : ", ") + known;
        }
        throw std::invalid_argument("unknown law '" + name + "': " + names);
    }
    return *law;
}

py::dict lawInfo(const std::string& name) {
    const LawCatalogue laws;
    const FlowStressLaw& law = builtIn(laws, name);
    py::list parameters;
    for (const LawParameter& parameter : law.parameters()) {
        parameters.append(py::make_tuple(parameter.name, parameter.unit, parameter.meaning));
    }
    const LawValidity range = law.validity();
    py::dict info;
    info["name"] = law.name();
    info["description"] = law.description();
    info["parameters"] = parameters;
    info["strain"] = py::make_tuple(range.strain.lowest, range.strain.highest);
    info["strain_rate"] = py::make_tuple(range.strainRate.lowest, range.strainRate.highest);
    info["temperature"] = py::make_tuple(range.temperature.lowest, range.temperature.highest);
    info["reads_strain_rate"] = law.readsStrainRate();
    info["reads_temperature"] = law.readsTemperature();
    info["gives_mean_flow_stress"] = law.givesMeanFlowStress();
    return info;
}

// The law's flow stress (MPa) at every point of three arrays of one length, with its parameters in order.
Numbers flowStress(const std::string& name, const std::vector<double>& values, const Numbers& strain,
                   const Numbers& strainRate, const Numbers& temperature) {
    const LawCatalogue laws;
    const FlowStressLaw& law = builtIn(laws, name);
    if (values.size() != law.parameters().size()) {
        throw std::invalid_argument("the law " + law.name() + " takes " +
                                    std::to_string(law.parameters().size()) + " parameters, not " +
                                    std::to_string(values.size()));
    }
    const py::ssize_t count = strain.size();
    if (strain.ndim() != 1 || strainRate.ndim() != 1 || temperature.ndim() != 1 ||
        strainRate.size() != count || temperature.size() != count) {
        throw std::invalid_argument("strain, strain rate and temperature must be arrays of one length");
    }
    LawParameters parameters{};
    std::copy(values.begin(), values.end(), parameters.begin());
    const std::string wrong = law.checkParameters(parameters);
    if (!wrong.empty()) {
        throw std::invalid_argument("the law " + law.name() + ": " + wrong);
    }
    Numbers stresses(count);
    double* out = stresses.mutable_data();
    for (py::ssize_t k = 0; k < count; ++k) {
        out[k] = law.flowStress({strain.data()[k], strainRate.data()[k], temperature.data()[k]}, parameters);
    }
    return stresses;
}

} // namespace

PythonLaw::PythonLaw(const py::object& law)
    : function_(law.attr("function")),
      name_(law.attr("name").cast<std::string>()), validity_{rangeOf(law, "strain"),
                                                             rangeOf(law, "strain_rate"),
                                                             rangeOf(law, "temperature")},
      readsStrainRate_(law.attr("reads_strain_rate").cast<bool>()),
      readsTemperature_(law.attr("reads_temperature").cast<bool>()) {}

PythonLaw::~PythonLaw() {
    py::gil_scoped_acquire held;
    function_ = py::object();
}

double PythonLaw::flowStress(const LawPoint& point, const LawParameters& parameters) const {
    double stress = 0.0;
    flowStresses(&point, 1, parameters, &stress);
    return stress;
}

void PythonLaw::flowStresses(const LawPoint* points, std::size_t count, const LawParameters& /*parameters*/,
                             double* stresses) const {
    py::gil_scoped_acquire held;
    ++calls_;
    const auto size = static_cast<py::ssize_t>(count);
    Numbers strain(size);
    Numbers rate(size);
    Numbers temperature(size);
    for (std::size_t k = 0; k < count; ++k) {
        strain.mutable_data()[k] = points[k].strain;
        rate.mutable_data()[k] = points[k].strainRate;
        temperature.mutable_data()[k] = points[k].temperature;
    }
    try {
        const Numbers result = Numbers::ensure(function_(strain, rate, temperature));
        if (!result || result.size() != size) {
            throw std::invalid_argument("the law " + name_ + " must return one flow stress per point");
        }
        std::copy(result.data(), result.data() + size, stresses);
        return;
    } catch (const py::error_already_set& error) {
        if (failure_.empty()) {
            failure_ = error.what();
        }
    } catch (const std::exception& error) {
        if (failure_.empty()) {
            failure_ = error.what();
        }
    }
    std::fill(stresses, stresses + count, std::numeric_limits<double>::quiet_NaN());
}

void PythonLaw::raiseIfFailed() const {
    if (!failure_.empty()) {
        throw std::runtime_error("the law " + name_ + " failed: " + failure_);
    }
}

void bindLaws(py::module_& module) {
    module.def(
        "law_names", [] { return LawCatalogue().names(); }, "The names of the built-in flow-stress laws.");
    module.def("law_info", &lawInfo, py::arg("name"),
               "A built-in law's description, parameters (name, unit, meaning), ranges and what it reads.");
    module.def("flow_stress", &flowStress, py::arg("name"), py::arg("parameters"), py::arg("strain"),
               py::arg("strain_rate"), py::arg("temperature"),
               "A built-in law's flow stress (MPa) at every point of three arrays.");
}

} // namespace rollbite

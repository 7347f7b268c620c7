#pragma once

#include "rollbite/model/FlowStressLaw.h"

#include <pybind11/pybind11.h>

#include <memory>
#include <string>

namespace rollbite {

// A flow-stress law written in Python (rollbite.laws.Law): its function of numpy arrays of strain, strain
// rate (1/s) and temperature (C), called once for the whole grid of a bite, the interpreter lock taken for
// the call. An exception of the function makes the flow stress fail and is kept, to be raised again once
// the solve is over.
class PythonLaw : public FlowStressLaw {
public:
    explicit PythonLaw(const pybind11::object& law);
    ~PythonLaw() override;

    std::string name() const override { return name_; }
    std::string description() const override { return "a law written in Python: " + name_; }
    std::vector<LawParameter> parameters() const override { return {}; }
    LawValidity validity() const override { return validity_; }
    bool readsStrainRate() const override { return readsStrainRate_; }
    bool readsTemperature() const override { return readsTemperature_; }
    double flowStress(const LawPoint& point, const LawParameters& parameters) const override;
    void flowStresses(const LawPoint* points, std::size_t count, const LawParameters& parameters,
                      double* stresses) const override;
    bool evaluatesWholeBite() const override { return true; }

    // Raises the first exception the function raised, if any.
    void raiseIfFailed() const;
    // The calls of the function so far.
    long long calls() const { return calls_; }

private:
    pybind11::object function_;
    std::string name_;
    LawValidity validity_;
    bool readsStrainRate_ = true;
    bool readsTemperature_ = true;
    mutable std::string failure_; // the first exception's text, kept under the interpreter lock
    mutable long long calls_ = 0;
};

// rollbite._rollbite.law_names, law_info and flow_stress.
void bindLaws(pybind11::module_& module);

} // namespace rollbite

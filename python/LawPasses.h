#pragma once

#include "LawBindings.h"

#include "app/formats/LawColumns.h"
#include "rollbite/model/CaseInputs.h"
#include "rollbite/model/FlowStressLaw.h"
#include "rollbite/model/LawCatalogue.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace rollbite {

// The law of a call and what it gives each pass: a built-in law by name or one written in Python, its
// parameters and the passes' conditions from columns (one number per pass) and from values for every pass.
class LawPasses {
public:
    using Numbers = pybind11::array_t<double, pybind11::array::c_style | pybind11::array::forcecast>;

    // Throws std::invalid_argument for a law, a name or a column it cannot take.
    LawPasses(const pybind11::object& lawGiven, const std::map<std::string, Numbers>& columns,
              const std::vector<std::pair<std::string, double>>& run, bool extrapolate, std::size_t passes);
    // The law and the values for every pass only, the others to come from a file's columns (columns()).
    LawPasses(const pybind11::object& lawGiven, const std::vector<std::pair<std::string, double>>& run,
              bool extrapolate);

    const FlowStressLaw& law() const { return *law_; }
    const LawColumns& columns() const { return columns_; }
    // The law's values of pass `row` into `pass`, whose other inputs are set. Touches no Python object.
    void fill(std::size_t row, CaseInputs& pass) const;
    // After the solves: raises the first exception of a law written in Python.
    void raiseIfFailed() const;
    // The calls of a law written in Python (0 for a built-in one).
    long long calls() const;

private:
    LawCatalogue laws_;
    std::unique_ptr<PythonLaw> written_;
    const FlowStressLaw* law_ = nullptr;
    LawColumns columns_;
    std::vector<const double*> cells_;
};

} // namespace rollbite

#include "LawPasses.h"

#include <stdexcept>

namespace py = pybind11;

namespace rollbite {

LawPasses::LawPasses(const py::object& lawGiven, const std::map<std::string, Numbers>& columns,
                     const std::vector<std::pair<std::string, double>>& run, bool extrapolate,
                     std::size_t passes)
    : LawPasses(lawGiven, run, extrapolate) {
    std::vector<std::string> names;
    for (const auto& [name, column] : columns) {
        if (column.ndim() != 1 || static_cast<std::size_t>(column.shape(0)) != passes) {
            throw std::invalid_argument("the column " + name + " must hold one number per pass");
        }
        names.push_back(name);
        cells_.push_back(column.data());
    }
    std::string error;
    if (!columns_.setColumns(names, error)) {
        throw std::invalid_argument(error);
    }
}

LawPasses::LawPasses(const py::object& lawGiven, const std::vector<std::pair<std::string, double>>& run,
                     bool extrapolate) {
    if (py::isinstance<py::str>(lawGiven)) {
        law_ = laws_.find(lawGiven.cast<std::string>());
        if (law_ == nullptr) {
            throw std::invalid_argument("unknown law '" + lawGiven.cast<std::string>() + "'");
        }
    } else {
        written_ = std::make_unique<PythonLaw>(lawGiven);
        law_ = written_.get();
    }
    std::string error;
    if (!columns_.setUp(*law_, run, extrapolate, error)) {
        throw std::invalid_argument(error);
    }
}

void LawPasses::fill(std::size_t row, CaseInputs& pass) const {
    columns_.startCase(pass);
    for (std::size_t k = 0; k < cells_.size(); ++k) {
        columns_.assign(static_cast<int>(k), cells_[k][row], pass);
    }
}

void LawPasses::raiseIfFailed() const {
    if (written_) {
        written_->raiseIfFailed();
    }
}

long long LawPasses::calls() const {
    return written_ ? written_->calls() : 0;
}

} // namespace rollbite

#pragma once

#include <pybind11/pybind11.h>

namespace rollbite {

// Adds the schedule functions and tables to the compiled module.
void bindSchedules(pybind11::module_& module);

} // namespace rollbite

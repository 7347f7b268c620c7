#pragma once

#include <pybind11/pybind11.h>

namespace rollbite {

// Adds to the compiled module the sensitivities of passes given as arrays and the table of their columns.
void addSensitivityFunctions(pybind11::module_& module);

} // namespace rollbite

#pragma once

#include <pybind11/pybind11.h>

namespace rollbite {

// rollbite._rollbite.replay: a mill's log replayed through the learner (rollbite/learning.py).
void bindReplay(pybind11::module_& module);

} // namespace rollbite

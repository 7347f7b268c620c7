// rollbite._rollbite.replay: a mill's log, read as rollbite replay reads it, replayed through the learner
// coil by coil on threads (one stand a thread) with the interpreter lock released, in chunks of coils
// between which Ctrl-C is looked for; the table's columns and the state come back.
#include "ReplayBindings.h"

#include "LawPasses.h"
#include "NamedKinds.h"

#include "app/formats/LearnerStateFile.h"
#include "app/formats/MillLog.h"
#include "app/formats/ReplayColumns.h"
#include "app/formats/ThreadCount.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace rollbite {

namespace {

constexpr std::size_t kCoilsPerChunk = 64; // coils replayed between two looks for Ctrl-C
constexpr std::size_t kErrorsShown = 10;

// Text as Python's str, bytes that are no UTF-8 kept as they were read (surrogateescape), as open() does.
py::str textOf(const std::string& text) {
    PyObject* decoded =
        PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
    if (decoded == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::str>(decoded);
}

std::vector<MillLog::Coil> logOf(const std::string& text, RheologyKind rheology,
                                 const std::vector<std::string>& classKey, const LawColumns* law) {
    std::istringstream file(text);
    MillLog log;
    if (!log.read(file, rheology, classKey, law)) {
        std::string message = "the log is not as a mill log must be:";
        for (std::size_t k = 0; k < log.errors().size() && k < kErrorsShown; ++k) {
            message += "\n  " + log.errors()[k];
        }
        if (log.errors().size() > kErrorsShown) {
            message += "\n  and " + std::to_string(log.errors().size() - kErrorsShown) + " more";
        }
        throw std::invalid_argument(message);
    }
    return log.coils();
}

py::dict tableOf(const std::vector<MillLog::Coil>& coils, const std::vector<std::vector<StandReplay>>& said) {
    py::dict table;
    for (const ReplayColumn* column = ReplayColumns::begin(); column != ReplayColumns::end(); ++column) {
        if (column->kind == ReplayColumn::Kind::Text) {
            py::list texts;
            for (std::size_t c = 0; c < coils.size(); ++c) {
                for (const StandReplay& stand : said[c]) {
                    texts.append(textOf(column->text(stand, coils[c].id)));
                }
            }
            table[column->name] = texts;
            continue;
        }
        std::vector<double> numbers;
        for (std::size_t c = 0; c < coils.size(); ++c) {
            for (std::size_t k = 0; k < said[c].size(); ++k) {
                numbers.push_back(column->number(said[c][k], coils[c].stands[k]));
            }
        }
        table[column->name] = py::array_t<double>(static_cast<py::ssize_t>(numbers.size()), numbers.data());
    }
    return table;
}

py::dict replay(const std::string& logText, const std::string& rheologyName,
                const std::vector<std::string>& classKey, const std::string& stateText,
                const std::vector<double>& gains, double forceScreen, int threads, const py::object& lawGiven,
                const std::vector<std::pair<std::string, double>>& run, bool extrapolate) {
    std::optional<LawPasses> law;
    if (!lawGiven.is_none()) {
        law.emplace(lawGiven, run, extrapolate);
    }
    const RheologyKind rheology = law ? kLawRheology : rheologyNamed(rheologyName);
    const std::string learntWith = LearnerStateFile::learntWith(rheology, law ? &law->law() : nullptr);
    if (!MillLearner::supports(rheology)) {
        throw std::invalid_argument("the " + rheologyName +
                                    " rheology has no flow-stress factor to learn: constant or smatch");
    }
    LearnerSettings settings;
    if (gains.size() == 3) {
        settings.shortGain = gains[0];
        settings.longGain = gains[1];
        settings.frictionGain = gains[2];
    }
    if (forceScreen > 0.0) {
        settings.forceScreen = forceScreen;
    }
    if (!settings.valid() || (!gains.empty() && gains.size() != 3)) {
        throw std::invalid_argument("gains must be three numbers in (0, 1] (short-term, long-term, friction) "
                                    "and the screen a positive percentage");
    }
    if (threads < 1 || threads > ThreadCount::kMax) {
        throw std::invalid_argument("threads must be a whole number from 1 to " +
                                    std::to_string(ThreadCount::kMax));
    }
    const std::vector<MillLog::Coil> coils =
        logOf(logText, rheology, classKey, law ? &law->columns() : nullptr);
    MillLearner learner(rheology, settings);
    if (!stateText.empty()) {
        std::istringstream file(stateText);
        LearnerState state;
        std::string failure;
        if (!LearnerStateFile::read(file, learntWith, settings, state, failure)) {
            throw std::invalid_argument("the state is no learner state: " + failure);
        }
        learner.setState(state);
    }
    std::vector<std::vector<StandReplay>> said;
    for (std::size_t start = 0; start < coils.size(); start += kCoilsPerChunk) {
        std::vector<std::vector<StandPass>> chunk;
        for (std::size_t c = start; c < std::min(coils.size(), start + kCoilsPerChunk); ++c) {
            chunk.push_back(coils[c].stands);
        }
        {
            py::gil_scoped_release released;
            auto replayed = learner.replayAll(chunk, threads);
            said.insert(said.end(), replayed.begin(), replayed.end());
        }
        if (PyErr_CheckSignals() != 0) {
            throw py::error_already_set();
        }
    }
    py::dict result;
    result["table"] = tableOf(coils, said);
    if (law) {
        law->raiseIfFailed();
    }
    result["state"] = textOf(LearnerStateFile::text(learner.state(), learntWith));
    return result;
}

} // namespace

void bindReplay(py::module_& module) {
    module.def(
        "replay", &replay, py::arg("log"), py::arg("rheology"), py::arg("class_key"), py::arg("state"),
        py::arg("gains"), py::arg("force_screen"), py::arg("threads"), py::arg("law") = py::none(),
        py::arg("run") = std::vector<std::pair<std::string, double>>(), py::arg("extrapolate") = false,
        "Replays a mill's log (its text) through the learner: the table's columns and the state's text.");
    std::vector<std::tuple<std::string, std::string, std::string>> columns;
    for (const ReplayColumn* column = ReplayColumns::begin(); column != ReplayColumns::end(); ++column) {
        columns.emplace_back(column->name, column->unit,
                             column->kind == ReplayColumn::Kind::Text   ? "text"
                             : column->kind == ReplayColumn::Kind::Flag ? "flag"
                                                                        : "number");
    }
    module.attr("REPLAY_COLUMNS") = columns;
    module.attr("STATE_FIRST_LINE") = LearnerStateFile::firstLine();
}

} // namespace rollbite

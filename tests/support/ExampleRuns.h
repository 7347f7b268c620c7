#pragma once

#include <ostream>
#include <string>

namespace rollbite::test {

// One of the six runs of the bundled examples (examples/): its answers and files.
struct ExampleRun {
    const char* name; // also names its gold exit file, results_<name>.txt
    const char* mode;
    const char* rheology;
    const char* entry;
    const char* coefficients; // empty for Constant

    bool withCoefficients() const { return coefficients[0] != '\0'; }
    // The console answers of a run that writes `exitFile`.
    std::string answers(const std::string& exitFile) const {
        const std::string text = std::string(mode) + "\n" + rheology + "\n" + entry + "\n" + exitFile + "\n";
        return withCoefficients() ? text + coefficients + "\n" : text;
    }
};

inline constexpr ExampleRun kExampleRuns[] = {
    {"direct_constant", "d", "c", "direct_constant_entry.txt", ""},
    {"direct_smatch", "d", "s", "direct_smatch_entry.txt", "smatch_direct.txt"},
    {"direct_ws18", "d", "w", "direct_ws18_entry.txt", "ws18_direct.txt"},
    {"inverse_constant", "i", "c", "inverse_constant_entry.txt", ""},
    {"inverse_smatch", "i", "s", "inverse_smatch_entry.txt", "smatch_inverse.txt"},
    {"inverse_ws18", "i", "w", "inverse_ws18_entry.txt", "ws18_inverse.txt"},
};

inline void PrintTo(const ExampleRun& run, std::ostream* out) {
    *out << run.name;
}

} // namespace rollbite::test

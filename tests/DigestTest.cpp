// Every output of the example runs and of a few thousand generated cases, written with 17 significant
// digits and compared with the values recorded in tests/digest/. The exit files only show seven digits;
// this sees the last bit of every double, so that a change that reorders the arithmetic anywhere shows up.
//
// The C library picks its sin, cos, tan, exp, log and pow by processor (variants with and without fused
// multiply-add), and another version may round them otherwise: the last bits then differ from one machine
// to the next. So the values are compared to the last bit only on the platform they were recorded on (the
// same C library version, and the same results of those functions on a fixed set of arguments); elsewhere
// within a tolerance of each column's scale, wide enough for what the platform can change and far too
// narrow for a change of the model's arithmetic.
//
// ROLLBITE_DIGEST_OUT=file keeps the digits, to compare two builds with diff. ROLLBITE_DIGEST_RECORD=folder
// records them and the platform there (scripts/update-gold.sh). ROLLBITE_DIGEST_TOLERANCE=1 compares within
// the tolerance even on the recorded platform, to see what it lets through.
#include "app/Console.h"
#include "app/DirectOrowan.h"
#include "app/InverseOrowan.h"
#include "support/ExampleRuns.h"
#include "support/UniformNumbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gnu/libc-version.h>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace rollbite;

namespace {

void appendExact(std::string& digest, double value) {
    char text[40];
    std::snprintf(text, sizeof text, "\t%.17g", value);
    digest += text;
}

// What the runs leave: every output in full precision, and the direct forces and slips that the
// inverse runs take back.
struct Collected {
    // The last evaluation of an inverse search is no output of a case that failed before or during
    // the search: it may be left over from an earlier case. False leaves it out of such rows.
    bool withLeftovers = true;
    std::string digest;
    std::vector<double> forces;
    std::vector<double> slips;
};

// The direct mode with every output of each row also kept in full precision.
class DirectDigest : public DirectOrowan {
public:
    DirectDigest(int kind, const Console& console, Collected& collected)
        : DirectOrowan(kind, console), collected_(collected), digest_(collected.digest) {}
    int writeRow() override {
        digest_ +=
            std::to_string(modelHandler.Direct_inputs.Case_id) + "\t" + errorClass + "\t" + hasConverged;
        for (const double value :
             {Rolling_Force, Forward_Slip, Rolling_Torque, Sigma_Moy, Sigma_Ini, Sigma_Out, Sigma_Max,
              Neutral_X, U_Forward_Slip, Contact_Length, Neutral_H, angle_Tresca_Bw, Neutral_Angle,
              angle_Tresca_Fw, U_Rolling_Force, Alpha_Max}) {
            appendExact(digest_, value);
        }
        digest_ += Tresca_Presence ? "\t1" : "\t0";
        digest_ += Total_Tresca ? "\t1\n" : "\t0\n";
        collected_.forces.push_back(Rolling_Force);
        collected_.slips.push_back(Forward_Slip);
        return DirectOrowan::writeRow();
    }
    std::unique_ptr<Orowan> makeWorker() const override {
        return std::make_unique<DirectDigest>(modelHandler.Rheology_kind, console_, collected_);
    }

private:
    Collected& collected_;
    std::string& digest_;
};

class InverseDigest : public InverseOrowan {
public:
    InverseDigest(int kind, const Console& console, Collected& collected)
        : InverseOrowan(kind, console), collected_(collected), digest_(collected.digest) {}
    int writeRow() override {
        digest_ += std::to_string(modelHandler.Back_inputs.Case_id) + "\t" + errorClass + "\t" + hasConverged;
        for (const double value : {OffsetYield, Friction, Rolling_Torque, Sigma_Moy, Sigma_Ini, Sigma_Out,
                                   Sigma_Max, forceError, slipError}) {
            appendExact(digest_, value);
        }
        if (collected_.withLeftovers || errorCode == VOID || errorCode == OUTPUTS) {
            appendExact(digest_, computedForce);
            appendExact(digest_, computedSlip);
        }
        digest_ += "\n";
        return InverseOrowan::writeRow();
    }
    std::unique_ptr<Orowan> makeWorker() const override {
        return std::make_unique<InverseDigest>(modelHandler.Rheology_kind, console_, collected_);
    }

private:
    Collected& collected_;
    std::string& digest_;
};

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

class Runner {
public:
    Runner()
        : folder_(std::filesystem::temp_directory_path() / ("rollbite-digest-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(folder_);
    }
    ~Runner() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Runs a mode on the given file contents; the mode object is handed back for its collected values.
    template <class Mode> void run(Mode& mode, const std::string& entry, const std::string& coefficients) {
        write("entry.txt", entry);
        write("coefficients.txt", coefficients);
        EXPECT_EQ(mode.run(), 0);
    }
    std::string answers(bool withCoefficients) const {
        std::string text = file("entry.txt") + "\n" + file("exit.txt") + "\n";
        return withCoefficients ? text + file("coefficients.txt") + "\n" : text;
    }

private:
    std::string file(const char* name) const { return (folder_ / name).string(); }
    void write(const char* name, const std::string& content) const { std::ofstream(file(name)) << content; }
    std::filesystem::path folder_;
};

std::string readExample(const std::string& name) {
    std::ifstream file(std::filesystem::path(ROLLBITE_TEST_DATA).parent_path() / "examples" / name);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

template <class Mode>
void runMode(Runner& runner, int threads, int kind, Collected& collected, const std::string& entry,
             const std::string& coefficients) {
    std::istringstream in(runner.answers(kind != kConstantRheology));
    std::ostringstream out;
    const Console console{in, out, out};
    Mode mode(kind, console, collected);
    mode.threadCount = threads;
    runner.run(mode, entry, coefficients);
}

constexpr const char* kWS18Steel = "0.05 0.35 0.02 0.004 0 0 0 0.035 0.012 0.02 0.005 0.02 0.02 0.0003 ";

// Every output of the runs, on `threads` threads.
std::string digestOfRuns(int threads, bool withLeftovers = true) {
    Collected collected;
    collected.withLeftovers = withLeftovers;
    Runner runner;
    // The six example runs.
    for (const test::ExampleRun& example : test::kExampleRuns) {
        const int kind = *example.rheology == 's'   ? kSmatchRheology
                         : *example.rheology == 'w' ? kWS18Rheology
                                                    : kConstantRheology;
        const std::string coefficients = example.withCoefficients() ? readExample(example.coefficients) : "";
        if (*example.mode == 'd') {
            runMode<DirectDigest>(runner, threads, kind, collected, readExample(example.entry), coefficients);
        } else {
            runMode<InverseDigest>(runner, threads, kind, collected, readExample(example.entry),
                                   coefficients);
        }
    }

    // Generated passes: thicknesses 2 to 40 mm, reductions 5 to 50 %, tensions up to 25 MPa, rolls 500 to
    // 900 mm, frictions 0.1 to 0.45, flow stresses 40 to 350 MPa.
    test::UniformNumbers uniform(20261206);
    const int counts[3] = {2000, 1000, 150};
    const int kinds[3] = {kConstantRheology, kSmatchRheology, kWS18Rheology};
    for (int k = 0; k < 3; ++k) {
        std::string entry = "header\n";
        std::string coefficients = "header\n";
        std::string inverseEntry = "header\n";
        std::vector<std::string> rolling;
        for (int id = 1; id <= counts[k]; ++id) {
            const double entryThickness = uniform(2.0, 40.0);
            const std::string pass = number(entryThickness) + " " +
                                     number(entryThickness * (1.0 - uniform(0.05, 0.5))) + " " +
                                     number(uniform(0.0, 25.0)) + " " + number(uniform(0.0, 25.0)) + " " +
                                     number(uniform(500.0, 900.0)) + " 210000";
            rolling.push_back(std::to_string(id) + " " + pass);
            const double offset = kinds[k] == kConstantRheology ? uniform(40.0, 350.0) : uniform(0.0, 30.0);
            entry += rolling.back() + " " + number(offset) + " " + number(uniform(0.1, 0.45)) + "\n";
            if (kinds[k] == kSmatchRheology) {
                coefficients += number(uniform(60.0, 200.0)) + " " + number(uniform(20.0, 80.0)) + " " +
                                number(uniform(0.05, 0.2)) + " " + number(uniform(2.0, 8.0)) + "\n";
            } else if (kinds[k] == kWS18Rheology) {
                const double celsius = uniform(900.0, 1150.0);
                coefficients += kWS18Steel + number(celsius) + " " + number(celsius - uniform(0.0, 20.0)) +
                                " " + number(uniform(0.5, 10.0)) + " 1 " + number(uniform(20.0, 80.0)) +
                                " 1e+13 0 40 1e+13\n";
            }
        }
        collected.forces.clear();
        collected.slips.clear();
        runMode<DirectDigest>(runner, threads, kinds[k], collected, entry, coefficients);
        // The same passes backwards, from the direct force and slip, started elsewhere; a fifth of them
        // for WS18, whose searches are the longest.
        const std::size_t stride = kinds[k] == kWS18Rheology ? 5 : 3;
        std::string inverseCoefficients = "header\n";
        std::istringstream records(coefficients);
        std::string record;
        std::getline(records, record);
        for (std::size_t c = 0; c < rolling.size(); ++c) {
            std::getline(records, record);
            if (c % stride == 0) {
                inverseEntry += rolling[c] + " " + (kinds[k] == kConstantRheology ? "150" : "15") + " 0.25 " +
                                number(collected.forces[c]) + " " + number(collected.slips[c]) + "\n";
                inverseCoefficients += record + "\n";
            }
        }
        runMode<InverseDigest>(runner, threads, kinds[k], collected, inverseEntry,
                               kinds[k] == kConstantRheology ? std::string() : inverseCoefficients);
    }

    return collected.digest;
}

// What the platform changes of the values, relative to the largest magnitude of their column: between
// glibc 2.36's variants with and without fused multiply-add, at most 3.2e-12. Thirty times that is
// allowed. A reassociation of one sum in the slab step changes values by up to 2e-8 of their column's
// scale, far beyond it.
constexpr double kPlatformTolerance = 1e-10;

// The C library and its variant of the mathematical functions the model calls: their results on a fixed
// set of arguments, reduced to a checksum.
std::string platform() {
    std::uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](double value) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        hash = (hash ^ bits) * 1099511628211ull;
    };
    for (int k = 0; k < 20000; ++k) {
        volatile double angle = 0.6 * (k + 0.5) / 20000.0; // rad, the range of bite angles and more
        mix(std::sin(angle));
        mix(std::cos(angle));
        mix(std::tan(angle));
        mix(std::exp(3.0 - 20.0 * angle));
        mix(std::log(1.0 + angle));
        mix(std::pow(1.0 + angle, 0.37));
    }
    char text[80];
    std::snprintf(text, sizeof text, "glibc %s, mathematical functions %016llx", gnu_get_libc_version(),
                  static_cast<unsigned long long>(hash));
    return text;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

std::vector<std::vector<std::string>> tabRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        rows.emplace_back();
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) {
            rows.back().push_back(cell);
        }
    }
    return rows;
}

// A row's first three fields (case, class, convergence) and its two flags are texts; the rest numbers.
// Columns are told apart by the row's length (a direct or an inverse row) and their place.
bool isNumberField(const std::vector<std::string>& row, std::size_t field) {
    return field >= 3 && !(row.size() == 21 && field >= 19);
}

// The values of `actual` against the recorded ones, within `tolerance` of each column's largest magnitude
// (0 for the last bit). One line per difference, the first twenty.
std::vector<std::string> differences(const std::string& actual, const std::string& recorded,
                                     double tolerance) {
    const auto ours = tabRows(actual);
    const auto theirs = tabRows(recorded);
    std::map<std::pair<std::size_t, std::size_t>, double> scale;
    for (const auto& row : theirs) {
        for (std::size_t field = 0; field < row.size(); ++field) {
            if (isNumberField(row, field)) {
                double& largest = scale[{row.size(), field}];
                largest = std::max(largest, std::abs(std::strtod(row[field].c_str(), nullptr)));
            }
        }
    }
    std::vector<std::string> found;
    if (ours.size() != theirs.size()) {
        found.push_back(std::to_string(ours.size()) + " rows instead of " + std::to_string(theirs.size()));
    }
    for (std::size_t r = 0; r < std::min(ours.size(), theirs.size()) && found.size() < 20; ++r) {
        for (std::size_t field = 0; field < std::max(ours[r].size(), theirs[r].size()); ++field) {
            const std::string mine = field < ours[r].size() ? ours[r][field] : "(none)";
            const std::string theirValue = field < theirs[r].size() ? theirs[r][field] : "(none)";
            const bool same =
                mine == theirValue ||
                (ours[r].size() == theirs[r].size() && isNumberField(theirs[r], field) &&
                 std::abs(std::strtod(mine.c_str(), nullptr) - std::strtod(theirValue.c_str(), nullptr)) <=
                     tolerance * scale[{theirs[r].size(), field}]);
            if (!same) {
                found.push_back("row " + std::to_string(r + 1) + " (case " + theirs[r][0] + "), field " +
                                std::to_string(field + 1) + ": " + mine + " instead of " + theirValue);
            }
        }
    }
    return found;
}

} // namespace

TEST(Digest, EveryOutputIsTheRecordedOne) {
    const std::string digest = digestOfRuns(1);
    if (const char* keep = std::getenv("ROLLBITE_DIGEST_OUT")) {
        std::ofstream(keep) << digest;
    }
    if (const char* folder = std::getenv("ROLLBITE_DIGEST_RECORD")) {
        std::ofstream(std::filesystem::path(folder) / "values.txt") << digest;
        std::ofstream(std::filesystem::path(folder) / "platform.txt") << platform() << "\n";
    }
    const std::filesystem::path recorded = std::filesystem::path(ROLLBITE_TEST_DATA) / "digest";
    const std::string recordedPlatform = readFile(recorded / "platform.txt");
    const bool samePlatform =
        recordedPlatform == platform() + "\n" && std::getenv("ROLLBITE_DIGEST_TOLERANCE") == nullptr;
    const double tolerance = samePlatform ? 0.0 : kPlatformTolerance;
    std::cout << "Digest on " << platform() << " (recorded on "
              << recordedPlatform.substr(0, recordedPlatform.find('\n')) << "): "
              << (samePlatform ? "every value compared to the last bit\n"
                               : "every value compared within 1e-10 of its column's largest magnitude\n");
    RecordProperty("comparison", samePlatform ? "last bit" : "platform tolerance");
    for (const std::string& difference : differences(digest, readFile(recorded / "values.txt"), tolerance)) {
        ADD_FAILURE() << difference;
    }
}

// Cases solved on several threads, each slot of the pipeline seeing another sequence of cases, give the
// very same outputs in the same order: no case depends on what an earlier one left behind.
TEST(Digest, TheSameOnThreeThreads) {
    EXPECT_EQ(digestOfRuns(3, false), digestOfRuns(1, false));
}

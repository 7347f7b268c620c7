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
#include "app/formats/ExitColumns.h"
#include "rollbite/model/CaseSolver.h"
#include "support/CaseTexts.h"
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
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace rollbite;

namespace {

void appendExact(std::string& digest, double value) {
    char text[40];
    std::snprintf(text, sizeof text, "\t%.17g", value);
    digest += text;
}

// The digest line of a case: every output of its row in full precision. For an inverse case also the
// last evaluation of its search, which is no output of a case that failed before or during the search
// (it is then left over from an earlier case): `withLeftovers` false leaves it out of such rows.
std::string digestLine(Mode mode, const CaseResult& r, bool withLeftovers) {
    std::string line =
        std::to_string(r.Case_id) + "\t" + r.errorClass() + "\t" + convergenceName(r.Has_Converged);
    // The numbers of the exit file's columns, then its flags, in the order of the columns.
    const ExitColumns columns(mode);
    for (const ExitColumn& column : columns) {
        if (column.kind == ExitColumn::Kind::Number) {
            appendExact(line, r.*column.number);
        }
    }
    for (const ExitColumn& column : columns) {
        if (column.kind == ExitColumn::Kind::Flag) {
            line += r.*column.flag ? "\t1" : "\t0";
        }
    }
    if (mode == kInverseMode && (withLeftovers || r.errorCode == VOID || r.errorCode == OUTPUTS)) {
        appendExact(line, r.computedForce);
        appendExact(line, r.computedSlip);
    }
    return line + "\n";
}

// The digest lines of the cases of one run, solved through the case API by one solver per thread, the
// cases dealt out in turn; and the results, for the forces and slips an inverse run takes back.
std::string digestOfRun(Mode mode, RheologyKind kind, const std::vector<CaseInputs>& cases, int threads,
                        bool withLeftovers, std::vector<CaseResult>& results) {
    results.assign(cases.size(), CaseResult());
    std::vector<std::thread> solvers;
    for (int t = 0; t < threads; ++t) {
        solvers.emplace_back([&, t] {
            CaseSolver solver(mode, kind);
            for (std::size_t c = static_cast<std::size_t>(t); c < cases.size(); c += threads) {
                results[c] = solver.solve(cases[c]);
            }
        });
    }
    for (std::thread& solver : solvers) {
        solver.join();
    }
    std::string digest;
    for (const CaseResult& result : results) {
        digest += digestLine(mode, result, withLeftovers);
    }
    return digest;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

constexpr const char* kWS18Steel = "0.05 0.35 0.02 0.004 0 0 0 0.035 0.012 0.02 0.005 0.02 0.02 0.0003 ";

// Every output of the runs, on `threads` threads.
std::string digestOfRuns(int threads, bool withLeftovers = true) {
    std::string digest;
    std::vector<CaseResult> results;
    // The six example runs.
    for (const test::ExampleRun& example : test::kExampleRuns) {
        digest += digestOfRun(test::modeOf(example), test::kindOf(example), test::exampleCases(example),
                              threads, withLeftovers, results);
    }

    // Generated passes: thicknesses 2 to 40 mm, reductions 5 to 50 %, tensions up to 25 MPa, rolls 500 to
    // 900 mm, frictions 0.1 to 0.45, flow stresses 40 to 350 MPa. They are written as text with ten
    // digits and read back as a run reads its files.
    test::UniformNumbers uniform(20261206);
    const int counts[3] = {2000, 1000, 150};
    const RheologyKind kinds[3] = {kConstantRheology, kSmatchRheology, kWS18Rheology};
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
        digest +=
            digestOfRun(kDirectMode, kinds[k], test::casesOf(kDirectMode, kinds[k], entry, coefficients),
                        threads, withLeftovers, results);
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
                                number(results[c].Rolling_Force) + " " + number(results[c].Forward_Slip) +
                                "\n";
                inverseCoefficients += record + "\n";
            }
        }
        digest += digestOfRun(kInverseMode, kinds[k],
                              test::casesOf(kInverseMode, kinds[k], inverseEntry, inverseCoefficients),
                              threads, withLeftovers, results);
    }
    return digest;
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
    const std::string recordedPlatform = test::readFile(recorded / "platform.txt");
    const bool samePlatform =
        recordedPlatform == platform() + "\n" && std::getenv("ROLLBITE_DIGEST_TOLERANCE") == nullptr;
    const double tolerance = samePlatform ? 0.0 : kPlatformTolerance;
    std::cout << "Digest on " << platform() << " (recorded on "
              << recordedPlatform.substr(0, recordedPlatform.find('\n')) << "): "
              << (samePlatform ? "every value compared to the last bit\n"
                               : "every value compared within 1e-10 of its column's largest magnitude\n");
    RecordProperty("comparison", samePlatform ? "last bit" : "platform tolerance");
    for (const std::string& difference :
         differences(digest, test::readFile(recorded / "values.txt"), tolerance)) {
        ADD_FAILURE() << difference;
    }
}

// Cases solved at once on several threads, each solver seeing another sequence of cases, give the very
// same outputs: no case depends on what an earlier one left behind.
TEST(Digest, TheSameOnThreeThreads) {
    EXPECT_EQ(digestOfRuns(3, false), digestOfRuns(1, false));
}

// Every output of the example runs and of a few thousand generated cases, written with 17 significant
// digits and reduced to one checksum. The exit files only show seven digits; this sees the last bit of
// every double, so that a change that reorders the arithmetic anywhere shows up here.
// ROLLBITE_DIGEST_OUT=file keeps the digits for comparing two builds with diff.
#include "app/Console.h"
#include "app/DirectOrowan.h"
#include "app/InverseOrowan.h"
#include "support/ExampleRuns.h"
#include "support/UniformNumbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
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

// 64-bit FNV-1a.
std::uint64_t checksum(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

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

} // namespace

TEST(Digest, EveryOutputToTheLastBitIsUnchanged) {
    const std::string digest = digestOfRuns(1);
    if (const char* keep = std::getenv("ROLLBITE_DIGEST_OUT")) {
        std::ofstream(keep) << digest;
    }
    constexpr std::uint64_t kExpected = 0x153c31a9ba3da761ull;
    EXPECT_EQ(checksum(digest), kExpected)
        << std::hex << "checksum 0x" << checksum(digest) << " over " << std::dec << digest.size() << " bytes";
}

// Cases solved on several threads, each slot of the pipeline seeing another sequence of cases, give the
// very same outputs in the same order: no case depends on what an earlier one left behind.
TEST(Digest, TheSameOnThreeThreads) {
    EXPECT_EQ(digestOfRuns(3, false), digestOfRuns(1, false));
}

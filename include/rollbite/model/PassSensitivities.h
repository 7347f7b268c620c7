#pragma once

// Part of the public case API: includes only the standard library and public headers, by paths relative
// to this file, so that it reads the same installed.
#include "FlowStressLaw.h"

#include <array>
#include <cmath>
#include <limits>

namespace rollbite {

// The inputs of a direct pass that its outputs are differentiated by, in the order of the entry line.
enum class PassInput : int {
    Entry_thickness,       // mm
    Exit_thickness,        // mm
    Entry_tension,         // MPa
    Exit_tension,          // MPa
    Working_roll_diameter, // mm
    Young_modulus_WR,      // MPa
    Offset_yield_stress,   // MPa
    Friction_coefficient,  // no unit
};
inline constexpr int kPassInputs = 8;
inline constexpr const char* kPassInputNames[kPassInputs] = {
    "Entry_thickness",       "Exit_thickness",   "Entry_tension",       "Exit_tension",
    "Working_roll_diameter", "Young_modulus_WR", "Offset_yield_stress", "Friction_coefficient"};

// The outputs of a direct pass that are differentiated, under their exit-file names and in its units.
enum class PassOutput : int {
    Rolling_Force,  // 9.81 N/mm (tonnes-force per metre of width)
    Forward_Slip,   // percent
    Rolling_Torque, // 9.81 N mm/mm, both work rolls
};
inline constexpr int kPassOutputs = 3;
// With a flow-stress law, the pass's outputs are also differentiated by the law's factor (first) and by
// each of the law's parameters, in the order of its parameters().
inline constexpr int kLawInputs = 1 + kMaxLawParameters;
inline constexpr const char* kFactorInputName = "Flow_stress_factor";
inline constexpr const char* kPassOutputNames[kPassOutputs] = {"Rolling_Force", "Forward_Slip",
                                                               "Rolling_Torque"};

// Why a derivative has no value. Compare the value; derivativeIssueText gives it in words.
enum class DerivativeIssue : int {
    None = 0,
    NoResult,     // the pass itself has no result (its error class is not VOID)
    NotConverged, // the pass's iteration did not settle (Has_Converged NO): no derivative of a fixed point
    ProbeFailed,  // the model fails for a neighbouring value of the input on both sides
    RegimeChange, // the bite changes regime (sticking starts or stops, or a switch point crosses the
                  // neutral point's cell) within the smallest step on both sides of the pass
    NotSmooth,    // the error bound of the differences is above 1 %: the output is not smooth enough
                  // there to give the derivative to that accuracy
};

inline const char* derivativeIssueText(DerivativeIssue issue) {
    switch (issue) {
    case DerivativeIssue::NoResult:
        return "the pass has no result";
    case DerivativeIssue::NotConverged:
        return "the force iteration of the pass did not settle";
    case DerivativeIssue::ProbeFailed:
        return "the model fails for a neighbouring value on both sides";
    case DerivativeIssue::RegimeChange:
        return "the bite changes regime on both sides within the step";
    case DerivativeIssue::NotSmooth:
        return "not smooth within the step: its error bound is above 1 %";
    default:
        return "";
    }
}

// The sensitivities of one direct pass: the partial derivative of each output by each input, the other
// inputs held, with the roll flattening and (WS18) the strip speed following as they do in a solve.
// Units: the output's exit-file unit per unit of the input, so dRolling_Force/dExit_thickness is in
// 9.81 N/mm per mm and dForward_Slip/dFriction_coefficient in percent per unit of friction.
// Each value is accurate to 1 % of itself, or, for a derivative so small that a 1 % change of the input
// moves the output by less than 0.01 %, to 1 % of that threshold; otherwise it is NaN and `issue` says why.
struct PassSensitivities {
    static constexpr double kKilonewtonsPerForceUnit = 9.81e-3; // kN/mm of width per 9.81 N/mm

    std::array<std::array<double, kPassInputs>, kPassOutputs> derivative{};
    std::array<std::array<DerivativeIssue, kPassInputs>, kPassOutputs> issue{};
    std::array<double, kPassInputs> step{}; // the finite-difference step of each input, in its unit
    // With a flow-stress law: by its factor (index 0) and by each parameter k (index 1 + k), per unit of
    // the parameter as the law states it; `lawInputs` of them are given (0 without a law).
    std::array<std::array<double, kLawInputs>, kPassOutputs> lawDerivative{};
    std::array<std::array<DerivativeIssue, kLawInputs>, kPassOutputs> lawIssue{};
    std::array<double, kLawInputs> lawStep{};
    int lawInputs = 0;

    double of(PassOutput output, PassInput input) const {
        return derivative[static_cast<int>(output)][static_cast<int>(input)];
    }
    DerivativeIssue issueOf(PassOutput output, PassInput input) const {
        return issue[static_cast<int>(output)][static_cast<int>(input)];
    }
    double ofFactor(PassOutput output) const { return lawDerivative[static_cast<int>(output)][0]; }
    double ofLawParameter(PassOutput output, int parameter) const {
        return lawDerivative[static_cast<int>(output)][1 + parameter];
    }
    // The plasticity coefficient of the strip, -dRolling_Force/dExit_thickness: the force a thinner gauge
    // costs, in 9.81 N/mm per mm (positive).
    double plasticity() const { return -of(PassOutput::Rolling_Force, PassInput::Exit_thickness); }
    // The same in kN/mm per mm of strip width.
    double plasticityKilonewtons() const { return plasticity() * kKilonewtonsPerForceUnit; }
    // The same in MN/mm for a strip of the given width (mm).
    double plasticityMeganewtons(double widthMillimetres) const {
        return plasticityKilonewtons() * widthMillimetres * 1e-3;
    }

    void clear(DerivativeIssue why) {
        for (auto& row : derivative) {
            row.fill(std::numeric_limits<double>::quiet_NaN());
        }
        for (auto& row : issue) {
            row.fill(why);
        }
        step.fill(0.0);
        for (auto& row : lawDerivative) {
            row.fill(std::numeric_limits<double>::quiet_NaN());
        }
        for (auto& row : lawIssue) {
            row.fill(why);
        }
        lawStep.fill(0.0);
    }
};

} // namespace rollbite

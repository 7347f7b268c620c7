#include "model/case/CaseComputation.h"

#include <algorithm>
#include <cstdio>

namespace rollbite {

namespace {

// A check label without the blanks the records put around it.
std::string trimmed(const char* label) {
    std::string text = label;
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// Each failed check with the value checked and what it must be: "Entry_tension 80 is not in [0, 50] MPa
// (code 105)".
void appendChecks(std::string& list, const std::vector<FieldCheck>& checks, const char* prefix) {
    for (const FieldCheck& check : checks) {
        // Ten digits: enough that a value just beyond a bound does not read as the bound itself.
        char value[32];
        std::snprintf(value, sizeof value, "%.10g", check.value);
        list += list.empty() ? "" : ", ";
        list += prefix + trimmed(check.label) + " " + value + " is not " + check.requirement;
        if (check.code != 0) {
            list += " (code " + std::to_string(check.code) + ")";
        }
    }
}

} // namespace

CaseComputation::CaseComputation(int rheologyKind, int mode) : modelHandler(rheologyKind), mode_(mode) {}

const CaseResult& CaseComputation::computeCase(const CaseInputs& inputs) {
    const Rolling& record = startRecord(inputs);
    setUpRheology(inputs);
    result.Case_id = record.Case_id;
    result.failedStep = FailedStep::None;
    result.reason.clear();
    if (!inputs.unreadable.empty()) {
        setErrorClass(INPUTS);
        result.reason = inputs.unreadable;
        resetOutputs();
    } else if (!modelHandler.checkCaseInputs(mode_)) {
        setErrorClass(INPUTS);
        result.reason = inputFailures(record);
        resetOutputs();
    } else if (solve() != 0) {
        setErrorClass(INTERNAL); // the outputs were reset inside solve
        result.reason = failureReason();
    } else if (checkOutputs()) {
        setErrorClass(VOID);
    } else {
        setErrorClass(OUTPUTS);
        resetOutputs();
    }
    return result;
}

void CaseComputation::setUpRheology(const CaseInputs& inputs) {
    switch (modelHandler.Rheology_kind) {
    case kConstantRheology:
        applyConstantRheology();
        break;
    case kSmatchRheology:
        modelHandler.setSmatchRheology(inputs.coefficients[0], inputs.coefficients[1], inputs.coefficients[2],
                                       inputs.coefficients[3]);
        break;
    case kWS18Rheology:
        readWS18Record(inputs);
        break;
    case kLawRheology:
        readLaw(inputs);
        break;
    default:
        break;
    }
}

LawConditions CaseComputation::lawConditions(const CaseInputs& inputs) {
    LawConditions conditions;
    conditions.strainIn = inputs.Strain_in;
    conditions.temperatureIn = inputs.TemperatureIn;
    conditions.temperatureOut = inputs.TemperatureOut;
    conditions.stripSpeed = inputs.Strip_speed;
    conditions.factor = inputs.Flow_stress_factor;
    conditions.extrapolate = inputs.extrapolate;
    return conditions;
}

void CaseComputation::readLaw(const CaseInputs& inputs) {
    LawParameters parameters{};
    std::copy_n(inputs.coefficients.begin(), kMaxLawParameters, parameters.begin());
    modelHandler.Law_rheology.reset(inputs.law, parameters, lawConditions(inputs));
}

void CaseComputation::setErrorClass(ErrorClass error) {
    result.errorCode = error;
}

void CaseComputation::resetOutputs() {
    result.Sigma_Ini = 0.0;
    result.Sigma_Out = 0.0;
    result.Sigma_Moy = 0.0;
    result.Sigma_Max = 0.0;
    result.Flow_stress_factor = 0.0;
}

void CaseComputation::addOutputFailure(const std::string& failure) {
    result.reason += result.reason.empty() ? failure : "; " + failure;
}

void CaseComputation::computeFlowStressStatistics() {
    const std::vector<double>& profile = modelHandler.currentRheology().Flow_stress_profile;
    if (profile.empty()) {
        return;
    }
    double sum = 0.0;
    double largest = profile.front();
    for (const double flowStress : profile) {
        sum += flowStress;
        if (flowStress > largest) {
            largest = flowStress;
        }
    }
    result.Sigma_Ini = profile.front();
    result.Sigma_Out = profile.back();
    result.Sigma_Moy = sum / static_cast<double>(profile.size());
    result.Sigma_Max = largest;
}

std::string CaseComputation::inputFailures(const Rolling& record) const {
    std::string list;
    appendChecks(list, record.Failed_checks, "");
    if (modelHandler.Rheology_kind == kWS18Rheology) {
        appendChecks(list, modelHandler.WS18_rheology.WS18_inputs.Failed_checks, "WS18 ");
    }
    if (modelHandler.Rheology_kind == kLawRheology && !modelHandler.Law_rheology.Failures.empty()) {
        list += (list.empty() ? "" : ", ") + modelHandler.Law_rheology.Failures;
    }
    return list;
}

std::string CaseComputation::describe(FailedStep step) {
    switch (step) {
    case FailedStep::BiteAngle:
        return "no bite angle: the roll cannot take the strip from its entry to its loaded exit thickness";
    case FailedStep::FlowStress:
        return "flow stress: the rheology gives no flow stress at a point of the bite";
    case FailedStep::EntryTension:
        return "end pressure: the entry tension leaves less than 1 MPa of roll pressure at the bite entry";
    case FailedStep::ExitTension:
        return "end pressure: the exit tension leaves less than 1 MPa of roll pressure at the bite exit";
    case FailedStep::EndPressure:
        return "end pressure: no roll pressure solves the slab equation at an end of the bite";
    case FailedStep::NegativePressure:
        return "negative roll pressure: the slab march fell below zero pressure inside the bite, where "
               "friction has no factor (the tensions pull the strip apart)";
    case FailedStep::NoCrossing:
        return "no neutral point: the pressure curves from the entry and from the exit do not cross";
    case FailedStep::RollFlattening:
        return "roll flattening: no flow stress at the exit plane";
    case FailedStep::NeutralFlowStress:
        return "force and slip corrections: no flow stress at the neutral point";
    case FailedStep::TrescaFriction:
        return "sticking friction: an end pressure of a bite that sticks all along is not positive";
    case FailedStep::VanishedStep:
        return "the Newton step vanished";
    case FailedStep::ZeroTarget:
        return "the measured force or the slip target is zero";
    default:
        return "the roll-bite integration failed";
    }
}

std::string CaseComputation::number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", value);
    return text;
}

} // namespace rollbite

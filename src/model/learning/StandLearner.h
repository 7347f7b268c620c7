#pragma once

#include "model/analysis/InverseAnalysis.h"
#include "rollbite/Kinds.h"
#include "rollbite/model/CaseResult.h"
#include "rollbite/model/CaseSolver.h"
#include "rollbite/model/MillLearner.h"

#include <map>
#include <string>

namespace rollbite {

// The learning of one stand: its short-term factor and friction, and its long-term factor per product
// class. Each coil is predicted from the state before it, then learnt from; the stand owns its solvers, so
// that stands learn on threads of their own.
class StandLearner {
public:
    StandLearner(std::string name, RheologyKind rheology, const LearnerSettings& settings);

    StandReplay replay(const StandPass& pass);

    LearnerState::Stand shortTermState() const;
    void setShortTerm(const LearnerState::Stand& state);
    const std::map<std::string, double>& longTerm() const { return longTerm_; }
    void setLongTerm(const std::string& productClass, double factor) { longTerm_[productClass] = factor; }
    const std::string& name() const { return name_; }

private:
    // What a measurement says: the factor, and the friction when the slip was measured and tells it.
    struct Measured {
        double factor;
        double friction;
    };

    // The setup's pass with its flow stress times `factor` and the friction `friction`.
    CaseInputs scaled(const CaseInputs& setup, double factor, double friction) const;
    // The pass's force in kN and torque in kN m over the width.
    static double forceOf(const CaseResult& row, double width);
    static double torqueOf(const CaseResult& row, double width);
    void predict(const StandPass& pass, StandReplay& said);
    // Screens the measurement and finds what it says; false when nothing can be learnt from it.
    bool measure(const StandPass& pass, StandReplay& said, Measured& measured);
    // The friction and factor of the inverse pair the force and slip give, when it is to be trusted.
    bool measureFriction(const StandPass& pass, StandReplay& said, Measured& measured);
    // The factor that gives the measured force at the friction (a secant step at the prediction's
    // friction, a proportional one at another).
    double factorForForce(const StandPass& pass, const StandReplay& said, double friction);
    // False when the measured force lies beyond the screen and the stand is not learning its way back.
    bool withinScreen(double departure, StandReplay& said);
    void learn(const StandPass& pass, const Measured& measured, StandReplay& said);

    std::string name_;
    RheologyKind rheology_;
    LearnerSettings settings_;
    double shortTerm_ = 1.0;
    double friction_; // NaN: the setup's
    std::string lastClass_;
    double freshShortTerm_ = 1.0;
    double freshFriction_; // NaN: the setup's
    int beyondScreen_ = 0;
    std::map<std::string, double> longTerm_;
    CaseSolver direct_;
    InverseAnalysis inverse_;
    CaseInputs frozenSetup_; // the last setup solved, and its result
    CaseResult frozen_;
    bool frozenKnown_ = false;
};

} // namespace rollbite

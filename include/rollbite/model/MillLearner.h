#pragma once

// Part of the public API: includes only the standard library and public headers, by paths relative to
// this file, so that it reads the same installed.
#include "../Kinds.h"
#include "CaseInputs.h"

#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace rollbite {

// How a mill's setup learns from what it measured (docs/learning.md). Two layers of a flow-stress factor
// k, a multiplier of the pass's flow stress: a long-term one per product class and stand, slow, and a
// short-term one per stand, coil to coil; the prediction uses their product. With the forward slip
// measured, the stand's friction is learnt besides, short-term. Every update is exponential smoothing
// with its gain, its step clamped, its value kept within a range.
struct LearnerSettings {
    double shortGain = 0.5;     // of the short-term factor, per coil
    double longGain = 0.15;     // of the long-term factor of a class and stand, per coil of the class
    double frictionGain = 0.3;  // of the short-term friction, per coil
    double shortStep = 0.05;    // largest change of the short-term factor per coil (a fraction of it)
    double longStep = 0.03;     // likewise of the long-term factor
    double frictionStep = 0.02; // largest change of the friction per coil
    double lowestFactor = 0.5;  // the range a factor is kept in
    double highestFactor = 2.0;
    double forceScreen = 20.0; // %: a measured force further from the prediction is not learnt from
    double slipScreen = 2.0;   // percentage points: a measured slip further from the prediction is not used
    // Measurements beyond the screen, one after another on the same side, that tell that the model is
    // off rather than the measurement: from the next one on they are learnt from again.
    int screenPatience = 3;
    double conditionLimit = 20.0; // an inverse pair less well conditioned adapts the factor only
    double freshGain = 0.5;       // of what a stand's first coil after a roll change says of new rolls

    // True when every gain lies in (0, 1], every step and the screens are positive, and the range holds 1.
    bool valid() const;
};

// One stand of a coil: the pass as the setup set it up, the coil's class, and what the mill measured.
struct StandPass {
    std::string stand;        // the stand's name: its short-term state
    std::string productClass; // the coil's product class: with the stand, its long-term factor
    // The direct pass as set up: thicknesses, tensions, work roll, the offset yield stress (the flow
    // stress, with Constant) and the friction the setup assumed, and the rheology's record.
    CaseInputs setup;
    double width = 0.0; // mm, for the force in kN
    static constexpr double kNotMeasured = std::numeric_limits<double>::quiet_NaN();
    double measuredForce = kNotMeasured;  // kN, total over the width
    double measuredSlip = kNotMeasured;   // percent; NaN: not measured
    double measuredTorque = kNotMeasured; // kN m, both work rolls; NaN: not measured
    bool rollChange = false;              // new work rolls in this stand before this coil
};

// What the learner made of one stand of a coil: its prediction from the state before the coil, the
// frozen setup's, and what it learnt from the measurement.
struct StandReplay {
    std::string stand;
    std::string productClass;
    ErrorClass error = VOID;      // of the predicted pass (the frozen one's when it alone fails)
    std::string reason;           // why a pass has no result
    double predictedForce = 0.0;  // kN
    double frozenForce = 0.0;     // kN: the setup as set, no learning
    double predictedSlip = 0.0;   // percent
    double predictedTorque = 0.0; // kN m
    double forceError = 0.0;      // %: predicted over measured, less one
    double frozenError = 0.0;     // %: likewise of the frozen prediction
    double factor = 1.0;          // the flow-stress factor the prediction used: long-term x short-term
    double longTerm = 1.0;
    double shortTerm = 1.0;
    double friction = 0.0;         // the friction the prediction used
    double measuredFactor = 0.0;   // what the measurement says; NaN when nothing was learnt
    double measuredFriction = 0.0; // NaN when the friction was not learnt
    std::string screened;          // why (part of) the measurement was not learnt from; empty when all was
    bool forceScreened = false;    // the measured force was not learnt from: none, or implausible
    bool firstOfClass = false;     // the stand's first coil of this class, or first after other classes
    bool rollChange = false;
};

// The state a learner carries from coil to coil: short-term per stand, long-term per class and stand.
struct LearnerState {
    struct Stand {
        std::string name;
        double shortTerm = 1.0;
        double friction = std::numeric_limits<double>::quiet_NaN(); // NaN: the setup's, until learnt
        std::string lastClass;                                      // of the stand's last coil
        // What a roll change starts the short-term state from: learnt on first coils of new rolls.
        double freshShortTerm = 1.0;
        double freshFriction = std::numeric_limits<double>::quiet_NaN();
        // Measurements beyond the screen in a row, + above the prediction, - below; at the patience the
        // stand learns from them again.
        int beyondScreen = 0;
    };
    std::vector<Stand> stands;                                      // in the order the log first names them
    std::map<std::pair<std::string, std::string>, double> longTerm; // (class, stand) -> factor
};

class StandLearner;

// Replays a mill's coils in rolling order: before each coil, every stand's prediction from the state
// learnt so far; then the coil's measurements update the state. A prediction never sees its own coil.
// The stands learn apart from each other, so a replay of many coils runs one stand per thread and gives
// the same results, to the last bit, on any number of threads. With Constant, Smatch and a flow-stress
// law (each scaled by the factor exactly: a law's Flow_stress_factor times it); WS18 is refused.
//
//     rollbite::MillLearner learner(rollbite::kSmatchRheology, settings);
//     for (const auto& coil : coils) {
//         const std::vector<rollbite::StandReplay>& said = learner.replay(coil);
//         ...
//     }
//     save(learner.state());
class MillLearner {
public:
    MillLearner(RheologyKind rheology, const LearnerSettings& settings);
    ~MillLearner();
    MillLearner(MillLearner&& other) noexcept;
    MillLearner& operator=(MillLearner&& other) noexcept;
    MillLearner(const MillLearner&) = delete;
    MillLearner& operator=(const MillLearner&) = delete;

    // False for a rheology without a factor (WS18) or settings that are not valid.
    static bool supports(RheologyKind rheology);

    // One coil: its stands, each at most once. The result stays valid until the next call.
    const std::vector<StandReplay>& replay(const std::vector<StandPass>& coil);
    // Many coils, on `threads` threads (one stand's coils on one thread): the results of replay, coil by
    // coil, in their order.
    std::vector<std::vector<StandReplay>> replayAll(const std::vector<std::vector<StandPass>>& coils,
                                                    int threads);

    LearnerState state() const;
    void setState(const LearnerState& state);

private:
    StandLearner& learnerOf(const std::string& stand);

    RheologyKind rheology_;
    LearnerSettings settings_;
    std::vector<std::unique_ptr<StandLearner>> stands_; // in the order first named
    std::vector<StandReplay> replayed_;
};

} // namespace rollbite

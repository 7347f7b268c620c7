#include "rollbite/model/MillLearner.h"

#include "model/learning/StandLearner.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace rollbite {

bool LearnerSettings::valid() const {
    const auto gain = [](double value) { return value > 0.0 && value <= 1.0; };
    const auto positive = [](double value) { return value > 0.0 && std::isfinite(value); };
    return gain(shortGain) && gain(longGain) && gain(frictionGain) && positive(shortStep) &&
           positive(longStep) && positive(frictionStep) && positive(forceScreen) && positive(slipScreen) &&
           positive(conditionLimit) && gain(freshGain) && screenPatience >= 1 && lowestFactor > 0.0 &&
           lowestFactor <= 1.0 && highestFactor >= 1.0 && std::isfinite(highestFactor);
}

MillLearner::MillLearner(RheologyKind rheology, const LearnerSettings& settings)
    : rheology_(rheology), settings_(settings) {}
MillLearner::~MillLearner() = default;
MillLearner::MillLearner(MillLearner&& other) noexcept = default;
MillLearner& MillLearner::operator=(MillLearner&& other) noexcept = default;

bool MillLearner::supports(RheologyKind rheology) {
    // A factor scales the Constant and Smatch laws and a flow-stress law exactly; WS18's flow stress has no
    // such factor.
    return rheology == kConstantRheology || rheology == kSmatchRheology || rheology == kLawRheology;
}

StandLearner& MillLearner::learnerOf(const std::string& stand) {
    for (const auto& learner : stands_) {
        if (learner->name() == stand) {
            return *learner;
        }
    }
    stands_.push_back(std::make_unique<StandLearner>(stand, rheology_, settings_));
    return *stands_.back();
}

const std::vector<StandReplay>& MillLearner::replay(const std::vector<StandPass>& coil) {
    replayed_.clear();
    for (const StandPass& pass : coil) {
        replayed_.push_back(learnerOf(pass.stand).replay(pass));
    }
    return replayed_;
}

std::vector<std::vector<StandReplay>> MillLearner::replayAll(const std::vector<std::vector<StandPass>>& coils,
                                                             int threads) {
    std::vector<std::vector<StandReplay>> replays(coils.size());
    for (std::size_t c = 0; c < coils.size(); ++c) {
        replays[c].resize(coils[c].size());
        for (const StandPass& pass : coils[c]) {
            learnerOf(pass.stand); // every stand's learner made here, in the order the coils name them
        }
    }
    if (stands_.empty()) {
        return replays;
    }
    // A stand learns from its own coils alone: each thread takes whole stands, in the coils' order.
    const std::size_t workers =
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), 1, stands_.size());
    const auto work = [&](std::size_t worker) {
        for (std::size_t s = worker; s < stands_.size(); s += workers) {
            StandLearner& learner = *stands_[s];
            for (std::size_t c = 0; c < coils.size(); ++c) {
                for (std::size_t k = 0; k < coils[c].size(); ++k) {
                    if (coils[c][k].stand == learner.name()) {
                        replays[c][k] = learner.replay(coils[c][k]);
                    }
                }
            }
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t worker = 1; worker < workers; ++worker) {
        helpers.emplace_back(work, worker);
    }
    work(0);
    for (std::thread& helper : helpers) {
        helper.join();
    }
    return replays;
}

LearnerState MillLearner::state() const {
    LearnerState state;
    for (const auto& learner : stands_) {
        state.stands.push_back(learner->shortTermState());
        for (const auto& [productClass, factor] : learner->longTerm()) {
            state.longTerm[{productClass, learner->name()}] = factor;
        }
    }
    return state;
}

void MillLearner::setState(const LearnerState& state) {
    stands_.clear();
    for (const LearnerState::Stand& stand : state.stands) {
        learnerOf(stand.name).setShortTerm(stand);
    }
    for (const auto& [key, factor] : state.longTerm) {
        learnerOf(key.second).setLongTerm(key.first, factor);
    }
}

} // namespace rollbite

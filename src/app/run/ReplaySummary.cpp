#include "app/run/ReplaySummary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace rollbite {

namespace {

constexpr double kPercentile = 0.95;
constexpr std::chrono::milliseconds kRedrawInterval{250};

std::string percent(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f %%", value);
    return text;
}

} // namespace

ReplaySummary::ReplaySummary(std::ostream& err, bool progress, std::size_t coils)
    : err_(err), progress_(progress), coils_(coils), drawn_(std::chrono::steady_clock::now()) {}

void ReplaySummary::add(const StandReplay& said) {
    if (said.error != VOID) {
        ++withoutResult_;
        return;
    }
    if (said.forceScreened) {
        ++beyondScreen_; // most likely a wrong measurement, or none: no error to count
        return;
    }
    if (!said.screened.empty()) {
        ++frictionsNotLearnt_;
    }
    if (!std::isfinite(said.forceError)) {
        return;
    }
    if (errors_.count(said.stand) == 0) {
        stands_.push_back(said.stand);
    }
    Errors& stand = errors_[said.stand];
    stand.frozen.push_back(std::abs(said.frozenError));
    stand.adapted.push_back(std::abs(said.forceError));
    all_.frozen.push_back(std::abs(said.frozenError));
    all_.adapted.push_back(std::abs(said.forceError));
    if (said.firstOfClass) {
        firstOfClass_.push_back(std::abs(said.forceError));
    }
}

void ReplaySummary::coilsDone(std::size_t coils) {
    const auto now = std::chrono::steady_clock::now();
    if (!progress_ || now - drawn_ < kRedrawInterval) {
        return;
    }
    drawn_ = now;
    std::string line = std::to_string(coils) + " of " + std::to_string(coils_) + " coils";
    const std::size_t width = line.size();
    line.resize(std::max(width, drawnWidth_), ' ');
    drawnWidth_ = width;
    err_ << '\r' << line << std::flush;
}

void ReplaySummary::clearProgress() {
    if (drawnWidth_ > 0) {
        err_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
        drawnWidth_ = 0;
    }
}

std::string ReplaySummary::meanAndPercentile(std::vector<double> magnitudes) {
    if (magnitudes.empty()) {
        return "-";
    }
    const double mean =
        std::accumulate(magnitudes.begin(), magnitudes.end(), 0.0) / static_cast<double>(magnitudes.size());
    const auto rank =
        static_cast<std::size_t>(std::ceil(kPercentile * static_cast<double>(magnitudes.size()))) - 1;
    std::nth_element(magnitudes.begin(), magnitudes.begin() + static_cast<std::ptrdiff_t>(rank),
                     magnitudes.end());
    return percent(mean) + " (" + percent(magnitudes[rank]) + ")";
}

void ReplaySummary::print() const {
    err_ << "rollbite: |force error|, mean (95th percentile), frozen setup -> adapted:\n";
    for (const std::string& stand : stands_) {
        const Errors& errors = errors_.at(stand);
        err_ << "rollbite:   " << stand << "  " << meanAndPercentile(errors.frozen) << " -> "
             << meanAndPercentile(errors.adapted) << "\n";
    }
    err_ << "rollbite:   all  " << meanAndPercentile(all_.frozen) << " -> " << meanAndPercentile(all_.adapted)
         << "\n";
    err_ << "rollbite: " << beyondScreen_
         << " measured forces left out (missing, outside the model's range or beyond the screen); "
         << frictionsNotLearnt_ << " frictions not learnt; " << firstOfClass_.size()
         << " first coils of a class, adapted " << meanAndPercentile(firstOfClass_) << "; " << withoutResult_
         << " stands without a result\n";
}

} // namespace rollbite

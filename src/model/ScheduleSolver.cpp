#include "rollbite/model/ScheduleSolver.h"

#include "model/StandChain.h"
#include "rollbite/model/SensitivitySolver.h"

#include <cmath>

namespace rollbite {

namespace {

constexpr double kFullReduction = 100.0; // %
constexpr double kMillimetre = 1e-3;     // m
constexpr double kSecondsPerHour = 3600.0;
constexpr double kKilogramsPerTonne = 1e3;

bool positive(double value) {
    return value > 0.0 && std::isfinite(value);
}

// An optional value: not given, or positive.
bool positiveIfGiven(double value) {
    return std::isnan(value) || positive(value);
}

bool reductionIfGiven(double value) {
    return std::isnan(value) || (value >= 0.0 && value < kFullReduction);
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

ScheduleSolver::ScheduleSolver() = default;
ScheduleSolver::~ScheduleSolver() = default;
ScheduleSolver::ScheduleSolver(ScheduleSolver&& other) noexcept = default;
ScheduleSolver& ScheduleSolver::operator=(ScheduleSolver&& other) noexcept = default;

SensitivitySolver& ScheduleSolver::sensitivitiesFor(RheologyKind rheology) {
    std::unique_ptr<SensitivitySolver>& solver = sensitivities_[static_cast<std::size_t>(rheology)];
    if (!solver) {
        solver = std::make_unique<SensitivitySolver>(kDirectMode, rheology);
    }
    return *solver;
}

void ScheduleSolver::addPlasticity(const StripInputs& strip) {
    SensitivitySolver& solver = sensitivitiesFor(strip.rheology);
    for (StandResult& stand : result_.stands) {
        solver.solve(stand.pass);
        stand.Plasticity = solver.sensitivities().plasticityMeganewtons(strip.Width);
    }
}

StandChain& ScheduleSolver::chainFor(RheologyKind rheology) {
    std::unique_ptr<StandChain>& chain = chains_[static_cast<std::size_t>(rheology)];
    if (!chain) {
        chain = std::make_unique<StandChain>(rheology);
    }
    return *chain;
}

std::string ScheduleSolver::standLabel(const std::vector<StandInputs>& stands, int index) {
    if (index < 0 || index >= static_cast<int>(stands.size())) {
        return "the strip";
    }
    const std::string& name = stands[static_cast<std::size_t>(index)].name;
    return "stand " + (name.empty() ? std::to_string(index + 1) : name);
}

std::string ScheduleSolver::messageOf(const std::vector<StandInputs>& stands,
                                      const std::vector<ScheduleFailure>& failures) {
    std::string message;
    for (const ScheduleFailure& failure : failures) {
        message += message.empty() ? "" : "; ";
        message += standLabel(stands, failure.stand) + ": ";
        if (failure.ofPass) {
            message += std::string("its pass is ") + errorClassName(failure.error) + ": ";
        }
        message += failure.reason;
    }
    return message;
}

std::vector<ScheduleFailure> ScheduleSolver::checkFields(const StripInputs& strip,
                                                         const std::vector<StandInputs>& stands) {
    std::vector<ScheduleFailure> failures;
    const auto require = [&failures](bool valid, int stand, const char* field, double value,
                                     const char* rule) {
        if (!valid) {
            failures.push_back({stand, INPUTS, std::string(field) + " " + number(value) + " " + rule});
        }
    };
    if (stands.empty()) {
        failures.push_back({-1, INPUTS, "a schedule needs at least one stand"});
    }
    if (strip.rheology != kConstantRheology && strip.rheology != kSmatchRheology &&
        strip.rheology != kWS18Rheology) {
        failures.push_back({-1, INPUTS,
                            "rheology " + std::to_string(static_cast<int>(strip.rheology)) +
                                " is none of Constant, Smatch and WS18"});
    }
    require(positive(strip.Width), -1, "Width", strip.Width, "must be positive (mm)");
    require(positive(strip.Exit_speed), -1, "Exit_speed", strip.Exit_speed, "must be positive (m/s)");
    require(positive(strip.Density), -1, "Density", strip.Density, "must be positive (kg/m3)");
    for (std::size_t k = 0; k < stands.size(); ++k) {
        const StandInputs& stand = stands[k];
        const int i = static_cast<int>(k);
        require(positiveIfGiven(stand.Force_limit), i, "Force_limit", stand.Force_limit,
                "must be positive (kN)");
        require(positiveIfGiven(stand.Torque_limit), i, "Torque_limit", stand.Torque_limit,
                "must be positive (kN m)");
        require(positiveIfGiven(stand.Power_limit), i, "Power_limit", stand.Power_limit,
                "must be positive (kW)");
        require(reductionIfGiven(stand.Min_reduction), i, "Min_reduction", stand.Min_reduction,
                "must lie from 0 to under 100 %");
        require(reductionIfGiven(stand.Max_reduction), i, "Max_reduction", stand.Max_reduction,
                "must lie from 0 to under 100 %");
        require(!(stand.Min_reduction >= stand.Max_reduction), i, "Min_reduction", stand.Min_reduction,
                "must be below Max_reduction");
        require(positiveIfGiven(stand.Force_ratio), i, "Force_ratio", stand.Force_ratio, "must be positive");
        require(positiveIfGiven(stand.Power_ratio), i, "Power_ratio", stand.Power_ratio, "must be positive");
    }
    return failures;
}

const ScheduleResult& ScheduleSolver::solve(const StripInputs& strip,
                                            const std::vector<StandInputs>& stands) {
    result_.stands.clear();
    result_.failures = checkFields(strip, stands);
    for (std::size_t k = 0; k < stands.size(); ++k) {
        if (!(stands[k].Exit_thickness > 0.0)) {
            result_.failures.push_back({static_cast<int>(k), INPUTS,
                                        "Exit_thickness is missing: a schedule that is not distributed needs "
                                        "every stand's"});
        }
    }
    result_.solves = 0;
    if (result_.ok()) {
        StandChain& chain = chainFor(strip.rheology);
        const long long solvesBefore = chain.solves();
        StandPlace place;
        place.entryThickness = strip.Entry_thickness;
        place.entryTension = strip.Entry_tension;
        place.finalThickness = stands.back().Exit_thickness;
        for (std::size_t k = 0; k < stands.size(); ++k) {
            place.index = static_cast<int>(k);
            const StandResult& stand = chain.solve(strip, stands[k], place);
            result_.stands.push_back(stand);
            if (stand.row.errorCode != VOID) {
                result_.failures.push_back({place.index, stand.row.errorCode, stand.row.reason, true});
            }
            place.entryThickness = stands[k].Exit_thickness;
            place.entryTension = stands[k].Exit_tension;
        }
        result_.solves = chain.solves() - solvesBefore;
        if (result_.ok()) {
            addPlasticity(strip);
        }
    }
    result_.message = messageOf(stands, result_.failures);
    addTotals(strip, stands.empty() ? 0.0 : stands.back().Exit_thickness);
    return result_;
}

void ScheduleSolver::addTotals(const StripInputs& strip, double finalThickness) {
    result_.Total_force = 0.0;
    result_.Total_power = 0.0;
    result_.Specific_energy = 0.0;
    result_.Mass_flow = 0.0;
    for (const StandResult& stand : result_.stands) {
        result_.Total_force += stand.Force;
        result_.Total_power += stand.Power;
        result_.Specific_energy += stand.Specific_energy;
    }
    result_.Mass_flow = strip.Density * strip.Width * kMillimetre * finalThickness * kMillimetre *
                        strip.Exit_speed * kSecondsPerHour / kKilogramsPerTonne;
}

} // namespace rollbite

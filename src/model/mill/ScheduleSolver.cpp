#include "rollbite/model/ScheduleSolver.h"

#include "model/mill/StandChain.h"
#include "rollbite/model/SensitivitySolver.h"

#include <cmath>

namespace rollbite {

namespace {

// The thermal chain's plausible data: a strip hot enough to be rolled hot, air and rolls as mills have them,
// heat-transfer coefficients up to those of the strongest water jets, a mill up to a kilometre between
// two stands (a coilbox, a roughing mill's delay table).
constexpr double kColdestHotStrip = 500.0;    // C
constexpr double kHottestStrip = 1300.0;      // C
constexpr double kColdestAir = -50.0;         // C
constexpr double kHottestAir = 100.0;         // C
constexpr double kHottestRoll = 500.0;        // C
constexpr double kLargestHtc = 1e6;           // W/(m2 K)
constexpr double kLongestInterstand = 1000.0; // m

constexpr double kFullReduction = 100.0; // %
constexpr double kFullLoad = 100.0;      // % of a limit
constexpr double kMillimetre = 1e-3;     // m
constexpr double kSecondsPerHour = 3600.0;
constexpr double kKilogramsPerTonne = 1e3;
// The strip a mill rolls: from narrow strip to the widest plate mills (mm), at a speed no mill exceeds
// (m/s), of a density between the lightest and the heaviest metals rolled (kg/m3).
constexpr double kNarrowestStrip = 100.0;
constexpr double kWidestStrip = 5000.0;
constexpr double kFastestStrip = 50.0;
constexpr double kLightestDensity = 1000.0;
constexpr double kHeaviestDensity = 25000.0;
// The entry thickness error for which a stand's gap correction is given (mm).
constexpr double kEntryThicknessError = 0.1;
constexpr double kKilonewtonsPerMeganewton = 1e3;

bool positive(double value) {
    return value > 0.0 && std::isfinite(value);
}

bool within(double value, double low, double high) {
    return low <= value && value <= high;
}

// An optional value: not given, or positive.
bool positiveIfGiven(double value) {
    return std::isnan(value) || positive(value);
}

bool reductionIfGiven(double value) {
    return std::isnan(value) || (value >= 0.0 && value < kFullReduction);
}

// Ten digits: enough that a value just beyond a bound does not read as the bound itself.
std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
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

void ScheduleSolver::addPlasticity(const StripInputs& strip, const std::vector<StandInputs>& stands) {
    SensitivitySolver& solver = sensitivitiesFor(strip.rheology);
    for (std::size_t k = 0; k < result_.stands.size(); ++k) {
        StandResult& stand = result_.stands[k];
        solver.solve(stand.pass);
        stand.sensitivities = solver.sensitivities();
        stand.Plasticity = stand.sensitivities.plasticityMeganewtons(strip.Width);
        // The strip enters thicker: the force rises by dF/dH dH, the mill stretches by that over its
        // modulus, and the gap must close as much to hold the exit thickness (kN/mm over kN/mm).
        const double entrySlope =
            stand.sensitivities.of(PassOutput::Rolling_Force, PassInput::Entry_thickness) *
            PassSensitivities::kKilonewtonsPerForceUnit * strip.Width; // kN/mm
        stand.Gap_correction = -entrySlope * kEntryThicknessError / stands[k].Mill_modulus;
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
        strip.rheology != kWS18Rheology && strip.rheology != kLawRheology) {
        failures.push_back({-1, INPUTS,
                            "rheology " + std::to_string(static_cast<int>(strip.rheology)) +
                                " is none of Constant, Smatch, WS18 and a law"});
    }
    if (strip.rheology == kLawRheology && strip.law == nullptr) {
        failures.push_back({-1, INPUTS, "a schedule with a flow-stress law needs its law"});
    }
    require(within(strip.Width, kNarrowestStrip, kWidestStrip), -1, "Width", strip.Width,
            "is not in [100, 5000] mm");
    require(strip.Exit_speed > 0.0 && strip.Exit_speed <= kFastestStrip, -1, "Exit_speed", strip.Exit_speed,
            "is not in (0, 50] m/s");
    require(within(strip.Density, kLightestDensity, kHeaviestDensity), -1, "Density", strip.Density,
            "is not in [1000, 25000] kg/m3");
    if (strip.thermal()) {
        // The thermal chain's data: a hot strip and heat transfer that cools it.
        require(within(strip.Entry_temperature, kColdestHotStrip, kHottestStrip), -1, "Entry_temperature",
                strip.Entry_temperature, "is not in [500, 1300] C");
        require(strip.Emissivity > 0.0 && strip.Emissivity <= 1.0, -1, "Emissivity", strip.Emissivity,
                "is not in (0, 1]");
        require(within(strip.Air_htc, 0.0, kLargestHtc), -1, "Air_htc", strip.Air_htc,
                "is not in [0, 1e6] W/(m2 K)");
        require(within(strip.Contact_htc, 0.0, kLargestHtc), -1, "Contact_htc", strip.Contact_htc,
                "is not in [0, 1e6] W/(m2 K)");
        require(within(strip.Ambient_temperature, kColdestAir, kHottestAir), -1, "Ambient_temperature",
                strip.Ambient_temperature, "is not in [-50, 100] C");
        require(within(strip.Roll_temperature, kColdestAir, kHottestRoll), -1, "Roll_temperature",
                strip.Roll_temperature, "is not in [-50, 500] C");
        require(within(strip.Deformation_efficiency, 0.0, 1.0), -1, "Deformation_efficiency",
                strip.Deformation_efficiency, "is not in [0, 1]");
    }
    for (std::size_t k = 0; k < stands.size(); ++k) {
        const StandInputs& stand = stands[k];
        const int i = static_cast<int>(k);
        require(positiveIfGiven(stand.Force_limit), i, "Force_limit", stand.Force_limit,
                "must be a positive number (kN)");
        require(positiveIfGiven(stand.Torque_limit), i, "Torque_limit", stand.Torque_limit,
                "must be a positive number (kN m)");
        require(positiveIfGiven(stand.Power_limit), i, "Power_limit", stand.Power_limit,
                "must be a positive number (kW)");
        require(positiveIfGiven(stand.Mill_modulus), i, "Mill_modulus", stand.Mill_modulus,
                "must be a positive number (kN/mm)");
        require(reductionIfGiven(stand.Min_reduction), i, "Min_reduction", stand.Min_reduction,
                "must lie from 0 to under 100 %");
        require(reductionIfGiven(stand.Max_reduction), i, "Max_reduction", stand.Max_reduction,
                "must lie from 0 to under 100 %");
        require(!(stand.Min_reduction >= stand.Max_reduction), i, "Min_reduction", stand.Min_reduction,
                "must be below Max_reduction");
        require(positiveIfGiven(stand.Force_ratio), i, "Force_ratio", stand.Force_ratio,
                "must be a positive number");
        require(positiveIfGiven(stand.Power_ratio), i, "Power_ratio", stand.Power_ratio,
                "must be a positive number");
        if (strip.thermal()) {
            // A temperature set by hand beside the chain: one a hot strip can have, or none.
            for (const auto& [name, value] : {std::pair{"TemperatureIn", stand.TemperatureIn},
                                              std::pair{"TemperatureOut", stand.TemperatureOut}}) {
                require(std::isnan(value) || within(value, kColdestAir, kHottestStrip), i, name, value,
                        "is not in [-50, 1300] C");
            }
            require(stand.Interstand_distance > 0.0 && stand.Interstand_distance <= kLongestInterstand, i,
                    "Interstand_distance", stand.Interstand_distance, "is not in (0, 1000] m");
            require(within(stand.Spray_htc, 0.0, kLargestHtc), i, "Spray_htc", stand.Spray_htc,
                    "is not in [0, 1e6] W/(m2 K)");
            require(within(stand.Spray_length, 0.0, stand.Interstand_distance), i, "Spray_length",
                    stand.Spray_length, "is not in [0, Interstand_distance] m");
        }
        for (std::size_t earlier = 0; earlier < k; ++earlier) {
            // Every message names a stand: two of one name would make them ambiguous.
            if (!stand.name.empty() && stands[earlier].name == stand.name) {
                failures.push_back({i, INPUTS,
                                    "stands " + std::to_string(earlier + 1) + " and " +
                                        std::to_string(k + 1) + " of the mill both have this name"});
            }
        }
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
        result_.thermal = strip.thermal();
        result_.temperaturePath.clear();
        if (result_.thermal) {
            place.entryTemperature = strip.Entry_temperature;
            place.path = &result_.temperaturePath;
            result_.temperaturePath.push_back({0.0, 0.0, strip.Entry_temperature});
        }
        for (std::size_t k = 0; k < stands.size(); ++k) {
            place.index = static_cast<int>(k);
            const StandResult& stand = chain.solve(strip, stands[k], place);
            result_.stands.push_back(stand);
            if (stand.row.errorCode != VOID) {
                result_.failures.push_back(
                    {place.index, stand.row.errorCode, passReason(strip, stand), true});
            }
            place.entryThickness = stands[k].Exit_thickness;
            place.entryTension = stands[k].Exit_tension;
            place.entryTemperature = chain.leavingTemperature();
            place.entryDistance = chain.leavingDistance();
            place.entryTime = chain.leavingTime();
        }
        result_.Exit_temperature = result_.thermal ? place.entryTemperature : StandResult::kNoThermalChain;
        result_.solves = chain.solves() - solvesBefore;
        if (result_.ok()) {
            addPlasticity(strip, stands);
        }
    }
    result_.message = messageOf(stands, result_.failures);
    addTotals(strip, stands.empty() ? 0.0 : stands.back().Exit_thickness);
    return result_;
}

std::string ScheduleSolver::passReason(const StripInputs& strip, const StandResult& stand) {
    // A WS18 pass's roll speed comes from the strip's Exit_speed by mass flow: its check is told in the
    // terms the user wrote, the record's field being no field of the schedule.
    const std::string speedCheck = "WS18 Strip_speed ";
    const std::string& reason = stand.row.reason;
    const std::size_t start = reason.find(speedCheck);
    if (strip.rheology != kWS18Rheology || start == std::string::npos) {
        return reason;
    }
    const std::string unit = " m/s"; // the check ends with its range's unit
    const std::size_t end = reason.find(unit, start);
    return reason.substr(0, start) + "the strip's Exit_speed " + number(strip.Exit_speed) +
           " m/s gives this stand a roll speed of " + number(stand.Roll_surface_speed) +
           " m/s by mass flow, more than WS18 takes (it takes 1.07 times the roll speed, up to 25 m/s)" +
           (end == std::string::npos ? std::string() : reason.substr(end + unit.size()));
}

std::array<LoadShare, 3> loadShares(const StandResult& stand) {
    return {{{stand.Force_share, "force", "Force_limit"},
             {stand.Torque_share, "torque", "Torque_limit"},
             {stand.Power_share, "power", "Power_limit"}}};
}

std::string overLimits(const StandResult& stand) {
    std::string over;
    for (const LoadShare& load : loadShares(stand)) {
        if (load.share > kFullLoad) {
            char share[32];
            std::snprintf(share, sizeof share, "%.1f", load.share);
            over +=
                (over.empty() ? "" : ", ") + std::string(load.load) + " " + share + " % of its " + load.limit;
        }
    }
    return over;
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

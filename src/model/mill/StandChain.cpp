#include "model/mill/StandChain.h"

#include "inputs/WS18Inputs.h"
#include "model/mill/ThermalChain.h"
#include "rollbite/Numerics.h"

#include <cmath>
#include <limits>

namespace rollbite {

namespace {

constexpr double kCircle = 2.0 * 3.141592653589793; // rad per turn, for the roll speed (not the model's pi)
constexpr double kSecondsPerMinute = 60.0;
constexpr double kSecondsPerHour = 3600.0;
constexpr double kMillimetre = 1e-3;       // m
constexpr double kKilo = 1e3;              // N per kN, kg per t
constexpr double kNewtonMillimetre = 1e-6; // kN m per N mm
constexpr double kPercent = 100.0;
// A WS18 stand's roll speed is iterated until the strip's exit speed, roll speed times (1 + forward
// slip), matches the mass flow to this fraction; the slip hardly depends on the speed, so few passes do.
constexpr double kSpeedTolerance = 1e-9;
constexpr int kMaxSpeedPasses = 8;
constexpr double kNoLimit = std::numeric_limits<double>::quiet_NaN(); // also: a value not given
// The thermal chain solves a stand again until the exit temperature its work gives moves by less than this.
constexpr double kTemperatureTolerance = 0.01; // C
constexpr int kMaxThermalPasses = 8;
constexpr double kJoulesPerKilogram = 3.6e6 / 1e3; // per kWh/t

// A stand's temperature not given (a cold mill's) is 0 in its pass, as a pass's fields start.
double orZero(double value) {
    return std::isnan(value) ? 0.0 : value;
}

double shareOf(double load, double limit) {
    return std::isnan(limit) ? kNoLimit : load / limit * kPercent;
}

} // namespace

StandChain::StandChain(RheologyKind rheology) : rheology_(rheology), solver_(kDirectMode, rheology) {}

double StandChain::equivalentStrain(double from, double to) {
    if (isZero(from - to)) {
        return 0.0;
    }
    return 2.0 / std::sqrt(3.0) * std::log(from / to);
}

void StandChain::buildPass(const StripInputs& strip, const StandInputs& stand, const StandPlace& place) {
    CaseInputs& pass = stand_.pass;
    pass = CaseInputs();
    pass.Case_id = place.index + 1;
    pass.Entry_thickness = place.entryThickness;
    pass.Exit_thickness = stand.Exit_thickness;
    pass.Entry_tension = place.entryTension;
    pass.Exit_tension = stand.Exit_tension;
    pass.Working_roll_diameter = stand.Working_roll_diameter;
    pass.Young_modulus_WR = stand.Young_modulus_WR;
    pass.Offset_yield_stress = stand.Offset_yield_stress;
    pass.Friction_coefficient = stand.Friction_coefficient;
    if (rheology_ == kSmatchRheology) {
        // The strip's law at (strain brought in + strain of the stand) is the law shifted to the strain
        // brought in, eps0: a + b (eps0 + eps) = (a + b eps0) + b eps, c exp(-d (eps0 + eps)) =
        // (c exp(-d eps0)) exp(-d eps).
        const double strainIn = equivalentStrain(strip.Entry_thickness, place.entryThickness);
        pass.coefficients[0] = strip.Coefficient_A + strip.Coefficient_B * strainIn;
        pass.coefficients[1] = strip.Coefficient_B;
        pass.coefficients[2] = strip.Coefficient_C * std::exp(-strip.Coefficient_D * strainIn);
        pass.coefficients[3] = strip.Coefficient_D;
    } else if (rheology_ == kLawRheology) {
        // The law takes the strain the strip brings in itself; its temperatures are the stand's.
        pass.law = strip.law;
        std::copy(strip.lawParameters.begin(), strip.lawParameters.end(), pass.coefficients.begin());
        pass.Strain_in =
            strip.law->carriesStrain() ? equivalentStrain(strip.Entry_thickness, place.entryThickness) : 0.0;
        pass.TemperatureIn = orZero(stand.TemperatureIn);
        pass.TemperatureOut = orZero(stand.TemperatureOut);
        pass.Flow_stress_factor = strip.Flow_stress_factor;
        pass.extrapolate = strip.extrapolate;
    } else if (rheology_ == kWS18Rheology) {
        std::copy(strip.chemistry.begin(), strip.chemistry.end(), pass.coefficients.begin());
        const double standValues[] = {orZero(stand.TemperatureIn),
                                      orZero(stand.TemperatureOut),
                                      0.0 /* speed */,
                                      stand.X_rec,
                                      stand.D_rec,
                                      stand.Rho_rec,
                                      stand.X_unrec,
                                      stand.D_unrec,
                                      stand.Rho_unrec};
        std::copy(std::begin(standValues), std::end(standValues),
                  pass.coefficients.begin() + kChemistryValues);
    }
}

void StandChain::solveAtSpeed(double exitSpeed, double slipGuess, bool settle) {
    // With WS18 the record's speed is the roll surface speed, from which the model finds the strip's exit
    // speed with its own forward slip: choose it so that this exit speed is the mass flow's.
    double rollSpeed = exitSpeed / (1.0 + slipGuess / kPercent);
    const bool coupled = speedCoupled();
    for (int pass = 0; pass < kMaxSpeedPasses; ++pass) {
        if (rheology_ == kWS18Rheology) {
            stand_.pass.coefficients[WS18Inputs::kStripSpeedPosition] = rollSpeed;
        } else if (rheology_ == kLawRheology) {
            stand_.pass.Strip_speed = rollSpeed; // as WS18's: the roll surface speed
        }
        stand_.row = solver_.solve(stand_.pass);
        ++solves_;
        if (!coupled || stand_.row.errorCode != VOID) {
            break;
        }
        const double next = exitSpeed / (1.0 + stand_.row.Forward_Slip / kPercent);
        if (!settle || std::abs(next - rollSpeed) <= kSpeedTolerance * rollSpeed) {
            break;
        }
        rollSpeed = next;
    }
}

void StandChain::fillLoads(const StripInputs& strip, const StandInputs& stand, double exitSpeed,
                           double entrySpeed) {
    const CaseResult& row = stand_.row;
    stand_.Reduction = (1.0 - stand_.pass.Exit_thickness / stand_.pass.Entry_thickness) * kPercent;
    stand_.Exit_speed = exitSpeed;
    stand_.Entry_speed = entrySpeed;
    stand_.Roll_surface_speed = rheology_ == kWS18Rheology
                                    ? stand_.pass.coefficients[WS18Inputs::kStripSpeedPosition]
                                : speedCoupled() ? stand_.pass.Strip_speed
                                                 : exitSpeed / (1.0 + row.Forward_Slip / kPercent);
    const double rollRadius = stand.Working_roll_diameter / 2.0 * kMillimetre; // m
    const double angularSpeed = stand_.Roll_surface_speed / rollRadius;        // rad/s
    stand_.Roll_speed = angularSpeed / kCircle * kSecondsPerMinute;
    stand_.Force = row.Rolling_Force * kForceUnit * strip.Width / kKilo;               // N/mm x mm -> kN
    stand_.Torque = row.Rolling_Torque * kForceUnit * strip.Width * kNewtonMillimetre; // N mm -> kN m
    stand_.Power = stand_.Torque * angularSpeed;                                       // kN m/s = kW
    const double massFlow = strip.Density * strip.Width * kMillimetre * stand_.pass.Exit_thickness *
                            kMillimetre * exitSpeed * kSecondsPerHour / kKilo; // t/h
    stand_.Specific_energy = stand_.Power / massFlow;                          // kWh/t
    stand_.Force_share = shareOf(stand_.Force, stand.Force_limit);
    stand_.Torque_share = shareOf(stand_.Torque, stand.Torque_limit);
    stand_.Power_share = shareOf(stand_.Power, stand.Power_limit);
    stand_.Mass_flow = massFlow;
    fillGeometry(strip, stand);
}

void StandChain::fillGeometry(const StripInputs& strip, const StandInputs& stand) {
    const CaseInputs& pass = stand_.pass;
    const CaseResult& row = stand_.row;
    // MPa x mm x mm = N
    stand_.Entry_tension_force = pass.Entry_tension * pass.Entry_thickness * strip.Width / kKilo;
    stand_.Exit_tension_force = pass.Exit_tension * pass.Exit_thickness * strip.Width / kKilo;
    // The bite's projected length is the flattened radius times the sine of the bite angle.
    stand_.Flattened_radius = row.Contact_Length / std::sin(row.Alpha_Max);
    const double meanSpeed = 0.5 * (stand_.Entry_speed + stand_.Exit_speed); // m/s
    const double timeInBite = row.Contact_Length * kMillimetre / meanSpeed;  // s
    stand_.Strain_rate = equivalentStrain(pass.Entry_thickness, pass.Exit_thickness) / timeInBite;
    const bool hot = strip.thermal() || rheology_ == kWS18Rheology ||
                     (rheology_ == kLawRheology && pass.law != nullptr && pass.law->readsTemperature());
    stand_.TemperatureIn = hot ? stand.TemperatureIn : kNoLimit;
    stand_.TemperatureOut = hot ? stand.TemperatureOut : kNoLimit;
    // The roll gap needs the force only: the gap correction comes with the pass's sensitivities.
    stand_.Roll_gap = pass.Exit_thickness - stand_.Force / stand.Mill_modulus;
    stand_.Gap_correction = kNoLimit;
}

bool StandChain::speedCoupled() const {
    return rheology_ == kWS18Rheology ||
           (rheology_ == kLawRheology && stand_.pass.law != nullptr && stand_.pass.law->readsStrainRate());
}

const StandResult& StandChain::solve(const StripInputs& strip, const StandInputs& stand,
                                     const StandPlace& place) {
    stand_.name = stand.name;
    stand_.Previous_temperature = StandResult::kNoThermalChain;
    stand_.Interstand_time = StandResult::kNoThermalChain;
    stand_.Bite_time = StandResult::kNoThermalChain;
    stand_.heat = {};
    stand_.temperatureChange = {};
    buildPass(strip, stand, place);
    // Mass flow at constant width: speed times thickness is the same in every stand.
    const double exitSpeed = strip.Exit_speed * (place.finalThickness / stand.Exit_thickness);
    const double entrySpeed = exitSpeed * stand.Exit_thickness / place.entryThickness;
    if (strip.thermal()) {
        solveHeated(strip, stand, place, exitSpeed, entrySpeed);
        return stand_;
    }
    solveAtSpeed(exitSpeed, place.slipGuess, place.settleSpeed);
    fillLoads(strip, stand, exitSpeed, entrySpeed);
    return stand_;
}

void StandChain::solveHeated(const StripInputs& strip, const StandInputs& stand, const StandPlace& place,
                             double exitSpeed, double entrySpeed) {
    const ThermalChain chain(strip);
    const ThermalChain::Stretch way =
        chain.interstand(place.entryTemperature, place.entryThickness, entrySpeed, stand, place.path,
                         place.entryDistance, place.entryTime);
    // Temperatures the user gave win.
    const bool givenIn = !std::isnan(stand.TemperatureIn);
    const bool givenOut = !std::isnan(stand.TemperatureOut);
    StandInputs heated = stand;
    heated.TemperatureIn = givenIn ? stand.TemperatureIn : way.exitTemperature;
    heated.TemperatureOut = givenOut ? stand.TemperatureOut : heated.TemperatureIn + place.biteRise;
    ThermalChain::Stretch bite;
    bite.exitTemperature = heated.TemperatureOut;
    for (int pass = 0; pass < kMaxThermalPasses; ++pass) {
        buildPass(strip, heated, place);
        solveAtSpeed(exitSpeed, place.slipGuess, place.settleSpeed);
        fillLoads(strip, heated, exitSpeed, entrySpeed);
        if (stand_.row.errorCode != VOID) {
            break;
        }
        const double biteTime = stand_.row.Contact_Length * kMillimetre / (0.5 * (entrySpeed + exitSpeed));
        bite = chain.bite(heated.TemperatureIn, stand_.pass.Entry_thickness, stand_.pass.Exit_thickness,
                          biteTime, stand_.Specific_energy * kJoulesPerKilogram);
        const double out = givenOut ? stand.TemperatureOut : bite.exitTemperature;
        const bool settled = std::abs(out - heated.TemperatureOut) <= kTemperatureTolerance;
        heated.TemperatureOut = out;
        if (settled) {
            break;
        }
    }
    stand_.Previous_temperature = place.entryTemperature;
    stand_.Interstand_time = way.time;
    stand_.Bite_time = bite.time;
    for (int cause = 0; cause < kHeatCauses; ++cause) {
        stand_.heat[cause] = way.heat[cause] + bite.heat[cause];
        stand_.temperatureChange[cause] = way.drop[cause] + bite.drop[cause];
    }
    leaving_ = {place.entryDistance + stand.Interstand_distance, place.entryTime + way.time + bite.time,
                givenOut ? stand.TemperatureOut : bite.exitTemperature};
    biteRise_ = heated.TemperatureOut - heated.TemperatureIn;
    if (place.path != nullptr) {
        place.path->push_back(leaving_);
    }
}

} // namespace rollbite

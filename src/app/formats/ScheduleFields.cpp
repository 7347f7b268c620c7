#include "app/formats/ScheduleFields.h"

#include <iterator>

namespace rollbite {

namespace {

constexpr unsigned kSmatch = 1u << kSmatchRheology;
constexpr unsigned kWS18 = 1u << kWS18Rheology;
constexpr unsigned kAll = ScheduleFields::kAll;
constexpr unsigned kOptional = 0;
constexpr const char* kPercentByWeight = "wt%";
constexpr const char* kHeatTransfer = "W/m2K";

constexpr StripField kStripFields[] = {
    {"Entry_thickness", "mm", &StripInputs::Entry_thickness, -1, kAll},
    {"Width", "mm", &StripInputs::Width, -1, kAll},
    {"Entry_tension", "MPa", &StripInputs::Entry_tension, -1, kAll},
    {"Exit_speed", "m/s", &StripInputs::Exit_speed, -1, kAll},
    {"Density", "kg/m3", &StripInputs::Density, -1, kOptional},
    {"Coefficient_A", "MPa", &StripInputs::Coefficient_A, -1, kSmatch},
    {"Coefficient_B", "MPa", &StripInputs::Coefficient_B, -1, kSmatch},
    {"Coefficient_C", "", &StripInputs::Coefficient_C, -1, kSmatch},
    {"Coefficient_D", "", &StripInputs::Coefficient_D, -1, kSmatch},
    {"C", kPercentByWeight, nullptr, 0, kWS18},
    {"Mn", kPercentByWeight, nullptr, 1, kWS18},
    {"Si", kPercentByWeight, nullptr, 2, kWS18},
    {"N", kPercentByWeight, nullptr, 3, kWS18},
    {"Nb", kPercentByWeight, nullptr, 4, kWS18},
    {"Ti", kPercentByWeight, nullptr, 5, kWS18},
    {"V", kPercentByWeight, nullptr, 6, kWS18},
    {"Al", kPercentByWeight, nullptr, 7, kWS18},
    {"P", kPercentByWeight, nullptr, 8, kWS18},
    {"Cr", kPercentByWeight, nullptr, 9, kWS18},
    {"Mo", kPercentByWeight, nullptr, 10, kWS18},
    {"Cu", kPercentByWeight, nullptr, 11, kWS18},
    {"Ni", kPercentByWeight, nullptr, 12, kWS18},
    {"B", kPercentByWeight, nullptr, 13, kWS18},
    {"Entry_temperature", "C", &StripInputs::Entry_temperature, -1, kOptional},
    {"Emissivity", "", &StripInputs::Emissivity, -1, kOptional},
    {"Air_htc", kHeatTransfer, &StripInputs::Air_htc, -1, kOptional},
    {"Ambient_temperature", "C", &StripInputs::Ambient_temperature, -1, kOptional},
    {"Contact_htc", kHeatTransfer, &StripInputs::Contact_htc, -1, kOptional},
    {"Roll_temperature", "C", &StripInputs::Roll_temperature, -1, kOptional},
    {"Deformation_efficiency", "", &StripInputs::Deformation_efficiency, -1, kOptional},
};

constexpr StandField kStandFields[] = {
    {"Working_roll_diameter", "mm", &StandInputs::Working_roll_diameter, kAll},
    {"Young_modulus_WR", "MPa", &StandInputs::Young_modulus_WR, kAll},
    {"Friction_coefficient", "", &StandInputs::Friction_coefficient, kAll},
    {"Exit_thickness", "mm", &StandInputs::Exit_thickness, kOptional},
    {"Exit_tension", "MPa", &StandInputs::Exit_tension, kAll},
    {"Offset_yield_stress", "MPa", &StandInputs::Offset_yield_stress, kAll},
    {"TemperatureIn", "C", &StandInputs::TemperatureIn, kWS18},
    {"TemperatureOut", "C", &StandInputs::TemperatureOut, kWS18},
    {"X_rec", "", &StandInputs::X_rec, kWS18},
    {"D_rec", "um", &StandInputs::D_rec, kWS18},
    {"Rho_rec", "1/m2", &StandInputs::Rho_rec, kWS18},
    {"X_unrec", "", &StandInputs::X_unrec, kWS18},
    {"D_unrec", "um", &StandInputs::D_unrec, kWS18},
    {"Rho_unrec", "1/m2", &StandInputs::Rho_unrec, kWS18},
    {"Force_limit", "kN", &StandInputs::Force_limit, kOptional},
    {"Torque_limit", "kN m", &StandInputs::Torque_limit, kOptional},
    {"Power_limit", "kW", &StandInputs::Power_limit, kOptional},
    {"Min_reduction", "%", &StandInputs::Min_reduction, kOptional},
    {"Max_reduction", "%", &StandInputs::Max_reduction, kOptional},
    {"Force_ratio", "", &StandInputs::Force_ratio, kOptional},
    {"Power_ratio", "", &StandInputs::Power_ratio, kOptional},
    {"Mill_modulus", "kN/mm", &StandInputs::Mill_modulus, kOptional},
    {"Interstand_distance", "m", &StandInputs::Interstand_distance, kOptional},
    {"Spray_htc", kHeatTransfer, &StandInputs::Spray_htc, kOptional},
    {"Spray_length", "m", &StandInputs::Spray_length, kOptional},
};

} // namespace

const StripField* ScheduleFields::stripBegin() {
    return std::begin(kStripFields);
}
const StripField* ScheduleFields::stripEnd() {
    return std::end(kStripFields);
}
const StandField* ScheduleFields::standBegin() {
    return std::begin(kStandFields);
}
const StandField* ScheduleFields::standEnd() {
    return std::end(kStandFields);
}

const StripField* ScheduleFields::stripField(const std::string& name) {
    for (const StripField& field : kStripFields) {
        if (name == field.name) {
            return &field;
        }
    }
    return nullptr;
}

const StandField* ScheduleFields::standField(const std::string& name) {
    for (const StandField& field : kStandFields) {
        if (name == field.name) {
            return &field;
        }
    }
    return nullptr;
}

double& ScheduleFields::valueOf(const StripField& field, StripInputs& strip) {
    if (field.member != nullptr) {
        return strip.*field.member;
    }
    return strip.chemistry[static_cast<std::size_t>(field.chemistry)];
}

} // namespace rollbite

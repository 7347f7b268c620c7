#pragma once

#include "inputs/Parameters.h"

#include <array>

namespace rollbite {

// Steel, temperature, speed and microstructure of one case for the WS18 model, in coefficient-file order.
// Contents in weight percent, temperatures in degrees Celsius, speed in m/s, grain sizes in micrometres,
// dislocation densities per square metre.
class WS18Inputs : public Parameters {
public:
    static constexpr const char* kListHead = "All wrong rheology inputs: ";
    static constexpr int kValueCount = 23;
    static constexpr int kStripSpeedPosition = 16; // zero-based place of Strip_speed in a record

    WS18Inputs();
    explicit WS18Inputs(const std::array<double, kValueCount>& values);
    ~WS18Inputs() override = default;

    bool checkInputs() override;
    // The values of a new case, in place.
    void assign(const std::array<double, kValueCount>& values);
    // The values in record order.
    std::array<double, kValueCount> values() const;

    double C;
    double Mn;
    double Si;
    double N;
    double Nb;
    double Ti;
    double V;
    double Al;
    double P;
    double Cr;
    double Mo;
    double Cu;
    double Ni;
    double B;
    double TemperatureIn;
    double TemperatureOut;
    double Strip_speed;
    double X_rec;
    double D_rec;
    double Rho_rec;
    double X_unrec;
    double D_unrec;
    double Rho_unrec;
};

} // namespace rollbite

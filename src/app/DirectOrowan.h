#pragma once

#include "app/Orowan.h"

namespace rollbite {

// Direct mode: from the rolling inputs, a friction coefficient and an offset yield stress, the rolling
// force, forward slip and torque of each case, with the neutral point and the sticking zone.
class DirectOrowan : public Orowan {
public:
    DirectOrowan(int rheologyKind, const Console& console);
    ~DirectOrowan() override = default;

    int readCaseLine() override;
    int applyConstantRheology() override;
    int readWS18Record() override;
    int run() override;
    int solve() override;
    void postProcess(int status) override;
    void resetOutputs() override;
    bool checkOutputs() override;
    std::string formatRow() const override;
    std::unique_ptr<Orowan> makeWorker() const override;
    void spareOperation1() override {}
    void spareOperation2(int /*value*/) override {}
    void onInputError() override {}
    int inputCheckCode() override;

    double U_Rolling_Force;     // force of the last roll bite, in units of 9.81 N/mm
    double Rolling_Force;       // corrected force, in units of 9.81 N/mm
    double U_Forward_Slip;      // percent
    double Forward_Slip;        // corrected forward slip, percent
    double Neutral_X;           // mm
    double Contact_Length;      // mm
    double Neutral_H;           // mm
    double angle_Tresca_Bw;     // rad
    double Neutral_Angle;       // rad
    double angle_Tresca_Fw;     // rad
    double Alpha_Max;           // rad
    double referenceStripSpeed; // m/s, the WS18 record's exit speed as read

private:
    void coupleSpeedAndSlip();
};

} // namespace rollbite

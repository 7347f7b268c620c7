#pragma once

#include "model/bite/BiteWork.h"
#include "model/bite/FrictionRows.h"
#include "rheology/Rheology.h"
#include "rollbite/Kinds.h"
#include "rollbite/Numerics.h"
#include "rollbite/model/BiteProfile.h"

#include <vector>

namespace rollbite {

// One roll bite by Orowan's slab analysis: lays 501 points over the arc of contact, integrates the slab
// equations from both ends with Coulomb friction turning into sticking, finds the neutral point and sums
// the roll pressure and friction shear into the rolling force and torque per unit width.
// Names ending in _Bw belong to the entry (backward-slip) side, _Fw to the exit (forward-slip) side.
class Models {
public:
    Models();
    virtual ~Models() = default;

    // One computation; the owner sets Exit_thickness and Roll_radius first. Thicknesses and the roll
    // diameter in mm, tensions and the offset yield stress in MPa. Returns Has_Failed (0 = success).
    int computeRollBite(Rheology& rheology, double entryThickness, double exitThickness, double entryTension,
                        double exitTension, double friction, double offsetYieldStress, double rollDiameter);

    void fillFrictionTables();
    // Orowan's factor w(s, phi) for the shear ratio s in [0, 1] and the angle phi (rad), interpolated
    // in s, then linearly in phi. Outside the table: Has_Failed = 1 and +infinity.
    double frictionFactor(double shearRatio, double angle);
    // The same, starting the row search from `rowHint` (a row, or -1 for none), which it then updates.
    double frictionFactor(double shearRatio, double angle, int& rowHint);
    // Sticking (s = 1) and ratios outside the table.
    double frictionFactorOffTable(double shearRatio, double angle);

    double Rolling_Force;  // N/mm of width
    double Rolling_Torque; // N mm/mm of width, one roll
    double Neutral_X;      // mm, negative on the entry side of the roll axis line
    double X_Tresca_Bw;
    double X_Tresca_Fw;
    double Neutral_H; // mm
    double angle_Tresca_Bw;
    double angle_Tresca_Fw;
    double Neutral_Angle;
    int Neutral_Index; // cell n (between points n - 1 and n) holding the neutral point
    double Contact_Length;
    double Alpha_Max; // bite angle, rad
    double Neutral_Load_Entry;
    double Neutral_Load_Exit;
    double Neutral_Shear_Entry;
    double Neutral_Shear_Exit;
    double Neutral_Force; // horizontal force per unit width at the neutral point, N/mm
    double Angle_Step;
    std::vector<double> Angles;       // rad, from the bite angle at 0 down to epsilon at 500
    std::vector<double> Thicknesses;  // mm
    std::vector<double> Shear_Yields; // MPa
    std::vector<double> Shear_Ratio_Table;
    std::vector<double> W0_Table;
    std::vector<double> W30_Table;
    // Per table row r up to 120: the slopes (W(r + 1) - W(r)) / (s(r + 1) - s(r)) of both columns.
    std::vector<double> W0_Slope;
    std::vector<double> W30_Slope;
    FrictionRows Friction_rows; // the table row of a shear ratio
    double Load_Integral;       // trapezoid sum in units of the angle step
    double Shear_Integral;      // trapezoid sum in units of the angle step
    double Exit_thickness;      // mm, loaded exit thickness set by the owner
    double Roll_radius;         // mm, set by the owner
    int Has_Failed;
    FailedStep Failed_step; // the first failure of the last computation, FailedStep::None after a success
    // When set, every computation records its arc of contact there (for inspection only).
    BiteProfile* profileRecord = nullptr;

private:
    BiteWork work_; // reused from computation to computation

    // Keeps the first failure of the computation; returns Has_Failed set to 1.
    int failWith(FailedStep step);
    void noteFailure(FailedStep step) {
        if (Failed_step == FailedStep::None) {
            Failed_step = step;
        }
    }

    bool setUpBite(Rheology& rheology, double entryThickness, double exitThickness, double entryTension,
                   double exitTension, double offsetYieldStress, BiteWork& work);
    void layAngles(double biteAngle);
    // The whole grid: sin, cos, tan and c(phi) of every angle, then the thicknesses.
    void layGrid(double entryThickness, BiteWork& work);
    // One point of the grid and its shear yield stress, for a pointwise rheology. False when the flow
    // stress fails (Has_Failed is then set).
    bool layPoint(Rheology& rheology, int i, double entryThickness, double offsetYieldStress, BiteWork& work);
    // The shear yield stress k = sigma / sqrt(3) of point i from the rheology; false when it fails.
    bool layShearYield(Rheology& rheology, int i, double offsetYieldStress);
    // Lays the inner points after the last one laid, up to `last`.
    bool layPointsUpTo(int last, Rheology& rheology, double offsetYieldStress, BiteWork& work);
    // After a failed pass: lays the points not laid yet. False when one of them fails, as the grid,
    // laid whole, would have done before the passes ran.
    bool layRestOfGrid(Rheology& rheology, double offsetYieldStress, BiteWork& work);
    void tabulateAngle(int i, BiteWork& work) const;
    // True when the kept angle table holds at point i what tabulating it would give (a debug check).
    bool angleTableHolds(int i, const BiteWork& work) const;
    double thicknessOfPoint(int i, double entryThickness, const BiteWork& work) const;
    bool sweepFlowStress(Rheology& rheology, double offsetYieldStress);

    double solveEndPressure(double angle, double force, double& pressure, double thickness, double friction);
    double endPressureResidual(double pressure, const EndCondition& end);
    bool integrateFromEntry(Rheology& rheology, double friction, double offsetYieldStress, BiteWork& work);
    void startEntryPass(double friction, BiteWork& work, PassFriction& pass);
    void entryStep(int i, double friction, BiteWork& work, PassFriction& pass);
    void entrySwitchToSticking(int j, Rheology& rheology, double friction, double offsetYieldStress,
                               BiteWork& work, PassFriction& pass);
    bool integrateFromExit(Rheology& rheology, double friction, double offsetYieldStress, BiteWork& work);
    void startExitPass(double friction, BiteWork& work, PassFriction& pass);
    void exitStep(int m, double friction, BiteWork& work, PassFriction& pass);
    void exitSwitchToSticking(int j, Rheology& rheology, double friction, double offsetYieldStress,
                              BiteWork& work, PassFriction& pass);
    bool findNeutralPoint(Rheology& rheology, double friction, double offsetYieldStress, BiteWork& work);
    void integrateLoads(const BiteWork& work);
    void addNeutralCellPieces(const BiteWork& work);
    void splitSwitchCell(int cell, double switchAngle, const SwitchPoint& switchPoint, const BiteWork& work);

    double thicknessAt(double angle) const;
    double thicknessFromCosine(double cosine) const;
    double shearRatio(double friction, double pressure, double shearYield) const;
    void zeroOutputs();
    void writeOutputs(double rollDiameter);
    void recordProfile(const Rheology& rheology, const BiteWork& work, double rollDiameter) const;
};

// Asked at every point of the slab march, where the ratio nearly always lies inside the table: defined
// here so that the march computes it without a call.
inline double Models::frictionFactor(double shearRatio, double angle, int& rowHint) {
    if (isZero(shearRatio - 1.0) || !(shearRatio >= 0.0 && shearRatio < 1.0)) {
        return frictionFactorOffTable(shearRatio, angle);
    }
    // The rows are spaced so that row i starts at 1 - (1/1.1)^i: the row follows without a search.
    // Along a slab pass the ratio moves little from point to point: the previous row is the guess.
    const int row =
        rowHint < 0 ? Friction_rows.rowOf(shearRatio) : Friction_rows.rowNear(shearRatio, rowHint);
    rowHint = row;
    const double aboveRow = shearRatio - Shear_Ratio_Table[row];
    const double factorAtZero = W0_Table[row] + W0_Slope[row] * aboveRow;
    const double factorAtPiOverSix = W30_Table[row] + W30_Slope[row] * aboveRow;
    // Not clamped: angles beyond pi/6 or below 0 extrapolate along the same line.
    return factorAtZero + (factorAtPiOverSix - factorAtZero) / kPiOverSix * angle;
}

} // namespace rollbite

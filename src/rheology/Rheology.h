#pragma once

#include <vector>

namespace rollbite {

// Flow-stress interface: how hard the strip is at each point of the 501-point bite grid.
// Every flow-stress call adds the case's offset yield stress to what the model computes. A failed call
// sets Has_Failed and returns the placeholder 1.0, which the caller must discard.
class Rheology {
public:
    Rheology();
    virtual ~Rheology() = default;

    // Flow stress (MPa) at a position inside the grid cell that ends at `index`; writes no profile of
    // this base class.
    virtual double flowStressAt(int index, double angle, double thickness, double offsetYieldStress) = 0;
    // Flow stress (MPa) at grid point `index`; keeps it in Flow_stress_profile.
    virtual double flowStress(int index, double offsetYieldStress) = 0;
    virtual double equivalentStrain(double thickness) = 0;
    // Clears Has_Failed, stores the 501 thicknesses (mm) and prepares what the model derives from them.
    virtual void setThicknessProfile(const std::vector<double>& profile) = 0;
    virtual void storeThicknessProfile(const std::vector<double>& profile) = 0;
    // True when the flow stress at a grid point depends on that point's thickness alone, not on the
    // points before it: the grid can then be laid point by point, each just before it is needed.
    virtual bool isPointwise() const { return false; }
    // For a pointwise rheology: stores the thickness (mm) of one grid point, as setThicknessProfile does
    // for all of them.
    void setThicknessAt(int index, double thickness);
    virtual void spareOperation() = 0;
    // Back to the state of a model just built, in place: no memory is taken again for the next case.
    void resetState();

    double Entry_thickness;                  // mm, reference of the equivalent strain
    std::vector<double> Thickness_profile;   // mm
    std::vector<double> Strain_profile;      // equivalent strain
    std::vector<double> Flow_stress_profile; // MPa
    std::vector<double> Angle_profile;       // rad, written by the roll-bite integration
    std::vector<double> Tangent_profile;     // tan of each angle, tabulated once by the integration
    int Has_Failed;

    // The grid angles (rad) and their tangents, from the entry point to the exit point.
    template <class Angles, class Tangents>
    void setAngleProfile(const Angles& angles, const Tangents& tangents) {
        Angle_profile.assign(angles.begin(), angles.end());
        Tangent_profile.assign(tangents.begin(), tangents.end());
    }

protected:
    // Plane-strain logarithmic equivalent strain from Entry_thickness down to `thickness`.
    double logarithmicStrain(double thickness) const;
    // Copies the profile into Thickness_profile without reallocating.
    void copyThicknessProfile(const std::vector<double>& profile);
    // True when `index` is a grid point (0 to 500).
    static bool onGrid(int index);
};

} // namespace rollbite

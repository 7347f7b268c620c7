// Direct solve: the flattened roll radius depends on the force and the force on the radius, so both are
// iterated to a fixed point; then the forward slip at the neutral point and the corrected outputs.
#include "model/case/ModelHandler.h"

#include <cmath>

namespace rollbite {

namespace {

constexpr double kForceTolerance = 0.001; // N/mm
constexpr int kMaxForceIterations = 20;

} // namespace

int ModelHandler::solveDirect(double& force, double& slip) {
    Failed_step = FailedStep::None;
    int status = flattenRoll(0.0);
    int notConverged = 0;
    if (status == 0) {
        status = integrateDirect();
    }
    if (status == 0) {
        double rollingForce = Bite_model.Rolling_Force;
        double previousForce = 0.0;
        int iterations = 0;
        while (std::abs(rollingForce - previousForce) > kForceTolerance && iterations < kMaxForceIterations &&
               status == 0) {
            status = flattenRoll(rollingForce);
            previousForce = rollingForce;
            if (status == 0) {
                status = integrateDirect();
                rollingForce = Bite_model.Rolling_Force;
            }
            ++iterations;
        }
        notConverged = iterations >= kMaxForceIterations ? 1 : 0;
        computeForwardSlip(Direct_inputs.Young_modulus_WR, Direct_inputs.Exit_tension);
        if (status == 0) {
            status = correctForceAndSlip(Direct_inputs, Direct_inputs.Offset_yield_stress, force, slip);
        }
    }
    Solve_failed = status != 0 ? 1 : 0;
    Step_status = status;
    return notConverged;
}

} // namespace rollbite

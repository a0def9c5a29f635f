#include "motion/AccelController.h"

namespace nocturo {

void AccelController::accelerometerDidAccelerate(double x, double y, double z) {
    accelerometer[0] = x * 0.25 + 0.75 * accelerometer[0];
    accelerometer[1] = y * 0.15 + 0.85 * accelerometer[1];
    accelerometer[2] = z * 0.15 + 0.85 * accelerometer[2];
    if (mainAppDeligate)
        mainAppDeligate->accelXYZ(static_cast<float>(accelerometer[0]),
                                  static_cast<float>(accelerometer[1]),
                                  static_cast<float>(accelerometer[2]));
}

} // namespace nocturo

#pragma once

#include "platform/Object.h"

namespace nocturo {

// Receives the smoothed acceleration.
class AccelerationReceiver {
public:
    virtual ~AccelerationReceiver() = default;
    virtual void accelXYZ(float x, float y, float z) = 0;
};

// A first-order low-pass filter over accelerometer samples, in multiples of the earth's
// gravity. Nothing connects it to a sensor; it filters what it is handed.
class AccelController : public Object {
public:
    const char* className() const override { return "AccelController"; }

    // The sensor's rate, 52 samples a second.
    static constexpr double updateInterval = 1.0 / 52.0;

    // One sample: x weighs the new value by 0.25, y and z by 0.15; then the three filtered
    // values go to the receiver as single-precision floats.
    void accelerometerDidAccelerate(double x, double y, double z);
    float getAccelerometerZ() const { return static_cast<float>(accelerometer[2]); }

    double accelerometer[3] = {0.0, 0.0, 0.0};
    AccelerationReceiver* mainAppDeligate = nullptr;
    const void* textViewAccel = nullptr;
};

} // namespace nocturo

// The animation clock of the redraw: elapsed milliseconds of a monotonic 32-bit tick counter,
// one frame-step unit per 25 ms.
#pragma once

#include <chrono>
#include <cstdint>

namespace vertigon {

// Milliseconds of a monotonic clock, kept to 32 bits (wraps after about 49.7 days).
uint32_t MonotonicMilliseconds();

// When this process was started (its exec, before the dynamic loader ran), on the steady
// clock, to the kernel's tick (10 ms); now when the kernel does not say.
std::chrono::steady_clock::time_point ProcessStartTime();
// Milliseconds of processor time (user and system) this process has used.
double ProcessorMilliseconds();

class FrameClock {
public:
    explicit FrameClock(uint32_t start) : last_(start) {}

    // The frame step for a paint at tick `now`: the unsigned 32-bit difference from the previous
    // paint (true across a wrap of the counter) over 25, in double precision.
    static float StepBetween(uint32_t last, uint32_t now) {
        const uint32_t elapsed = now - last;
        return static_cast<float>(static_cast<double>(elapsed) / 25.0);
    }
    float Step(uint32_t now) const { return StepBetween(last_, now); }
    // After the paint: the next one counts from here.
    void Mark(uint32_t now) { last_ = now; }

private:
    uint32_t last_;
};

}  // namespace vertigon

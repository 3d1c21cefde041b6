#include "ee/float_mode.h"

#if VERTIGON_HOST_FLOAT_MODE
namespace vertigon {
namespace {

// MXCSR: round toward zero (bits 13-14), flush to zero (15), denormals are zero (6), every
// exception masked (7-12).
constexpr uint32_t kR5900Control = 0x6000 | 0x8000 | 0x0040 | 0x1F80;

}  // namespace

R5900FloatMode::R5900FloatMode(EeState& state)
    : state_(state), previous_(state.hostFloatMode), callerControl_(_mm_getcsr()) {
    _mm_setcsr(kR5900Control);
    state_.hostFloatMode = true;
}

R5900FloatMode::~R5900FloatMode() {
    state_.hostFloatMode = previous_;
    // Keep the exception flags the caller had; drop those the emulated code raised.
    _mm_setcsr(callerControl_);
}

}  // namespace vertigon
#endif

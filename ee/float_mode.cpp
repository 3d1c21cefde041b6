#include "ee/float_mode.h"

namespace vertigon {
namespace {

#if VERTIGON_HOST_FLOAT_MODE
// MXCSR: round toward zero (bits 13-14), flush to zero (15), denormals are zero (6), every
// exception masked (7-12).
constexpr uint32_t kR5900Control = 0x6000 | 0x8000 | 0x0040 | 0x1F80;
#endif

}  // namespace

R5900FloatMode::R5900FloatMode(EeState& state) : state_(state), previous_(state.hostFloatMode), callerControl_(0) {
#if VERTIGON_HOST_FLOAT_MODE
    callerControl_ = _mm_getcsr();
    _mm_setcsr(kR5900Control);
    state_.callerFloatControl = callerControl_;
    state_.hostFloatMode = true;
#endif
}

R5900FloatMode::~R5900FloatMode() {
#if VERTIGON_HOST_FLOAT_MODE
    state_.hostFloatMode = previous_;
    // Keep the exception flags the caller had; drop those the emulated code raised.
    _mm_setcsr(callerControl_);
#endif
}

CallerFloatMode::CallerFloatMode(const EeState& state) : active_(state.hostFloatMode) {
#if VERTIGON_HOST_FLOAT_MODE
    if (!active_) return;
    r5900Control_ = _mm_getcsr();
    _mm_setcsr(state.callerFloatControl);
#endif
}

CallerFloatMode::~CallerFloatMode() {
#if VERTIGON_HOST_FLOAT_MODE
    if (active_) _mm_setcsr(r5900Control_);
#endif
}

}  // namespace vertigon

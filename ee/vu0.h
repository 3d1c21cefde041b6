// COP2: vector unit 0 in macro mode (instructions issued by the EE) and the small micro-mode
// interpreter VCALLMS starts.
#pragma once

#include <cstdint>

#include "ee/state.h"

namespace vertigon {

// A micro program that has not reached its end flag after this many pairs is a fault.
constexpr uint32_t kMaxVu0MicroPairs = 1u << 20;

void ExecuteCop2(EeState& state, uint32_t op);

// Runs the micro program at byte address `start` of the micro memory until the pair after the
// one carrying the E bit has run.
void Vu0MicroRun(EeState& state, uint32_t start);
// Executes one instruction pair: lower, then upper.
void Vu0MicroStep(EeState& state);

}  // namespace vertigon

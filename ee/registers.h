// Register numbers the emulator itself names: the o32 argument and return registers the hooks,
// SYSCALL and the run harness use, the COP0 registers with a meaning here, and VU0's Q.
#pragma once

#include <cstdint>

namespace vertigon {

namespace gpr {
inline constexpr uint32_t kV0 = 2;  // SYSCALL result
inline constexpr uint32_t kV1 = 3;  // SYSCALL number
inline constexpr uint32_t kA0 = 4;
inline constexpr uint32_t kA1 = 5;
inline constexpr uint32_t kA2 = 6;
inline constexpr uint32_t kSp = 29;
inline constexpr uint32_t kRa = 31;
}  // namespace gpr

namespace fpr {
inline constexpr uint32_t kResult = 0;     // f0: a float result
inline constexpr uint32_t kArgument = 12;  // f12: the first float argument
}  // namespace fpr

namespace cop0 {
inline constexpr uint32_t kCount = 9;
inline constexpr uint32_t kStatus = 12;
inline constexpr uint32_t kCause = 13;
inline constexpr uint32_t kEpc = 14;
inline constexpr uint64_t kStatusEie = 1u << 16;    // interrupts enabled
inline constexpr uint64_t kCauseSyscall = 8 << 2;   // ExcCode 8 in bits 2-6
}  // namespace cop0

// The VU0 control register that reads as Q.
inline constexpr uint32_t kVu0ControlQ = 22;

}  // namespace vertigon

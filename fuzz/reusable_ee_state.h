// One emulated machine for a whole fuzzing process. A new EeState per input maps 32 MiB of main
// memory and has the sanitizer poison it on release, some milliseconds each; resetting this one
// costs microseconds: the registers are set as a new state has them and main memory is handed
// back to the kernel, which reads it as zeros again.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "ee/state.h"

namespace vertigon::fuzzing {

// Zeroes [base, base + size): whole pages through the kernel, the ragged ends by hand.
inline void ZeroBlock(uint8_t* base, size_t size) {
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<uintptr_t>(base);
    const uintptr_t first = (start + page - 1) & ~(page - 1);
    const uintptr_t last = (start + size) & ~(page - 1);
    if (last <= first || madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED) != 0) {
        std::memset(base, 0, size);
        return;
    }
    std::memset(base, 0, first - start);
    std::memset(reinterpret_cast<void*>(last), 0, start + size - last);
}

// Every register, flag and table as EeState() leaves them, memory zero; the output sink kept.
// A field EeState gains must be reset here too, or one input's run could leak into the next.
inline void ResetEeState(EeState& s) {
    s.sa = 0;
    s.hi = {};
    s.lo = {};
    s.cop0 = {};
    s.gpr = {};
    s.fpr = {};
    s.pc = 0;
    s.nextPc = 4;
    s.delaySlot = DelaySlot::None;
    s.link = {};
    s.breakPending = false;
    s.breakCode = 0;
    s.q = 0;
    s.vu0BranchTarget = 0;
    s.macFlags = 0;
    s.acc = {};
    s.vf = {};
    s.vu0MicroPc = 0;
    s.vi = {};
    s.vu0MicroMemory = {};
    s.vu0DataMemory = {};
    s.fpuCondition = 0;
    s.cycleCounter = 0;
    s.hwRegisters = {};
    s.vu0Control = {};
    ZeroBlock(s.mainBase, kMainMemorySize + kBlockSlack);
    std::memset(s.scratchBase, 0, kScratchpadSize + kBlockSlack);
}

}  // namespace vertigon::fuzzing

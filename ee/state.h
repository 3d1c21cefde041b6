// The record of the emulated EE (MIPS R5900): registers of the CPU and its coprocessors, the
// emulated memory blocks and the hardware-register backing words. What the host does with the
// CPU (where a run starts and stops, how long it may take, which routines run as host code)
// belongs to whoever runs it (ee/run_loop.h, ee/harness.h).
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "ee/output.h"

namespace vertigon {

constexpr uint32_t kMainMemorySize = 0x2000000;  // 32 MiB
constexpr uint32_t kScratchpadSize = 0x4000;     // 16 KiB
constexpr uint32_t kScratchpadStart = 0x70000000;  // its emulated address
// Bytes allocated past the end of each block: an access may start at a block's last byte and
// run up to 15 bytes on (unaligned words, quadwords), which must stay inside the host block.
constexpr uint32_t kBlockSlack = 16;
constexpr uint32_t kVu0MemorySize = 0x1000;  // 4 KiB each for micro code and data

// A 128-bit register. Scalar instructions use `lower`; quadword and MMI instructions both.
struct Reg128 {
    uint64_t upper = 0;
    uint64_t lower = 0;

    // 32-bit lane i, lane 0 being bits 0-31.
    uint32_t Word(int i) const {
        const uint64_t half = i < 2 ? lower : upper;
        return static_cast<uint32_t>(half >> (32 * (i & 1)));
    }
    void SetWord(int i, uint32_t value) {
        uint64_t& half = i < 2 ? lower : upper;
        const int shift = 32 * (i & 1);
        half = (half & ~(0xFFFFFFFFull << shift)) | (static_cast<uint64_t>(value) << shift);
    }
    bool operator==(const Reg128&) const = default;
};

// A VU0 vector register or the accumulator: x, y, z, w.
struct alignas(16) VuVector {
    float c[4] = {0, 0, 0, 0};
};

// Backing store of the hardware-register window (type 0), indexed by offset / 16, and the two
// blocks that quadword writes to offsets 0x4000 and 0x5000 fill.
struct HwRegisters {
    std::array<uint32_t, 0x1000> words{};
    std::array<uint8_t, 16> quad4000{};
    std::array<uint8_t, 16> quad5000{};
};

// Where the instruction at PC stands among branch delay slots.
enum class DelaySlot : uint8_t {
    None,     // an ordinary instruction: the one after it follows
    Next,     // a taken branch's delay slot: afterwards execution goes on at nextPc
    Running,  // that delay slot is executing now
};

// The link a jump-and-link writes once its delay slot has run (register 0: none, since writes
// to r0 are discarded anyway).
struct PendingLink {
    uint32_t reg = 0;
    uint32_t address = 0;
};

// State of a running VU0 micro program.
struct Vu0MicroControl {
    uint32_t delayState = 0;  // 0 none, 1 branch just decoded, 2 its delay pair executed
    bool endPending = false;  // the previous pair carried the E bit
    bool stop = false;
};

struct FreeDeleter {
    void operator()(uint8_t* p) const { std::free(p); }
};
using HostBlock = std::unique_ptr<uint8_t, FreeDeleter>;

class EeState {
public:
    // Every register zero, fresh zero-filled memory blocks, no hooks; messages go to `output`
    // (which must outlive the state), or to standard output.
    explicit EeState(EeOutputSink& output);
    EeState();
    EeState(const EeState&) = delete;
    EeState& operator=(const EeState&) = delete;

    // Replaces both memory blocks with fresh zero-filled ones.
    void ResetMemory();

    // An instruction moving PC itself (not through a delay slot): execution goes on at `address`.
    void ContinueAt(uint32_t address) {
        pc = address;
        nextPc = address + 4;
    }

    uint32_t sa = 0;
    Reg128 hi;  // upper half is HI1
    Reg128 lo;  // upper half is LO1
    std::array<uint64_t, 32> cop0{};
    std::array<Reg128, 32> gpr{};
    Reg128 discard;  // what instructions write to r0 (see Destination in ee/operands.h)
    std::array<float, 32> fpr{};

    uint8_t* scratchBase = nullptr;
    uint8_t* mainBase = nullptr;
    // The instruction the next step executes and the one after it: pc + 4, or, while pc is a
    // taken branch's delay slot, the branch's target. Setting pc alone (outside a delay slot)
    // starts there; StartAt (ee/interpreter.h) also forgets a pending branch.
    uint32_t pc = 0;
    uint32_t nextPc = 4;
    DelaySlot delaySlot = DelaySlot::None;
    PendingLink link;
    // A BREAK executed and not yet answered: its code field. PC already holds GPR[31], the
    // return a hooked routine makes (ee/native_hook_table.h).
    bool breakPending = false;
    uint32_t breakCode = 0;

    float q = 0;
    uint32_t vu0BranchTarget = 0;
    uint16_t macFlags = 0;
    VuVector acc;
    std::array<VuVector, 32> vf{};
    uint32_t vu0MicroPc = 0;
    std::array<uint32_t, 32> vi{};
    alignas(16) std::array<uint8_t, kVu0MemorySize> vu0MicroMemory{};
    alignas(16) std::array<uint8_t, kVu0MemorySize> vu0DataMemory{};

    uint8_t fpuCondition = 0;
    uint64_t cycleCounter = 0;  // what COP0 Count reads; advanced by run loops that count cycles
    HwRegisters hwRegisters;
    Vu0MicroControl vu0Control;

    // The two ways the instructions reach the host: where the console's characters and the
    // system-call messages go (see ee/output.h; may be pointed elsewhere at any time), and
    // whether a R5900FloatMode holds the host's fast-path rounding (ee/float_mode.h).
    EeOutputSink* output;
    bool hostFloatMode = false;

private:
    FileOutputSink standardOutput_{stdout};
    HostBlock mainBlock_;
    HostBlock scratchBlock_;
};

inline uint64_t SignExtend32(uint32_t value) {
    return static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(value)));
}

}  // namespace vertigon

// VU0 micro mode: instruction pairs from the micro memory, lower instruction first. Every
// component an upper instruction writes updates MacFlags.
#include <cstring>

#include "ee/fault.h"
#include "ee/vu0.h"
#include "ee/vu0_ops.h"

namespace vertigon {
namespace {

using namespace vu0;

constexpr uint32_t kEndBit = 1u << 30;
constexpr int32_t kDataQuadwords = kVu0MemorySize / 16;

void ResetConstantRegisters(EeState& s) {
    s.vf[0] = VuVector{{0.0f, 0.0f, 0.0f, 1.0f}};
    s.vi[0] = 0;
}

void DelayedBranch(EeState& s, uint32_t target) {
    s.vu0BranchTarget = target;
    s.vu0Control.delayState = 1;
}

// --- upper ---------------------------------------------------------------------------------

void StoreFd(EeState& s, uint32_t op, const VuVector& value) { StoreMasked(s, s.vf[Fd(op)], value, op, true); }
void StoreAcc(EeState& s, uint32_t op, const VuVector& value) { StoreMasked(s, s.acc, value, op, true); }

void ExecuteUpperSpecial(EeState& s, uint32_t op) {
    switch (SpecialIndex(op)) {
        case 0x08:
        case 0x09: StoreAcc(s, op, MaddBc(s, op)); return;  // MADDAx, MADDAy
        case 0x18:
        case 0x1B: StoreAcc(s, op, MulBc(s, op)); return;   // MULAx, MULAw
        case 0x2F: return;                                  // NOP
        default: ThrowEeFault("Unknown vu0 upper special code %X\n", SpecialIndex(op));
    }
}

void ExecuteUpper(EeState& s, uint32_t op) {
    switch (Funct(op)) {
        case 0x00:
        case 0x01:
        case 0x02:
        case 0x03: StoreFd(s, op, AddBc(s, op)); return;
        case 0x04:
        case 0x05:
        case 0x06:
        case 0x07: StoreFd(s, op, SubBc(s, op)); return;
        case 0x08:
        case 0x09:
        case 0x0A:
        case 0x0B: StoreFd(s, op, MaddBc(s, op)); return;
        case 0x20: StoreFd(s, op, AddQ(s, op)); return;
        case 0x28: StoreFd(s, op, AddVector(s, op)); return;
        case 0x2A: StoreFd(s, op, MulVector(s, op)); return;
        case 0x2C: StoreFd(s, op, SubVector(s, op)); return;
        case 0x3C:
        case 0x3D:
        case 0x3F: ExecuteUpperSpecial(s, op); return;
        default: ThrowEeFault("Unknown vu0 upper code\n");
    }
}

// --- lower ---------------------------------------------------------------------------------

void LoadQuad(EeState& s, uint32_t op) {
    const int64_t index = int64_t{static_cast<int32_t>(s.vi[Is(op)])} + Imm11(op);
    if (index < 0 || index >= kDataQuadwords)
        ThrowEeFault("vu0 LQ outside data memory at quadword %lld\n", static_cast<long long>(index));
    VuVector value;
    std::memcpy(value.c, s.vu0DataMemory.data() + index * 16, 16);
    StoreMasked(s, s.vf[Ft(op)], value, op, false);
}

void AddImmediateUnsigned(EeState& s, uint32_t op) { s.vi[It(op)] = s.vi[Is(op)] + Imm15(op); }
void FlagAnd(EeState& s, uint32_t op) {
    s.vi[It(op)] = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(s.vi[Is(op)] & s.macFlags)));
}
void JumpRegister(EeState& s, uint32_t op) { DelayedBranch(s, s.vi[Is(op)] * 8); }
void BranchIf(EeState& s, uint32_t op, bool taken) {
    if (taken) DelayedBranch(s, s.vu0MicroPc + static_cast<uint32_t>(Imm11(op) * 8));
}

void Add(EeState& s, uint32_t op) { s.vi[Id(op)] = s.vi[Is(op)] + s.vi[It(op)]; }
void AddImmediate(EeState& s, uint32_t op) { s.vi[It(op)] = s.vi[Is(op)] + static_cast<uint32_t>(Imm5(op)); }
void And(EeState& s, uint32_t op) { s.vi[Id(op)] = s.vi[Is(op)] & s.vi[It(op)]; }
void Move(EeState& s, uint32_t op) { StoreMasked(s, s.vf[Ft(op)], FsOf(s, op), op, false); }
void SquareRoot(EeState& s, uint32_t op) { s.q = SquareRootOfMagnitude(FtOf(s, op).c[Ftf(op)]); }

void ExecuteLowerSpecial(EeState& s, uint32_t op) {
    const uint32_t funct = Funct(op);
    if (funct < 0x3C) {
        switch (funct) {
            case 0x30: Add(s, op); return;
            case 0x32: AddImmediate(s, op); return;
            case 0x34: And(s, op); return;
            default: ThrowEeFault("Unknown vu0 lower sub code\n");
        }
    }
    switch (SpecialIndex(op)) {
        case 0x30: Move(s, op); return;  // also the lower NOP (an empty dest mask)
        case 0x39: SquareRoot(s, op); return;
        case 0x3B: return;  // WAITQ
        default: ThrowEeFault("Unknown vu0 lower sub code\n");
    }
}

void ExecuteLower(EeState& s, uint32_t op) {
    switch (op >> 25) {
        case 0x00: LoadQuad(s, op); return;
        case 0x08: AddImmediateUnsigned(s, op); return;
        case 0x1A: FlagAnd(s, op); return;
        case 0x24: JumpRegister(s, op); return;
        case 0x28: BranchIf(s, op, s.vi[It(op)] == s.vi[Is(op)]); return;  // IBEQ
        case 0x29: BranchIf(s, op, s.vi[It(op)] != s.vi[Is(op)]); return;  // IBNE
        case 0x40: ExecuteLowerSpecial(s, op); return;
        default: ThrowEeFault("Unknown vu0 lower code\n");
    }
}

}  // namespace

void Vu0MicroStep(EeState& s) {
    const uint32_t pc = s.vu0MicroPc;
    if (pc > kVu0MemorySize - 8 || (pc & 7) != 0) ThrowEeFault("vu0 micro program counter %X outside micro memory\n", pc);
    uint32_t lower;
    uint32_t upper;
    std::memcpy(&lower, s.vu0MicroMemory.data() + pc, 4);
    std::memcpy(&upper, s.vu0MicroMemory.data() + pc + 4, 4);
    s.vu0MicroPc = pc + 8;

    ResetConstantRegisters(s);
    ExecuteLower(s, lower);
    ResetConstantRegisters(s);
    ExecuteUpper(s, upper);

    // A branch takes effect after one more pair, its delay slot.
    Vu0MicroControl& control = s.vu0Control;
    if (control.delayState == 2) {
        s.vu0MicroPc = s.vu0BranchTarget;
        control.delayState = 0;
    } else if (control.delayState == 1) {
        control.delayState = 2;
    }
    // The pair after the one carrying the E bit still runs.
    if (control.endPending) control.stop = true;
    if (upper & kEndBit) control.endPending = true;
}

void Vu0MicroRun(EeState& s, uint32_t start) {
    s.vu0Control = Vu0MicroControl{};
    s.vu0MicroPc = start;
    for (uint32_t pairs = 0; !s.vu0Control.stop; ++pairs) {
        if (pairs == kMaxVu0MicroPairs) ThrowEeFault("vu0 micro program did not end within %u pairs\n", pairs);
        Vu0MicroStep(s);
    }
}

}  // namespace vertigon

// COP2 in macro mode. These instructions never change MacFlags.
#include <cstring>

#include "ee/fault.h"
#include "ee/operands.h"
#include "ee/registers.h"
#include "ee/vu0.h"
#include "ee/vu0_ops.h"

namespace vertigon {
namespace {

using namespace vu0;

void StoreFd(EeState& s, uint32_t op, const VuVector& value) { StoreMasked(s, s.vf[Fd(op)], value, op, false); }
void StoreAcc(EeState& s, uint32_t op, const VuVector& value) { StoreMasked(s, s.acc, value, op, false); }

// --- transfers -----------------------------------------------------------------------------

// x in bits 0-31, y 32-63, z 64-95, w 96-127.
void MoveQuadFromVu0(EeState& s, uint32_t op) {
    Reg128 value;
    std::memcpy(&value.lower, &s.vf[Fs(op)].c[0], 8);
    std::memcpy(&value.upper, &s.vf[Fs(op)].c[2], 8);
    RtQuad(s, op) = value;
}

void MoveQuadToVu0(EeState& s, uint32_t op) {
    const Reg128 value = RtQuad(s, op);
    std::memcpy(&s.vf[Fs(op)].c[0], &value.lower, 8);
    std::memcpy(&s.vf[Fs(op)].c[2], &value.upper, 8);
}

// Control register 22 is Q; the others read 0.
void MoveControlFromVu0(EeState& s, uint32_t op) {
    uint32_t bits = 0;
    if (Fs(op) == kVu0ControlQ) std::memcpy(&bits, &s.q, 4);
    SetRtWord(s, op, bits);
}

// --- Special1 ------------------------------------------------------------------------------

void VAddBc(EeState& s, uint32_t op) { StoreFd(s, op, AddBc(s, op)); }
void VSubBc(EeState& s, uint32_t op) { StoreFd(s, op, SubBc(s, op)); }
void VMaddBc(EeState& s, uint32_t op) { StoreFd(s, op, MaddBc(s, op)); }
void VMulBc(EeState& s, uint32_t op) { StoreFd(s, op, MulBc(s, op)); }
void VMulQ(EeState& s, uint32_t op) { StoreFd(s, op, MulQ(s, op)); }
void VAddQ(EeState& s, uint32_t op) { StoreFd(s, op, AddQ(s, op)); }
void VAdd(EeState& s, uint32_t op) { StoreFd(s, op, AddVector(s, op)); }
void VMul(EeState& s, uint32_t op) { StoreFd(s, op, MulVector(s, op)); }
void VSub(EeState& s, uint32_t op) { StoreFd(s, op, SubVector(s, op)); }
void VOpMsub(EeState& s, uint32_t op) { StoreMasked(s, s.vf[Fd(op)], Sub(s.acc, CrossTerms(s, op)), op, false, 3); }
void VCallMs(EeState& s, uint32_t op) { Vu0MicroRun(s, CallMsPair(op) * 8); }

// --- Special2 ------------------------------------------------------------------------------

void VMaddaBc(EeState& s, uint32_t op) { StoreAcc(s, op, MaddBc(s, op)); }
void VMulaBc(EeState& s, uint32_t op) { StoreAcc(s, op, MulBc(s, op)); }
void VOpMula(EeState& s, uint32_t op) { StoreMasked(s, s.acc, CrossTerms(s, op), op, false, 3); }
void VMove(EeState& s, uint32_t op) { StoreMasked(s, s.vf[Ft(op)], FsOf(s, op), op, false); }
void VMr32(EeState& s, uint32_t op) {
    const VuVector& a = FsOf(s, op);
    StoreMasked(s, s.vf[Ft(op)], VuVector{{a.c[1], a.c[2], a.c[3], a.c[0]}}, op, false);
}
void VDiv(EeState& s, uint32_t op) { s.q = FsOf(s, op).c[Fsf(op)] / FtOf(s, op).c[Ftf(op)]; }
void VSqrt(EeState& s, uint32_t op) { s.q = SquareRootOfMagnitude(FtOf(s, op).c[Ftf(op)]); }

void ExecuteSpecial2(EeState& s, uint32_t op) {
    switch (SpecialIndex(op)) {
        case 0x08:
        case 0x09:
        case 0x0A:
        case 0x0B: VMaddaBc(s, op); return;
        case 0x18:
        case 0x19:
        case 0x1A:
        case 0x1B: VMulaBc(s, op); return;
        case 0x2E: VOpMula(s, op); return;
        case 0x2F: return;  // VNOP
        case 0x30: VMove(s, op); return;
        case 0x31: VMr32(s, op); return;
        case 0x38: VDiv(s, op); return;
        case 0x39: VSqrt(s, op); return;
        case 0x3B: return;  // VWAITQ: results are immediate here
        default: ThrowEeFault("Unknown COP2 Special2 subOpcode %X\n", op & 0x7C3);
    }
}

void ExecuteSpecial1(EeState& s, uint32_t op) {
    switch (Funct(op)) {
        case 0x00:
        case 0x01:
        case 0x02:
        case 0x03: VAddBc(s, op); return;
        case 0x04:
        case 0x05:
        case 0x06:
        case 0x07: VSubBc(s, op); return;
        case 0x08:
        case 0x09:
        case 0x0A:
        case 0x0B: VMaddBc(s, op); return;
        case 0x18:
        case 0x19:
        case 0x1A:
        case 0x1B: VMulBc(s, op); return;
        case 0x1C: VMulQ(s, op); return;
        case 0x20: VAddQ(s, op); return;
        case 0x28: VAdd(s, op); return;
        case 0x2A: VMul(s, op); return;
        case 0x2C: VSub(s, op); return;
        case 0x2E: VOpMsub(s, op); return;
        case 0x38: VCallMs(s, op); return;
        case 0x3C:
        case 0x3D:
        case 0x3E:
        case 0x3F: ExecuteSpecial2(s, op); return;
        default: ThrowEeFault("Unknown COP2 Special1 subOpcode %X\n", Funct(op));
    }
}

}  // namespace

void ExecuteCop2(EeState& s, uint32_t op) {
    const uint32_t rs = Rs(op);
    if (rs >= 0x10) {
        ExecuteSpecial1(s, op);
        return;
    }
    switch (rs) {
        case 0x01: MoveQuadFromVu0(s, op); return;
        case 0x02: MoveControlFromVu0(s, op); return;
        case 0x05: MoveQuadToVu0(s, op); return;
        case 0x06: return;  // CTC2: no control register is writable here
        default: ThrowEeFault("Unknown COP2 subOpcode\n");
    }
}

}  // namespace vertigon

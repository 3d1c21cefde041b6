#include "ee/interpreter.h"

#include "ee/cop0.h"
#include "ee/fault.h"
#include "ee/fpu.h"
#include "ee/integer.h"
#include "ee/load_store.h"
#include "ee/memory.h"
#include "ee/operands.h"
#include "ee/registers.h"
#include "ee/vu0.h"

namespace vertigon {
namespace {

// J and JAL: the target keeps the top four bits of the delay slot's address.
uint32_t JumpTarget(const EeState& s, uint32_t op) { return (s.pc & 0xF0000000) | (JumpIndex(op) << 2); }

void Jump(EeState& s, uint32_t op) { JumpTo(s, JumpTarget(s, op)); }
void JumpAndLink(EeState& s, uint32_t op) { JumpAndLinkTo(s, JumpTarget(s, op), gpr::kRa); }

void BranchEqual(EeState& s, uint32_t op) { BranchIf(s, op, RsValue(s, op) == RtValue(s, op)); }
void BranchNotEqual(EeState& s, uint32_t op) { BranchIf(s, op, RsValue(s, op) != RtValue(s, op)); }
void BranchLessEqualZero(EeState& s, uint32_t op) { BranchIf(s, op, SignedRsValue(s, op) <= 0); }
void BranchGreaterZero(EeState& s, uint32_t op) { BranchIf(s, op, SignedRsValue(s, op) > 0); }
void BranchEqualLikely(EeState& s, uint32_t op) { BranchLikelyIf(s, op, RsValue(s, op) == RtValue(s, op)); }
void BranchNotEqualLikely(EeState& s, uint32_t op) { BranchLikelyIf(s, op, RsValue(s, op) != RtValue(s, op)); }
void BranchLessEqualZeroLikely(EeState& s, uint32_t op) { BranchLikelyIf(s, op, SignedRsValue(s, op) <= 0); }

// ADDI behaves as ADDIU: no overflow exception exists here.
void AddImmediate(EeState& s, uint32_t op) {
    SetRtWord(s, op, RsWord(s, op) + static_cast<uint32_t>(SignedImmediate(op)));
}
void SetLessThanImmediate(EeState& s, uint32_t op) {
    RtLower(s, op) = SignedRsValue(s, op) < static_cast<int64_t>(SignedImmediate(op)) ? 1 : 0;
}
void SetLessThanImmediateUnsigned(EeState& s, uint32_t op) {
    RtLower(s, op) = RsValue(s, op) < SignExtendedImmediate(op) ? 1 : 0;
}
void AndImmediate(EeState& s, uint32_t op) { RtLower(s, op) = RsValue(s, op) & Immediate(op); }
void OrImmediate(EeState& s, uint32_t op) { RtLower(s, op) = RsValue(s, op) | Immediate(op); }
void XorImmediate(EeState& s, uint32_t op) { RtLower(s, op) = RsValue(s, op) ^ Immediate(op); }
void LoadUpperImmediate(EeState& s, uint32_t op) { SetRtWord(s, op, Immediate(op) << 16); }
void DoubleAddImmediate(EeState& s, uint32_t op) { RtLower(s, op) = RsValue(s, op) + SignExtendedImmediate(op); }

// Inlined into both of its callers: a call of its own would add a frame to every instruction.
[[gnu::always_inline]] inline void Execute(EeState& s, uint32_t op) {
    switch (Opcode(op)) {
        case 0x00: ExecuteSpecial(s, op); return;
        case 0x01: ExecuteRegimm(s, op); return;
        case 0x02: Jump(s, op); return;
        case 0x03: JumpAndLink(s, op); return;
        case 0x04: BranchEqual(s, op); return;
        case 0x05: BranchNotEqual(s, op); return;
        case 0x06: BranchLessEqualZero(s, op); return;
        case 0x07: BranchGreaterZero(s, op); return;
        case 0x08: AddImmediate(s, op); return;  // ADDI
        case 0x09: AddImmediate(s, op); return;  // ADDIU
        case 0x0A: SetLessThanImmediate(s, op); return;
        case 0x0B: SetLessThanImmediateUnsigned(s, op); return;
        case 0x0C: AndImmediate(s, op); return;
        case 0x0D: OrImmediate(s, op); return;
        case 0x0E: XorImmediate(s, op); return;
        case 0x0F: LoadUpperImmediate(s, op); return;
        case 0x10: ExecuteCop0(s, op); return;
        case 0x11: ExecuteCop1(s, op); return;
        case 0x12: ExecuteCop2(s, op); return;
        case 0x14: BranchEqualLikely(s, op); return;
        case 0x15: BranchNotEqualLikely(s, op); return;
        case 0x16: BranchLessEqualZeroLikely(s, op); return;
        case 0x19: DoubleAddImmediate(s, op); return;
        case 0x1A: LoadDoubleLeft(s, op); return;
        case 0x1B: LoadDoubleRight(s, op); return;
        case 0x1C: ExecuteMmi(s, op); return;
        case 0x1E: LoadQuad(s, op); return;
        case 0x1F: StoreQuad(s, op); return;
        case 0x20: LoadByte(s, op); return;
        case 0x21: LoadHalf(s, op); return;
        case 0x22: LoadWordLeft(s, op); return;
        case 0x23: LoadWord(s, op); return;
        case 0x24: LoadByteUnsigned(s, op); return;
        case 0x25: LoadHalfUnsigned(s, op); return;
        case 0x26: LoadWordRight(s, op); return;
        case 0x27: LoadWordUnsigned(s, op); return;
        case 0x28: StoreByte(s, op); return;
        case 0x29: StoreHalf(s, op); return;
        case 0x2A: StoreWordLeft(s, op); return;
        case 0x2B: StoreWord(s, op); return;
        case 0x2C: StoreDoubleLeft(s, op); return;
        case 0x2D: StoreDoubleRight(s, op); return;
        case 0x2E: StoreWordRight(s, op); return;
        case 0x2F: return;  // CACHE
        case 0x31: LoadWordToFpu(s, op); return;
        case 0x36: LoadQuadToVu0(s, op); return;
        case 0x37: LoadDouble(s, op); return;
        case 0x39: StoreWordFromFpu(s, op); return;
        case 0x3E: StoreQuadFromVu0(s, op); return;
        case 0x3F: StoreDouble(s, op); return;
        default: ThrowEeFault("Unknown opcode family %X!\n", op & 0xFC000000);
    }
}

void WriteLink(EeState& s, PendingLink link) {
    if (link.reg != 0) Destination(s, link.reg).lower = SignExtend32(link.address);
}

// The delay slot at PC, executed as its own step; then execution goes on at the branch's
// target, the link (if any) written once the slot has run. A taken branch inside the slot runs
// its own slot next and then still that target; its link and the enclosing one are both
// written after its slot, the enclosing one last. Only when both name different registers is
// the inner one written at once.
void StepDelaySlot(EeState& s) {
    const uint32_t target = s.nextPc;
    const PendingLink outer = s.link;
    s.link = {};
    s.delaySlot = DelaySlot::Running;
    const uint32_t op = ReadWord(s, s.pc);
    s.pc += 4;
    if (op != 0) Execute(s, op);
    if (s.delaySlot == DelaySlot::Next) {
        s.nextPc = target;
        if (outer.reg != 0) {
            if (s.link.reg != 0 && s.link.reg != outer.reg) WriteLink(s, s.link);
            s.link = outer;
        }
        return;
    }
    s.delaySlot = DelaySlot::None;
    WriteLink(s, outer);
    s.ContinueAt(target);
}

}  // namespace

// A delay slot takes its own path, so that every ordinary instruction ends in its handler's
// tail call.
void Step(EeState& s) {
    s.vf[0] = VuVector{{0.0f, 0.0f, 0.0f, 1.0f}};
    if (s.delaySlot != DelaySlot::None) [[unlikely]] {
        StepDelaySlot(s);
        return;
    }
    const uint32_t op = ReadWord(s, s.pc);
    s.pc += 4;
    s.nextPc = s.pc + 4;
    if (op == 0) return;  // SLL r0, r0, 0
    Execute(s, op);
}

void StartAt(EeState& s, uint32_t address) {
    s.ContinueAt(address);
    s.delaySlot = DelaySlot::None;
    s.link = {};
    s.breakPending = false;
}

void TakeBranch(EeState& s, uint32_t target, PendingLink link) {
    // Inside a delay slot the enclosing branch's target stays (see StepDelaySlot).
    if (s.delaySlot != DelaySlot::Running) s.nextPc = target;
    s.delaySlot = DelaySlot::Next;
    s.link = link;
}

void RaiseBreak(EeState& s, uint32_t op) {
    s.breakPending = true;
    s.breakCode = CodeField(op);
    s.ContinueAt(static_cast<uint32_t>(s.gpr[gpr::kRa].lower));
}

}  // namespace vertigon

#include "ee/integer.h"

#include <cstdint>
#include <cstdio>

#include "ee/fault.h"
#include "ee/interpreter.h"
#include "ee/operands.h"
#include "ee/registers.h"

namespace vertigon {
namespace {

// The one call answered in place (v0 = 0xFF), and the one that also prints "PRINT!".
constexpr int32_t kSyscallAnswered = 0x7A;
constexpr int32_t kSyscallPrint = 0x75;

// --- SPECIAL: shifts ---------------------------------------------------------------------

void ShiftLeft(EeState& s, uint32_t op) { SetRdWord(s, op, RtWord(s, op) << Sa(op)); }
void ShiftRight(EeState& s, uint32_t op) { SetRdWord(s, op, RtWord(s, op) >> Sa(op)); }
void ShiftRightArithmetic(EeState& s, uint32_t op) {
    SetRdWord(s, op, static_cast<uint32_t>(static_cast<int32_t>(RtWord(s, op)) >> Sa(op)));
}
void ShiftLeftVariable(EeState& s, uint32_t op) { SetRdWord(s, op, RtWord(s, op) << (RsValue(s, op) & 31)); }
void ShiftRightVariable(EeState& s, uint32_t op) { SetRdWord(s, op, RtWord(s, op) >> (RsValue(s, op) & 31)); }
void ShiftRightArithmeticVariable(EeState& s, uint32_t op) {
    SetRdWord(s, op, static_cast<uint32_t>(static_cast<int32_t>(RtWord(s, op)) >> (RsValue(s, op) & 31)));
}
void DoubleShiftLeftVariable(EeState& s, uint32_t op) { RdLower(s, op) = RtValue(s, op) << (RsValue(s, op) & 63); }
void DoubleShiftRightArithmeticVariable(EeState& s, uint32_t op) {
    RdLower(s, op) = static_cast<uint64_t>(static_cast<int64_t>(RtValue(s, op)) >> (RsValue(s, op) & 63));
}
void DoubleShiftLeft(EeState& s, uint32_t op) { RdLower(s, op) = RtValue(s, op) << Sa(op); }
void DoubleShiftRight(EeState& s, uint32_t op) { RdLower(s, op) = RtValue(s, op) >> Sa(op); }
void DoubleShiftLeft32(EeState& s, uint32_t op) { RdLower(s, op) = RtValue(s, op) << (Sa(op) + 32); }
void DoubleShiftRight32(EeState& s, uint32_t op) { RdLower(s, op) = RtValue(s, op) >> (Sa(op) + 32); }
void DoubleShiftRightArithmetic32(EeState& s, uint32_t op) {
    RdLower(s, op) = static_cast<uint64_t>(static_cast<int64_t>(RtValue(s, op)) >> (Sa(op) + 32));
}

// --- SPECIAL: jumps, moves, system ---------------------------------------------------------

void JumpRegister(EeState& s, uint32_t op) { JumpTo(s, RsWord(s, op)); }
void JumpAndLinkRegister(EeState& s, uint32_t op) { JumpAndLinkTo(s, RsWord(s, op), Rd(op)); }

void MoveIfZero(EeState& s, uint32_t op) {
    if (RtValue(s, op) == 0) RdLower(s, op) = RsValue(s, op);
}
void MoveIfNotZero(EeState& s, uint32_t op) {
    if (RtValue(s, op) != 0) RdLower(s, op) = RsValue(s, op);
}

// Out of line: its text buffer would otherwise give every SPECIAL instruction a stack frame.
[[gnu::noinline]] void Syscall(EeState& s, uint32_t) {
    const auto number = static_cast<int32_t>(static_cast<uint32_t>(s.gpr[gpr::kV1].lower));
    char text[32];
    std::snprintf(text, sizeof text, "SYSCALL[%d]\n", number);
    s.output->Write(text);
    if (number == kSyscallAnswered) {
        s.gpr[gpr::kV0].lower = 0xFF;
        return;
    }
    if (number == kSyscallPrint) s.output->Write("PRINT!\n");
    s.cop0[cop0::kCause] = cop0::kCauseSyscall;
    s.cop0[cop0::kEpc] = SignExtend32(s.pc - 4);  // the SYSCALL itself
    s.ContinueAt(0);
}

void MoveFromHi(EeState& s, uint32_t op) { RdLower(s, op) = s.hi.lower; }
void MoveToHi(EeState& s, uint32_t op) { s.hi.lower = RsValue(s, op); }
void MoveFromLo(EeState& s, uint32_t op) { RdLower(s, op) = s.lo.lower; }
void MoveToLo(EeState& s, uint32_t op) { s.lo.lower = RsValue(s, op); }
void MoveFromShiftAmount(EeState& s, uint32_t op) { RdLower(s, op) = s.sa; }
void MoveToShiftAmount(EeState& s, uint32_t op) { s.sa = RsWord(s, op); }

// --- SPECIAL: multiply and divide ----------------------------------------------------------

void Multiply(EeState& s, uint32_t op) {
    MultiplyWords(RsValue(s, op), RtValue(s, op), s.hi.lower, s.lo.lower);
    RdLower(s, op) = s.lo.lower;
}

// Never traps on the host. By zero: LO = -1 for a non-negative dividend, 1 for a negative one,
// HI = the dividend. INT_MIN / -1: LO = INT_MIN, HI = 0.
void Divide(EeState& s, uint32_t op) {
    const auto dividend = static_cast<int32_t>(RsWord(s, op));
    const auto divisor = static_cast<int32_t>(RtWord(s, op));
    int32_t quotient;
    int32_t remainder;
    if (divisor == 0) {
        quotient = dividend >= 0 ? -1 : 1;
        remainder = dividend;
    } else if (dividend == INT32_MIN && divisor == -1) {
        quotient = INT32_MIN;
        remainder = 0;
    } else {
        quotient = dividend / divisor;
        remainder = dividend % divisor;
    }
    s.lo.lower = SignExtend32(static_cast<uint32_t>(quotient));
    s.hi.lower = SignExtend32(static_cast<uint32_t>(remainder));
}

// By zero: LO = all ones, HI = the dividend.
void DivideUnsigned(EeState& s, uint32_t op) {
    const uint32_t dividend = RsWord(s, op);
    const uint32_t divisor = RtWord(s, op);
    const uint32_t quotient = divisor == 0 ? 0xFFFFFFFF : dividend / divisor;
    const uint32_t remainder = divisor == 0 ? dividend : dividend % divisor;
    s.lo.lower = SignExtend32(quotient);
    s.hi.lower = SignExtend32(remainder);
}

// --- SPECIAL: arithmetic and logic ---------------------------------------------------------

// ADD and SUB behave as ADDU and SUBU: no overflow exception exists here.
void Add(EeState& s, uint32_t op) { SetRdWord(s, op, RsWord(s, op) + RtWord(s, op)); }
void Subtract(EeState& s, uint32_t op) { SetRdWord(s, op, RsWord(s, op) - RtWord(s, op)); }
void And(EeState& s, uint32_t op) { RdLower(s, op) = RsValue(s, op) & RtValue(s, op); }
void Or(EeState& s, uint32_t op) { RdLower(s, op) = RsValue(s, op) | RtValue(s, op); }
void Xor(EeState& s, uint32_t op) { RdLower(s, op) = RsValue(s, op) ^ RtValue(s, op); }
void Nor(EeState& s, uint32_t op) { RdLower(s, op) = ~(RsValue(s, op) | RtValue(s, op)); }
void SetLessThan(EeState& s, uint32_t op) {
    RdLower(s, op) = static_cast<int64_t>(RsValue(s, op)) < static_cast<int64_t>(RtValue(s, op)) ? 1 : 0;
}
void SetLessThanUnsigned(EeState& s, uint32_t op) { RdLower(s, op) = RsValue(s, op) < RtValue(s, op) ? 1 : 0; }
void DoubleAdd(EeState& s, uint32_t op) { RdLower(s, op) = RsValue(s, op) + RtValue(s, op); }
void DoubleSubtract(EeState& s, uint32_t op) { RdLower(s, op) = RsValue(s, op) - RtValue(s, op); }

// --- REGIMM --------------------------------------------------------------------------------

bool RsNegative(const EeState& s, uint32_t op) { return static_cast<int64_t>(RsValue(s, op)) < 0; }

void BranchLessThanZero(EeState& s, uint32_t op) { BranchIf(s, op, RsNegative(s, op)); }
void BranchGreaterEqualZero(EeState& s, uint32_t op) { BranchIf(s, op, !RsNegative(s, op)); }
void BranchLessThanZeroLikely(EeState& s, uint32_t op) { BranchLikelyIf(s, op, RsNegative(s, op)); }
void BranchGreaterEqualZeroLikely(EeState& s, uint32_t op) { BranchLikelyIf(s, op, !RsNegative(s, op)); }

// SA = halfword index (three bits, as on the hardware) times 16.
void MoveToShiftAmountHalfword(EeState& s, uint32_t op) { s.sa = ((RsWord(s, op) ^ Immediate(op)) & 7) * 16; }

}  // namespace

void ExecuteSpecial(EeState& s, uint32_t op) {
    switch (Funct(op)) {
        case 0x00: ShiftLeft(s, op); return;
        case 0x02: ShiftRight(s, op); return;
        case 0x03: ShiftRightArithmetic(s, op); return;
        case 0x04: ShiftLeftVariable(s, op); return;
        case 0x06: ShiftRightVariable(s, op); return;
        case 0x07: ShiftRightArithmeticVariable(s, op); return;
        case 0x08: JumpRegister(s, op); return;
        case 0x09: JumpAndLinkRegister(s, op); return;
        case 0x0A: MoveIfZero(s, op); return;
        case 0x0B: MoveIfNotZero(s, op); return;
        case 0x0C: Syscall(s, op); return;
        case 0x0D: RaiseBreak(s, op); return;  // BREAK
        case 0x0F: return;                         // SYNC
        case 0x10: MoveFromHi(s, op); return;
        case 0x11: MoveToHi(s, op); return;
        case 0x12: MoveFromLo(s, op); return;
        case 0x13: MoveToLo(s, op); return;
        case 0x14: DoubleShiftLeftVariable(s, op); return;
        case 0x17: DoubleShiftRightArithmeticVariable(s, op); return;
        case 0x18: Multiply(s, op); return;
        case 0x1A: Divide(s, op); return;
        case 0x1B: DivideUnsigned(s, op); return;
        case 0x20: Add(s, op); return;  // ADD
        case 0x21: Add(s, op); return;  // ADDU
        case 0x22: Subtract(s, op); return;  // SUB
        case 0x23: Subtract(s, op); return;  // SUBU
        case 0x24: And(s, op); return;
        case 0x25: Or(s, op); return;
        case 0x26: Xor(s, op); return;
        case 0x27: Nor(s, op); return;
        case 0x28: MoveFromShiftAmount(s, op); return;
        case 0x29: MoveToShiftAmount(s, op); return;
        case 0x2A: SetLessThan(s, op); return;
        case 0x2B: SetLessThanUnsigned(s, op); return;
        case 0x2D: DoubleAdd(s, op); return;
        case 0x2F: DoubleSubtract(s, op); return;
        case 0x38: DoubleShiftLeft(s, op); return;
        case 0x3A: DoubleShiftRight(s, op); return;
        case 0x3C: DoubleShiftLeft32(s, op); return;
        case 0x3E: DoubleShiftRight32(s, op); return;
        case 0x3F: DoubleShiftRightArithmetic32(s, op); return;
        default: ThrowEeFault("Unknown special opcode %X!\n", Funct(op));
    }
}

void ExecuteRegimm(EeState& s, uint32_t op) {
    switch (Rt(op)) {
        case 0x00: BranchLessThanZero(s, op); return;
        case 0x01: BranchGreaterEqualZero(s, op); return;
        case 0x02: BranchLessThanZeroLikely(s, op); return;
        case 0x03: BranchGreaterEqualZeroLikely(s, op); return;
        case 0x19: MoveToShiftAmountHalfword(s, op); return;
        default: ThrowEeFault("Unknown REGIMM opcode %X!\n", op & 0x1F0000);
    }
}

}  // namespace vertigon

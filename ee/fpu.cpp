#include "ee/fpu.h"

#include <bit>

#include "ee/fault.h"
#include "ee/interpreter.h"
#include "ee/operands.h"
#include "ee/float_mode.h"

namespace vertigon {
namespace {

// Registers hold bit patterns; the arithmetic is that of ee/float_mode.h.
uint32_t Bits(float value) { return std::bit_cast<uint32_t>(value); }
float FromBits(uint32_t bits) { return std::bit_cast<float>(bits); }

uint32_t FsBits(const EeState& s, uint32_t op) { return Bits(s.fpr[Fs(op)]); }
uint32_t FtBits(const EeState& s, uint32_t op) { return Bits(s.fpr[Ft(op)]); }
void SetFd(EeState& s, uint32_t op, uint32_t bits) { s.fpr[Fd(op)] = FromBits(bits); }

void MoveFromFpu(EeState& s, uint32_t op) { SetRtWord(s, op, FsBits(s, op)); }
void MoveToFpu(EeState& s, uint32_t op) { s.fpr[Fs(op)] = FromBits(RtWord(s, op)); }

void ExecuteBc1(EeState& s, uint32_t op) {
    const bool condition = s.fpuCondition != 0;
    switch (Rt(op)) {
        case 0x00: BranchIf(s, op, !condition); return;        // BC1F
        case 0x01: BranchIf(s, op, condition); return;         // BC1T
        case 0x02: BranchLikelyIf(s, op, !condition); return;  // BC1FL
        case 0x03: BranchLikelyIf(s, op, condition); return;   // BC1TL
        default: ThrowEeFault("Unknown COP1 BC1 subOpcode %X\n", op & 0x1F0000);
    }
}

void Add(EeState& s, uint32_t op) { SetFd(s, op, r5900::Add(s.hostFloatMode, FsBits(s, op), FtBits(s, op))); }
void Subtract(EeState& s, uint32_t op) { SetFd(s, op, r5900::Sub(s.hostFloatMode, FsBits(s, op), FtBits(s, op))); }
void Multiply(EeState& s, uint32_t op) { SetFd(s, op, r5900::Mul(s.hostFloatMode, FsBits(s, op), FtBits(s, op))); }
void Divide(EeState& s, uint32_t op) { SetFd(s, op, r5900::Div(s.hostFloatMode, FsBits(s, op), FtBits(s, op))); }
// The R5900 reads SQRT.S's operand from ft.
void SquareRoot(EeState& s, uint32_t op) { SetFd(s, op, r5900::SqrtOfMagnitude(s.hostFloatMode, FtBits(s, op))); }
// ABS.S, MOV.S and NEG.S work on the bits alone.
void Absolute(EeState& s, uint32_t op) { SetFd(s, op, FsBits(s, op) & ~r5900::kSignBit); }
void Move(EeState& s, uint32_t op) { SetFd(s, op, FsBits(s, op)); }
void Negate(EeState& s, uint32_t op) { SetFd(s, op, FsBits(s, op) ^ r5900::kSignBit); }

// Truncates toward zero; from 2^31 in magnitude on (biased exponent above 157) the result
// saturates by the sign.
void ConvertToWord(EeState& s, uint32_t op) {
    const uint32_t bits = FsBits(s, op);
    const uint32_t exponent = (bits >> 23) & 0xFF;
    uint32_t result;
    if (exponent > 157) {
        result = (bits & r5900::kSignBit) ? 0x80000000 : 0x7FFFFFFF;
    } else {
        result = static_cast<uint32_t>(static_cast<int32_t>(r5900::Decode(bits)));
    }
    SetFd(s, op, result);
}

void CompareEqual(EeState& s, uint32_t op) { s.fpuCondition = r5900::Equal(FsBits(s, op), FtBits(s, op)) ? 1 : 0; }
void CompareLess(EeState& s, uint32_t op) { s.fpuCondition = r5900::Less(FsBits(s, op), FtBits(s, op)) ? 1 : 0; }

void ConvertToSingle(EeState& s, uint32_t op) { SetFd(s, op, r5900::FromInt(s.hostFloatMode, static_cast<int32_t>(FsBits(s, op)))); }

void ExecuteFormatS(EeState& s, uint32_t op) {
    switch (Funct(op)) {
        case 0x00: Add(s, op); return;
        case 0x01: Subtract(s, op); return;
        case 0x02: Multiply(s, op); return;
        case 0x03: Divide(s, op); return;
        case 0x04: SquareRoot(s, op); return;
        case 0x05: Absolute(s, op); return;
        case 0x06: Move(s, op); return;
        case 0x07: Negate(s, op); return;
        case 0x24: ConvertToWord(s, op); return;
        case 0x32: CompareEqual(s, op); return;
        case 0x34: CompareLess(s, op); return;
        default: ThrowEeFault("Unknown COP1 S subOpcode %X\n", Funct(op));
    }
}

void ExecuteFormatW(EeState& s, uint32_t op) {
    switch (Funct(op)) {
        case 0x20: ConvertToSingle(s, op); return;
        default: ThrowEeFault("Unknown COP1 W subOpcode %X\n", Funct(op));
    }
}

}  // namespace

void ExecuteCop1(EeState& s, uint32_t op) {
    switch (Rs(op)) {
        case 0x00: MoveFromFpu(s, op); return;
        case 0x04: MoveToFpu(s, op); return;
        case 0x08: ExecuteBc1(s, op); return;
        case 0x10: ExecuteFormatS(s, op); return;
        case 0x14: ExecuteFormatW(s, op); return;
        default: ThrowEeFault("Unknown COP1 subOpcode %X\n", op & 0x3E00000);
    }
}

}  // namespace vertigon

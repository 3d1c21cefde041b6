#include "ee/fpu.h"

#include <cmath>
#include <cstring>

#include "ee/fault.h"
#include "ee/interpreter.h"
#include "ee/operands.h"

namespace vertigon {
namespace {

float& FdOf(EeState& s, uint32_t op) { return s.fpr[Fd(op)]; }
float FsOf(const EeState& s, uint32_t op) { return s.fpr[Fs(op)]; }
float FtOf(const EeState& s, uint32_t op) { return s.fpr[Ft(op)]; }

uint32_t Bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

float FromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

void MoveFromFpu(EeState& s, uint32_t op) { SetRtWord(s, op, Bits(FsOf(s, op))); }
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

void Add(EeState& s, uint32_t op) { FdOf(s, op) = FsOf(s, op) + FtOf(s, op); }
void Subtract(EeState& s, uint32_t op) { FdOf(s, op) = FsOf(s, op) - FtOf(s, op); }
void Multiply(EeState& s, uint32_t op) { FdOf(s, op) = FsOf(s, op) * FtOf(s, op); }
void Divide(EeState& s, uint32_t op) { FdOf(s, op) = FsOf(s, op) / FtOf(s, op); }
void SquareRoot(EeState& s, uint32_t op) { FdOf(s, op) = std::sqrt(std::fabs(FtOf(s, op))); }
void Absolute(EeState& s, uint32_t op) { FdOf(s, op) = std::fabs(FsOf(s, op)); }
void Move(EeState& s, uint32_t op) { std::memcpy(&FdOf(s, op), &s.fpr[Fs(op)], 4); }  // a bit copy
void Negate(EeState& s, uint32_t op) { FdOf(s, op) = -FsOf(s, op); }

// Truncates toward zero; from 2^31 in magnitude on (biased exponent above 157, infinities and
// NaNs included) the result saturates by the sign.
void ConvertToWord(EeState& s, uint32_t op) {
    const uint32_t bits = Bits(FsOf(s, op));
    const uint32_t exponent = (bits >> 23) & 0xFF;
    uint32_t result;
    if (exponent > 157) {
        result = (bits & 0x80000000) ? 0x80000000 : 0x7FFFFFFF;
    } else {
        result = static_cast<uint32_t>(static_cast<int32_t>(FsOf(s, op)));
    }
    FdOf(s, op) = FromBits(result);
}

// Unordered operands compare false.
void CompareEqual(EeState& s, uint32_t op) { s.fpuCondition = FsOf(s, op) == FtOf(s, op) ? 1 : 0; }
void CompareLess(EeState& s, uint32_t op) { s.fpuCondition = FsOf(s, op) < FtOf(s, op) ? 1 : 0; }

void ConvertToSingle(EeState& s, uint32_t op) {
    FdOf(s, op) = static_cast<float>(static_cast<int32_t>(Bits(FsOf(s, op))));
}

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

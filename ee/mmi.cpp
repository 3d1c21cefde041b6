// The MMI group: pipeline-1 moves and multiply, and the few 128-bit parallel instructions the
// game routines use.
#include <cstring>

#include "ee/fault.h"
#include "ee/integer.h"
#include "ee/operands.h"

namespace vertigon {
namespace {

struct Lanes8 {
    uint8_t b[16];
};

Lanes8 Bytes(const Reg128& r) {
    Lanes8 lanes;
    std::memcpy(lanes.b, &r.lower, 8);
    std::memcpy(lanes.b + 8, &r.upper, 8);
    return lanes;
}

Reg128 FromBytes(const Lanes8& lanes) {
    Reg128 r;
    std::memcpy(&r.lower, lanes.b, 8);
    std::memcpy(&r.upper, lanes.b + 8, 8);
    return r;
}

// Every result is formed completely before rd is written, so rd may equal rs or rt.

// Word lanes listed from lane 3 (most significant) to lane 0.
Reg128 FromWords(uint32_t w3, uint32_t w2, uint32_t w1, uint32_t w0) {
    Reg128 r;
    r.lower = (static_cast<uint64_t>(w1) << 32) | w0;
    r.upper = (static_cast<uint64_t>(w3) << 32) | w2;
    return r;
}

// --- pipeline 1 ----------------------------------------------------------------------------

void MoveFromHi1(EeState& s, uint32_t op) { RdQuad(s, op).lower = s.hi.upper; }
void MoveToHi1(EeState& s, uint32_t op) { s.hi.upper = RsQuad(s, op).lower; }
void MoveFromLo1(EeState& s, uint32_t op) { RdQuad(s, op).lower = s.lo.upper; }
void MoveToLo1(EeState& s, uint32_t op) { s.lo.upper = RsQuad(s, op).lower; }
void Multiply1(EeState& s, uint32_t op) {
    MultiplyWords(RsQuad(s, op).lower, RtQuad(s, op).lower, s.hi.upper, s.lo.upper);
    RdQuad(s, op).lower = s.lo.upper;
}

// --- parallel ------------------------------------------------------------------------------

void ParallelSubtractBytes(EeState& s, uint32_t op) {
    const Lanes8 a = Bytes(RsQuad(s, op));
    const Lanes8 b = Bytes(RtQuad(s, op));
    Lanes8 result;
    for (int i = 0; i < 16; ++i) result.b[i] = static_cast<uint8_t>(a.b[i] - b.b[i]);
    RdQuad(s, op) = FromBytes(result);
}

void ParallelExtendLowerWords(EeState& s, uint32_t op) {
    const Reg128 a = RsQuad(s, op);
    const Reg128 b = RtQuad(s, op);
    RdQuad(s, op) = FromWords(a.Word(1), b.Word(1), a.Word(0), b.Word(0));
}

void ParallelAddUnsignedSaturatingWords(EeState& s, uint32_t op) {
    const Reg128 a = RsQuad(s, op);
    const Reg128 b = RtQuad(s, op);
    Reg128 result;
    for (int i = 0; i < 4; ++i) {
        const uint64_t sum = uint64_t{a.Word(i)} + b.Word(i);
        result.SetWord(i, sum > 0xFFFFFFFF ? 0xFFFFFFFF : static_cast<uint32_t>(sum));
    }
    RdQuad(s, op) = result;
}

void ParallelExtendUpperWords(EeState& s, uint32_t op) {
    const Reg128 a = RsQuad(s, op);
    const Reg128 b = RtQuad(s, op);
    RdQuad(s, op) = FromWords(a.Word(3), b.Word(3), a.Word(2), b.Word(2));
}

void ParallelCopyLowerDoubles(EeState& s, uint32_t op) {
    const Reg128 result{RsQuad(s, op).lower, RtQuad(s, op).lower};
    RdQuad(s, op) = result;
}

void ParallelCopyUpperDoubles(EeState& s, uint32_t op) {
    const Reg128 result{RtQuad(s, op).upper, RsQuad(s, op).upper};
    RdQuad(s, op) = result;
}

void ParallelAnd(EeState& s, uint32_t op) {
    const Reg128 result{RsQuad(s, op).upper & RtQuad(s, op).upper, RsQuad(s, op).lower & RtQuad(s, op).lower};
    RdQuad(s, op) = result;
}

void ParallelOr(EeState& s, uint32_t op) {
    const Reg128 result{RsQuad(s, op).upper | RtQuad(s, op).upper, RsQuad(s, op).lower | RtQuad(s, op).lower};
    RdQuad(s, op) = result;
}

void ParallelNor(EeState& s, uint32_t op) {
    const Reg128 result{~(RsQuad(s, op).upper | RtQuad(s, op).upper), ~(RsQuad(s, op).lower | RtQuad(s, op).lower)};
    RdQuad(s, op) = result;
}

// Each 64-bit half of rd = the lowest halfword of that half of rt, four times.
void ParallelCopyHalfword(EeState& s, uint32_t op) {
    auto spread = [](uint64_t half) { return (half & 0xFFFF) * 0x0001000100010001ull; };
    const Reg128 result{spread(RtQuad(s, op).upper), spread(RtQuad(s, op).lower)};
    RdQuad(s, op) = result;
}

void ExecuteMmi0(EeState& s, uint32_t op) {
    switch (Sa(op)) {
        case 0x09: ParallelSubtractBytes(s, op); return;
        case 0x12: ParallelExtendLowerWords(s, op); return;
        default: ThrowEeFault("Unknown MMI0 opcode %X!\n", op & 0x7C0);
    }
}

void ExecuteMmi1(EeState& s, uint32_t op) {
    switch (Sa(op)) {
        case 0x10: ParallelAddUnsignedSaturatingWords(s, op); return;
        case 0x12: ParallelExtendUpperWords(s, op); return;
        default: ThrowEeFault("Unknown MMI1 opcode %X!\n", op & 0x7C0);
    }
}

void ExecuteMmi2(EeState& s, uint32_t op) {
    switch (Sa(op)) {
        case 0x0E: ParallelCopyLowerDoubles(s, op); return;
        case 0x12: ParallelAnd(s, op); return;
        default: ThrowEeFault("Unknown MMI2 opcode %X!\n", op & 0x7C0);
    }
}

void ExecuteMmi3(EeState& s, uint32_t op) {
    switch (Sa(op)) {
        case 0x0E: ParallelCopyUpperDoubles(s, op); return;
        case 0x12: ParallelOr(s, op); return;
        case 0x13: ParallelNor(s, op); return;
        case 0x1B: ParallelCopyHalfword(s, op); return;
        default: ThrowEeFault("Unknown MMI3 opcode %X!\n", op & 0x7C0);
    }
}

}  // namespace

void ExecuteMmi(EeState& s, uint32_t op) {
    switch (Funct(op)) {
        case 0x08: ExecuteMmi0(s, op); return;
        case 0x09: ExecuteMmi2(s, op); return;
        case 0x10: MoveFromHi1(s, op); return;
        case 0x11: MoveToHi1(s, op); return;
        case 0x12: MoveFromLo1(s, op); return;
        case 0x13: MoveToLo1(s, op); return;
        case 0x18: Multiply1(s, op); return;
        case 0x28: ExecuteMmi1(s, op); return;
        case 0x29: ExecuteMmi3(s, op); return;
        default: ThrowEeFault("Unknown MMI opcode %X!\n", Funct(op));
    }
}

}  // namespace vertigon

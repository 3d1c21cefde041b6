#include "ee/cop0.h"

#include "ee/fault.h"
#include "ee/operands.h"
#include "ee/registers.h"

namespace vertigon {
namespace {

using namespace cop0;

// MFC0 and MTC0 have nothing in bits 0-10; other values there are the performance-counter and
// debug moves, which do not exist here.
uint32_t LowBits(uint32_t op) { return op & 0x7FF; }

void MoveFromCop0(EeState& s, uint32_t op) {
    if (LowBits(op) != 0) ThrowEeFault("Unhandled MF0 opcode %X\n", LowBits(op));
    RtLower(s, op) = Rd(op) == kCount ? s.cycleCounter : s.cop0[Rd(op)];
}

void MoveToCop0(EeState& s, uint32_t op) {
    if (LowBits(op) != 0) ThrowEeFault("Unhandled MT0 opcode %X\n", LowBits(op));
    s.cop0[Rd(op)] = RtValue(s, op);
}

void ReturnFromException(EeState& s) { s.ContinueAt(static_cast<uint32_t>(s.cop0[kEpc])); }
void EnableInterrupts(EeState& s) { s.cop0[kStatus] |= kStatusEie; }
void DisableInterrupts(EeState& s) { s.cop0[kStatus] &= 0xFFFFFFFFull & ~kStatusEie; }

void ExecuteCo(EeState& s, uint32_t op) {
    switch (Funct(op)) {
        case 0x02: return;  // TLBWI: there is no TLB
        case 0x18: ReturnFromException(s); return;
        case 0x38: EnableInterrupts(s); return;
        case 0x39: DisableInterrupts(s); return;
        default: ThrowEeFault("Unhandled CO opcode %X\n", Funct(op));
    }
}

}  // namespace

void ExecuteCop0(EeState& s, uint32_t op) {
    switch (Rs(op)) {
        case 0x00: MoveFromCop0(s, op); return;
        case 0x04: MoveToCop0(s, op); return;
        case 0x10: ExecuteCo(s, op); return;
        default: ThrowEeFault("Unknown COP0 subOpcode %X\n", op & 0x3E00000);
    }
}

}  // namespace vertigon

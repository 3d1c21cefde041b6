#include "ee/load_store.h"

#include <cstring>

#include "ee/memory.h"
#include "ee/operands.h"

namespace vertigon {
namespace {

// Shifts by 64 or more give 0 instead of being undefined.
uint64_t ShiftLeft64(uint64_t value, uint32_t amount) { return amount < 64 ? value << amount : 0; }
uint64_t ShiftRight64(uint64_t value, uint32_t amount) { return amount < 64 ? value >> amount : 0; }

}  // namespace

void LoadByte(EeState& s, uint32_t op) {
    RtLower(s, op) = static_cast<uint64_t>(static_cast<int64_t>(static_cast<int8_t>(ReadByte(s, EffectiveAddress(s, op)))));
}

void LoadByteUnsigned(EeState& s, uint32_t op) { RtLower(s, op) = ReadByte(s, EffectiveAddress(s, op)); }

void LoadHalf(EeState& s, uint32_t op) {
    RtLower(s, op) = static_cast<uint64_t>(static_cast<int64_t>(static_cast<int16_t>(ReadHalf(s, EffectiveAddress(s, op)))));
}

void LoadHalfUnsigned(EeState& s, uint32_t op) { RtLower(s, op) = ReadHalf(s, EffectiveAddress(s, op)); }
void LoadWord(EeState& s, uint32_t op) { SetRtWord(s, op, ReadWord(s, EffectiveAddress(s, op))); }
void LoadWordUnsigned(EeState& s, uint32_t op) { RtLower(s, op) = ReadWord(s, EffectiveAddress(s, op)); }

// The bytes from the aligned word's start up to the address become the most significant bytes.
void LoadWordLeft(EeState& s, uint32_t op) {
    const uint32_t address = EffectiveAddress(s, op);
    const uint32_t k = address & 3;
    const uint32_t word = ReadWord(s, address & ~3u);
    const uint32_t merged = (word << (24 - 8 * k)) | (RtWord(s, op) & (0x00FFFFFFu >> (8 * k)));
    SetRtWord(s, op, merged);
}

// The bytes from the address to the aligned word's end become the least significant bytes.
void LoadWordRight(EeState& s, uint32_t op) {
    const uint32_t address = EffectiveAddress(s, op);
    const uint32_t k = address & 3;
    const uint32_t word = ReadWord(s, address & ~3u);
    const uint32_t keep = k == 0 ? 0 : 0xFFFFFFFFu << (32 - 8 * k);
    const uint32_t merged = (word >> (8 * k)) | (RtWord(s, op) & keep);
    SetRtWord(s, op, merged);
}

void LoadDouble(EeState& s, uint32_t op) { RtLower(s, op) = ReadDouble(s, EffectiveAddress(s, op)); }

void LoadDoubleLeft(EeState& s, uint32_t op) {
    const uint32_t address = EffectiveAddress(s, op);
    const uint32_t k = address & 7;
    const uint64_t value = ReadDouble(s, address & ~7u);
    RtLower(s, op) = (value << (56 - 8 * k)) | (RtValue(s, op) & (0x00FFFFFFFFFFFFFFull >> (8 * k)));
}

void LoadDoubleRight(EeState& s, uint32_t op) {
    const uint32_t address = EffectiveAddress(s, op);
    const uint32_t k = address & 7;
    const uint64_t value = ReadDouble(s, address & ~7u);
    const uint64_t keep = ShiftLeft64(~0ull, 64 - 8 * k);
    RtLower(s, op) = (value >> (8 * k)) | (RtValue(s, op) & keep);
}

// The address is used as computed, low four bits included.
void LoadQuad(EeState& s, uint32_t op) {
    Reg128 value;
    ReadQuad(s, EffectiveAddress(s, op), value);
    RtQuad(s, op) = value;
}

void StoreByte(EeState& s, uint32_t op) { WriteByte(s, EffectiveAddress(s, op), static_cast<uint8_t>(RtWord(s, op))); }
void StoreHalf(EeState& s, uint32_t op) { WriteHalf(s, EffectiveAddress(s, op), static_cast<uint16_t>(RtWord(s, op))); }
void StoreWord(EeState& s, uint32_t op) { WriteWord(s, EffectiveAddress(s, op), RtWord(s, op)); }

// The (k + 1) most significant bytes go to the bytes from the aligned word's start up to the
// address; the aligned word is read, merged and written back whole.
void StoreWordLeft(EeState& s, uint32_t op) {
    const uint32_t address = EffectiveAddress(s, op);
    const uint32_t k = address & 3;
    const uint32_t aligned = address & ~3u;
    const uint32_t word = ReadWord(s, aligned);
    const uint32_t keep = k == 3 ? 0 : 0xFFFFFF00u << (8 * k);
    WriteWord(s, aligned, (RtWord(s, op) >> (24 - 8 * k)) | (word & keep));
}

// The (4 - k) least significant bytes go to the bytes from the address to the word's end.
void StoreWordRight(EeState& s, uint32_t op) {
    const uint32_t address = EffectiveAddress(s, op);
    const uint32_t k = address & 3;
    const uint32_t aligned = address & ~3u;
    const uint32_t word = ReadWord(s, aligned);
    const uint32_t keep = 0x00FFFFFFu >> (24 - 8 * k);
    WriteWord(s, aligned, (RtWord(s, op) << (8 * k)) | (word & keep));
}

void StoreDouble(EeState& s, uint32_t op) { WriteDouble(s, EffectiveAddress(s, op), RtValue(s, op)); }

void StoreDoubleLeft(EeState& s, uint32_t op) {
    const uint32_t address = EffectiveAddress(s, op);
    const uint32_t k = address & 7;
    const uint32_t aligned = address & ~7u;
    const uint64_t value = ReadDouble(s, aligned);
    const uint64_t keep = ShiftLeft64(0xFFFFFFFFFFFFFF00ull, 8 * k);
    WriteDouble(s, aligned, (RtValue(s, op) >> (56 - 8 * k)) | (value & keep));
}

void StoreDoubleRight(EeState& s, uint32_t op) {
    const uint32_t address = EffectiveAddress(s, op);
    const uint32_t k = address & 7;
    const uint32_t aligned = address & ~7u;
    const uint64_t value = ReadDouble(s, aligned);
    const uint64_t keep = ShiftRight64(0x00FFFFFFFFFFFFFFull, 56 - 8 * k);
    WriteDouble(s, aligned, (RtValue(s, op) << (8 * k)) | (value & keep));
}

void StoreQuad(EeState& s, uint32_t op) { WriteQuad(s, EffectiveAddress(s, op), RtQuad(s, op)); }

void LoadWordToFpu(EeState& s, uint32_t op) {
    const uint32_t bits = ReadWord(s, EffectiveAddress(s, op));
    std::memcpy(&s.fpr[Ft(op)], &bits, 4);
}

void StoreWordFromFpu(EeState& s, uint32_t op) {
    uint32_t bits;
    std::memcpy(&bits, &s.fpr[Ft(op)], 4);
    WriteWord(s, EffectiveAddress(s, op), bits);
}

void LoadQuadToVu0(EeState& s, uint32_t op) {
    Reg128 value;
    ReadQuad(s, EffectiveAddress(s, op), value);
    VuVector& v = s.vf[Ft(op)];
    std::memcpy(&v.c[0], &value.lower, 8);
    std::memcpy(&v.c[2], &value.upper, 8);
}

// Straight to memory: no register-window rules for SQC2.
void StoreQuadFromVu0(EeState& s, uint32_t op) {
    std::memcpy(TranslateAddress(s, EffectiveAddress(s, op)), s.vf[Ft(op)].c, 16);
}

}  // namespace vertigon

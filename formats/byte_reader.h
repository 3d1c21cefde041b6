// Bounds-checked little-endian reads over a file buffer. Every read names an offset and a size;
// a read outside the buffer, or offset arithmetic that would wrap, throws FormatError.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "formats/load_error.h"

namespace vertigon {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

    uint64_t size() const { return data_.size(); }
    std::span<const uint8_t> data() const { return data_; }

    // Throws unless [offset, offset + length) lies inside the buffer.
    void Require(uint64_t offset, uint64_t length) const {
        if (offset > data_.size() || length > data_.size() - offset) ThrowOutside(offset, length);
    }
    // Throws unless `count` elements of `elementSize` bytes fit from `offset`.
    void RequireArray(uint64_t offset, uint64_t count, uint64_t elementSize) const {
        Require(offset, Mul(count, elementSize));
    }
    bool Contains(uint64_t offset, uint64_t length) const {
        return offset <= data_.size() && length <= data_.size() - offset;
    }

    uint8_t U8(uint64_t offset) const { return Load<uint8_t>(offset); }
    int8_t S8(uint64_t offset) const { return Load<int8_t>(offset); }
    uint16_t U16(uint64_t offset) const { return Load<uint16_t>(offset); }
    int16_t S16(uint64_t offset) const { return Load<int16_t>(offset); }
    uint32_t U32(uint64_t offset) const { return Load<uint32_t>(offset); }
    int32_t S32(uint64_t offset) const { return Load<int32_t>(offset); }
    uint64_t U64(uint64_t offset) const { return Load<uint64_t>(offset); }
    float F32(uint64_t offset) const { return Load<float>(offset); }

    std::span<const uint8_t> Bytes(uint64_t offset, uint64_t length) const {
        Require(offset, length);
        return data_.subspan(static_cast<size_t>(offset), static_cast<size_t>(length));
    }
    // A reader over part of this one; offsets in it count from `offset`.
    ByteReader Sub(uint64_t offset, uint64_t length) const { return ByteReader(Bytes(offset, length)); }
    ByteReader From(uint64_t offset) const {
        Require(offset, 0);
        return ByteReader(data_.subspan(static_cast<size_t>(offset)));
    }

    // Checked offset arithmetic.
    static uint64_t Add(uint64_t a, uint64_t b) {
        if (b > UINT64_MAX - a) ThrowOverflow();
        return a + b;
    }
    static uint64_t Mul(uint64_t a, uint64_t b) {
        if (a != 0 && b > UINT64_MAX / a) ThrowOverflow();
        return a * b;
    }

private:
    template <typename T>
    T Load(uint64_t offset) const {
        Require(offset, sizeof(T));
        T value;
        std::memcpy(&value, data_.data() + offset, sizeof(T));
        return value;
    }

    [[noreturn]] void ThrowOutside(uint64_t offset, uint64_t length) const;
    [[noreturn]] static void ThrowOverflow();

    std::span<const uint8_t> data_;
};

}  // namespace vertigon

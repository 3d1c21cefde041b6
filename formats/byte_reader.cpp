#include "formats/byte_reader.h"

#include <cinttypes>
#include <cstdio>

namespace vertigon {

void ByteReader::ThrowOutside(uint64_t offset, uint64_t length) const {
    char text[160];
    std::snprintf(text, sizeof text, "%" PRIu64 " bytes at offset 0x%" PRIX64 " lie outside the %zu bytes of data",
                  length, offset, data_.size());
    Refuse(text);
}

void ByteReader::ThrowOverflow() { Refuse("an offset or size in the file overflows"); }

}  // namespace vertigon

#include "formats/ffb/ffb_archive.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <zlib.h>

#include "formats/load_error.h"

namespace vertigon {

namespace {

struct GzCloser {
    void operator()(gzFile_s* file) const { gzclose(file); }
};
using GzFile = std::unique_ptr<gzFile_s, GzCloser>;

[[noreturn]] void ThrowReadError(gzFile file, const std::string& path) {
    int code = Z_OK;
    const char* text = gzerror(file, &code);
    if (code == Z_ERRNO) throw FileError("cannot read " + path + ": " + std::strerror(errno));
    throw FormatError("the gzip stream of " + path + " is corrupt: " + text);
}

constexpr size_t kHeaderBytes = 512;
constexpr size_t kNameOffset = 0;
constexpr size_t kSizeOffset = 124;
constexpr size_t kSizeField = 12;
constexpr size_t kChecksumOffset = 148;
constexpr size_t kChecksumField = 8;

// Sum of the header bytes taken as signed, with the checksum field counted as spaces.
int HeaderSum(const uint8_t* header) {
    int sum = 0;
    for (size_t i = 0; i < kHeaderBytes; ++i) {
        const bool inChecksum = i >= kChecksumOffset && i < kChecksumOffset + kChecksumField;
        sum += inChecksum ? ' ' : static_cast<int8_t>(header[i]);
    }
    return sum;
}

// The checksum field must read as the sum written with "%06o", terminated by a NUL.
bool ChecksumMatches(const uint8_t* header) {
    char expected[16];
    const int length = std::snprintf(expected, sizeof expected, "%06o", static_cast<unsigned>(HeaderSum(header)));
    if (length <= 0 || static_cast<size_t>(length) >= kChecksumField) return false;
    return std::memcmp(header + kChecksumOffset, expected, static_cast<size_t>(length)) == 0 &&
           header[kChecksumOffset + static_cast<size_t>(length)] == 0;
}

// The octal size, read as "%o" would (leading white space skipped) but never past its field.
std::optional<uint64_t> MemberSize(const uint8_t* header) {
    const uint8_t* field = header + kSizeOffset;
    size_t i = 0;
    while (i < kSizeField && (field[i] == ' ' || (field[i] >= '\t' && field[i] <= '\r'))) ++i;
    uint64_t size = 0;
    size_t digits = 0;
    for (; i < kSizeField && field[i] >= '0' && field[i] <= '7'; ++i, ++digits) size = size * 8 + (field[i] - '0');
    if (digits == 0) return std::nullopt;
    return size;
}

bool NameEquals(const uint8_t* header, std::string_view name) {
    // A name of 512 bytes or more can never be followed by its terminator inside the header.
    if (name.size() >= kHeaderBytes) return false;
    return std::memcmp(header + kNameOffset, name.data(), name.size()) == 0 && header[kNameOffset + name.size()] == 0;
}

}  // namespace

std::vector<uint8_t> ReadArchive(const std::string& path) {
    GzFile file(gzopen(path.c_str(), "rb"));
    if (!file) throw FileError("cannot open " + path + ": " + std::strerror(errno));
    // Read on in 1 MiB steps until a read comes back short. The buffer keeps what was read, so
    // every byte is decompressed once.
    std::vector<uint8_t> image;
    size_t filled = 0;
    for (;;) {
        if (filled >= kArchiveSizeLimit) throw FormatError(path + " is larger than 1 GiB once decompressed");
        image.resize(filled + kArchiveReadStep);
        const int read = gzread(file.get(), image.data() + filled, static_cast<unsigned>(kArchiveReadStep));
        if (read < 0) ThrowReadError(file.get(), path);
        filled += static_cast<size_t>(read);
        if (static_cast<size_t>(read) < kArchiveReadStep) break;
    }
    image.resize(filled);
    return image;
}

std::optional<ByteReader> FindArchiveMember(std::span<const uint8_t> image, std::string_view name) {
    uint64_t position = 0;
    while (position + kHeaderBytes < image.size()) {
        const uint8_t* header = image.data() + position;
        if (!ChecksumMatches(header)) return std::nullopt;
        const std::optional<uint64_t> size = MemberSize(header);
        if (!size) return std::nullopt;
        const uint64_t dataStart = position + kHeaderBytes;
        if (NameEquals(header, name)) {
            const uint64_t available = image.size() - dataStart;
            return ByteReader(image.subspan(static_cast<size_t>(dataStart),
                                            static_cast<size_t>(*size < available ? *size : available)));
        }
        // Sizes have at most 12 octal digits, so this cannot wrap.
        position = dataStart + (*size + kHeaderBytes - 1) / kHeaderBytes * kHeaderBytes;
    }
    return std::nullopt;
}

}  // namespace vertigon

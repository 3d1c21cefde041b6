#include "formats/ffb/ffb_archive.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include <zlib.h>

#include "formats/file_io.h"
#include "formats/load_error.h"

namespace vertigon::ffb {

namespace {

constexpr uint8_t kGzipMagic[2] = {0x1F, 0x8B};

bool StartsGzipMember(std::span<const uint8_t> bytes) {
    return bytes.size() >= 2 && bytes[0] == kGzipMagic[0] && bytes[1] == kGzipMagic[1];
}

struct InflateStream {
    z_stream z{};
    InflateStream() {
        if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) Refuse("zlib cannot start inflating");
    }
    ~InflateStream() { inflateEnd(&z); }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
};

struct DeflateStream {
    z_stream z{};
    DeflateStream() {
        if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            throw FormatError("zlib cannot start compressing");
        }
    }
    ~DeflateStream() { deflateEnd(&z); }
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;
};

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

std::vector<uint8_t> InflateArchive(std::span<const uint8_t> file, const std::string& name) {
    if (!StartsGzipMember(file)) {
        if (file.size() >= kArchiveSizeLimit) Refuse(name, " is larger than 1 GiB once decompressed");
        return std::vector<uint8_t>(file.begin(), file.end());
    }
    InflateStream stream;
    z_stream& z = stream.z;
    std::span<const uint8_t> rest = file;
    std::vector<uint8_t> image;
    size_t filled = 0;
    // Inflate in steps of output growing to 1 MiB; every byte is decompressed once.
    while (StartsGzipMember(rest)) {
        z.next_in = const_cast<Bytef*>(rest.data());
        z.avail_in = static_cast<uInt>(std::min<size_t>(rest.size(), UINT32_MAX));
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (filled >= kArchiveSizeLimit) Refuse(name, " is larger than 1 GiB once decompressed");
            const size_t step = std::clamp(filled, kArchiveFirstReadStep, kArchiveReadStep);
            image.resize(filled + step);
            z.next_out = image.data() + filled;
            z.avail_out = static_cast<uInt>(step);
            status = inflate(&z, Z_NO_FLUSH);
            filled = image.size() - z.avail_out;
            if (status == Z_BUF_ERROR && z.avail_in == 0) {
                Refuse("the gzip stream of " + name + " is corrupt: unexpected end of file");
            }
            if (status != Z_OK && status != Z_STREAM_END) {
                Refuse("the gzip stream of " + name + " is corrupt: " + (z.msg ? z.msg : "inflate failed"));
            }
        }
        rest = rest.subspan(rest.size() - z.avail_in);
        inflateReset(&z);
    }
    if (filled >= kArchiveSizeLimit) Refuse(name, " is larger than 1 GiB once decompressed");
    image.resize(filled);
    return image;
}

bool IsGzipArchive(std::span<const uint8_t> file) { return StartsGzipMember(file); }

std::vector<uint8_t> DeflateArchive(std::span<const uint8_t> image) {
    if (image.size() >= kArchiveSizeLimit) throw FormatError("the archive is too large to compress");
    DeflateStream stream;
    std::vector<uint8_t> out(deflateBound(&stream.z, static_cast<uLong>(image.size())));
    stream.z.next_in = const_cast<Bytef*>(image.data());
    stream.z.avail_in = static_cast<uInt>(image.size());
    stream.z.next_out = out.data();
    stream.z.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream.z, Z_FINISH) != Z_STREAM_END) throw FormatError("zlib cannot compress the archive");
    out.resize(stream.z.total_out);
    return out;
}

std::vector<uint8_t> ReadArchive(const std::string& path) { return InflateArchive(ReadWholeFile(path), path); }

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

}  // namespace vertigon::ffb

// The tar archive an FFB file is, optionally gzip-compressed: reading it whole and finding a
// member in it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_reader.h"

namespace vertigon::ffb {

// Growth step of the read buffer.
inline constexpr size_t kArchiveReadStep = size_t{1} << 20;
// The first step: small archives are not given a whole read step to fill. Steps double from
// here up to kArchiveReadStep.
inline constexpr size_t kArchiveFirstReadStep = size_t{1} << 16;
// FFB archives are a few MiB at most; anything larger (a gzip bomb, a wrong file) is refused.
inline constexpr size_t kArchiveSizeLimit = size_t{1} << 30;

// The archive held by `file`: gzip members one after another are inflated (bytes after the
// last member that start no new one are ignored), anything else is taken as it is. Throws
// FormatError, naming the file `name`, for a corrupt or cut gzip stream or an archive that
// reaches kArchiveSizeLimit.
std::vector<uint8_t> InflateArchive(std::span<const uint8_t> file, const std::string& name);

// Whether `file` begins with a gzip member (and InflateArchive inflates it).
bool IsGzipArchive(std::span<const uint8_t> file);

// The archive compressed as one gzip member, as InflateArchive reads it back. Throws
// FormatError when zlib fails.
std::vector<uint8_t> DeflateArchive(std::span<const uint8_t> image);

// The archive in the file at `path`, as InflateArchive makes it. Throws FileError when the path
// cannot be opened or read.
std::vector<uint8_t> ReadArchive(const std::string& path);

// The data of the member named `name` (exact, case-sensitive) found by walking the tar headers
// from the start of `image`. The walk ends, without a result, at the first header whose
// checksum field does not hold the header's sum as six octal digits, or whose size field holds
// no octal number. A member whose data run past the end of `image` is cut at the end.
std::optional<ByteReader> FindArchiveMember(std::span<const uint8_t> image, std::string_view name);

}  // namespace vertigon::ffb

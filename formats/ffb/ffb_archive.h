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

namespace vertigon {

// Growth step of the read buffer.
inline constexpr size_t kArchiveReadStep = size_t{1} << 20;
// FFB archives are a few MiB at most; anything larger (a gzip bomb, a wrong file) is refused.
inline constexpr size_t kArchiveSizeLimit = size_t{1} << 30;

// The whole archive through zlib's gzip reader, which passes a plain file through unchanged.
// The result holds exactly the bytes read. Throws FileError when the path cannot be opened or
// read, FormatError for a corrupt gzip stream or an archive above kArchiveSizeLimit.
std::vector<uint8_t> ReadArchive(const std::string& path);

// The data of the member named `name` (exact, case-sensitive) found by walking the tar headers
// from the start of `image`. The walk ends, without a result, at the first header whose
// checksum field does not hold the header's sum as six octal digits, or whose size field holds
// no octal number. A member whose data run past the end of `image` is cut at the end.
std::optional<ByteReader> FindArchiveMember(std::span<const uint8_t> image, std::string_view name);

}  // namespace vertigon

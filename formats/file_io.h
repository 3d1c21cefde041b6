#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vertigon {

// The whole file in memory; throws FileError when it cannot be opened or read.
std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Writes `bytes` to a temporary name beside `path` and renames it over `path` once complete, so
// `path` is either untouched or whole (and may be the file the bytes were read from). Throws
// FileError when it cannot.
void WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes);

// Whether the file opens for reading; never throws.
bool FileOpens(const std::string& path);

// Why `path` cannot be read, in the system's words ("No such file or directory", "Permission
// denied", "Is a directory"); empty when it opens for reading. Never throws or blocks.
std::string OpenProblem(const std::string& path);

// Whether the file opens and its first bytes equal `magic`; never throws.
bool FileStartsWith(const std::string& path, const void* magic, size_t length);

// The text from the last '.' in the whole path to its end; empty when there is no '.'.
std::string_view PathExtension(std::string_view path);
// Case-insensitive comparison of the path's extension with `extension` (which includes the dot).
bool HasExtension(std::string_view path, std::string_view extension);
// The path with everything from its last '.' replaced by `extension`; a path without '.' gets
// `extension` appended.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

}  // namespace vertigon

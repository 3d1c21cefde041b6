#include "formats/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "formats/load_error.h"

namespace vertigon {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

void WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
    const std::string temporary = path + ".partial";
    {
        FilePtr file(std::fopen(temporary.c_str(), "wb"));
        if (!file) Refuse<FileError>("cannot write ", path, ": ", std::strerror(errno));
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
        const bool closed = std::fclose(file.release()) == 0;
        if (!written || !closed) {
            const int error = errno;
            std::remove(temporary.c_str());
            errno = error;
            Refuse<FileError>("cannot write ", path, ": ", std::strerror(errno));
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        std::remove(temporary.c_str());
        errno = error;
        Refuse<FileError>("cannot write ", path, ": ", std::strerror(errno));
    }
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) Refuse<FileError>("cannot open ", path, ": ", std::strerror(errno));
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0) Refuse<FileError>("cannot examine ", path, ": ", std::strerror(errno));
    if (!S_ISREG(info.st_mode)) Refuse<FileError>("cannot read ", path, ": not a regular file");
    if (std::fseek(file.get(), 0, SEEK_END) != 0) Refuse<FileError>("cannot seek in ", path, ": ", std::strerror(errno));
    const long length = std::ftell(file.get());
    if (length < 0) Refuse<FileError>("cannot measure ", path, ": ", std::strerror(errno));
    if (std::fseek(file.get(), 0, SEEK_SET) != 0) Refuse<FileError>("cannot seek in ", path, ": ", std::strerror(errno));
    std::vector<uint8_t> data(static_cast<size_t>(length));
    if (!data.empty() && std::fread(data.data(), 1, data.size(), file.get()) != data.size()) {
        Refuse<FileError>("cannot read ", path, ": ", std::strerror(errno));
    }
    return data;
}

bool FileOpens(const std::string& path) { return FilePtr(std::fopen(path.c_str(), "rb")) != nullptr; }

std::string OpenProblem(const std::string& path) {
    // Non-blocking, so that a FIFO with no writer does not hold the caller.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::generic_category().message(errno);
    struct stat info {};
    int problem = 0;
    if (fstat(fd, &info) != 0) {
        problem = errno;
    } else if (S_ISDIR(info.st_mode)) {
        problem = EISDIR;  // opens, but reads fail
    }
    close(fd);
    return problem == 0 ? std::string() : std::generic_category().message(problem);
}

bool FileStartsWith(const std::string& path, const void* magic, size_t length) {
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    std::vector<uint8_t> head(length);
    if (std::fread(head.data(), 1, length, file.get()) != length) return false;
    return std::memcmp(head.data(), magic, length) == 0;
}

std::string_view PathExtension(std::string_view path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos) return {};
    return path.substr(dot);
}

bool HasExtension(std::string_view path, std::string_view extension) {
    const std::string_view actual = PathExtension(path);
    if (actual.empty() || actual.size() != extension.size()) return false;
    for (size_t i = 0; i < actual.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(actual[i]) != lower(extension[i])) return false;
    }
    return true;
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
    const size_t dot = path.rfind('.');
    std::string result(path.substr(0, dot == std::string_view::npos ? path.size() : dot));
    result += extension;
    return result;
}

}  // namespace vertigon

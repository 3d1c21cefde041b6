#include "export/file_set.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include "export/export_error.h"

namespace vertigon {

namespace {

// Creates a fresh file beside `target` (never an existing one) and writes the bytes into it.
std::filesystem::path WriteTemporary(const OutputFile& file, std::mt19937_64& random) {
    const std::filesystem::path directory = file.path.parent_path();
    for (int attempt = 0; attempt < 16; ++attempt) {
        // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about "." + std::string.
        std::string name = ".";
        name += file.path.filename().string();
        name += '.';
        name += std::to_string(random() % 1000000000);
        name += ".tmp";
        const std::filesystem::path temporary = directory / name;
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) throw ExportError("cannot write " + file.path.string() + ": " + std::strerror(errno));
        size_t written = 0;
        int error = 0;
        while (written < file.bytes.size()) {
            const ssize_t n = ::write(fd, file.bytes.data() + written, file.bytes.size() - written);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = n < 0 ? errno : ENOSPC;
                break;
            }
            written += static_cast<size_t>(n);
        }
        if (::close(fd) != 0 && error == 0) error = errno;
        if (error != 0) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw ExportError("cannot write " + file.path.string() + ": " + std::strerror(error));
        }
        return temporary;
    }
    throw ExportError("cannot write " + file.path.string() + ": no free temporary name beside it");
}

}  // namespace

void WriteFilesWhole(const std::vector<OutputFile>& files) {
    std::mt19937_64 random{std::random_device{}()};
    std::vector<std::filesystem::path> temporaries;
    const auto removeTemporaries = [&temporaries](size_t from) {
        std::error_code ignored;
        for (size_t i = from; i < temporaries.size(); ++i) std::filesystem::remove(temporaries[i], ignored);
    };
    try {
        for (const OutputFile& file : files) temporaries.push_back(WriteTemporary(file, random));
    } catch (...) {
        removeTemporaries(0);
        throw;
    }
    for (size_t i = 0; i < files.size(); ++i) {
        if (std::rename(temporaries[i].c_str(), files[i].path.c_str()) != 0) {
            const int error = errno;
            removeTemporaries(i);
            throw ExportError("cannot write " + files[i].path.string() + ": " + std::strerror(error));
        }
    }
}

}  // namespace vertigon

#include "formats/mdls/ee_image_file.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "formats/mdls/animation_routines.h"
#include "formats/file_io.h"
#include "formats/load_error.h"

namespace vertigon::mdls {
namespace {

constexpr const char* kImageName = "ee-image.bin";
constexpr uint8_t kElfMagic[4] = {0x7F, 'E', 'L', 'F'};
// A zlib stream of the image is far smaller; anything larger is not one.
constexpr uintmax_t kMaxFileSize = 2 * mdls::kProgramImageSize;

std::string SizeText(uintmax_t bytes) { return std::to_string(bytes) + " bytes"; }

std::vector<uint8_t> Inflate(const std::string& path, std::vector<uint8_t>& stream) {
    // One byte more than needed tells a longer image from an exact one.
    std::vector<uint8_t> image(mdls::kProgramImageSize + 1);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) Refuse<EeImageError>("EE program image ", path, " refused: ", "zlib cannot start");
    z.next_in = stream.data();
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = image.data();
    z.avail_out = static_cast<uInt>(image.size());
    const int status = inflate(&z, Z_FINISH);
    const size_t length = image.size() - z.avail_out;
    const bool outputFull = z.avail_out == 0;
    inflateEnd(&z);
    if (status == Z_BUF_ERROR && outputFull) Refuse<EeImageError>("EE program image ", path, " refused: ", "it inflates to more than " + SizeText(mdls::kProgramImageSize));
    if (status == Z_BUF_ERROR) Refuse<EeImageError>("EE program image ", path, " refused: ", "its zlib stream is cut short");
    if (status != Z_STREAM_END) Refuse<EeImageError>("EE program image ", path, " refused: ", "it is neither an ELF executable nor a zlib stream of one");
    if (length != mdls::kProgramImageSize)
        Refuse<EeImageError>("EE program image ", path, " refused: ", "it inflates to " + SizeText(length) + ", not " + SizeText(mdls::kProgramImageSize));
    image.resize(length);
    return image;
}

}  // namespace

std::vector<std::string> DefaultEeImagePlaces(const char* xdgDataHome, const char* home,
                                              const std::string& executableDirectory) {
    std::vector<std::string> places;
    if (xdgDataHome && *xdgDataHome) {
        places.push_back((std::filesystem::path(xdgDataHome) / "vertigon" / kImageName).string());
    } else if (home && *home) {
        places.push_back((std::filesystem::path(home) / ".local/share/vertigon" / kImageName).string());
    }
    if (!executableDirectory.empty())
        places.push_back((std::filesystem::path(executableDirectory) / kImageName).string());
    return places;
}

std::vector<std::string> DefaultEeImagePlaces() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return DefaultEeImagePlaces(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"),
                                error ? std::string() : executable.parent_path().string());
}

std::string ChooseEeImage(const LoaderOptions& options) {
    if (!options.eeImagePath.empty()) return options.eeImagePath;
    if (!options.searchDefaultEeImagePlaces) return {};
    for (const std::string& place : DefaultEeImagePlaces()) {
        std::error_code error;
        if (std::filesystem::exists(place, error)) return place;
    }
    return {};
}

std::vector<uint8_t> ReadEeImage(const std::string& path) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxFileSize) Refuse<EeImageError>("EE program image ", path, " refused: ", "it is " + SizeText(size) + ", not " + SizeText(mdls::kProgramImageSize));
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const FileError& e) {
        Refuse<EeImageError>("EE program image: ", e.what());
    }
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), kElfMagic, 4) == 0) {
        if (bytes.size() != mdls::kProgramImageSize)
            Refuse<EeImageError>("EE program image ", path, " refused: ", "it is " + SizeText(bytes.size()) + ", not " + SizeText(mdls::kProgramImageSize));
        return bytes;
    }
    return Inflate(path, bytes);
}

}  // namespace vertigon::mdls

#include "image/png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/image_error.h"

namespace vertigon {

namespace {

struct MemoryInput {
    std::span<const uint8_t> bytes;
    size_t position = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
    auto* input = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (length > input->bytes.size() - input->position) png_error(png, "the PNG data end early");
    std::memcpy(out, input->bytes.data() + input->position, length);
    input->position += length;
}

// libpng's reason for the last failure, kept where the longjmp cannot lose it.
struct DecodeState {
    MemoryInput input;
    char message[160] = "";
};

void KeepError(png_structp png, png_const_charp message) {
    auto* state = static_cast<DecodeState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message);
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Decodes into `out`. Only trivially destructible objects live in this frame, so libpng's
// longjmp out of a failure skips no destructor; returns false with state.message set.
bool DecodeInto(DecodeState& state, uint64_t maxPixels, RgbaPixels& out, std::vector<png_bytep>& rows) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, KeepError, IgnoreWarning);
    if (!png) {
        std::snprintf(state.message, sizeof state.message, "libpng cannot start");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (state.message[0] == 0) std::snprintf(state.message, sizeof state.message, "libpng cannot start");
        return false;
    }
    png_set_read_fn(png, &state.input, ReadFromMemory);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (uint64_t{width} * height > maxPixels) png_error(png, "the image has too many pixels");

    // Every colour type and depth becomes 8-bit R, G, B, A.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t{width} * 4) png_error(png, "the image does not convert to RGBA");

    out.width = static_cast<int32_t>(width);
    out.height = static_cast<int32_t>(height);
    out.pixels.resize(size_t{width} * height * 4);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = out.pixels.data() + size_t{y} * width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(int32_t width, int32_t height, int channels, std::span<const uint8_t> pixels) {
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) ||
        pixels.size() != uint64_t(width) * uint64_t(height) * uint64_t(channels)) {
        throw ImageError("an image of " + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels does not hold " + std::to_string(pixels.size()) + " bytes");
    }
    // The simplified interface reports failures through the structure, without longjmp.
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    const png_int_32 stride = width * channels;
    bool ok = png_image_write_to_memory(&png, nullptr, &size, 0, pixels.data(), stride, nullptr) != 0;
    std::vector<uint8_t> bytes;
    if (ok) {
        bytes.resize(size);
        ok = png_image_write_to_memory(&png, bytes.data(), &size, 0, pixels.data(), stride, nullptr) != 0;
        bytes.resize(size);
    }
    const std::string message = png.message;
    png_image_free(&png);
    if (!ok) throw ImageError("cannot encode a PNG image: " + message);
    return bytes;
}

void WritePngFile(const std::string& path, int32_t width, int32_t height, int channels,
                  std::span<const uint8_t> pixels) {
    const std::vector<uint8_t> png = EncodePng(width, height, channels, pixels);
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw ImageError("cannot write " + path);
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        throw ImageError("cannot write " + path);
    }
}

RgbaPixels DecodePng(std::span<const uint8_t> png, uint64_t maxPixels) {
    if (png.size() < 8 || png_sig_cmp(png.data(), 0, 8) != 0) throw ImageError("not a PNG file");
    DecodeState state;
    state.input.bytes = png;
    RgbaPixels out;
    std::vector<png_bytep> rows;
    if (!DecodeInto(state, maxPixels, out, rows)) throw ImageError(std::string("the PNG does not decode: ") + state.message);
    return out;
}

RgbaPixels ReadPngFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ImageError("cannot open " + path);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw ImageError("cannot read " + path);
    try {
        return DecodePng(bytes);
    } catch (const ImageError& failure) {
        throw ImageError(path + ": " + failure.what());
    }
}

}  // namespace vertigon

#include "render/image_file.h"

#include <png.h>

#include <csetjmp>
#include <new>
#include <string>

namespace orbisk {
namespace {

// What libpng writes goes here. No C++ exception may pass through libpng's frames, so an allocation that fails is
// only noted, and the picture counts as not encoded.
struct PngBytes {
    std::vector<std::uint8_t> bytes;
    bool outOfMemory = false;
};

extern "C" void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<PngBytes*>(png_get_io_ptr(png));
    if (out->outOfMemory) return;
    try {
        out->bytes.insert(out->bytes.end(), data, data + length);
    } catch (const std::bad_alloc&) {
        out->outOfMemory = true;
    }
}

extern "C" void flushNothing(png_structp) {}

// libpng's errors (it runs out of memory) end the encoding, and its warnings are dropped: the program says in one
// line of its own what went wrong.
extern "C" [[noreturn]] void abandonEncoding(png_structp png, png_const_charp) { png_longjmp(png, 1); }
extern "C" void ignoreWarning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp, so this frame holds nothing that needs destroying.
bool encodePng(PngBytes& out, const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, abandonEncoding, ignoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendBytes, flushNothing);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < height; ++y) png_write_row(png, rgb + std::size_t{y} * width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return !out.outOfMemory;
}

} // namespace

std::vector<std::uint8_t> pngFile(const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height) {
    PngBytes out;
    if (!encodePng(out, rgb.data(), width, height)) return {};
    return std::move(out.bytes);
}

std::vector<std::uint8_t> ppmFile(const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height) {
    const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), rgb.begin(), rgb.begin() + std::size_t{width} * height * 3);
    return bytes;
}

} // namespace orbisk

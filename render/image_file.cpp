#include "render/image_file.h"

#include <png.h>

#include <csetjmp>
#include <string>

namespace orbisk {
namespace {

extern "C" void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

extern "C" void flushNothing(png_structp) {}

// libpng reports errors by longjmp, so this frame holds nothing that needs destroying.
bool encodePng(std::vector<std::uint8_t>& bytes, const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &bytes, appendBytes, flushNothing);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < height; ++y) png_write_row(png, rgb + std::size_t{y} * width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::vector<std::uint8_t> pngFile(const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> bytes;
    if (!encodePng(bytes, rgb.data(), width, height)) bytes.clear();
    return bytes;
}

std::vector<std::uint8_t> ppmFile(const std::vector<std::uint8_t>& rgb, std::uint32_t width, std::uint32_t height) {
    const std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    std::vector<std::uint8_t> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), rgb.begin(), rgb.begin() + std::size_t{width} * height * 3);
    return bytes;
}

} // namespace orbisk

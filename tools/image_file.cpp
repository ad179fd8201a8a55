#include "tools/image_file.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace orbisk {
namespace {


std::string systemError(const std::string& path) { return "cannot write '" + path + "': " + std::strerror(errno); }

// libpng reports errors by longjmp, so this frame holds nothing that needs destroying.
bool encodePng(std::FILE* file, const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < height; ++y) png_write_row(png, rgb + std::size_t{y} * width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writePng(const std::string& path, const std::vector<std::uint8_t>& rgb, std::uint32_t width,
              std::uint32_t height, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = systemError(path);
        return false;
    }
    const bool encoded = encodePng(file, rgb.data(), width, height);
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !closed) {
        error = encoded ? systemError(path) : "cannot write '" + path + "': PNG encoding failed";
        return false;
    }
    return true;
}

bool writePpm(const std::string& path, const std::vector<std::uint8_t>& rgb, std::uint32_t width,
              std::uint32_t height, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = systemError(path);
        return false;
    }
    const bool written = std::fprintf(file, "P6\n%u %u\n255\n", width, height) > 0 &&
                         std::fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = systemError(path);
        return false;
    }
    return true;
}

} // namespace orbisk

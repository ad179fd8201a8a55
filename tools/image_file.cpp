#include "tools/image_file.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace orbisk {
namespace {

std::string systemError(const std::string& path) { return "cannot write '" + path + "': " + std::strerror(errno); }

// In the picture's own folder, so that the rename stays on one file system; the process id keeps runs apart.
std::string temporaryPath(const std::string& path) { return path + ".tmp" + std::to_string(::getpid()); }

// A file that nothing else has open, with the permissions of any new file rather than mkstemp's owner-only ones.
std::FILE* createNew(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    std::FILE* file = ::fdopen(descriptor, "wb");
    if (!file) {
        ::close(descriptor);
        std::remove(path.c_str());
    }
    return file;
}

using Encoder = bool (*)(std::FILE* file, const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height);

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

bool encodePpm(std::FILE* file, const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height) {
    const std::size_t size = std::size_t{width} * height * 3;
    return std::fprintf(file, "P6\n%u %u\n255\n", width, height) > 0 && std::fwrite(rgb, 1, size, file) == size;
}

bool replaceWithPicture(const std::string& path, Encoder encode, const std::vector<std::uint8_t>& rgb,
                        std::uint32_t width, std::uint32_t height, std::string& error) {
    const std::string temporary = temporaryPath(path);
    std::FILE* file = createNew(temporary);
    if (!file) {
        error = systemError(path);
        return false;
    }
    const bool encoded = encode(file, rgb.data(), width, height);
    const bool closed = std::fclose(file) == 0;
    if (encoded && closed && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    error = systemError(path);
    std::remove(temporary.c_str());
    return false;
}

} // namespace

bool canWriteImage(const std::string& path, std::string& error) {
    // No O_TRUNC: the file keeps its content until a whole picture replaces it.
    const int existing = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (existing >= 0)
        ::close(existing);
    else if (errno != ENOENT) {
        error = systemError(path);
        return false;
    }
    const std::string probe = temporaryPath(path);
    std::FILE* file = createNew(probe);
    if (!file) {
        error = systemError(path);
        return false;
    }
    std::fclose(file);
    std::remove(probe.c_str());
    return true;
}

bool writePng(const std::string& path, const std::vector<std::uint8_t>& rgb, std::uint32_t width,
              std::uint32_t height, std::string& error) {
    return replaceWithPicture(path, encodePng, rgb, width, height, error);
}

bool writePpm(const std::string& path, const std::vector<std::uint8_t>& rgb, std::uint32_t width,
              std::uint32_t height, std::string& error) {
    return replaceWithPicture(path, encodePpm, rgb, width, height, error);
}

} // namespace orbisk

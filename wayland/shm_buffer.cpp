#include "wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orbisk {
namespace {

const wl_buffer_listener BufferListener = {
    .release = [](void* data, wl_buffer*) { *static_cast<bool*>(data) = false; },
};

} // namespace

std::unique_ptr<ShmBuffer> ShmBuffer::make(wl_shm* shm, std::uint32_t width, std::uint32_t height, std::uint32_t scale,
                                           std::string& error) {
    const std::size_t bytes = std::size_t{width} * height * 4;
    const int memory = memfd_create("orbisk-picture", MFD_CLOEXEC);
    void* pixels = MAP_FAILED;
    if (memory >= 0 && ftruncate(memory, static_cast<off_t>(bytes)) == 0)
        pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0);
    if (pixels == MAP_FAILED) {
        error = "cannot make a " + std::to_string(width) + "x" + std::to_string(height) +
                " picture in shared memory: " + std::strerror(errno);
        if (memory >= 0) close(memory);
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, memory, static_cast<std::int32_t>(bytes));
    wl_buffer* buffer =
        wl_shm_pool_create_buffer(pool, 0, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                                  static_cast<std::int32_t>(width * 4), WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool); // the buffer keeps the memory
    close(memory);
    return std::unique_ptr<ShmBuffer>(
        new ShmBuffer(buffer, static_cast<std::uint32_t*>(pixels), bytes, width, height, scale));
}

ShmBuffer::ShmBuffer(wl_buffer* buffer, std::uint32_t* pixels, std::size_t bytes, std::uint32_t width,
                     std::uint32_t height, std::uint32_t scale)
    : buffer_(buffer), pixels_(pixels), bytes_(bytes), enlarged_(width, height, scale) {
    wl_buffer_add_listener(buffer_, &BufferListener, &busy_);
}

ShmBuffer::~ShmBuffer() {
    wl_buffer_destroy(buffer_);
    munmap(pixels_, bytes_);
}

void ShmBuffer::attachUpdated(wl_surface* surface, const std::uint32_t* picture, bool wholeChanged) {
    enlarged_.update(picture, pixels_, width());
    const Area damage = wholeChanged ? Area{0, 0, width(), height()} : enlarged_.pictureArea();
    wl_surface_attach(surface, buffer_, 0, 0);
    wl_surface_damage_buffer(surface, damage.x, damage.y, static_cast<std::int32_t>(damage.width),
                             static_cast<std::int32_t>(damage.height));
    busy_ = true;
}

} // namespace orbisk

// One picture that the compositor can read: 32-bit pixels (XRGB8888, which every compositor takes) in shared memory,
// kept from frame to frame with the enlarged picture it holds.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <string>

#include "display/enlarged_picture.h"

namespace orbisk {

class ShmBuffer {
public:
    // Empty, with `error` set, when the memory cannot be had.
    static std::unique_ptr<ShmBuffer> make(wl_shm* shm, std::uint32_t width, std::uint32_t height, std::uint32_t scale,
                                           std::string& error);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    // From its attachment until the compositor releases it, the compositor may read it: it must not be drawn into.
    bool busy() const { return busy_; }

    // Brings the buffer up to date with `picture` (see EnlargedPicture::update) and attaches it to `surface`. The
    // damage is the whole buffer when `wholeChanged`, else the picture's part of it: another buffer may have been
    // shown since this one, so what changed on the surface is more than what changed in this buffer.
    void attachUpdated(wl_surface* surface, const std::uint32_t* picture, bool wholeChanged);

    std::uint32_t width() const { return enlarged_.width(); }
    std::uint32_t height() const { return enlarged_.height(); }
    std::uint32_t scale() const { return enlarged_.scale(); }

private:
    ShmBuffer(wl_buffer* buffer, std::uint32_t* pixels, std::size_t bytes, std::uint32_t width, std::uint32_t height,
              std::uint32_t scale);

    wl_buffer* buffer_;
    std::uint32_t* pixels_;
    std::size_t bytes_;
    EnlargedPicture enlarged_;
    bool busy_ = false;
};

} // namespace orbisk

// The 640 x 480 picture in the window's pixel format, in memory the X server can read: a shared-memory segment
// (MIT-SHM) when the server offers it and is on this machine, otherwise the client's own memory, sent over the
// connection with each frame.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <vector>

#include "display/picture_placement.h"

namespace orbisk {

class XPicture {
public:
    XPicture(Display* display, Visual* visual, int depth, bool tryShm);
    ~XPicture();
    XPicture(const XPicture&) = delete;
    XPicture& operator=(const XPicture&) = delete;

    // False when Xlib could not make the picture; nothing else may then be asked of it.
    bool made() const { return image_ != nullptr; }
    bool shared() const { return shmInfo_.shmaddr != nullptr; }
    std::uint8_t* pixels() const { return reinterpret_cast<std::uint8_t*>(image_->data); }
    std::int32_t pitch() const { return image_->bytes_per_line; }
    std::uint32_t bitsPerPixel() const { return static_cast<std::uint32_t>(image_->bits_per_pixel); }

    // The server may still be reading a shared picture that was put: it must not be drawn into until then.
    bool busy() const { return busy_; }

    // Sends the visible part of the picture to the window.
    void put(Window window, GC gc, const PicturePlacement& placement);

    // Takes note of the server's word that it has read a shared picture; false for any other event.
    bool completes(const XEvent& event);

private:
    bool attachShared(Visual* visual, int depth);

    Display* display_;
    XImage* image_ = nullptr;
    XShmSegmentInfo shmInfo_{};
    int completionEvent_ = -1;
    bool busy_ = false;
    std::vector<char> ownPixels_; // when not shared
};

} // namespace orbisk

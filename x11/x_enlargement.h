// The picture enlarged by the X server: each frame goes into a pixmap of its own, which XRender composites onto the
// window through a transform that divides by the scale, with the nearest filter, so that every square of
// scale × scale pixels shows exactly one pixel of the picture. The client's work stays that of the 640 x 480 picture.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xrender.h>

#include <cstdint>

#include "display/picture_placement.h"

namespace orbisk {

class XEnlargement {
public:
    // Nothing is made when the server has no XRender or no picture format for the visual: made() tells.
    XEnlargement(Display* display, Window window, Visual* visual, int depth);
    ~XEnlargement();
    XEnlargement(const XEnlargement&) = delete;
    XEnlargement& operator=(const XEnlargement&) = delete;

    bool made() const { return windowPicture_ != None; }
    // Where each frame's picture goes before it is shown.
    Drawable stage() const { return stage_; }
    // Shows the staged picture enlarged at the placement's scale.
    void show(const PicturePlacement& placement);

private:
    Display* display_;
    Pixmap stage_ = None;
    Picture stagePicture_ = None, windowPicture_ = None;
    std::uint32_t scale_ = 1;
};

} // namespace orbisk

#include "x11/x_enlargement.h"

#include "sim/tables.h"
#include "x11/x_errors.h"

namespace orbisk {
namespace {

// The picture format both pictures are read and written in. Compositing passes through 8 bits a channel, which
// keeps every pixel of a TrueColor format as it is; an 8-bit PseudoColor pixel would pass through the colours of the
// visual's default colormap instead of the window's palette, so there the palette indices travel as alpha values.
XRenderPictFormat* exactFormat(Display* display, Visual* visual, int depth) {
    if (depth == 8) return XRenderFindStandardFormat(display, PictStandardA8);
    return XRenderFindVisualFormat(display, visual);
}

} // namespace

XEnlargement::XEnlargement(Display* display, Window window, Visual* visual, int depth) : display_(display) {
    int eventBase = 0, errorBase = 0;
    if (!XRenderQueryExtension(display, &eventBase, &errorBase)) return;
    XRenderPictFormat* format = exactFormat(display, visual, depth);
    if (!format) return;
    XErrorTrap trap(display); // a server may still refuse what it announced
    stage_ = XCreatePixmap(display, window, FieldWidth, FieldHeight, static_cast<unsigned>(depth));
    stagePicture_ = XRenderCreatePicture(display, stage_, format, 0, nullptr);
    XRenderSetPictureFilter(display, stagePicture_, FilterNearest, nullptr, 0);
    windowPicture_ = XRenderCreatePicture(display, window, format, 0, nullptr);
    if (!trap.passed()) stage_ = stagePicture_ = windowPicture_ = None; // gone with the connection
}

XEnlargement::~XEnlargement() {
    if (windowPicture_ == None) return;
    XRenderFreePicture(display_, windowPicture_);
    XRenderFreePicture(display_, stagePicture_);
    XFreePixmap(display_, stage_);
}

void XEnlargement::show(const PicturePlacement& placement) {
    const Area& to = placement.destination;
    if (to.width == 0 || to.height == 0) return;
    if (placement.scale != scale_) {
        // Window point p shows picture point p / scale: the transform maps the destination to the source.
        scale_ = placement.scale;
        XTransform divide{};
        divide.matrix[0][0] = divide.matrix[1][1] = XDoubleToFixed(1.0 / scale_);
        divide.matrix[2][2] = XDoubleToFixed(1.0);
        XRenderSetPictureTransform(display_, stagePicture_, &divide);
    }
    XRenderComposite(display_, PictOpSrc, stagePicture_, None, windowPicture_, placement.sourceX, placement.sourceY, 0,
                     0, to.x, to.y, to.width, to.height);
}

} // namespace orbisk

#include "x11/x_picture.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include "sim/tables.h"
#include "x11/x_errors.h"

namespace orbisk {

XPicture::XPicture(Display* display, Visual* visual, int depth, bool tryShm) : display_(display) {
    // The picture is drawn in little-endian pixels. The server converts a picture sent over the connection to its
    // own byte order, but reads shared memory as it is.
    if (tryShm && ImageByteOrder(display) == LSBFirst && XShmQueryExtension(display) && attachShared(visual, depth))
        return;
    image_ = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr, FieldWidth, FieldHeight,
                          32, 0);
    if (!image_) return;
    image_->byte_order = LSBFirst;
    ownPixels_.assign(static_cast<std::size_t>(image_->bytes_per_line) * FieldHeight, 0);
    image_->data = ownPixels_.data();
}

bool XPicture::attachShared(Visual* visual, int depth) {
    image_ = XShmCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shmInfo_, FieldWidth,
                             FieldHeight);
    if (!image_) return false;
    const std::size_t size = static_cast<std::size_t>(image_->bytes_per_line) * FieldHeight;
    shmInfo_.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    void* address = shmInfo_.shmid < 0 ? reinterpret_cast<void*>(-1) : shmat(shmInfo_.shmid, nullptr, 0);
    bool attached = false;
    if (address != reinterpret_cast<void*>(-1)) {
        shmInfo_.shmaddr = image_->data = static_cast<char*>(address);
        shmInfo_.readOnly = False;
        XErrorTrap trap(display_); // a server on another machine refuses the segment
        attached = XShmAttach(display_, &shmInfo_) && trap.passed();
    }
    // Marked for removal at once: the segment goes when both sides have let go of it, however the hack ends.
    if (shmInfo_.shmid >= 0) shmctl(shmInfo_.shmid, IPC_RMID, nullptr);
    if (attached) {
        completionEvent_ = XShmGetEventBase(display_) + ShmCompletion;
        return true;
    }
    if (shmInfo_.shmaddr) shmdt(shmInfo_.shmaddr);
    shmInfo_ = {};
    image_->data = nullptr;
    XDestroyImage(image_);
    image_ = nullptr;
    return false;
}

XPicture::~XPicture() {
    if (!image_) return;
    if (shared()) {
        XShmDetach(display_, &shmInfo_);
        XSync(display_, False);
        shmdt(shmInfo_.shmaddr);
    }
    image_->data = nullptr; // the pixels are not Xlib's to free
    XDestroyImage(image_);
}

void XPicture::put(Window window, GC gc, const PicturePlacement& placement) {
    const Area& to = placement.destination;
    if (to.width == 0 || to.height == 0) return;
    if (shared()) {
        XShmPutImage(display_, window, gc, image_, placement.sourceX, placement.sourceY, to.x, to.y, to.width,
                     to.height, True);
        busy_ = true;
    } else {
        XPutImage(display_, window, gc, image_, placement.sourceX, placement.sourceY, to.x, to.y, to.width, to.height);
    }
}

bool XPicture::completes(const XEvent& event) {
    if (completionEvent_ < 0 || event.type != completionEvent_) return false;
    busy_ = false;
    return true;
}

} // namespace orbisk

#include "x11/hack_loop.h"

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "cli/frame_rate.h"
#include "cli/stop_signals.h"
#include "display/frame_drawing.h"
#include "display/frame_rhythm.h"
#include "display/picture_placement.h"
#include "display/pixels.h"
#include "headless/live_run.h"
#include "sim/tables.h"
#include "x11/border_rectangles.h"
#include "x11/x_enlargement.h"
#include "x11/x_errors.h"
#include "x11/x_picture.h"
#include "x11/x_window.h"

namespace orbisk {
namespace {

// The longest wait for an event, so that a frame-rate line is never much late.
constexpr int LongestWaitMilliseconds = 100;

const PicturePlacement WholePicture = placePicture(FieldWidth, FieldHeight);

class Hack {
public:
    Hack(Display* display, const HackOptions& options, HackWindowState& window, XPicture& picture,
         XEnlargement& enlargement)
        : display_(display), options_(options), window_(window), picture_(picture), enlargement_(enlargement),
          gc_(XCreateGC(display, window.window, 0, nullptr)), placement_(placeInWindow()),
          run_(options.fixedClockFps, monotonicMilliseconds()), rate_("orbisk-x11", monotonicMilliseconds()) {
        const DrawingFormat& f = window.format;
        PixelFormat format;
        format.adopt(picture_.bitsPerPixel(), f.redMask, f.greenMask, f.blueMask, f.alphaMask);
        drawing_ = FrameDrawing(format, f.alphaMask); // the clear colour: an opaque black
        XSetForeground(display, gc_, drawing_.clearColour());
        rhythm_.setRate(serverRefreshRate(display, window.window));
        rhythm_.restart(monotonicMilliseconds());
    }

    ~Hack() { XFreeGC(display_, gc_); }
    Hack(const Hack&) = delete;
    Hack& operator=(const Hack&) = delete;

    int run(int stopDescriptor) {
        for (;;) {
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                if (!handle(event)) return 0;
            }
            if (const auto code = endCode()) return *code;
            const std::uint32_t now = monotonicMilliseconds();
            if (!picture_.busy() && rhythm_.due(now)) {
                showFrame(now);
                if (framesDrawn_ == options_.frames) { // never, for frames 0
                    XSync(display_, False);
                    return endCode().value_or(0);
                }
                continue;
            }
            int wait = LongestWaitMilliseconds;
            if (!picture_.busy())
                wait = std::min(wait, static_cast<int>(static_cast<std::int32_t>(rhythm_.nextDue() - now)));
            pollfd waitFor[] = {{ConnectionNumber(display_), POLLIN, 0}, {stopDescriptor, POLLIN, 0}};
            poll(waitFor, stopDescriptor >= 0 ? 2 : 1, std::max(wait, 0));
        }
    }

private:
    // The exit code once something has ended the hack: a stop signal, the end of the window, an X error.
    static std::optional<int> endCode() {
        if (stopSignal() != 0 || drawnWindowGone()) return 0;
        if (unexpectedXError().empty()) return std::nullopt;
        std::fprintf(stderr, "orbisk-x11: %s\n", unexpectedXError().c_str());
        return 1;
    }

    // False when the event ends the hack.
    bool handle(const XEvent& event) {
        if (picture_.completes(event)) return true;
        switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) repaintBorder_ = true;
            return true;
        case ConfigureNotify:
            if (event.xconfigure.window == window_.window) {
                window_.width = static_cast<std::uint32_t>(event.xconfigure.width);
                window_.height = static_cast<std::uint32_t>(event.xconfigure.height);
                placement_ = placeInWindow();
                repaintBorder_ = true;
            }
            return true;
        case DestroyNotify: return event.xdestroywindow.window != window_.window;
        case ClientMessage: return !closeRequest(event.xclient);
        default: return true;
        }
    }

    // The picture's place at the scale asked for or the largest that fits; unenlarged without XRender.
    PicturePlacement placeInWindow() const {
        const std::uint32_t scale = pictureScale(options_.scale, window_.width, window_.height);
        return placePicture(window_.width, window_.height, enlargement_.made() ? scale : 1);
    }

    // Any client may send the window a message; only the window manager's protocol asks it to close.
    bool closeRequest(const XClientMessageEvent& message) const {
        return window_.own && message.window == window_.window && message.message_type == window_.protocols &&
               static_cast<Atom>(message.data.l[0]) == window_.deleteWindow;
    }

    void showFrame(std::uint32_t now) {
        drawing_.drawNextFrame(run_.simulation(), picture_.pixels(), picture_.pitch(), run_.frameTick(now));

        if (repaintBorder_) {
            const std::array<BorderRectangle, 4> rectangles = borderRectangles(placement_);
            XRectangle bands[4];
            for (std::size_t i = 0; i < placement_.borderCount; ++i)
                bands[i] = {rectangles[i].x, rectangles[i].y, rectangles[i].width, rectangles[i].height};
            XFillRectangles(display_, window_.window, gc_, bands, static_cast<int>(placement_.borderCount));
            repaintBorder_ = false;
        }
        if (placement_.scale == 1) {
            picture_.put(window_.window, gc_, placement_);
        } else {
            picture_.put(enlargement_.stage(), gc_, WholePicture);
            enlargement_.show(placement_);
        }
        XFlush(display_);
        rhythm_.presented(now);
        ++framesDrawn_;
        if (options_.printFps) rate_.frameShown(monotonicMilliseconds());
    }

    Display* display_;
    const HackOptions& options_;
    HackWindowState& window_;
    XPicture& picture_;
    XEnlargement& enlargement_;
    GC gc_;
    PicturePlacement placement_;
    FrameRhythm rhythm_;
    LiveRun run_;
    FrameRateLine rate_;
    FrameDrawing drawing_;
    bool repaintBorder_ = true;
    std::uint64_t framesDrawn_ = 0;
};

// Draws in the window until something ends the hack: its exit code.
int draw(Display* display, const HackOptions& options, HackWindowState& window, int stopDescriptor) {
    XPicture picture(display, window.visual, window.depth, options.useShm);
    if (!picture.made()) {
        std::fprintf(stderr, "orbisk-x11: cannot make a %ux%u picture of depth %d\n", FieldWidth, FieldHeight,
                     window.depth);
        return 1;
    }
    XEnlargement enlargement(display, window.window, window.visual, window.depth);
    Hack hack(display, options, window, picture, enlargement);
    return hack.run(stopDescriptor);
}

} // namespace

int runHack(Display* display, const HackOptions& options, int stopDescriptor) {
    std::string error;
    std::optional<HackWindowState> window = openHackWindow(display, options, error);
    if (!window) {
        std::fprintf(stderr, "orbisk-x11: %s\n", error.c_str());
        return 1;
    }
    catchXErrors(window->window);
    const int code = draw(display, options, *window, stopDescriptor);
    if (!drawnWindowGone()) closeHackWindow(display, *window);
    return code;
}

} // namespace orbisk

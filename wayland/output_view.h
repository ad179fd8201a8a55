// The saver on one output: a full-screen window of its own, black, with the picture centred at the largest whole
// scale that fits the output's pixels (or the scale asked for), drawn by the saver itself in the output's own pixels
// (at a fractional scale the compositor prefers, through a viewport; else at the output's whole buffer scale), and a
// new frame only once the compositor says the last one is shown.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "wayland/shm_buffer.h"
#include "wayland/wayland_client.h"

namespace orbisk {

class OutputView {
public:
    OutputView(WaylandClient& client, const OutputInfo& output, std::uint32_t requestedScale);
    ~OutputView();
    OutputView(const OutputView&) = delete;
    OutputView& operator=(const OutputView&) = delete;

    std::uint32_t outputName() const { return outputName_; }
    // The compositor asked to close the window (a key binding of its own, say): the picture ends as on input.
    bool closed() const { return closed_; }

    // It has its size, no frame is on the way to the screen, and a buffer is free to draw into.
    bool wantsFrame() const;
    // The last frame given to show (0: none yet), and the last that the compositor said is on the screen.
    std::uint64_t shownFrame() const { return shownFrame_; }
    std::uint64_t presentedFrame() const { return presentedFrame_; }

    // Shows `picture` (FieldWidth × FieldHeight XRGB pixels) as frame `frame`, if wantsFrame(). False, with `error`
    // set, when there is no memory for the output's buffer.
    bool show(const std::uint32_t* picture, std::uint64_t frame, std::string& error);

    // The output now draws surfaces of this buffer scale pixel for pixel.
    void rescale(std::int32_t scale) { outputScale_ = scale; }

    // What its listeners hear.
    void configureSize(std::int32_t width, std::int32_t height);
    void configure(std::uint32_t serial);
    void preferScale(std::uint32_t scale) { preferredScale_ = scale; }
    void framePresented();
    void close() { closed_ = true; }

private:
    // The window's size in the output's pixels: at the fractional scale that the compositor prefers, shown through
    // the viewport at the window's size; else at the output's buffer scale; a compositor that leaves the size to the
    // client gets the output's mode.
    struct Size {
        std::uint32_t width, height;
        std::int32_t bufferScale;
        bool throughViewport;
    };
    Size drawnSize() const;
    bool freeBuffer() const;

    WaylandClient& client_;
    std::uint32_t outputName_;
    std::uint32_t requestedScale_;
    std::int32_t outputScale_;
    std::uint32_t modeWidth_, modeHeight_; // for a compositor that leaves the size to the client
    wl_surface* surface_;
    xdg_surface* windowSurface_;
    xdg_toplevel* toplevel_;
    wp_viewport* viewport_ = nullptr; // with a fractional scale
    wp_fractional_scale_v1* fractionalScale_ = nullptr;
    std::uint32_t preferredScale_ = 0; // in 120ths; 0: none told
    wl_callback* frameDone_ = nullptr;
    std::int32_t width_ = 0, height_ = 0; // in the compositor's logical pixels, as configured
    std::uint32_t configureSerial_ = 0;
    bool configured_ = false, acknowledged_ = false;
    std::int32_t committedScale_ = 1;
    std::int32_t viewWidth_ = -1, viewHeight_ = -1; // the viewport's size; -1: none
    std::uint32_t attachedWidth_ = 0, attachedHeight_ = 0;
    std::vector<std::unique_ptr<ShmBuffer>> buffers_;
    std::uint64_t shownFrame_ = 0, presentedFrame_ = 0;
    bool closed_ = false;
};

} // namespace orbisk

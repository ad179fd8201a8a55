#include "wayland/output_view.h"

#include <algorithm>
#include <climits>

#include "display/picture_placement.h"

namespace orbisk {
namespace {

// Two buffers take turns; a third lets a frame be drawn while the compositor still holds both.
constexpr std::size_t MostBuffers = 3;

OutputView& viewOf(void* data) { return *static_cast<OutputView*>(data); }

const xdg_surface_listener WindowSurfaceListener = {
    .configure = [](void* data, xdg_surface*, std::uint32_t serial) { viewOf(data).configure(serial); },
};

const xdg_toplevel_listener ToplevelListener = {
    .configure = [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                    wl_array*) { viewOf(data).configureSize(width, height); },
    .close = [](void* data, xdg_toplevel*) { viewOf(data).close(); },
    .configure_bounds = [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
    .wm_capabilities = [](void*, xdg_toplevel*, wl_array*) {},
};

const wl_callback_listener FrameDoneListener = {
    .done = [](void* data, wl_callback*, std::uint32_t) { viewOf(data).framePresented(); },
};

} // namespace

OutputView::OutputView(WaylandClient& client, const OutputInfo& output, std::uint32_t requestedScale)
    : client_(client), outputName_(output.name), requestedScale_(requestedScale), outputScale_(output.scale),
      modeWidth_(output.modeWidth), modeHeight_(output.modeHeight),
      surface_(wl_compositor_create_surface(client.compositor())),
      windowSurface_(xdg_wm_base_get_xdg_surface(client.windowManager(), surface_)),
      toplevel_(xdg_surface_get_toplevel(windowSurface_)) {
    // Opaque everywhere: the compositor need not draw what lies under it.
    wl_region* everywhere = wl_compositor_create_region(client.compositor());
    wl_region_add(everywhere, 0, 0, INT32_MAX, INT32_MAX);
    wl_surface_set_opaque_region(surface_, everywhere);
    wl_region_destroy(everywhere);
    xdg_surface_add_listener(windowSurface_, &WindowSurfaceListener, this);
    xdg_toplevel_add_listener(toplevel_, &ToplevelListener, this);
    xdg_toplevel_set_title(toplevel_, "Orbisk");
    xdg_toplevel_set_app_id(toplevel_, "orbisk");
    xdg_toplevel_set_fullscreen(toplevel_, output.output);
    wl_surface_commit(surface_); // no buffer yet: the compositor answers with the window's size
}

OutputView::~OutputView() {
    if (frameDone_) wl_callback_destroy(frameDone_);
    xdg_toplevel_destroy(toplevel_);
    xdg_surface_destroy(windowSurface_);
    wl_surface_destroy(surface_);
}

void OutputView::configureSize(std::int32_t width, std::int32_t height) {
    width_ = width;
    height_ = height;
}

void OutputView::configure(std::uint32_t serial) {
    configureSerial_ = serial;
    configured_ = true;
    acknowledged_ = false;
}

void OutputView::framePresented() {
    wl_callback_destroy(frameDone_);
    frameDone_ = nullptr;
    presentedFrame_ = shownFrame_;
}

bool OutputView::freeBuffer() const {
    return buffers_.size() < MostBuffers ||
           std::ranges::any_of(buffers_, [](const auto& buffer) { return !buffer->busy(); });
}

bool OutputView::wantsFrame() const { return configured_ && !frameDone_ && !closed_ && freeBuffer(); }

bool OutputView::show(const std::uint32_t* picture, std::uint64_t frame, std::string& error) {
    if (!acknowledged_) {
        xdg_surface_ack_configure(windowSurface_, configureSerial_);
        acknowledged_ = true;
    }
    // The window's size in the output's pixels; a compositor that leaves it to the client gets the output's mode.
    const auto scale = static_cast<std::uint32_t>(outputScale_);
    const std::uint32_t width = width_ > 0 ? static_cast<std::uint32_t>(width_) * scale : modeWidth_ / scale * scale;
    const std::uint32_t height =
        height_ > 0 ? static_cast<std::uint32_t>(height_) * scale : modeHeight_ / scale * scale;
    std::erase_if(buffers_, [&](const auto& buffer) {
        return !buffer->busy() && (buffer->width() != width || buffer->height() != height);
    });
    auto free = std::ranges::find_if(buffers_, [](const auto& buffer) { return !buffer->busy(); });
    if (free == buffers_.end()) {
        if (buffers_.size() == MostBuffers) return true; // not reached: wantsFrame() is false then
        auto made = ShmBuffer::make(client_.shm(), width, height, pictureScale(requestedScale_, width, height), error);
        if (!made) return false;
        buffers_.push_back(std::move(made));
        free = buffers_.end() - 1;
    }
    if (committedScale_ != outputScale_) {
        wl_surface_set_buffer_scale(surface_, outputScale_);
        committedScale_ = outputScale_;
    }
    const bool wholeChanged = attachedWidth_ != width || attachedHeight_ != height;
    (*free)->attachUpdated(surface_, picture, wholeChanged);
    attachedWidth_ = width;
    attachedHeight_ = height;
    frameDone_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frameDone_, &FrameDoneListener, this);
    wl_surface_commit(surface_);
    shownFrame_ = frame;
    return true;
}

} // namespace orbisk

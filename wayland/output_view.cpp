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

const wp_fractional_scale_v1_listener FractionalScaleListener = {
    .preferred_scale = [](void* data, wp_fractional_scale_v1*,
                          std::uint32_t scale) { viewOf(data).preferScale(scale); },
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
    if (client.fractionalScales()) {
        viewport_ = wp_viewporter_get_viewport(client.viewporter(), surface_);
        fractionalScale_ = wp_fractional_scale_manager_v1_get_fractional_scale(client.fractionalScales(), surface_);
        wp_fractional_scale_v1_add_listener(fractionalScale_, &FractionalScaleListener, this);
    }
    xdg_surface_add_listener(windowSurface_, &WindowSurfaceListener, this);
    xdg_toplevel_add_listener(toplevel_, &ToplevelListener, this);
    xdg_toplevel_set_title(toplevel_, "Orbisk");
    xdg_toplevel_set_app_id(toplevel_, "orbisk");
    xdg_toplevel_set_fullscreen(toplevel_, output.output);
    wl_surface_commit(surface_); // no buffer yet: the compositor answers with the window's size
}

OutputView::~OutputView() {
    if (frameDone_) wl_callback_destroy(frameDone_);
    if (fractionalScale_) wp_fractional_scale_v1_destroy(fractionalScale_);
    if (viewport_) wp_viewport_destroy(viewport_);
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

OutputView::Size OutputView::drawnSize() const {
    if (viewport_ && preferredScale_ != 0 && width_ > 0 && height_ > 0) {
        const auto atPreferredScale = [this](std::int32_t length) {
            return (static_cast<std::uint32_t>(length) * preferredScale_ + 60) / 120; // rounded half away from 0
        };
        return {atPreferredScale(width_), atPreferredScale(height_), 1, true};
    }
    const auto scale = static_cast<std::uint32_t>(outputScale_);
    if (width_ > 0 && height_ > 0)
        return {static_cast<std::uint32_t>(width_) * scale, static_cast<std::uint32_t>(height_) * scale, outputScale_,
                false};
    return {modeWidth_ / scale * scale, modeHeight_ / scale * scale, outputScale_, false};
}

bool OutputView::wantsFrame() const { return configured_ && !frameDone_ && !closed_ && freeBuffer(); }

bool OutputView::show(const std::uint32_t* picture, std::uint64_t frame, std::string& error) {
    if (!acknowledged_) {
        xdg_surface_ack_configure(windowSurface_, configureSerial_);
        acknowledged_ = true;
    }
    const Size size = drawnSize();
    const std::uint32_t width = size.width, height = size.height;
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
    if (committedScale_ != size.bufferScale) {
        wl_surface_set_buffer_scale(surface_, size.bufferScale);
        committedScale_ = size.bufferScale;
    }
    const std::int32_t viewWidth = size.throughViewport ? width_ : -1;
    const std::int32_t viewHeight = size.throughViewport ? height_ : -1;
    if (viewport_ && (viewWidth_ != viewWidth || viewHeight_ != viewHeight)) {
        wp_viewport_set_destination(viewport_, viewWidth, viewHeight);
        viewWidth_ = viewWidth;
        viewHeight_ = viewHeight;
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

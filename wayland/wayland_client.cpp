#include "wayland/wayland_client.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cli/arguments.h"

namespace orbisk {
namespace {

// wl_surface.set_buffer_scale (3) and wl_surface.damage_buffer (4).
constexpr std::uint32_t CompositorVersion = 4;
// The highest versions whose events the listeners take.
constexpr std::uint32_t SeatVersion = 5;
constexpr std::uint32_t OutputVersion = 4;

OutputInfo& infoOf(void* data) { return *static_cast<OutputInfo*>(data); }

// An output bound at version 3 or above is released; below, it can only be forgotten.
void releaseOutput(wl_output* output) {
    if (wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release(output);
    else
        wl_output_destroy(output);
}

const wl_output_listener OutputListener = {
    .geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*,
                   const char*, std::int32_t) {},
    .mode =
        [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t refresh) {
            if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
            infoOf(data).modeWidth = static_cast<std::uint32_t>(std::max(width, 0));
            infoOf(data).modeHeight = static_cast<std::uint32_t>(std::max(height, 0));
            infoOf(data).refreshMilliHertz = static_cast<std::uint32_t>(std::max(refresh, 0));
        },
    .done = [](void* data, wl_output*) { infoOf(data).described = true; },
    .scale = [](void* data, wl_output*, std::int32_t factor) { infoOf(data).scale = std::max(factor, 1); },
    .name = [](void*, wl_output*, const char*) {},
    .description = [](void*, wl_output*, const char*) {},
};

const wl_registry_listener RegistryListener = {
    .global = [](void* data, wl_registry*, std::uint32_t name, const char* interface,
                 std::uint32_t version) { static_cast<WaylandClient*>(data)->announce(name, interface, version); },
    .global_remove = [](void* data, wl_registry*,
                        std::uint32_t name) { static_cast<WaylandClient*>(data)->withdraw(name); },
};

const xdg_wm_base_listener WindowManagerListener = {
    .ping = [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

// libwayland's own messages would make a second line beside the saver's, which says what went wrong.
void quiet(const char*, va_list) {}

} // namespace

std::unique_ptr<WaylandClient> WaylandClient::connect(const char* name, std::string& error) {
    wl_log_set_handler_client(quiet);
    wl_display* display = wl_display_connect(name);
    if (!display) {
        error = "cannot connect to the compositor " + quoted(name) + ": " + std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<WaylandClient> client(new WaylandClient(display));
    // The globals, then what the outputs and seats bound among them say of themselves.
    for (int round = 0; round < 2; ++round)
        if (wl_display_roundtrip(display) < 0) {
            error = client->lostConnection();
            return nullptr;
        }
    const char* missing = !client->compositor_      ? "wl_compositor (version 4)"
                          : !client->shm_           ? "wl_shm"
                          : !client->windowManager_ ? "xdg_wm_base"
                                                    : nullptr;
    if (missing) {
        error = std::string("the compositor does not offer ") + missing + ", which the saver needs";
        return nullptr;
    }
    return client;
}

WaylandClient::WaylandClient(wl_display* display) : display_(display), registry_(wl_display_get_registry(display)) {
    wl_registry_add_listener(registry_, &RegistryListener, this);
}

WaylandClient::~WaylandClient() {
    seats_.clear();
    for (const auto& output : outputs_) releaseOutput(output->output);
    if (idleNotifier_) ext_idle_notifier_v1_destroy(idleNotifier_);
    if (fractionalScales_) wp_fractional_scale_manager_v1_destroy(fractionalScales_);
    if (viewporter_) wp_viewporter_destroy(viewporter_);
    if (windowManager_) xdg_wm_base_destroy(windowManager_);
    if (shm_) wl_shm_destroy(shm_);
    if (compositor_) wl_compositor_destroy(compositor_);
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

void WaylandClient::announce(std::uint32_t name, const char* interface, std::uint32_t version) {
    const auto bind = [&](const wl_interface* type, std::uint32_t highest) {
        return wl_registry_bind(registry_, name, type, std::min(version, highest));
    };
    const std::string_view what = interface;
    if (what == wl_compositor_interface.name && version >= CompositorVersion) {
        compositor_ = static_cast<wl_compositor*>(bind(&wl_compositor_interface, CompositorVersion));
    } else if (what == wl_shm_interface.name) {
        shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (what == xdg_wm_base_interface.name) {
        windowManager_ = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
        xdg_wm_base_add_listener(windowManager_, &WindowManagerListener, nullptr);
    } else if (what == ext_idle_notifier_v1_interface.name) {
        idleNotifier_ = static_cast<ext_idle_notifier_v1*>(bind(&ext_idle_notifier_v1_interface, 1));
    } else if (what == wp_fractional_scale_manager_v1_interface.name) {
        fractionalScales_ =
            static_cast<wp_fractional_scale_manager_v1*>(bind(&wp_fractional_scale_manager_v1_interface, 1));
    } else if (what == wp_viewporter_interface.name) {
        viewporter_ = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
    } else if (what == wl_seat_interface.name) {
        seats_.push_back(
            std::make_unique<Seat>(static_cast<wl_seat*>(bind(&wl_seat_interface, SeatVersion)), name, input_));
    } else if (what == wl_output_interface.name && version >= 2) { // 2: its scale, and done after a description
        auto& info = *outputs_.emplace_back(std::make_unique<OutputInfo>());
        info.name = name;
        info.output = static_cast<wl_output*>(bind(&wl_output_interface, OutputVersion));
        wl_output_add_listener(info.output, &OutputListener, &info);
    }
}

void WaylandClient::withdraw(std::uint32_t name) {
    std::erase_if(seats_, [name](const auto& seat) { return seat->name() == name; });
    std::erase_if(outputs_, [name](const auto& output) {
        if (output->name != name) return false;
        releaseOutput(output->output);
        return true;
    });
}

bool WaylandClient::exchange(int timeoutMilliseconds, int stopDescriptor, std::string& error) {
    while (wl_display_prepare_read(display_) != 0)
        if (wl_display_dispatch_pending(display_) < 0) return error = lostConnection(), false;
    // A connection that takes nothing more for now is waited on until it does.
    const bool sent = wl_display_flush(display_) >= 0 || errno != EAGAIN;
    pollfd waitFor[] = {{wl_display_get_fd(display_), static_cast<short>(POLLIN | (sent ? 0 : POLLOUT)), 0},
                        {stopDescriptor, POLLIN, 0}};
    const int ready = poll(waitFor, stopDescriptor >= 0 ? 2 : 1, timeoutMilliseconds);
    if (ready > 0 && (waitFor[0].revents & (POLLIN | POLLERR | POLLHUP))) {
        if (wl_display_read_events(display_) < 0) return error = lostConnection(), false;
    } else {
        wl_display_cancel_read(display_);
    }
    if (wl_display_dispatch_pending(display_) < 0) return error = lostConnection(), false;
    return true;
}

std::string WaylandClient::lostConnection() const {
    const int code = wl_display_get_error(display_);
    if (code == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        const std::uint32_t protocolError = wl_display_get_protocol_error(display_, &interface, &id);
        return "the compositor closed the connection for protocol error " + std::to_string(protocolError) + " on " +
               (interface ? interface->name : "an unknown object") + " " + std::to_string(id);
    }
    return std::string("lost the connection to the compositor: ") + std::strerror(code ? code : EPIPE);
}

} // namespace orbisk

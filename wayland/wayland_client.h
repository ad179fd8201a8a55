// The connection to the compositor and what the saver binds of what it offers: the compositor, shared memory, the
// window manager base, fractional scales and viewports, the idle notifier, and the outputs and seats as they come
// and go.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ext-idle-notify-v1-client-protocol.h"
#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wayland/seat_input.h"
#include "xdg-shell-client-protocol.h"

namespace orbisk {

struct OutputInfo {
    std::uint32_t name = 0; // the registry's
    wl_output* output = nullptr;
    std::int32_t scale = 1; // the compositor draws a surface of this buffer scale pixel for pixel
    std::uint32_t modeWidth = 0, modeHeight = 0;
    std::uint32_t refreshMilliHertz = 0; // 0: not told
    bool described = false;              // the first description is complete
};

class WaylandClient {
public:
    // Connects to the compositor named `name` (a socket name or path, as WAYLAND_DISPLAY holds it) and learns what it
    // offers. Empty, with `error` set, when it cannot connect or what the saver needs is missing.
    static std::unique_ptr<WaylandClient> connect(const char* name, std::string& error);
    ~WaylandClient();
    WaylandClient(const WaylandClient&) = delete;
    WaylandClient& operator=(const WaylandClient&) = delete;

    // Sends what is queued, then waits at most `timeoutMilliseconds` (-1: as long as it takes) for events or for the
    // stop descriptor (-1: none), and handles the events that came. False, with `error` set, when the connection is
    // lost.
    bool exchange(int timeoutMilliseconds, int stopDescriptor, std::string& error);

    wl_display* display() const { return display_; }
    wl_compositor* compositor() const { return compositor_; }
    wl_shm* shm() const { return shm_; }
    xdg_wm_base* windowManager() const { return windowManager_; }
    ext_idle_notifier_v1* idleNotifier() const { return idleNotifier_; }
    // Both, or neither: a surface at a fractional scale is drawn at that scale and shown through a viewport.
    wp_fractional_scale_manager_v1* fractionalScales() const { return viewporter_ ? fractionalScales_ : nullptr; }
    wp_viewporter* viewporter() const { return fractionalScales_ ? viewporter_ : nullptr; }
    const std::vector<std::unique_ptr<OutputInfo>>& outputs() const { return outputs_; }
    const std::vector<std::unique_ptr<Seat>>& seats() const { return seats_; }
    // What the seats report for the picture being shown.
    InputWatch& input() { return input_; }

    // What the registry's listener hears.
    void announce(std::uint32_t name, const char* interface, std::uint32_t version);
    void withdraw(std::uint32_t name);

private:
    explicit WaylandClient(wl_display* display);
    std::string lostConnection() const;

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    xdg_wm_base* windowManager_ = nullptr;
    ext_idle_notifier_v1* idleNotifier_ = nullptr;
    wp_fractional_scale_manager_v1* fractionalScales_ = nullptr;
    wp_viewporter* viewporter_ = nullptr;
    std::vector<std::unique_ptr<OutputInfo>> outputs_;
    std::vector<std::unique_ptr<Seat>> seats_;
    InputWatch input_;
};

} // namespace orbisk

#include "wayland/saver_run.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "cli/frame_rate.h"
#include "cli/stop_signals.h"
#include "display/frame_drawing.h"
#include "display/frame_rhythm.h"
#include "headless/live_run.h"
#include "wayland/output_view.h"

namespace orbisk {
namespace {

enum class Ending { Input, Stop, LastFrame, Failure };

// One showing of the picture: one simulation for every output, a step only when an output that shows the newest
// frame is ready for the next, and never more often than the fastest output refreshes.
class Showing {
public:
    Showing(WaylandClient& client, const WaylandOptions& options)
        : client_(client), options_(options), run_(options.fixedClockFps, monotonicMilliseconds()),
          rate_("orbisk-wayland", monotonicMilliseconds()), picture_(std::size_t{FieldWidth} * FieldHeight) {
        PixelFormat xrgb;
        xrgb.adopt(32, 0xFF0000, 0x00FF00, 0x0000FF);
        drawing_ = FrameDrawing(xrgb);
        client_.input() = InputWatch{};
        rhythm_.restart(monotonicMilliseconds());
    }

    Ending run(int stopDescriptor) {
        for (;;) {
            followOutputs();
            if (client_.input().ended || std::ranges::any_of(views_, [](const auto& v) { return v->closed(); }))
                return Ending::Input;
            if (stopSignal() != 0) return Ending::Stop;
            if (lastFramePresented()) return Ending::LastFrame;
            const std::uint32_t now = monotonicMilliseconds();
            int wait = -1;
            if (stepWanted()) {
                const std::uint32_t early = 500 / rhythm_.rate(); // half a refresh: the compositor's own jitter
                if (rhythm_.due(now + early))
                    step(now);
                else
                    wait = static_cast<std::int32_t>(rhythm_.nextDue() - early - now);
            }
            for (const auto& view : views_)
                if (view->wantsFrame() && view->shownFrame() < frame_ && !view->show(picture_.data(), frame_, error_))
                    return Ending::Failure;
            if (!client_.exchange(wait, stopDescriptor, error_)) return Ending::Failure;
        }
    }

    const std::string& error() const { return error_; }

private:
    // A window on every output that is described, none on those that went, each at its output's buffer scale.
    void followOutputs() {
        const auto& outputs = client_.outputs();
        std::erase_if(views_, [&](const auto& view) {
            return std::ranges::none_of(outputs, [&](const auto& o) { return o->name == view->outputName(); });
        });
        std::uint32_t fastest = 0;
        for (const auto& output : outputs) {
            if (!output->described) continue;
            fastest = std::max(fastest, (output->refreshMilliHertz + 999) / 1000);
            auto view = std::ranges::find_if(views_, [&](const auto& v) { return v->outputName() == output->name; });
            if (view == views_.end())
                views_.push_back(std::make_unique<OutputView>(client_, *output, options_.scale));
            else
                (*view)->rescale(output->scale);
        }
        rhythm_.setRate(fastest);
    }

    // An output that shows the newest frame is ready for the next, and the run has not reached its last frame.
    bool stepWanted() const {
        if (options_.frames != 0 && frame_ == options_.frames) return false;
        return std::ranges::any_of(views_, [&](const auto& v) { return v->wantsFrame() && v->shownFrame() == frame_; });
    }

    void step(std::uint32_t now) {
        drawing_.drawNextFrame(run_.simulation(), reinterpret_cast<std::uint8_t*>(picture_.data()),
                               static_cast<std::int32_t>(FieldWidth * 4), run_.frameTick(now));
        ++frame_;
        rhythm_.presented(now);
        if (options_.printFps) rate_.frameShown(monotonicMilliseconds());
    }

    bool lastFramePresented() const {
        return options_.frames != 0 && !views_.empty() &&
               std::ranges::all_of(views_, [&](const auto& v) { return v->presentedFrame() == options_.frames; });
    }

    WaylandClient& client_;
    const WaylandOptions& options_;
    LiveRun run_;
    FrameRateLine rate_;
    FrameDrawing drawing_;
    std::vector<std::uint32_t> picture_; // the newest frame, drawn from the one before
    FrameRhythm rhythm_;
    std::vector<std::unique_ptr<OutputView>> views_;
    std::uint64_t frame_ = 0; // frames simulated
    std::string error_;
};

// The seat's idleness as the compositor reports it (ext-idle-notify-v1).
class IdleWatch {
public:
    IdleWatch(ext_idle_notifier_v1* notifier, wl_seat* seat, std::uint32_t seconds)
        : notification_(ext_idle_notifier_v1_get_idle_notification(notifier, seconds * 1000, seat)) {
        ext_idle_notification_v1_add_listener(notification_, &Listener, &idle_);
    }
    ~IdleWatch() { ext_idle_notification_v1_destroy(notification_); }
    IdleWatch(const IdleWatch&) = delete;
    IdleWatch& operator=(const IdleWatch&) = delete;

    bool idle() const { return idle_; }
    // Input just came: the seat is busy until the compositor says it is idle again.
    void busy() { idle_ = false; }

private:
    static constexpr ext_idle_notification_v1_listener Listener = {
        .idled = [](void* data, ext_idle_notification_v1*) { *static_cast<bool*>(data) = true; },
        .resumed = [](void* data, ext_idle_notification_v1*) { *static_cast<bool*>(data) = false; },
    };

    ext_idle_notification_v1* notification_;
    bool idle_ = false;
};

int exitCode(Ending ending, const std::string& error) {
    if (ending != Ending::Failure) return 0;
    std::fprintf(stderr, "orbisk-wayland: %s\n", error.c_str());
    return 1;
}

} // namespace

int runWaylandSaver(WaylandClient& client, const WaylandOptions& options, int stopDescriptor) {
    if (options.idleSeconds == 0) {
        Showing showing(client, options);
        const Ending ending = showing.run(stopDescriptor);
        return exitCode(ending, showing.error());
    }
    if (!client.idleNotifier()) {
        std::fputs("orbisk-wayland: --idle needs a compositor that offers ext-idle-notify-v1, and this one does not\n",
                   stderr);
        return 1;
    }
    if (client.seats().empty()) {
        std::fputs("orbisk-wayland: --idle needs a seat, and the compositor has none\n", stderr);
        return 1;
    }
    IdleWatch idle(client.idleNotifier(), client.seats().front()->seat(), options.idleSeconds);
    std::string error;
    for (;;) {
        while (!idle.idle()) {
            if (stopSignal() != 0) return 0;
            if (!client.exchange(-1, stopDescriptor, error)) return exitCode(Ending::Failure, error);
        }
        Showing showing(client, options);
        const Ending ending = showing.run(stopDescriptor);
        if (ending != Ending::Input) return exitCode(ending, showing.error());
        idle.busy();
    }
}

} // namespace orbisk

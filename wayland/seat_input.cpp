#include "wayland/seat_input.h"

#include <unistd.h>

namespace orbisk {
namespace {

Seat& seatOf(void* data) { return *static_cast<Seat*>(data); }

// A seat bound at version 3 or above releases its devices; below, they can only be forgotten.
bool releases(wl_seat* seat) { return wl_seat_get_version(seat) >= WL_POINTER_RELEASE_SINCE_VERSION; }

const wl_pointer_listener PointerListener = {
    .enter =
        [](void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
            if (!surface) return;                                  // one that was destroyed since
            wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0); // none over the picture
            seatOf(data).pointerEntered(surface);
            seatOf(data).pointerAt(x, y);
        },
    .leave = [](void*, wl_pointer*, std::uint32_t, wl_surface*) {},
    .motion = [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) { seatOf(data).pointerAt(x, y); },
    .button =
        [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
            if (state == WL_POINTER_BUTTON_STATE_PRESSED) seatOf(data).inputEnds();
        },
    .axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
    .frame = [](void*, wl_pointer*) {},
    .axis_source = [](void*, wl_pointer*, std::uint32_t) {},
    .axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    .axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    .axis_value120 = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
};

const wl_keyboard_listener KeyboardListener = {
    .keymap = [](void*, wl_keyboard*, std::uint32_t, int descriptor, std::uint32_t) { close(descriptor); },
    .enter = [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}, // keys already down end nothing
    .leave = [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
    .key =
        [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
            if (state == WL_KEYBOARD_KEY_STATE_PRESSED) seatOf(data).inputEnds();
        },
    .modifiers = [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
    .repeat_info = [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

const wl_touch_listener TouchListener = {
    .down = [](void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*, std::int32_t, wl_fixed_t,
               wl_fixed_t) { seatOf(data).inputEnds(); },
    .up = [](void*, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t) {},
    .motion = [](void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) {},
    .frame = [](void*, wl_touch*) {},
    .cancel = [](void*, wl_touch*) {},
    .shape = [](void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) {},
    .orientation = [](void*, wl_touch*, std::int32_t, wl_fixed_t) {},
};

const wl_seat_listener SeatListener = {
    .capabilities = [](void* data, wl_seat*,
                       std::uint32_t capabilities) { seatOf(data).takeCapabilities(capabilities); },
    .name = [](void*, wl_seat*, const char*) {},
};

} // namespace

Seat::Seat(wl_seat* seat, std::uint32_t name, InputWatch& input) : seat_(seat), name_(name), input_(input) {
    wl_seat_add_listener(seat_, &SeatListener, this);
}

Seat::~Seat() {
    takeCapabilities(0);
    wl_seat_destroy(seat_);
}

void Seat::pointerAt(wl_fixed_t x, wl_fixed_t y) {
    if (input_.rest.leftAt(pointerSurface_, wl_fixed_to_double(x), wl_fixed_to_double(y))) input_.ended = true;
}

void Seat::takeCapabilities(std::uint32_t capabilities) {
    const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER,
               keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD, touch = capabilities & WL_SEAT_CAPABILITY_TOUCH;
    if (pointer && !pointer_) {
        pointer_ = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(pointer_, &PointerListener, this);
    } else if (!pointer && pointer_) {
        releases(seat_) ? wl_pointer_release(pointer_) : wl_pointer_destroy(pointer_);
        pointer_ = nullptr;
    }
    if (keyboard && !keyboard_) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &KeyboardListener, this);
    } else if (!keyboard && keyboard_) {
        releases(seat_) ? wl_keyboard_release(keyboard_) : wl_keyboard_destroy(keyboard_);
        keyboard_ = nullptr;
    }
    if (touch && !touch_) {
        touch_ = wl_seat_get_touch(seat_);
        wl_touch_add_listener(touch_, &TouchListener, this);
    } else if (!touch && touch_) {
        releases(seat_) ? wl_touch_release(touch_) : wl_touch_destroy(touch_);
        touch_ = nullptr;
    }
}

} // namespace orbisk

// What the saver takes from a seat: any key, button or touch ends the picture, and so does a pointer that leaves its
// rest (pointer_rest.h); over the saver's surfaces the pointer has no cursor.
#pragma once

#include <wayland-client.h>

#include <cstdint>

#include "wayland/pointer_rest.h"

namespace orbisk {

// The input of one showing of the picture, from all seats.
struct InputWatch {
    bool ended = false;
    PointerRest rest;
};

class Seat {
public:
    // `seat` bound at version 5 or lower.
    Seat(wl_seat* seat, std::uint32_t name, InputWatch& input);
    ~Seat();
    Seat(const Seat&) = delete;
    Seat& operator=(const Seat&) = delete;

    std::uint32_t name() const { return name_; }
    wl_seat* seat() const { return seat_; }

    // What its listeners hear.
    void takeCapabilities(std::uint32_t capabilities);
    void pointerEntered(wl_surface* surface) { pointerSurface_ = surface; }
    void pointerAt(wl_fixed_t x, wl_fixed_t y);
    void inputEnds() { input_.ended = true; }

private:
    wl_seat* seat_;
    std::uint32_t name_;
    InputWatch& input_;
    wl_pointer* pointer_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    wl_touch* touch_ = nullptr;
    wl_surface* pointerSurface_ = nullptr; // what the pointer's motion is reported on
};

} // namespace orbisk

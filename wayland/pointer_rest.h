// The saver's rule for the pointer: where it is first seen it rests, and a motion that takes it more than 4 pixels
// from there (the distances across and down added) is input. A position on another surface than the first, which
// lies on another output, counts as far.
#pragma once

#include <cmath>

namespace orbisk {

class PointerRest {
public:
    static constexpr double Threshold = 4;

    // True when the pointer, now at (x, y) on `surface`, has left its rest.
    bool leftAt(const void* surface, double x, double y) {
        if (!surface_) {
            surface_ = surface;
            x_ = x;
            y_ = y;
            return false;
        }
        return surface != surface_ || std::abs(x - x_) + std::abs(y - y_) > Threshold;
    }

private:
    const void* surface_ = nullptr;
    double x_ = 0, y_ = 0;
};

} // namespace orbisk

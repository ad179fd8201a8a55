#include "display/frame_drawing.h"

#include "sim/simulation.h"
#include "sim/tables.h"

namespace orbisk {
namespace {

// What the step draws on a picture that holds a pixel for every cell of the field, with pixels of `Bytes` bytes:
// on a cleared picture each particle is plotted; on one that holds the last frame its point moves.
template <std::uint32_t Bytes, bool HoldsLastFrame>
struct FieldPicture {
    const FramePlotter& plotter;
    void plot(std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
        plotter.plot(x, y, red, green, blue);
    }
    void move(std::int32_t fromX, std::int32_t fromY, std::int32_t x, std::int32_t y, std::uint8_t red,
              std::uint8_t green, std::uint8_t blue) const {
        if constexpr (HoldsLastFrame)
            plotter.movePoint<Bytes>(fromX, fromY, x, y, red, green, blue);
        else
            plotter.plotInside<Bytes>(x, y, red, green, blue);
    }
    void prefetch(std::int32_t x, std::int32_t y) const { plotter.prefetchAround<Bytes>(x, y); }
};

// A picture that may not hold the whole field: every plot is checked.
struct AnyPicture {
    const FramePlotter& plotter;
    void plot(std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
        plotter.plot(x, y, red, green, blue);
    }
    void move(std::int32_t, std::int32_t, std::int32_t x, std::int32_t y, std::uint8_t red, std::uint8_t green,
              std::uint8_t blue) const {
        plotter.plot(x, y, red, green, blue);
    }
    void prefetch(std::int32_t, std::int32_t) const {}
};

template <bool HoldsLastFrame>
void simulateInto(Simulation& simulation, std::uint32_t tick, const FramePlotter& plotter) {
    switch (plotter.bytesPerPixel()) {
    case 1: return simulateFrame(simulation, tick, FieldPicture<1, HoldsLastFrame>{plotter});
    case 2: return simulateFrame(simulation, tick, FieldPicture<2, HoldsLastFrame>{plotter});
    case 3: return simulateFrame(simulation, tick, FieldPicture<3, HoldsLastFrame>{plotter});
    default: return simulateFrame(simulation, tick, FieldPicture<4, HoldsLastFrame>{plotter});
    }
}

} // namespace

void FrameDrawing::draw(Simulation& simulation, const FrameTarget& target, bool holdsLastFrame,
                        std::uint32_t tick) const {
    // Points on stacks cannot simply move: while stacks remain every frame is drawn whole.
    if (holdsLastFrame && simulation.field.stacked()) clearPicture(format_, target);
    const FramePlotter plotter(format_, target);
    if (!plotter.holdsTheField()) return simulateFrame(simulation, tick, AnyPicture{plotter});
    if (holdsLastFrame) return simulateInto<true>(simulation, tick, plotter);
    simulateInto<false>(simulation, tick, plotter);
}

void FrameDrawing::drawFrame(Simulation& simulation, std::uint8_t* picture, std::int32_t pitch, std::uint32_t tick) {
    clearPicture(format_, {picture, pitch, clearColour_, FieldWidth, FieldHeight});
    drawFrameOnCleared(simulation, picture, pitch, tick);
}

void FrameDrawing::drawFrameOnCleared(Simulation& simulation, std::uint8_t* picture, std::int32_t pitch,
                                      std::uint32_t tick) {
    last_ = {};
    draw(simulation, {picture, pitch, clearColour_, FieldWidth, FieldHeight}, false, tick);
}

void FrameDrawing::drawNextFrame(Simulation& simulation, std::uint8_t* picture, std::int32_t pitch,
                                 std::uint32_t tick) {
    const FrameTarget target = {picture, pitch, clearColour_, FieldWidth, FieldHeight};
    const bool holdsLastFrame = last_ == LastDrawing{picture, pitch, &simulation, simulation.seedings};
    if (!holdsLastFrame) clearPicture(format_, target);
    draw(simulation, target, holdsLastFrame, tick);
    last_ = {picture, pitch, &simulation, simulation.seedings};
}

} // namespace orbisk

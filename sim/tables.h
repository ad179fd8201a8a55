// The constant tables of the flow field: direction codes and their colours, the 256 direction grids and the
// 16 stage patterns. Nothing here changes at run time.
#pragma once

#include <array>
#include <cstdint>

namespace orbisk {

// The field's size in cells, which is the picture's in pixels.
inline constexpr std::int32_t FieldWidth = 640;
inline constexpr std::int32_t FieldHeight = 480;

// The field is tiled by 16 × 12 blocks of 40 × 40 cells; every pattern gives each block one value.
inline constexpr int BlockSize = 40;
inline constexpr int BlockColumns = 16;
inline constexpr int BlockRows = 12;
inline constexpr int BlockCount = BlockColumns * BlockRows;

// Direction codes 0 to 7 are unit steps, 0 straight down and then clockwise on the screen (y grows downward);
// code 8 is no flow. Code k is also neighbour k of a cell, bit k of the occupancy flags, a move and a colour.
inline constexpr std::uint8_t NoFlow = 8;

struct Step {
    int dx;
    int dy;
};

inline constexpr std::array<Step, 9> DirectionStep = {{
    {0, +1},
    {-1, +1},
    {-1, 0},
    {-1, -1},
    {0, -1},
    {+1, -1},
    {+1, 0},
    {+1, +1},
    {0, 0},
}};

struct Colour {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

inline constexpr std::array<Colour, 9> DirectionColour = {{
    {255, 0, 0},     // down: red
    {255, 128, 0},   // down-left: orange
    {255, 255, 0},   // left: yellow
    {0, 255, 0},     // up-left: green
    {0, 255, 255},   // up: cyan
    {0, 0, 255},     // up-right: blue
    {128, 0, 255},   // right: violet
    {255, 0, 255},   // down-right: magenta
    {128, 128, 128}, // no flow: grey
}};

// One byte per block, row by row: the byte at 16r + c belongs to block row r, block column c.
using DirectionGrid = std::array<std::uint8_t, BlockCount>;
using StagePattern = std::array<std::uint8_t, BlockCount>;

extern const std::array<DirectionGrid, 256> DirectionGrids;
extern const std::array<StagePattern, 16> StagePatterns;

constexpr std::size_t blockPosition(int row, int column) {
    return static_cast<std::size_t>(BlockColumns * row + column);
}

} // namespace orbisk

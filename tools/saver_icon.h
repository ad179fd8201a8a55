// The saver's icon: a whirl of particles on a black disc, coloured as the saver colours them, by the direction
// in which they move.
#pragma once

#include <vector>

#include "tools/dib_files.h"

namespace orbisk {

// The three images of icon group 102, in their order: 32 × 32 in 16 colours, 32 × 32 in 256 colours,
// 16 × 16 in 16 colours.
std::vector<IconImage> saverIconImages();

} // namespace orbisk

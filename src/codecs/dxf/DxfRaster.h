// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "codecs/common/CodecImage.h"
#include "codecs/dxf/DxfDrawing.h"

namespace pixcodec {

// Longest side of a rendered drawing in pixels; the other side follows the drawing's aspect.
constexpr int kRenderSide = 1024;
// Strokes are widened by this many pixels on each side (a 7-pixel pen); the margin leaves room
// for them, so a border line starts at the picture's first row, which every thumbnail samples.
constexpr int kPenRadius = 3;
constexpr int kRenderMargin = kPenRadius;

// Draws the paths black on white into a 1-bit picture fitted to their extents.
Image Render(const std::vector<Path>& paths);

}  // namespace pixcodec

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "codecs/common/CodecImage.h"
#include "codecs/dxf/DxfDrawing.h"

namespace pixcodec {

// Longest side of a rendered drawing in pixels; the other side follows the drawing's aspect.
constexpr int kRenderSide = 1024;
constexpr int kRenderMargin = 4;

// Draws the paths black on white into a 1-bit picture fitted to their extents.
Image Render(const std::vector<Path>& paths);

}  // namespace pixcodec

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPainter>
#include <QRectF>
#include <cstdint>
#include <vector>

namespace pixelary::metafile {

// True when bytes start with a classic metafile header (memory or disk type, 9-word header).
bool IsWindowsMetafile(const std::vector<std::uint8_t>& bytes);

// Plays a classic metafile (without a placeable header) so that window, the picture's rectangle
// in logical units, fills target. Window records of the file take over from it, as when a
// placeable metafile is played into a rectangle.
void PlayWmf(const std::vector<std::uint8_t>& bytes, QPainter& painter, const QRectF& window,
             const QRectF& target);

}  // namespace pixelary::metafile

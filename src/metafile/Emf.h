// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPainter>
#include <QRectF>
#include <cstdint>
#include <optional>
#include <vector>

namespace pixelary::metafile {

// The enhanced-metafile header fields a player needs.
struct EmfHeader {
    QRectF bounds;        // device pixels, right and bottom inclusive as stored
    QRectF frame;         // hundredths of a millimetre, right and bottom inclusive as stored
    QSize device_pixels;  // reference device
    QSize device_millimetres;
    std::uint32_t handles = 0;
};

// The header of an enhanced metafile, or none when the bytes are not one.
std::optional<EmfHeader> ReadEmfHeader(const std::vector<std::uint8_t>& bytes);

// The part of the reference device, in its pixels, that the picture shows: the header's frame,
// or the extent of what the records draw when the frame does not hold it (some producers record
// their bounds in logical units, which puts the frame somewhere else).
QRectF PictureRect(const std::vector<std::uint8_t>& bytes, const EmfHeader& header);

// Plays every record of an enhanced metafile, fitting picture (from PictureRect) into target.
void PlayEmf(const std::vector<std::uint8_t>& bytes, const EmfHeader& header, QPainter& painter,
             const QRectF& picture, const QRectF& target);

}  // namespace pixelary::metafile

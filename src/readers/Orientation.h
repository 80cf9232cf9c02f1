// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "core/Dib.h"

namespace pixelary {

class Stream;

// How a photograph's stored rows map onto the picture as it is meant to be seen: the values of
// the orientation tag (274) that cameras write into the Exif block of JPEG files and into TIFF
// directories. The name says what turns the stored picture upright.
enum class Orientation : std::uint8_t {
    Normal = 1,            // row 0 is the top, column 0 the left
    MirrorHorizontal = 2,  // column 0 is the right
    Rotate180 = 3,         // row 0 is the bottom, column 0 the right
    MirrorVertical = 4,    // row 0 is the bottom
    Transpose = 5,         // row 0 is the left column, column 0 the top row
    Rotate90 = 6,          // row 0 is the right column, column 0 the top row (turn clockwise)
    Transverse = 7,        // row 0 is the right column, column 0 the bottom row
    Rotate270 = 8,         // row 0 is the left column, column 0 the bottom row
};

// True when the upright picture is as wide as the stored one is tall (values 5 to 8).
bool SwapsSides(Orientation orientation);

// True for the format keys whose files carry an orientation tag the program honours (JPEG and
// TIFF); every other format is shown as stored.
bool HonoursOrientation(const std::string& formatKey);

// The orientation tag of the first directory of the TIFF structure that lies in [begin, end) of
// in, its offsets counted from begin. Normal when the structure is no TIFF header, the tag is
// absent or malformed, or any offset or count points outside the range. Only the first
// directory is read and no offset chain is followed, so no file can make it loop; it raises
// only the stream's read error.
Orientation ReadTiffOrientation(Stream& in, std::int64_t begin, std::int64_t end);

// The orientation in the Exif block (APP1 "Exif") of a JPEG stream positioned at its start,
// looking at the segments before the scan data. Normal when there is none or it is damaged;
// raises only the stream's read error.
Orientation ReadJpegOrientation(Stream& in);

// The orientation of a picture file of the given format key; Normal for formats that carry none
// and for files that cannot be read. Never raises.
Orientation ReadPictureOrientation(const std::string& path, const std::string& formatKey);

// The stored bitmap turned and mirrored upright: same depth and palette; width and height
// exchanged for the values that swap sides.
Dib ApplyOrientation(const Dib& stored, Orientation orientation);

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

namespace pixelary {

class Stream;

// A BMP file image read from a stream; a null image when the stream holds no valid bitmap.
QImage LoadBmpImage(Stream& stream);

}  // namespace pixelary

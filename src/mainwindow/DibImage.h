// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

namespace pixelary {

class Dib;
class Stream;

// The bitmap as a QImage for painting; a null image for an empty bitmap.
QImage DibToImage(const Dib& dib);
// A BMP file image read from a stream; a null image when the stream holds no valid bitmap.
QImage LoadBmpImage(Stream& stream);

}  // namespace pixelary

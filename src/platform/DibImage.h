// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

#include "core/Dib.h"

namespace pixelary::platform {

// The bitmap as a QImage for painting: 24- and 32-bit rows as opaque RGB, lower depths through
// their palette. A null image for an empty bitmap.
QImage DibToQImage(const Dib& dib);

// A 24-bit bitmap of the image, transparent parts laid on white.
Dib QImageToDib(const QImage& image);

}  // namespace pixelary::platform

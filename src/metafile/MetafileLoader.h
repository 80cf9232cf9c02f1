// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "readers/Rwemfwmf.h"

namespace pixelary::metafile {

// The screen that classic metafiles are converted for: 1920 x 1080 pixels at 96 dots per inch.
constexpr MetafileDevice kReferenceScreen{1920, 1080, 508, 286};

// Makes the metafile reader use this layer (QPainter playback of EMF and WMF records).
void InstallMetafileLoader();

}  // namespace pixelary::metafile

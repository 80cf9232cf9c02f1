// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/BmpStreamImage.h"

#include "core/Dib.h"
#include "core/Exception.h"
#include "core/Stream.h"
#include "platform/DibImage.h"

namespace pixelary {

QImage LoadBmpImage(Stream& stream) {
    try {
        stream.SetPosition(0);
        return platform::DibToQImage(Dib::LoadFromStream(stream));
    } catch (const Exception&) {
        return {};
    }
}

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the metafile reader (extension PIXELARY_FUZZ_EXTENSION) and plays the
// result onto a thumbnail-sized bitmap, text included.

#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

#include "common/ThumbnailInput.h"
#include "services/qt/QtServices.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    // The metafile reader and its player only: no namespace, no image component.
    pixelary::QtServiceOptions services;
    services.base.libraryReader = false;
    services.platform = false;
    pixelary::InstallQtServices(services);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pixelary::fuzz::ThumbnailOf(data, size, PIXELARY_FUZZ_EXTENSION);
    return 0;
}

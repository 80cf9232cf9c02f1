// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/Services.h"

#include "readers/library/Rwlib.h"
#include "scanner/HandOver.h"

namespace pixelary {

void InstallServices(const ServiceOptions& options) {
    log::SetSink(options.logSink);
    TPixImage::SetMessageSink(options.componentMessages);
    if (options.libraryReader) RegisterLibraryReader(options.moduleFolder);
    HandOver::Main();
}

}  // namespace pixelary

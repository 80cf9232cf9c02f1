// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/Log.h"
#include "imaging/PixImage.h"

namespace pixelary {

// What InstallServices wires into the process-wide registries of the standard-library side.
struct ServiceOptions {
    // Makes the image component's reader the readers' fallback for the files and formats the
    // own readers refuse. The fuzz targets of the own readers turn it off so they stay on them.
    bool libraryReader = true;
    // Where the codec modules are looked for first; empty searches only the usual places.
    std::string moduleFolder;
    // Where log records go; empty leaves the log quiet.
    log::Sink logSink;
    // Where the image component's messages go; empty keeps them on standard error.
    TMessageSink componentMessages;
};

// The one wiring point of the standard-library side: the log sink, the image component's
// messages, the library reader, and the main thread's hand-over. Call it once on the main
// thread, before any worker starts: the calling thread becomes the hand-over's owner.
void InstallServices(const ServiceOptions& options);

}  // namespace pixelary

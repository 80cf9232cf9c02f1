// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

#include "platform/LinuxShell.h"
#include "services/Services.h"

namespace pixelary {

// What InstallQtServices wires on top of the standard-library side.
struct QtServiceOptions {
    // The standard-library side; an empty log sink is replaced by the Qt logging categories.
    ServiceOptions base;
    // The Linux namespace and the locale text comparison.
    bool platform = true;
    // The folders the virtual desktop shows; empty takes the running user's.
    std::optional<platform::ShellRoots> roots;
    // The language the virtual folders are named in, with the system's roots; empty is the
    // system's language.
    std::string interfaceLanguage;
    // The metafile player behind the metafile reader (drawing text needs a QGuiApplication).
    bool metafiles = true;
};

// The one wiring point of the program, the Qt tools and the benchmarks: every process-wide
// registry, from the main thread before any worker starts.
void InstallQtServices(QtServiceOptions options);

// Hands each log record to its Qt logging category ("pixelary.readers", "pixelary.cache",
// "pixelary.scanner"), which are quiet below warnings unless QT_LOGGING_RULES enables them.
void QtLogSink(log::Category category, log::Level level, std::string_view message);

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace pixelary::platform {

// A folder of read-only data that ships with the program ("tiles", "PrintSet", "PrintFrm",
// "translations"): beside the program in the build tree, else share/pixelary/<name> of the
// installation the program runs from. The first that exists; the installed path when neither
// does.
std::string ShippedDataFolder(const std::string& name);

}  // namespace pixelary::platform

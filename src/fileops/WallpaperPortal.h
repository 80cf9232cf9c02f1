// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace pixelary::fileops {

// Asks the freedesktop wallpaper portal (org.freedesktop.portal.Wallpaper on the session bus)
// to make file the desktop's background, without a preview. False when there is no session bus
// or no portal, or the portal refused the request at once. The portal finishes later; when its
// answer is not a success, refused runs on the thread of the caller's event loop.
bool SetWallpaperThroughPortal(const std::string& file, std::function<void()> refused);

}  // namespace pixelary::fileops

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/Dib.h"
#include "platform/api/ShellFolder.h"

namespace pixelary::platform {

// What an item of the Linux namespace is, as far as its icon and type name go.
enum class NodeKind { Desktop, Computer, Home, Volume, Folder, File };

inline constexpr int kSmallIconSide = 16;
inline constexpr int kLargeIconSide = 32;

// The item's icon from the icon theme (by MIME type for files), drawn on white; a built-in
// drawing when no theme has it or no GUI application runs on this thread. 24-bit.
Dib IconFor(NodeKind kind, const std::string& path, shell::IconSize size);

// The MIME type's description in the user's language.
std::string TypeNameFor(NodeKind kind, const std::string& path);

}  // namespace pixelary::platform

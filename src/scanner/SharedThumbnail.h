// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "core/Dib.h"

namespace pixelary {

// Thumbnails the desktop's other programs keep for every user in the shared thumbnail folders
// ($XDG_CACHE_HOME/thumbnails/normal and large). They are only ever read here.

// The file URI desktops name a picture by: "file://" and the absolute path with every byte
// outside letters, digits and -_.!~*'()/:@&=+$, percent-encoded in upper-case hexadecimal.
std::string FileUriOf(const std::string& absolutePath);

// The name of a picture's shared thumbnail: the MD5 digest of its URI in hexadecimal, ".png".
std::string SharedThumbnailFileName(const std::string& uri);

// The folder holding the size folders: $XDG_CACHE_HOME/thumbnails when that is an absolute path,
// else $HOME/.cache/thumbnails; empty when neither is known.
std::string SharedThumbnailRoot();

// On by default; off, ThumbnailFromShared finds nothing.
void SetSharedThumbnailsEnabled(bool enabled);
bool SharedThumbnailsEnabled();

// The thumbnail of the picture at path fitted into the box (ThumbnailSize of the picture's own
// size), sampled from its shared thumbnail. Empty unless a shared thumbnail names the picture's
// URI and its modification time in seconds, states the picture's size (Thumb::Image::Width and
// Height), and is at least as large as the thumbnail it has to give. Damaged or hostile files
// give empty, never an error.
Dib ThumbnailFromShared(const std::string& path, std::int32_t boxWidth, std::int32_t boxHeight);

}  // namespace pixelary

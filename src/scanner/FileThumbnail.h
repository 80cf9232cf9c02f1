// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "core/Dib.h"

namespace pixelary {

// What a format key makes of a file: a picture the readers decode, a document that carries a
// preview picture ("osp"), or nothing to show.
enum class ThumbnailKind { None, Picture, PreviewDocument };
ThumbnailKind ThumbnailKindOf(const std::string& formatKey);

// The thumbnail of one file, made without the cache, the same way for the folder scan and for
// pixthumb: a picture is sampled from the desktop's valid shared thumbnail of it when there is
// one (SharedThumbnail.h), else decoded upright fitted into the box; a preview document gives its
// embedded bitmap as stored. Empty when the key names nothing or no reader takes the file; the
// readers' and streams' errors pass through.
Dib MakeFileThumbnail(const std::string& path, const std::string& formatKey, std::int32_t boxWidth,
                      std::int32_t boxHeight);

// The preview bitmap embedded in a preview document; empty when the file is no such document.
// A preview shorter than its length field raises the stream read error.
Dib ReadEmbeddedPreviewBitmap(const std::string& path);

}  // namespace pixelary

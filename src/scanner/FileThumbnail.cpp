// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/FileThumbnail.h"

#include <sys/stat.h>

#include <cstring>
#include <string_view>

#include "core/Exception.h"
#include "core/Stream.h"
#include "readers/Rwimage.h"
#include "readers/ThumbnailSize.h"
#include "scanner/SharedThumbnail.h"

namespace pixelary {
namespace {

constexpr std::string_view kPreviewDocumentKey = "osp";
// A preview is a small picture; a longer length field is a damaged document.
constexpr std::uint32_t kMaxPreviewBytes = 64u << 20;

// Header of a document with an embedded preview ("osp"), all integers little-endian:
//   +0   2  "QX"
//   +2  32  NUL-terminated "ObjManager"
//   +34  2  0
//   +36  2  1
//   +38  4  length n of the preview
//   +42  n  the preview, a complete BMP file
struct PreviewHeader {
    static constexpr std::size_t kSize = 38;
    static constexpr std::size_t kNameOffset = 2;
    static constexpr std::size_t kNameSize = 32;
    static constexpr std::size_t kZeroOffset = 34;
    static constexpr std::size_t kOneOffset = 36;
};

std::uint16_t U16At(const std::uint8_t* bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

bool IsPreviewHeader(const std::uint8_t* header) {
    if (header[0] != 'Q' || header[1] != 'X') return false;
    const char* name = reinterpret_cast<const char*>(header + PreviewHeader::kNameOffset);
    const std::size_t length = strnlen(name, PreviewHeader::kNameSize);
    return std::string_view(name, length) == "ObjManager" &&
           U16At(header, PreviewHeader::kZeroOffset) == 0 &&
           U16At(header, PreviewHeader::kOneOffset) == 1;
}

// Only regular files are read: opening a FIFO waits for a writer that may never come, and a
// device (a link to /dev/zero named like a picture) may never end.
bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

Dib DecodePicture(const std::string& path, const std::string& formatKey, std::int32_t boxWidth,
                  std::int32_t boxHeight) {
    const auto reader = CreateDiskImage(path, formatKey, SamplingBox{boxWidth, boxHeight});
    if (!reader) return {};
    // A photograph taken upright fills the box in its upright shape.
    const ThumbnailExtent size =
        ThumbnailSize(reader->UprightWidth(), reader->UprightHeight(), boxWidth, boxHeight);
    return StretchUpright(*reader, size.Width, size.Height);
}

}  // namespace

ThumbnailKind ThumbnailKindOf(const std::string& formatKey) {
    if (IsImageFileExt(formatKey)) return ThumbnailKind::Picture;
    if (formatKey == kPreviewDocumentKey) return ThumbnailKind::PreviewDocument;
    return ThumbnailKind::None;
}

Dib MakeFileThumbnail(const std::string& path, const std::string& formatKey, std::int32_t boxWidth,
                      std::int32_t boxHeight) {
    if (ThumbnailKindOf(formatKey) == ThumbnailKind::None || !IsRegularFile(path)) return {};
    switch (ThumbnailKindOf(formatKey)) {
        case ThumbnailKind::Picture: {
            // A thumbnail another program of the desktop made spares decoding a large picture.
            Dib shared = ThumbnailFromShared(path, boxWidth, boxHeight);
            if (!shared.IsEmpty()) return shared;
            return DecodePicture(path, formatKey, boxWidth, boxHeight);
        }
        case ThumbnailKind::PreviewDocument:
            return ReadEmbeddedPreviewBitmap(path);
        case ThumbnailKind::None:
            break;
    }
    return {};
}

Dib ReadEmbeddedPreviewBitmap(const std::string& path) {
    if (!IsRegularFile(path)) return {};
    FileStream file(path, FileMode::OpenRead);
    std::uint8_t header[PreviewHeader::kSize];
    if (file.Read(header, sizeof header) != sizeof header || !IsPreviewHeader(header)) return {};
    const std::uint32_t length = file.ReadU32LE();
    if (length > kMaxPreviewBytes || length > static_cast<std::uint64_t>(file.Remaining())) {
        throw EReadError();
    }
    MemoryStream preview;
    preview.CopyFrom(file, length);
    preview.SetPosition(0);
    return Dib::LoadFromStream(preview);
}

}  // namespace pixelary

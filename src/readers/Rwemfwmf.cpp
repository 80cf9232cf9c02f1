// SPDX-License-Identifier: GPL-3.0-or-later
#include "readers/Rwemfwmf.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "core/Exception.h"
#include "core/Log.h"
#include "core/Stream.h"
#include "readers/ByteOrder.h"

namespace pixelary {

namespace {

// Placeable header (22 bytes): +0 key, +4 handle, +6 bounding box (4 x 16 bits), +14 units per
// inch, +16 reserved, +20 checksum = XOR of the ten 16-bit words before it.
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kChecksumAt = 20;
constexpr std::size_t kBoundsAt = 6;  // left, top, right, bottom
constexpr std::size_t kUnitsPerInchAt = 14;
constexpr const char* kFormatError = "Metafile format not supply";
// Whole-file loads stop here: no classic metafile a producer writes comes near it.
constexpr std::int64_t kMaxMetafileBytes = std::int64_t{64} << 20;

std::mutex g_loader_mutex;
std::shared_ptr<MetafileLoader> g_loader;

std::shared_ptr<MetafileLoader> Loader() {
    std::lock_guard lock(g_loader_mutex);
    return g_loader;
}

bool ChecksumMatches(const std::uint8_t* header) {
    std::uint16_t sum = 0;
    for (std::size_t at = 0; at < kChecksumAt; at += 2) sum ^= bytes::U16LE(header + at);
    return sum == bytes::U16LE(header + kChecksumAt);
}

}  // namespace

void SetMetafileLoader(std::shared_ptr<MetafileLoader> loader) {
    std::lock_guard lock(g_loader_mutex);
    g_loader = std::move(loader);
}

MDiskEMFWMF::MDiskEMFWMF(const std::string& path, const std::string& extension)
    : MDiskImage(path, extension) {
    const std::shared_ptr<MetafileLoader> loader = Loader();
    if (loader && extension == "wmf") LoadPlaceable(*loader);
    if (loader && !metafile_) metafile_ = loader->FromEnhancedFile(path);
    Describe();
}

MDiskEMFWMF::~MDiskEMFWMF() = default;

// A failure here only means the file is not a placeable metafile.
void MDiskEMFWMF::LoadPlaceable(MetafileLoader& loader) {
    try {
        FileStream file(FileName(), FileMode::OpenRead);
        const std::int64_t size = file.Size();
        if (size < static_cast<std::int64_t>(kPlaceableSize) || size > kMaxMetafileBytes) return;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
        file.ReadBuffer(bytes.data(), bytes.size());
        if (bytes::U32LE(bytes.data()) != kPlaceableKey || !ChecksumMatches(bytes.data())) return;
        const auto coordinate = [&bytes](std::size_t at) {
            return static_cast<std::int16_t>(bytes::U16LE(bytes.data() + at));
        };
        const PlaceableBounds bounds{coordinate(kBoundsAt), coordinate(kBoundsAt + 2),
                                     coordinate(kBoundsAt + 4), coordinate(kBoundsAt + 6),
                                     bytes::U16LE(bytes.data() + kUnitsPerInchAt)};
        bytes.erase(bytes.begin(), bytes.begin() + kPlaceableSize);
        metafile_ = loader.FromWindowsMetafileBits(std::move(bytes), bounds);
    } catch (const Exception& error) {
        log::Debug(log::Category::Readers,
                   FileName() + ": not a placeable metafile: " + error.what());
        metafile_.reset();
    }
}

// The size is the picture's own; the resolution, in pixels per metre, is the reference
// device's. A picture larger than a side may be is described smaller, in proportion.
void MDiskEMFWMF::Describe() {
    if (!metafile_) throw EInOutError(kFormatError);
    const MetafileDevice device = metafile_->Device();
    const MetafileSize size = metafile_->Size();
    if (device.WidthPixels < 1 || device.WidthPixels > kMaxImageSide || device.HeightPixels < 1 ||
        device.HeightPixels > kMaxImageSide || !(size.WidthPixels > 0) ||
        !(size.HeightPixels > 0)) {
        metafile_.reset();
        throw EInOutError(kFormatError);
    }
    const double shrink =
        std::max({1.0, size.WidthPixels / kMaxImageSide, size.HeightPixels / kMaxImageSide});
    const auto side = [shrink](double pixels) {
        return static_cast<std::int32_t>(
            std::clamp(std::lround(pixels / shrink), 1L, static_cast<long>(kMaxImageSide)));
    };
    ImageInfo.Width = side(size.WidthPixels);
    ImageInfo.Height = side(size.HeightPixels);
    ImageInfo.BitCount = 24;
    if (device.WidthMillimetres > 0) {
        ImageInfo.XPelsPerMeter = static_cast<std::int32_t>(std::int64_t{device.WidthPixels} *
                                                            1000 / device.WidthMillimetres);
    }
    if (device.HeightMillimetres > 0) {
        ImageInfo.YPelsPerMeter = static_cast<std::int32_t>(std::int64_t{device.HeightPixels} *
                                                            1000 / device.HeightMillimetres);
    }
}

void MDiskEMFWMF::StretchBegin(std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                               std::int32_t destWidth, std::int32_t destHeight) {
    if (!metafile_) return;
    dest_left_ = 0;
    dest_top_ = 0;
    dest_right_ = destWidth;
    dest_bottom_ = destHeight;
}

void MDiskEMFWMF::StretchLines(Dib& bitmap, std::int32_t) {
    if (!metafile_) return;
    if (!metafile_->Play(bitmap, dest_left_, dest_top_, dest_right_, dest_bottom_)) {
        bitmap = Dib();
    }
}

void MDiskEMFWMF::StretchEnd() {}

}  // namespace pixelary

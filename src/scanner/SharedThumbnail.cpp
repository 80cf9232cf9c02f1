// SPDX-License-Identifier: GPL-3.0-or-later
#include "scanner/SharedThumbnail.h"

#include <sys/stat.h>

#include <array>
#include <atomic>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

#include "readers/Rwimage.h"
#include "readers/ThumbnailSize.h"
#include "scanner/Md5.h"
#include "scanner/ThumbnailPng.h"

namespace pixelary {
namespace {

constexpr std::string_view kUriKey = "Thumb::URI";
constexpr std::string_view kMTimeKey = "Thumb::MTime";
constexpr std::string_view kWidthKey = "Thumb::Image::Width";
constexpr std::string_view kHeightKey = "Thumb::Image::Height";
// The smaller folder first: it covers the scanner's box and decodes faster.
constexpr std::array<std::string_view, 2> kSizeFolders = {"normal", "large"};
constexpr std::int32_t kThumbnailDepth = 24;

std::atomic<bool> g_enabled{true};

bool IsUnescapedInPath(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("-_.!~*'()/:@&=+$,").find(static_cast<char>(c)) !=
           std::string_view::npos;
}

// The picture's own size as its thumbnail states it: positive decimal numbers no larger than
// any reader decodes.
std::optional<std::int32_t> SideOf(const std::optional<std::string>& text) {
    if (!text || text->empty()) return std::nullopt;
    std::int32_t value = 0;
    const char* end = text->data() + text->size();
    const auto [last, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || last != end || value < 1 || value > kMaxImageSide) {
        return std::nullopt;
    }
    return value;
}

// What a shared thumbnail must say to stand for the picture.
struct PictureFacts {
    std::string Uri;
    std::string MTime;
};

// False when a key the header carries contradicts the picture; missing keys may still follow
// the pixels.
bool HeaderAgrees(const ThumbnailPng& header, const PictureFacts& facts) {
    const auto uri = header.TextOf(kUriKey);
    const auto mtime = header.TextOf(kMTimeKey);
    return (!uri || *uri == facts.Uri) && (!mtime || *mtime == facts.MTime);
}

// An in-memory reader over a decoded shared thumbnail, so it is sampled exactly as a picture
// decoded by a reader.
class SharedThumbnailReader : public MDiskImage {
  public:
    SharedThumbnailReader(const std::string& path, const ThumbnailPng& png)
        : MDiskImage(path, std::string()), png_(png) {
        ImageInfo.Width = png.Width;
        ImageInfo.Height = png.Height;
        ImageInfo.Planes = 1;
        ImageInfo.BitCount = kThumbnailDepth;
    }
    void StretchLines(Dib& bitmap, std::int32_t count) override {
        const std::size_t rowBytes = static_cast<std::size_t>(png_.Width) * 3;
        StretchRows(bitmap, count, false, [this, rowBytes](std::int32_t row) {
            return png_.Rows.data() + static_cast<std::size_t>(row) * rowBytes;
        });
    }

  private:
    const ThumbnailPng& png_;
};

// The picture's size turned to the thumbnail's orientation: desktops store thumbnails upright
// while some state the size of the picture as its file holds it.
ThumbnailExtent OrientedPictureSize(std::int32_t width, std::int32_t height,
                                    const ThumbnailPng& png) {
    const bool pictureWide = width > height;
    const bool pictureTall = width < height;
    if ((pictureWide && png.Width < png.Height) || (pictureTall && png.Width > png.Height)) {
        return {height, width};
    }
    return {width, height};
}

// The thumbnail of the box made from a valid shared thumbnail; empty when it does not serve.
Dib SampleValidThumbnail(const std::string& path, const ThumbnailPng& png,
                         const PictureFacts& facts, std::int32_t boxWidth, std::int32_t boxHeight) {
    if (png.TextOf(kUriKey) != facts.Uri || png.TextOf(kMTimeKey) != facts.MTime) return {};
    const auto width = SideOf(png.TextOf(kWidthKey));
    const auto height = SideOf(png.TextOf(kHeightKey));
    if (!width || !height) return {};
    const ThumbnailExtent picture = OrientedPictureSize(*width, *height, png);
    const ThumbnailExtent target =
        ThumbnailSize(picture.Width, picture.Height, boxWidth, boxHeight);
    // Too small to cover the thumbnail, unless it already holds every pixel of the picture.
    if (png.Width < std::min(target.Width, picture.Width) ||
        png.Height < std::min(target.Height, picture.Height)) {
        return {};
    }
    SharedThumbnailReader reader(path, png);
    return StretchWholePicture(reader, target.Width, target.Height);
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return {};
    return absolute.lexically_normal().string();
}

}  // namespace

std::string FileUriOf(const std::string& absolutePath) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char ch : absolutePath) {
        const auto byte = static_cast<unsigned char>(ch);
        if (IsUnescapedInPath(byte)) {
            uri += ch;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0x0f];
        }
    }
    return uri;
}

std::string SharedThumbnailFileName(const std::string& uri) {
    return Md5Hex(uri) + ".png";
}

std::string SharedThumbnailRoot() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return std::string(cache) + "/thumbnails";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.cache/thumbnails";
    return {};
}

void SetSharedThumbnailsEnabled(bool enabled) {
    g_enabled.store(enabled, std::memory_order_relaxed);
}

bool SharedThumbnailsEnabled() {
    return g_enabled.load(std::memory_order_relaxed);
}

Dib ThumbnailFromShared(const std::string& path, std::int32_t boxWidth, std::int32_t boxHeight) {
    if (!SharedThumbnailsEnabled()) return {};
    const std::string root = SharedThumbnailRoot();
    const std::string absolute = AbsolutePath(path);
    struct stat info {};
    if (root.empty() || absolute.empty() || ::stat(absolute.c_str(), &info) != 0) return {};
    const PictureFacts facts{FileUriOf(absolute), std::to_string(info.st_mtime)};
    const std::string name = SharedThumbnailFileName(facts.Uri);
    const ThumbnailPngCheck agrees = [&facts](const ThumbnailPng& header) {
        return HeaderAgrees(header, facts);
    };
    try {
        for (const std::string_view folder : kSizeFolders) {
            const auto png =
                ReadThumbnailPng(root + "/" + std::string(folder) + "/" + name, agrees);
            if (!png) continue;
            Dib thumbnail = SampleValidThumbnail(absolute, *png, facts, boxWidth, boxHeight);
            if (!thumbnail.IsEmpty()) return thumbnail;
        }
    } catch (const std::exception&) {
        // Whatever goes wrong with a shared thumbnail, the picture itself is still there.
    }
    return {};
}

}  // namespace pixelary

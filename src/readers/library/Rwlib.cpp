// SPDX-License-Identifier: GPL-3.0-or-later
#include "readers/library/Rwlib.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <tuple>
#include <utility>

#include "core/Cancel.h"
#include "core/Exception.h"
#include "readers/ThumbnailSize.h"

namespace pixelary {

namespace {

constexpr const char* kBitError = "Lib bit error";
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::int32_t kMode555 = 15;
constexpr std::int32_t kMode565 = 16;
constexpr std::int32_t kMaxPaletteBits = 8;

// Decoding failures of library reads reach no user: the factory simply finds no reader.
void RWPixImageError(TPixImage&, std::int16_t, const std::string&) {}

// Where every thread's component looks first for the codec modules.
struct ModuleFolderSetting {
    std::mutex lock;
    std::string folder;
};

ModuleFolderSetting& ModuleFolder() {
    static ModuleFolderSetting setting;
    return setting;
}

// A component with the settings the main window gives it. Each thread has its own, so threads
// that decode at the same time never wait for each other; the lock still keeps a thread's own
// load-copy sequence in one piece.
struct SharedComponent {
    TPixImage image;
    std::mutex lock;
    SharedComponent() {
        image.ImageReadRes = TImageReadRes::lAutoMatic;
        image.OnImageError = RWPixImageError;
        std::lock_guard guard(ModuleFolder().lock);
        image.ModuleFolder = ModuleFolder().folder;
        // A scanner told to stop ends the decode in progress (a long Ghostscript render).
        image.OnProgress = [](TPixImage&, std::uint16_t, bool& cancel, const std::string&) {
            cancel = StopRequested();
        };
    }
};

SharedComponent& Shared() {
    thread_local SharedComponent shared;
    return shared;
}

// Clears the component's name, dropping its picture, when the load-copy sequence ends.
class NameReset {
  public:
    explicit NameReset(TPixImage& image) : image_(image) {}
    ~NameReset() { image_.SetImageName(std::string()); }
    NameReset(const NameReset&) = delete;
    NameReset& operator=(const NameReset&) = delete;

  private:
    TPixImage& image_;
};

}  // namespace

TPixImage& RWPixImage() {
    return Shared().image;
}

std::mutex& RWPixImageLock() {
    return Shared().lock;
}

void RegisterLibraryReader(const std::string& moduleFolder) {
    {
        std::lock_guard lock(ModuleFolder().lock);
        ModuleFolder().folder = moduleFolder;
    }
    {
        std::lock_guard lock(RWPixImageLock());
        RWPixImage().ModuleFolder = moduleFolder;
    }
    SetSizedLibraryReaderFactory(
        [](const std::string& path, const std::string& extension, std::optional<SamplingBox> box) {
            return std::make_unique<MDiskLIB>(path, extension, box);
        });
}

MDiskLIB::MDiskLIB(const std::string& path, const std::string& extension,
                   std::optional<SamplingBox> box)
    : MDiskImage(path, extension) {
    CopyFromComponent(path, box);
    Describe();
}

MDiskLIB::~MDiskLIB() = default;

// Steps 1 to 3 run under the component's lock so two loads never interleave.
void MDiskLIB::CopyFromComponent(const std::string& path, std::optional<SamplingBox> box) {
    std::lock_guard lock(RWPixImageLock());
    TPixImage& image = RWPixImage();
    image.SetImageName(std::string());
    NameReset reset(image);
    if (box) {
        // The thumbnail's size follows from the picture's, which only the decoder knows.
        image.LoadForSampling(path, [this, box](std::int32_t fullWidth, std::int32_t fullHeight,
                                                std::int32_t& width, std::int32_t& height) {
            full_width_ = fullWidth;
            full_height_ = fullHeight;
            const ThumbnailExtent extent =
                ThumbnailSize(fullWidth, fullHeight, box->Width, box->Height);
            width = extent.Width;
            height = extent.Height;
            return true;
        });
    } else {
        image.SetImageName(path);
    }
    try {
        copy_ = image.Picture().Bitmap();
    } catch (const std::bad_alloc&) {
        copy_.Clear();
        throw EInOutError(kBitError);
    }
}

void MDiskLIB::Describe() {
    std::int32_t bits = 0;
    switch (copy_.PixelFormat()) {
        case TPixelFormat::pf1bit:
            bits = 1;
            break;
        case TPixelFormat::pf4bit:
            bits = 4;
            break;
        case TPixelFormat::pf8bit:
            bits = 8;
            break;
        case TPixelFormat::pf15bit:
            bits = 24;
            pixel_mode_ = kMode555;
            break;
        case TPixelFormat::pf16bit:
            bits = 24;
            pixel_mode_ = kMode565;
            break;
        case TPixelFormat::pf24bit:
            bits = 24;
            break;
        case TPixelFormat::pf32bit:
            bits = 32;
            break;
        default:
            copy_.Clear();
            throw EInOutError(kBitError);
    }
    ImageInfo.Size = kInfoHeaderSize;
    // A copy smaller than the picture reports the picture's size; StretchBegin maps onto it.
    const bool reduced = full_width_ >= copy_.Width() && full_height_ >= copy_.Height();
    ImageInfo.Width = reduced ? full_width_ : copy_.Width();
    ImageInfo.Height = reduced ? full_height_ : copy_.Height();
    ImageInfo.Planes = 1;
    ImageInfo.BitCount = static_cast<std::uint16_t>(bits);
    ImageInfo.XPelsPerMeter = kResolution;
    ImageInfo.YPelsPerMeter = kResolution;
    ImageInfo.ClrUsed = 0;
    if (bits <= kMaxPaletteBits) {
        const std::vector<std::uint32_t>& entries = copy_.Palette();
        Palette.assign(static_cast<std::size_t>(GetColorCount()), 0);
        std::copy_n(entries.begin(), std::min(entries.size(), Palette.size()), Palette.begin());
    }
    if (pixel_mode_ != kNoExpansion) {
        // (width x 24 + 7) div 8 + 4 bytes: the row expanded to 24 bits, plus slack.
        conversion_.assign((static_cast<std::size_t>(copy_.Width()) * 24 + 7) / 8 + 4, 0);
    }
}

const std::uint8_t* MDiskLIB::FetchRow(std::int32_t row) {
    const std::uint8_t* source = copy_.ScanLine(row);
    if (pixel_mode_ == kNoExpansion) return source;
    std::memcpy(conversion_.data(), source, static_cast<std::size_t>(copy_.Width()) * 2);
    if (pixel_mode_ == kMode555) {
        Expand555(conversion_.data(), copy_.Width());
    } else {
        Expand565(conversion_.data(), copy_.Width());
    }
    return conversion_.data();
}

namespace {

// [begin, end) of the picture's coordinates scaled onto a copy of copySize out of pictureSize,
// as first index and count, at least one.
std::pair<std::int32_t, std::int32_t> MapSpan(std::int32_t begin, std::int32_t end,
                                              std::int32_t pictureSize, std::int32_t copySize) {
    const std::int64_t first = std::int64_t{begin} * copySize / pictureSize;
    const std::int64_t last = (std::int64_t{end} * copySize + pictureSize - 1) / pictureSize;
    const std::int64_t clampedLast = std::clamp<std::int64_t>(last, first + 1, copySize);
    return {static_cast<std::int32_t>(first), static_cast<std::int32_t>(clampedLast - first)};
}

}  // namespace

void MDiskLIB::StretchBegin(std::int32_t left, std::int32_t top, std::int32_t right,
                            std::int32_t bottom, std::int32_t destWidth, std::int32_t destHeight) {
    MDiskImage::StretchBegin(left, top, right, bottom, destWidth, destHeight);
    if (copy_.Width() == GetWidth() && copy_.Height() == GetHeight()) return;
    std::tie(SrcLeft, SrcWidth) = MapSpan(left, right, GetWidth(), copy_.Width());
    std::tie(SrcTop, SrcHeight) = MapSpan(top, bottom, GetHeight(), copy_.Height());
}

void MDiskLIB::StretchLines(Dib& bitmap, std::int32_t count) {
    StretchRows(bitmap, count, false, [this](std::int32_t row) { return FetchRow(row); });
}

}  // namespace pixelary

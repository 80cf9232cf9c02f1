// SPDX-License-Identifier: GPL-3.0-or-later
#include "readers/Rwimage.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <string_view>
#include <utility>

#include "core/Exception.h"
#include "core/Log.h"
#include "readers/Rwbmpdib.h"
#include "readers/Rwemfwmf.h"
#include "readers/Rwpcx.h"
#include "readers/Rwpsd.h"
#include "readers/Rwtga.h"
#include "readers/Rwtif.h"

namespace pixelary {

namespace {

constexpr std::int32_t kResolutionPerDpi = 254;  // resolution field / 254 = dots per inch
constexpr std::int32_t kLineBufferSlack = 4;

using ReaderMaker = std::unique_ptr<MDiskImage> (*)(const std::string&, const std::string&);

template <typename Reader>
std::unique_ptr<MDiskImage> Make(const std::string& path, const std::string& extension) {
    return std::make_unique<Reader>(path, extension);
}

// The formats an own reader decodes, by format key; the other picture formats go to the library
// reader.
struct OwnReader {
    std::string_view key;
    ReaderMaker make;
};
constexpr std::array kOwnReaders = {
    OwnReader{"bmp", &Make<MDiskBMPDIB>}, OwnReader{"dib", &Make<MDiskBMPDIB>},
    OwnReader{"wmf", &Make<MDiskEMFWMF>}, OwnReader{"emf", &Make<MDiskEMFWMF>},
    OwnReader{"pcx", &Make<MDiskPCX>},    OwnReader{"tga", &Make<MDiskTGA>},
    OwnReader{"tif", &Make<MDiskTIF>},    OwnReader{"psd", &Make<MDiskPSD>},
};

ReaderMaker OwnReaderOf(std::string_view key) {
    const auto found = std::find_if(kOwnReaders.begin(), kOwnReaders.end(),
                                    [key](const OwnReader& reader) { return reader.key == key; });
    return found == kOwnReaders.end() ? nullptr : found->make;
}

std::mutex g_library_mutex;
SizedLibraryReaderFactory g_library_factory;

SizedLibraryReaderFactory LibraryFactory() {
    std::lock_guard lock(g_library_mutex);
    return g_library_factory;
}

[[noreturn]] void BadStretchParameter() {
    throw EIntError("StretchBegin parameter invalidate");
}

// Visits, for destination pixels 0 .. destWidth-1, the source pixel each one takes
// (left + floor(k * srcWidth / destWidth)) with an integer error accumulator.
template <typename Emit>
void ForEachSample(std::int32_t left, std::int32_t srcWidth, std::int32_t destWidth, Emit emit) {
    std::int64_t acc = 0;
    std::int32_t k = 0;
    for (std::int32_t i = left; k < destWidth; ++i) {
        acc -= destWidth;
        while (acc < 0 && k < destWidth) {
            emit(k++, i);
            acc += srcWidth;
        }
    }
}

void StretchBits1(const std::uint8_t* src, std::uint8_t* dst, std::int32_t left, std::int32_t sw,
                  std::int32_t dw) {
    ForEachSample(left, sw, dw, [&](std::int32_t k, std::int32_t i) {
        const int bit = (src[i / 8] >> (7 - i % 8)) & 1;
        dst[k / 8] = static_cast<std::uint8_t>(dst[k / 8] | (bit << (7 - k % 8)));
    });
}

void StretchBits4(const std::uint8_t* src, std::uint8_t* dst, std::int32_t left, std::int32_t sw,
                  std::int32_t dw) {
    ForEachSample(left, sw, dw, [&](std::int32_t k, std::int32_t i) {
        const int nibble = i % 2 == 0 ? src[i / 2] >> 4 : src[i / 2] & 0x0F;
        dst[k / 2] = static_cast<std::uint8_t>(dst[k / 2] | (k % 2 == 0 ? nibble << 4 : nibble));
    });
}

template <std::size_t kBytes>
void StretchBytes(const std::uint8_t* src, std::uint8_t* dst, std::int32_t left, std::int32_t sw,
                  std::int32_t dw) {
    ForEachSample(left, sw, dw, [&](std::int32_t k, std::int32_t i) {
        std::copy_n(src + static_cast<std::size_t>(i) * kBytes, kBytes,
                    dst + static_cast<std::size_t>(k) * kBytes);
    });
}

// A 5-bit channel becomes 8 v, plus 7 when v is odd; a 6-bit one 4 v, plus 3 when odd.
std::uint8_t Widen5(std::uint32_t v) {
    return static_cast<std::uint8_t>(v * 8 + (v & 1) * 7);
}
std::uint8_t Widen6(std::uint32_t v) {
    return static_cast<std::uint8_t>(v * 4 + (v & 1) * 3);
}

template <typename Split>
void Expand16(std::uint8_t* buffer, std::int32_t count, Split split) {
    for (std::int32_t i = count - 1; i >= 0; --i) {
        const auto at = static_cast<std::size_t>(i);
        const std::uint32_t v = buffer[at * 2] | (buffer[at * 2 + 1] << 8);
        std::uint8_t bgr[3];
        split(v, bgr);
        std::copy_n(bgr, 3, buffer + at * 3);
    }
}

}  // namespace

MDiskImage::MDiskImage(std::string path, std::string extension)
    : file_name_(std::move(path)), extension_(std::move(extension)) {}

MDiskImage::~MDiskImage() = default;

std::int32_t MDiskImage::UprightWidth() const {
    return SwapsSides(orientation_) ? GetHeight() : GetWidth();
}

std::int32_t MDiskImage::UprightHeight() const {
    return SwapsSides(orientation_) ? GetWidth() : GetHeight();
}

std::int32_t MDiskImage::GetXResolution() const {
    return ImageInfo.XPelsPerMeter / kResolutionPerDpi;
}

std::int32_t MDiskImage::GetYResolution() const {
    return ImageInfo.YPelsPerMeter / kResolutionPerDpi;
}

std::int32_t MDiskImage::GetColorCount() const {
    if (ImageInfo.BitCount > 8) return 0;
    if (ImageInfo.ClrUsed != 0) {
        return static_cast<std::int32_t>(
            std::min<std::uint32_t>(ImageInfo.ClrUsed, static_cast<std::uint32_t>(INT32_MAX)));
    }
    return std::int32_t{1} << ImageInfo.BitCount;
}

std::uint32_t MDiskImage::GetColor(std::int32_t index) const {
    if (index < 0 || index >= GetColorCount()) return 0;
    const auto at = static_cast<std::size_t>(index);
    return at < Palette.size() ? Palette[at] : 0;
}

const LogicalPalette& MDiskImage::GetPalette() {
    if (!palette_made_ && ImageInfo.BitCount <= 8) {
        const std::int32_t count = std::min(GetColorCount(), kMaxPaletteEntries);
        palette_handle_.resize(static_cast<std::size_t>(count));
        for (std::int32_t i = 0; i < count; ++i) {
            palette_handle_[static_cast<std::size_t>(i)] = GetColor(i) & 0x00FFFFFF;
        }
        palette_made_ = true;
    }
    return palette_handle_;
}

void MDiskImage::StretchBegin(std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom, std::int32_t destWidth,
                              std::int32_t destHeight) {
    StretchEnd();
    if (!(0 <= left && left < right && 0 <= right && right <= GetWidth())) BadStretchParameter();
    if (!(0 <= top && top < bottom && 0 <= bottom && bottom <= GetHeight())) BadStretchParameter();
    // No bitmap can be wider or taller than a reader's largest side.
    if (destWidth <= 0 || destHeight <= 0) BadStretchParameter();
    if (destWidth > kMaxImageSide || destHeight > kMaxImageSide) BadStretchParameter();
    SrcTop = top;
    SrcHeight = bottom - top;
    DstHeight = destHeight;
    RowsDone = 0;
    SrcLeft = left;
    SrcWidth = right - left;
    DstWidth = destWidth;
    DstRowBytes =
        static_cast<std::int32_t>((static_cast<std::int64_t>(GetBitCount()) * destWidth + 7) / 8);
    LineBuffer.assign(static_cast<std::size_t>(DstRowBytes) + kLineBufferSlack, 0);
}

void MDiskImage::StretchEnd() {
    LineBuffer.clear();
    LineBuffer.shrink_to_fit();
}

void MDiskImage::StretchRows(Dib& bitmap, std::int32_t count, bool bottomUp,
                             const std::function<const std::uint8_t*(std::int32_t)>& fetchRow) {
    if (RowsDone >= DstHeight || count <= 0) return;
    count = std::min(count, DstHeight - RowsDone);
    if (bitmap.IsEmpty() || bitmap.Height() < count ||
        bitmap.Stride() < static_cast<std::size_t>(DstRowBytes) ||
        LineBuffer.size() < static_cast<std::size_t>(DstRowBytes)) {
        throw EIntError("StretchLines bitmap invalidate");
    }
    for (std::int32_t n = 0; n < count; ++n) {
        const std::int32_t k = bottomUp ? count - 1 - n : n;
        const std::int64_t j = RowsDone + k;
        const auto source = static_cast<std::int32_t>(SrcTop + j * SrcHeight / DstHeight);
        StretchRow(fetchRow(source));
        std::copy_n(LineBuffer.data(), DstRowBytes, bitmap.Row(k));
    }
    RowsDone += count;
}

void MDiskImage::StretchRow(const std::uint8_t* sourceRow) {
    std::uint8_t* dst = LineBuffer.data();
    std::fill(LineBuffer.begin(), LineBuffer.end(), 0);
    switch (GetBitCount()) {
        case 1:
            StretchBits1(sourceRow, dst, SrcLeft, SrcWidth, DstWidth);
            break;
        case 4:
            StretchBits4(sourceRow, dst, SrcLeft, SrcWidth, DstWidth);
            break;
        case 8:
            StretchBytes<1>(sourceRow, dst, SrcLeft, SrcWidth, DstWidth);
            break;
        case 24:
            StretchBytes<3>(sourceRow, dst, SrcLeft, SrcWidth, DstWidth);
            break;
        case 32:
            StretchBytes<4>(sourceRow, dst, SrcLeft, SrcWidth, DstWidth);
            break;
        default:
            break;  // no other depth is delivered
    }
}

void Expand555(std::uint8_t* buffer, std::int32_t count) {
    Expand16(buffer, count, [](std::uint32_t v, std::uint8_t* bgr) {
        bgr[0] = Widen5(v & 0x1F);
        bgr[1] = Widen5((v >> 5) & 0x1F);
        bgr[2] = Widen5((v >> 10) & 0x1F);
    });
}

void Expand565(std::uint8_t* buffer, std::int32_t count) {
    Expand16(buffer, count, [](std::uint32_t v, std::uint8_t* bgr) {
        bgr[0] = Widen5(v & 0x1F);
        bgr[1] = Widen6((v >> 5) & 0x3F);
        bgr[2] = Widen5((v >> 11) & 0x1F);
    });
}

namespace {

std::unique_ptr<MDiskImage> CreateStoredImage(const std::string& path, const std::string& key,
                                              std::optional<SamplingBox> box) {
    if (const ReaderMaker make = OwnReaderOf(key)) {
        try {
            return make(path, key);
        } catch (const Exception& error) {
            // the own reader refused the file: the library reader may take it
            log::Debug(log::Category::Readers, path + ": own reader refused: " + error.what());
        }
    }
    const SizedLibraryReaderFactory library = LibraryFactory();
    if (!library) return nullptr;
    try {
        return library(path, key, box);
    } catch (const Exception& error) {
        log::Debug(log::Category::Readers, path + ": library reader refused: " + error.what());
        return nullptr;
    }
}

}  // namespace

std::unique_ptr<MDiskImage> CreateDiskImage(const std::string& path, const std::string& extension,
                                            std::optional<SamplingBox> box) {
    if (extension.empty()) return nullptr;
    const std::string key = NormaliseExtension(extension);
    if (key.empty()) return nullptr;
    const Orientation orientation = ReadPictureOrientation(path, key);
    // A reduced decode happens before the turn, so it must cover the stored picture's shape.
    if (box && SwapsSides(orientation)) box = SamplingBox{box->Height, box->Width};
    std::unique_ptr<MDiskImage> reader = CreateStoredImage(path, key, box);
    if (reader) reader->SetOrientation(orientation);
    return reader;
}

void SetLibraryReaderFactory(LibraryReaderFactory factory) {
    SizedLibraryReaderFactory sized;
    if (factory) {
        sized = [factory = std::move(factory)](const std::string& path, const std::string& key,
                                               std::optional<SamplingBox>) {
            return factory(path, key);
        };
    }
    SetSizedLibraryReaderFactory(std::move(sized));
}

void SetSizedLibraryReaderFactory(SizedLibraryReaderFactory factory) {
    std::lock_guard lock(g_library_mutex);
    g_library_factory = std::move(factory);
}

Dib StretchWholePicture(MDiskImage& reader, std::int32_t width, std::int32_t height) {
    constexpr std::uint8_t kWhite = 0xFF;
    const std::int32_t depth = reader.GetBitCount();
    if (!Dib::IsValidDepth(depth)) throw EInOutError("Bitmap depth not supported");
    Dib bitmap(width, height, depth);
    if (depth <= 8) {
        bitmap.SetPalette(reader.GetPalette());
    } else {
        std::fill(bitmap.Pixels().begin(), bitmap.Pixels().end(), kWhite);
    }
    reader.StretchBegin(0, 0, reader.GetWidth(), reader.GetHeight(), width, height);
    reader.StretchLines(bitmap, height);
    reader.StretchEnd();
    return bitmap;
}

Dib StretchUpright(MDiskImage& reader, std::int32_t width, std::int32_t height) {
    const Orientation orientation = reader.GetOrientation();
    if (orientation == Orientation::Normal) return StretchWholePicture(reader, width, height);
    const bool swap = SwapsSides(orientation);
    return ApplyOrientation(
        StretchWholePicture(reader, swap ? height : width, swap ? width : height), orientation);
}

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Dib.h"
#include "core/PictureFormats.h"
#include "readers/Orientation.h"

namespace pixelary {

// The 40-byte picture description, laid out as a bitmap information header.
struct BitmapInfoHeader {
    std::uint32_t Size = 0;          // +0
    std::int32_t Width = 0;          // +4
    std::int32_t Height = 0;         // +8
    std::uint16_t Planes = 0;        // +12
    std::uint16_t BitCount = 0;      // +14, depth of the delivered rows: 1, 4, 8, 24 or 32
    std::uint32_t Compression = 0;   // +16
    std::uint32_t SizeImage = 0;     // +20
    std::int32_t XPelsPerMeter = 0;  // +24, resolution value; dpi = value / 254
    std::int32_t YPelsPerMeter = 0;  // +28
    std::uint32_t ClrUsed = 0;       // +32
    std::uint32_t ClrImportant = 0;  // +36
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// Readers refuse pictures wider or taller than this, so no row or table grows without bound.
constexpr std::int32_t kMaxImageSide = 65535;
// No reader delivers more palette entries than an 8-bit picture can index.
constexpr std::int32_t kMaxPaletteEntries = 256;

// Logical palette: entries as 0x00RRGGBB, made once by GetPalette.
using LogicalPalette = std::vector<std::uint32_t>;

// A picture reader: constructed on a file (the description is final when the constructor
// returns, or it raises), it delivers the picture resampled to a requested size row by row into a
// caller's bitmap, reading only the source rows it samples.
//
// Protocol: CreateDiskImage; GetWidth/GetHeight; a Dib of the destination size at GetBitCount
// with a copy of GetPalette when the depth is 8 or less; StretchBegin(0, 0, w, h, dw, dh);
// StretchLines(dib, dh); StretchEnd; destroy.
//
// Sizes and rows are those of the picture as stored; GetOrientation tells how to turn it upright
// (StretchUpright does both).
class MDiskImage {
  public:
    MDiskImage(std::string path, std::string extension);
    virtual ~MDiskImage();
    MDiskImage(const MDiskImage&) = delete;
    MDiskImage& operator=(const MDiskImage&) = delete;

    std::int32_t GetWidth() const { return ImageInfo.Width; }
    std::int32_t GetHeight() const { return ImageInfo.Height; }
    std::int32_t GetXResolution() const;
    std::int32_t GetYResolution() const;
    std::int32_t GetBitCount() const { return ImageInfo.BitCount; }
    std::int32_t GetColorCount() const;
    std::uint32_t GetColor(std::int32_t index) const;
    // Entries 0x00RRGGBB for depths up to 8; empty above.
    const LogicalPalette& GetPalette();

    // Raises EIntError "StretchBegin parameter invalidate" for a bad rectangle or size.
    virtual void StretchBegin(std::int32_t left, std::int32_t top, std::int32_t right,
                              std::int32_t bottom, std::int32_t destWidth, std::int32_t destHeight);
    // Produces the next count destination rows into rows 0 .. count-1 of bitmap. A bitmap too
    // small for those rows raises EIntError "StretchLines bitmap invalidate".
    virtual void StretchLines(Dib& bitmap, std::int32_t count) = 0;
    virtual void StretchEnd();

    const std::string& FileName() const { return file_name_; }
    const std::string& Extension() const { return extension_; }

    // The picture's orientation tag; the factory sets it for the formats that carry one.
    Orientation GetOrientation() const { return orientation_; }
    void SetOrientation(Orientation orientation) { orientation_ = orientation; }
    // The size of the picture as it is meant to be seen: width and height exchanged when the
    // orientation turns it a quarter.
    std::int32_t UprightWidth() const;
    std::int32_t UprightHeight() const;

  protected:
    BitmapInfoHeader ImageInfo{};
    // Colour table entries (blue low byte, green, red, reserved); empty when none.
    std::vector<std::uint32_t> Palette;

    // Shared resampling state, set by StretchBegin.
    std::int32_t SrcTop = 0;
    std::int32_t SrcHeight = 0;
    std::int32_t DstHeight = 0;
    std::int32_t RowsDone = 0;
    std::int32_t SrcLeft = 0;
    std::int32_t SrcWidth = 0;
    std::int32_t DstWidth = 0;
    std::int32_t DstRowBytes = 0;
    std::vector<std::uint8_t> LineBuffer;  // DstRowBytes + 4 bytes while stretching

    // Vertical resampling shared by the readers: for each destination row, fetchRow(sourceRow)
    // returns the source row's pixels at GetBitCount depth (valid until the next call), which
    // are resampled horizontally into the bitmap row. Bottom-up files pass bottomUp = true so
    // rows are fetched from the file's start towards its end.
    void StretchRows(Dib& bitmap, std::int32_t count, bool bottomUp,
                     const std::function<const std::uint8_t*(std::int32_t)>& fetchRow);
    // Nearest-neighbour horizontal resampling of one source row into LineBuffer.
    void StretchRow(const std::uint8_t* sourceRow);

  private:
    std::string file_name_;
    std::string extension_;
    LogicalPalette palette_handle_;
    bool palette_made_ = false;
    Orientation orientation_ = Orientation::Normal;
};

// Expands little-endian 16-bit pixels to blue, green, red triples in place, last pixel first;
// the buffer holds at least 3 * count bytes. 5-5-5 (bit 15 ignored) or 5-6-5 layout.
void Expand555(std::uint8_t* buffer, std::int32_t count);
void Expand565(std::uint8_t* buffer, std::int32_t count);

// The box a thumbnail will be fitted into (ThumbnailSize). A reader told it before it reads may
// decode the picture smaller, as long as the thumbnail sampled from it still covers the
// thumbnail's size; GetWidth and GetHeight stay the picture's own size. The box is that of the
// upright picture: the factory hands a reader of a picture stored a quarter turned the box with
// its sides exchanged.
struct SamplingBox {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
};

// The reader for path chosen by extension, falling back to the library reader when the own
// reader refuses the file; none when nothing can read it. The caller owns the result. Only
// thumbnail makers pass a box; without one the picture is decoded at full size. For JPEG and
// TIFF files the reader carries the file's orientation tag.
std::unique_ptr<MDiskImage> CreateDiskImage(const std::string& path, const std::string& extension,
                                            std::optional<SamplingBox> box = std::nullopt);

// The library-backed reader plugs in here (path, normalised extension); until one is set the
// fallback finds no reader. The function raises to refuse a file.
using LibraryReaderFactory =
    std::function<std::unique_ptr<MDiskImage>(const std::string&, const std::string&)>;
void SetLibraryReaderFactory(LibraryReaderFactory factory);
// The same for a library reader that takes the thumbnail box, when the factory is given one.
using SizedLibraryReaderFactory = std::function<std::unique_ptr<MDiskImage>(
    const std::string&, const std::string&, std::optional<SamplingBox>)>;
void SetSizedLibraryReaderFactory(SizedLibraryReaderFactory factory);

// Steps 3 to 6 of the protocol: the whole picture resampled to width x height at the reader's
// depth, with its palette up to 8 bits; deeper bitmaps start white, the colour drawings are
// played onto. Raises EInOutError for a depth no bitmap holds, and whatever the reader raises.
Dib StretchWholePicture(MDiskImage& reader, std::int32_t width, std::int32_t height);

// The whole picture upright at width x height (a size of UprightWidth x UprightHeight's shape):
// resampled as stored to the size with the sides exchanged where the orientation asks, and only
// then turned, so the turn costs no more than the small bitmap.
Dib StretchUpright(MDiskImage& reader, std::int32_t width, std::int32_t height);

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Stream.h"
#include "readers/Rwimage.h"

namespace pixelary {

// Reader of the first image of uncompressed TIFF files: grey (1, 4 or 8 bits, either polarity),
// RGB and CMYK (8-bit samples, CMYK converted to RGB), samples interleaved or in separate planes.
class MDiskTIF : public MDiskImage {
  public:
    // Raises EInOutError "Tiff format not supply" for every variant it does not take.
    MDiskTIF(const std::string& path, const std::string& extension);
    ~MDiskTIF() override;

    void StretchLines(Dib& bitmap, std::int32_t count) override;

  private:
    struct Entry;
    struct Tags;
    std::uint16_t U16(const std::uint8_t* p) const;
    std::uint32_t U32(const std::uint8_t* p) const;
    Tags ReadDirectory();
    void TakeEntry(const Entry& entry, Tags& tags);
    std::uint32_t ReadArrayValue(const Entry& entry, std::uint32_t index);
    std::uint32_t ReadBitsPerSample(const Tags& tags);
    void Describe(Tags& tags);
    void CheckLayout(const Tags& tags);
    void FillGreyPalette();
    std::int32_t ReadResolution(std::uint32_t offset, std::uint16_t unit);
    void ReadStripOffsets(const Tags& tags);
    void ReadPlaneRow(std::int32_t plane, std::int32_t row);
    std::uint8_t Sample(std::size_t x, std::int32_t sample) const;
    const std::uint8_t* FetchRow(std::int32_t row);
    const std::uint8_t* DeliverGrey();
    const std::uint8_t* DeliverRgb();
    const std::uint8_t* DeliverCmyk();

    std::array<std::uint8_t, 8> file_header_{};
    FileStream file_;
    std::uint32_t compression_ = 0;
    std::uint32_t photometric_ = 2;
    std::uint32_t planar_configuration_ = 1;
    std::int32_t bytes_per_pixel_ = 0;
    std::int64_t delivered_row_bytes_ = 0;
    std::vector<std::uint8_t> stored_rows_;  // one stored row of each plane read, side by side
    std::vector<std::uint8_t> delivered_row_;
    std::vector<std::uint32_t> strip_offsets_;  // every strip of the planes read
    std::uint32_t strip_count_ = 0;
    std::uint32_t strips_per_plane_ = 0;
    std::uint32_t rows_per_strip_ = 0;
    std::uint16_t samples_per_pixel_ = 1;
    std::uint32_t bits_per_sample_ = 1;
    std::int32_t planes_read_ = 1;
    std::size_t pixel_stride_ = 1;       // distance between two pixels' first samples
    std::size_t plane_stride_ = 1;       // distance between two samples of one pixel
    std::int64_t stored_row_bytes_ = 0;  // one plane's row when the samples lie in planes
    bool little_endian_ = false;
};

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Stream.h"
#include "readers/Rwimage.h"

namespace pixelary {

// Reader of the first image of uncompressed bilevel, RGB and CMYK TIFF files.
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
    void Describe(Tags& tags);
    std::int32_t ReadResolution(std::uint32_t offset, std::uint16_t unit);
    void ReadStripOffsets(const Tags& tags);
    const std::uint8_t* FetchRow(std::int32_t row);

    std::array<std::uint8_t, 8> file_header_{};
    FileStream file_;
    std::uint32_t compression_ = 0;
    std::uint32_t photometric_ = 2;
    std::int32_t bytes_per_pixel_ = 0;
    std::int64_t delivered_row_bytes_ = 0;
    std::vector<std::uint8_t> row_buffer_;
    std::int64_t first_strip_offset_ = 0;
    std::vector<std::uint32_t> strip_offsets_;
    std::uint32_t strip_count_ = 0;
    std::uint32_t rows_per_strip_ = 0;
    std::uint16_t samples_per_pixel_ = 1;
    std::int64_t stored_row_bytes_ = 0;
    bool little_endian_ = false;
};

}  // namespace pixelary

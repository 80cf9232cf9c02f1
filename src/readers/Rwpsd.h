// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Stream.h"
#include "readers/Rwimage.h"

namespace pixelary {

// Reader of the merged image of Photoshop-format files, raw or PackBits-compressed; extra
// channels are ignored and 16-bit samples read by their high byte.
class MDiskPSD : public MDiskImage {
  public:
    // Raises EInOutError "PSD header error" for files it does not take.
    MDiskPSD(const std::string& path, const std::string& extension);
    ~MDiskPSD() override;

    void StretchLines(Dib& bitmap, std::int32_t count) override;

  private:
    void CheckLayout() const;
    void ReadPalette();
    void SkipSections();
    void ReadByteCounts();
    void ReadChannelRow(std::int32_t channel, std::int32_t row);
    void ReadChannelRowAsBytes(std::int32_t channel, std::int32_t row);
    const std::uint8_t* FetchRow(std::int32_t row);

    std::array<std::uint8_t, 26> file_header_{};
    FileStream file_;
    std::uint16_t channels_ = 0;
    std::uint16_t depth_ = 0;
    std::uint16_t color_mode_ = 0;
    std::int32_t used_channels_ = 1;  // the colour channels: 1, 3 (RGB) or 4 (CMYK)
    std::int64_t channel_row_bytes_ = 0;
    std::int64_t channel_plane_bytes_ = 0;
    std::int64_t pixel_row_bytes_ = 0;
    std::int64_t delivered_row_bytes_ = 0;
    std::vector<std::uint8_t> channel_buffer_;
    std::vector<std::uint8_t> output_buffer_;
    bool compressed_ = false;
    std::vector<std::uint16_t> byte_counts_;
    std::vector<std::int64_t> row_starts_;  // offset of each compressed row from the data start
    std::int64_t data_start_ = 0;
};

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Stream.h"
#include "readers/Rwimage.h"

namespace pixelary {

// Reader of uncompressed colour-mapped and true-colour Targa files.
class MDiskTGA : public MDiskImage {
  public:
    // Raises EInOutError "TGA format not supply" for run-length, grey-scale and other types, and
    // for colour map entries other than 15, 16, 24 or 32 bits.
    MDiskTGA(const std::string& path, const std::string& extension);
    ~MDiskTGA() override;

    void StretchLines(Dib& bitmap, std::int32_t count) override;

  private:
    void ReadPalette();
    const std::uint8_t* FetchRow(std::int32_t row);
    void MirrorRow();

    std::array<std::uint8_t, 18> file_header_{};
    FileStream file_;
    std::int64_t data_offset_ = 0;
    std::int32_t source_row_bytes_ = 0;
    int map_entry_bits_ = 0;  // colour map entry size: 15, 16, 24 or 32 when there is a map
    std::vector<std::uint8_t> row_buffer_;
};

}  // namespace pixelary

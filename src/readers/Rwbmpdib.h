// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Stream.h"
#include "readers/Rwimage.h"

namespace pixelary {

// Reader of uncompressed Windows (40-byte header) and OS/2 (12-byte header) bitmap files, stored
// bottom row first or (negative height) top row first.
class MDiskBMPDIB : public MDiskImage {
  public:
    // Raises EInOutError "BMP Header error" or "BMP format not supply" for files it does not take.
    MDiskBMPDIB(const std::string& path, const std::string& extension);
    ~MDiskBMPDIB() override;

    void StretchLines(Dib& bitmap, std::int32_t count) override;

  private:
    void ReadWindowsHeader();
    void ReadCoreHeader();
    void CheckDescription() const;
    void UseStoredDataOffset(std::uint32_t headerSize);
    const std::uint8_t* FetchRow(std::int32_t row);

    std::array<std::uint8_t, 14> file_header_{};
    FileStream file_;
    std::int64_t data_offset_ = 0;
    std::int32_t delivered_row_bytes_ = 0;
    std::int32_t source_row_bytes_ = 0;
    std::int32_t source_bit_count_ = 0;
    bool top_down_ = false;  // rows stored top row first (negative height in the file)
    std::vector<std::uint8_t> row_buffer_;
};

}  // namespace pixelary

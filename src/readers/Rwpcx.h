// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Stream.h"
#include "readers/Rwimage.h"

namespace pixelary {

// Reader of run-length-encoded PCX files of version 5 and above (1, 4, 8 and 24 bits); decodes
// forward through a small read buffer, counting past the rows it does not sample.
class MDiskPCX : public MDiskImage {
  public:
    // Raises EInOutError "PCX Header error" for files it does not take.
    MDiskPCX(const std::string& path, const std::string& extension);
    ~MDiskPCX() override;

    void StretchLines(Dib& bitmap, std::int32_t count) override;

  private:
    void CheckLayout() const;
    void ReadPalette();
    std::uint8_t ReadByte();
    void Rewind();
    void SkipRow();
    void DecodeRow();
    void ConvertRow();
    const std::uint8_t* FetchRow(std::int32_t row);

    FileStream file_;
    std::array<std::uint8_t, 128> file_header_{};
    std::int64_t data_start_ = 0;
    std::vector<std::uint8_t> converted_row_;
    std::vector<std::uint8_t> decoded_row_;
    std::vector<std::uint8_t> read_buffer_;
    std::int64_t read_buffer_size_ = 0;
    std::int64_t read_buffer_file_position_ = 0;
    std::int64_t read_buffer_position_ = 0;
    std::int64_t read_buffer_fill_ = 0;
    std::int32_t current_row_ = -1;
    bool at_end_ = false;  // past the file's last byte: only zeros follow
    std::int32_t bits_per_plane_ = 0;
    std::int32_t planes_ = 0;
    std::int32_t bytes_per_line_ = 0;
};

}  // namespace pixelary

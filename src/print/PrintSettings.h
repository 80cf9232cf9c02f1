// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace pixelary {

// One print style. Its 120-byte little-endian form (ToBytes) is the whole content of a style
// file; lengths are centimetres. Offsets of the stored form are given beside each field.
struct PrintSettings {
    static constexpr std::size_t kRecordSize = 120;
    static constexpr std::uint16_t kMagic = 0x7851;  // the bytes "Qx"

    std::uint16_t Magic = kMagic;            // +0
    std::uint16_t RecordSize = kRecordSize;  // +2
    double PictureWidth = 5.0;               // +4, at least 1.0
    double PictureHeight = 5.0;              // +12
    std::uint32_t AutoMargins = 1;           // +20, 1: placed by Alignment
    double LeftMargin = 0.0;                 // +24
    double TopMargin = 0.0;                  // +32
    std::uint32_t Alignment = 4;             // +40, 0 top-left .. 4 centre .. 8 bottom-right
    std::uint32_t Copies = 1;                // +44, copies of the whole job
    std::uint32_t ManualTiling = 0;          // +48
    std::uint32_t Columns = 1;               // +52
    std::uint32_t Rows = 1;                  // +56
    std::uint32_t FillOrder = 0;             // +60, 0..3
    std::uint32_t SpacingAsPitch = 0;        // +64, how the gaps were typed
    double HorizontalGap = 0.0;              // +68
    double VerticalGap = 0.0;                // +76
    std::uint32_t FillPage = 0;              // +84
    std::uint32_t Repeats = 1;               // +88, 1..999
    std::uint8_t PrintNames = 1;             // +92
    std::uint8_t PrintTitle = 1;             // +93
    std::uint8_t PrintPageNumber = 1;        // +94
    std::uint8_t FrameFitsPicture = 0;       // +95
    std::uint32_t WholeSheet = 0;            // +96, 0: the printable area
    double FrameThickness = 0.1;             // +100
    std::uint32_t Orientation = 1;           // +108, 1 portrait, 2 landscape
    std::uint32_t Paper = 9;                 // +112, paper code (9 is A4)
    std::uint8_t CutLines = 0;               // +116
                                             // +117, 3 bytes of padding

    std::array<std::uint8_t, kRecordSize> ToBytes() const;
    // Accepts the first 120 bytes when they carry the magic and the size 120; otherwise raises
    // EInOutError with the style-file message "參數檔資料錯誤".
    static PrintSettings FromBytes(std::span<const std::uint8_t> bytes);
};

// The message shown for a style file that is not a print style.
inline constexpr const char* kBadStyleFileMessage = "參數檔資料錯誤";

}  // namespace pixelary

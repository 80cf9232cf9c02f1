// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/PrintSettings.h"

#include <bit>
#include <cmath>

#include "core/Exception.h"

namespace pixelary {
namespace {

// Writes and reads the record's fields at their offsets, least significant byte first.
class RecordWriter {
  public:
    explicit RecordWriter(std::array<std::uint8_t, PrintSettings::kRecordSize>& bytes)
        : bytes_(bytes) {}
    void U8(std::size_t offset, std::uint8_t v) { bytes_[offset] = v; }
    void U16(std::size_t offset, std::uint16_t v) { Put(offset, v, 2); }
    void U32(std::size_t offset, std::uint32_t v) { Put(offset, v, 4); }
    void F64(std::size_t offset, double v) { Put(offset, std::bit_cast<std::uint64_t>(v), 8); }

  private:
    void Put(std::size_t offset, std::uint64_t v, int count) {
        for (int i = 0; i < count; ++i)
            bytes_[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::array<std::uint8_t, PrintSettings::kRecordSize>& bytes_;
};

class RecordReader {
  public:
    explicit RecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint8_t U8(std::size_t offset) const { return bytes_[offset]; }
    std::uint16_t U16(std::size_t offset) const {
        return static_cast<std::uint16_t>(Get(offset, 2));
    }
    std::uint32_t U32(std::size_t offset) const {
        return static_cast<std::uint32_t>(Get(offset, 4));
    }
    double F64(std::size_t offset) const { return std::bit_cast<double>(Get(offset, 8)); }

  private:
    std::uint64_t Get(std::size_t offset, int count) const {
        std::uint64_t v = 0;
        for (int i = count - 1; i >= 0; --i) v = (v << 8) | bytes_[offset + i];
        return v;
    }
    std::span<const std::uint8_t> bytes_;
};

}  // namespace

std::array<std::uint8_t, PrintSettings::kRecordSize> PrintSettings::ToBytes() const {
    std::array<std::uint8_t, kRecordSize> bytes{};
    RecordWriter w(bytes);
    w.U16(0, Magic);
    w.U16(2, RecordSize);
    w.F64(4, PictureWidth);
    w.F64(12, PictureHeight);
    w.U32(20, AutoMargins);
    w.F64(24, LeftMargin);
    w.F64(32, TopMargin);
    w.U32(40, Alignment);
    w.U32(44, Copies);
    w.U32(48, ManualTiling);
    w.U32(52, Columns);
    w.U32(56, Rows);
    w.U32(60, FillOrder);
    w.U32(64, SpacingAsPitch);
    w.F64(68, HorizontalGap);
    w.F64(76, VerticalGap);
    w.U32(84, FillPage);
    w.U32(88, Repeats);
    w.U8(92, PrintNames);
    w.U8(93, PrintTitle);
    w.U8(94, PrintPageNumber);
    w.U8(95, FrameFitsPicture);
    w.U32(96, WholeSheet);
    w.F64(100, FrameThickness);
    w.U32(108, Orientation);
    w.U32(112, Paper);
    w.U8(116, CutLines);
    return bytes;
}

PrintSettings PrintSettings::FromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kRecordSize) throw EInOutError(kBadStyleFileMessage);
    RecordReader r(bytes.first(kRecordSize));
    PrintSettings s;
    s.Magic = r.U16(0);
    s.RecordSize = r.U16(2);
    if (s.Magic != kMagic || s.RecordSize != kRecordSize) throw EInOutError(kBadStyleFileMessage);
    s.PictureWidth = r.F64(4);
    s.PictureHeight = r.F64(12);
    s.AutoMargins = r.U32(20);
    s.LeftMargin = r.F64(24);
    s.TopMargin = r.F64(32);
    s.Alignment = r.U32(40);
    s.Copies = r.U32(44);
    s.ManualTiling = r.U32(48);
    s.Columns = r.U32(52);
    s.Rows = r.U32(56);
    s.FillOrder = r.U32(60);
    s.SpacingAsPitch = r.U32(64);
    s.HorizontalGap = r.F64(68);
    s.VerticalGap = r.F64(76);
    s.FillPage = r.U32(84);
    s.Repeats = r.U32(88);
    s.PrintNames = r.U8(92);
    s.PrintTitle = r.U8(93);
    s.PrintPageNumber = r.U8(94);
    s.FrameFitsPicture = r.U8(95);
    s.WholeSheet = r.U32(96);
    s.FrameThickness = r.F64(100);
    s.Orientation = r.U32(108);
    s.Paper = r.U32(112);
    s.CutLines = r.U8(116);
    // A length that is no number (NaN, infinite) cannot come from the dialog: a damaged file.
    for (const double length : {s.PictureWidth, s.PictureHeight, s.LeftMargin, s.TopMargin,
                                s.HorizontalGap, s.VerticalGap, s.FrameThickness}) {
        if (!std::isfinite(length)) throw EInOutError(kBadStyleFileMessage);
    }
    return s;
}

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include "core/Exception.h"
#include "print/PrintSettings.h"

namespace pixelary {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

double DoubleAt(const std::array<std::uint8_t, 120>& b, std::size_t offset) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | b[offset + i];
    return std::bit_cast<double>(v);
}

std::uint32_t U32At(const std::array<std::uint8_t, 120>& b, std::size_t offset) {
    return b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 |
           std::uint32_t{b[offset + 3]} << 24;
}

TEST(PrintSettings, StoredFormHasTheFieldsAtTheirOffsets) {
    PrintSettings s;
    s.PictureWidth = 6.5;
    s.PictureHeight = 4.25;
    s.Alignment = 8;
    s.Columns = 3;
    s.Rows = 7;
    s.HorizontalGap = 0.5;
    s.VerticalGap = 1.5;
    s.Repeats = 999;
    s.PrintNames = 0;
    s.PrintPageNumber = 1;
    s.FrameThickness = 0.3;
    s.Orientation = 2;
    s.Paper = 0x1234;
    s.CutLines = 1;
    const auto b = s.ToBytes();
    EXPECT_EQ(b[0], 'Q');
    EXPECT_EQ(b[1], 'x');
    EXPECT_EQ(b[2], 120);
    EXPECT_EQ(b[3], 0);
    EXPECT_EQ(DoubleAt(b, 4), 6.5);
    EXPECT_EQ(DoubleAt(b, 12), 4.25);
    EXPECT_EQ(U32At(b, 40), 8u);
    EXPECT_EQ(U32At(b, 52), 3u);
    EXPECT_EQ(U32At(b, 56), 7u);
    EXPECT_EQ(DoubleAt(b, 68), 0.5);
    EXPECT_EQ(DoubleAt(b, 76), 1.5);
    EXPECT_EQ(U32At(b, 88), 999u);
    EXPECT_EQ(b[92], 0);
    EXPECT_EQ(b[94], 1);
    EXPECT_EQ(DoubleAt(b, 100), 0.3);
    EXPECT_EQ(U32At(b, 108), 2u);
    EXPECT_EQ(U32At(b, 112), 0x1234u);
    EXPECT_EQ(b[116], 1);
}

TEST(PrintSettings, ReadsBackWhatItWrote) {
    PrintSettings s;
    s.AutoMargins = 0;
    s.LeftMargin = 2.5;
    s.TopMargin = 3.75;
    s.ManualTiling = 1;
    s.FillOrder = 3;
    s.SpacingAsPitch = 1;
    s.FillPage = 1;
    s.FrameFitsPicture = 1;
    s.WholeSheet = 1;
    s.Copies = 12;
    const auto b = s.ToBytes();
    const PrintSettings r = PrintSettings::FromBytes(b);
    EXPECT_EQ(r.ToBytes(), b);
    EXPECT_EQ(r.TopMargin, 3.75);
    EXPECT_EQ(r.FillOrder, 3u);
    EXPECT_EQ(r.Copies, 12u);
}

TEST(PrintSettings, ExtraBytesAfterTheRecordAreIgnored) {
    const auto b = PrintSettings{}.ToBytes();
    std::vector<std::uint8_t> longer(b.begin(), b.end());
    longer.resize(200, 0xEE);
    EXPECT_EQ(PrintSettings::FromBytes(longer).ToBytes(), b);
}

TEST(PrintSettings, RefusesShortFilesAndOtherMagicOrSize) {
    const auto good = PrintSettings{}.ToBytes();
    auto expectRefused = [](std::span<const std::uint8_t> bytes) {
        try {
            PrintSettings::FromBytes(bytes);
            ADD_FAILURE() << "accepted";
        } catch (const EInOutError& e) {
            EXPECT_STREQ(e.what(), "參數檔資料錯誤");
        }
    };
    expectRefused(std::span(good).first(119));
    expectRefused({});
    auto badMagic = good;
    badMagic[1] = 'y';
    expectRefused(badMagic);
    auto badSize = good;
    badSize[2] = 121;
    expectRefused(badSize);
}

// Found by fuzzing: gaps that are no number made a page of 999 x 999 overlapping cells.
TEST(PrintSettings, RefusesLengthsThatAreNoNumber) {
    std::ifstream in(PIXELARY_TEST_DATA "/print/style-nan-gaps.df", std::ios::binary);
    const std::vector<std::uint8_t> nanGaps((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GE(nanGaps.size(), PrintSettings::kRecordSize);
    EXPECT_THROW(PrintSettings::FromBytes(nanGaps), EInOutError);
    for (const std::size_t offset : {4, 12, 24, 32, 68, 76, 100}) {
        auto bytes = PrintSettings{}.ToBytes();
        std::memcpy(bytes.data() + offset, &kInfinity, sizeof kInfinity);
        EXPECT_THROW(PrintSettings::FromBytes(bytes), EInOutError) << "offset " << offset;
    }
}

}  // namespace
}  // namespace pixelary

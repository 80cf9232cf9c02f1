// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "print/MPrint.h"

namespace pixelary {
namespace {

// A 20 x 30 cm sheet with a 1 cm unprintable border, shown 200 x 300 units: 10 units a cm.
PaperMetrics Sheet20x30() {
    return {20.0, 30.0, 1.0, 1.0, 18.0, 28.0};
}

std::string Describe(const PageRect& r) {
    std::ostringstream s;
    s << r.Left << "," << r.Top << " " << r.Width << "x" << r.Height;
    return s.str();
}

TEST(ComputeLayout, DefaultStyleOnASheetWithMargins) {
    const PageLayout l = ComputeLayout(PrintSettings{}, Sheet20x30(), 20, 0, 0, 200, 300);
    EXPECT_EQ(Describe(l.Page), "0,0 200x300");
    EXPECT_EQ(Describe(l.Printable), "10,10 180x280");
    // The title takes 0.6 cm at the top of the printable area, page numbers 0.3 cm at its foot.
    EXPECT_EQ(Describe(l.Title), "10,10 180x6");
    EXPECT_EQ(Describe(l.PageNumber), "10,287 180x3");
    // 18 cm across holds 3 cells of 5 cm; 27.1 cm down holds 5. Centred: 1.5 cm and 1.05 cm
    // of slack on each side.
    EXPECT_EQ(l.Columns, 3);
    EXPECT_EQ(l.Rows, 5);
    EXPECT_EQ(l.GridLeft, 25);
    EXPECT_EQ(l.GridTop, 26);
    // Names take 0.4 cm from the cell and give it to the gap, so the row pitch stays 5 cm.
    EXPECT_EQ(l.CellWidth, 50);
    EXPECT_EQ(l.CellHeight, 46);
    EXPECT_EQ(l.HorizontalGap, 0);
    EXPECT_EQ(l.VerticalGap, 4);
    EXPECT_EQ(l.CellHeight + l.VerticalGap, 50);
    EXPECT_EQ(Describe(l.Name), "0,46 50x4");
    EXPECT_EQ(l.FrameInsetHorizontal, 1);
    EXPECT_EQ(l.FrameInsetVertical, 1);
    EXPECT_EQ(l.BoxWidth, 48);
    EXPECT_EQ(l.BoxHeight, 44);
    EXPECT_EQ(l.Repeats, 1);
    EXPECT_EQ(l.PageCount, 2);  // 20 pictures, 15 a page
    EXPECT_EQ(l.PageIndex, 0);
}

TEST(ComputeLayout, PrinterPageStartsAtMinusTheOffsetOfThePrintableArea) {
    // A printer's canvas has its origin at the printable area's corner: the sheet starts at
    // (-10, -10). The printable area then starts at the origin.
    PrintSettings s;
    s.PrintTitle = s.PrintPageNumber = s.PrintNames = 0;
    const PageLayout l = ComputeLayout(s, Sheet20x30(), 1, -10, -10, 200, 300);
    EXPECT_EQ(Describe(l.Page), "-10,-10 200x300");
    EXPECT_EQ(Describe(l.Printable), "0,0 180x280");
    EXPECT_EQ(Describe(l.Title), "0,0 0x0");
    EXPECT_EQ(Describe(l.PageNumber), "0,0 0x0");
    EXPECT_EQ(Describe(l.Name), "0,0 0x0");
    EXPECT_EQ(l.Rows, 5);  // 28 cm
    EXPECT_EQ(l.GridTop, 15);
}

TEST(ComputeLayout, NineAlignmentsPlaceTheGridAtEdgesOrCentre) {
    PrintSettings s;
    s.PrintTitle = s.PrintPageNumber = s.PrintNames = 0;
    s.PictureWidth = 4.0;
    s.PictureHeight = 6.0;
    // Work area 18 x 28 cm at (10, 10): 4 columns (16 cm), 4 rows (24 cm).
    const int lefts[] = {10, 20, 30};
    const int tops[] = {10, 30, 50};
    for (std::uint32_t a = 0; a < 9; ++a) {
        s.Alignment = a;
        const PageLayout l = ComputeLayout(s, Sheet20x30(), 1, 0, 0, 200, 300);
        EXPECT_EQ(l.GridLeft, lefts[a % 3]) << "alignment " << a;
        EXPECT_EQ(l.GridTop, tops[a / 3]) << "alignment " << a;
    }
}

TEST(ComputeLayout, ManualMarginsAndTilingAreTakenAsGiven) {
    PrintSettings s;
    s.PrintTitle = s.PrintPageNumber = s.PrintNames = 0;
    s.AutoMargins = 0;
    s.LeftMargin = 2.0;
    s.TopMargin = 0.5;
    s.ManualTiling = 1;
    s.Columns = 7;  // more than fit: the user asked for it
    s.Rows = 2;
    s.HorizontalGap = 1.0;
    const PageLayout l = ComputeLayout(s, Sheet20x30(), 30, 0, 0, 200, 300);
    EXPECT_EQ(l.GridLeft, 30);
    EXPECT_EQ(l.GridTop, 15);
    EXPECT_EQ(l.Columns, 7);
    EXPECT_EQ(l.Rows, 2);
    EXPECT_EQ(l.HorizontalGap, 10);
    EXPECT_EQ(l.PageCount, 3);  // 30 pictures, 14 a page
}

TEST(ComputeLayout, WholeSheetUsesThePaperEdges) {
    PrintSettings s;
    s.PrintTitle = s.PrintPageNumber = s.PrintNames = 0;
    s.WholeSheet = 1;
    const PageLayout l = ComputeLayout(s, Sheet20x30(), 1, 0, 0, 200, 300);
    EXPECT_EQ(l.Columns, 4);
    EXPECT_EQ(l.Rows, 6);
    EXPECT_EQ(l.GridLeft, 0);
    EXPECT_EQ(l.GridTop, 0);
}

TEST(ComputeLayout, HalvesTruncateTowardZeroWhenTheGridIsWiderThanTheArea) {
    PrintSettings s;
    s.PrintTitle = s.PrintPageNumber = s.PrintNames = 0;
    s.ManualTiling = 1;
    s.Columns = 5;  // 25 cm in 18 cm: 7 cm too wide, half of -7000 hundredths is -3500
    s.Rows = 1;
    const PageLayout l = ComputeLayout(s, Sheet20x30(), 1, 0, 0, 200, 300);
    EXPECT_EQ(l.GridLeft, -25);
}

TEST(ComputeLayout, RepeatsAreCutToOnePageAndFillPageFillsIt) {
    PrintSettings s;
    s.PrintTitle = s.PrintPageNumber = s.PrintNames = 0;
    s.ManualTiling = 1;
    s.Columns = 3;
    s.Rows = 2;
    s.Repeats = 50;
    EXPECT_EQ(ComputeLayout(s, Sheet20x30(), 2, 0, 0, 200, 300).Repeats, 6);
    s.Repeats = 4;
    PageLayout l = ComputeLayout(s, Sheet20x30(), 2, 0, 0, 200, 300);
    EXPECT_EQ(l.Repeats, 4);
    EXPECT_EQ(l.PageCount, 2);  // 8 copies in cells of 6
    s.FillPage = 1;
    l = ComputeLayout(s, Sheet20x30(), 2, 0, 0, 200, 300);
    EXPECT_EQ(l.Repeats, 6);
    EXPECT_EQ(l.PageCount, 2);
}

TEST(ComputeLayout, CellLargerThanTheWorkAreaGivesNoPages) {
    PrintSettings s;
    s.PictureWidth = 25.0;
    const PageLayout l = ComputeLayout(s, Sheet20x30(), 3, 0, 0, 200, 300);
    EXPECT_EQ(l.Columns, 0);
    EXPECT_EQ(l.CellsPerPage(), 0);
    EXPECT_EQ(l.PageCount, 0);
    EXPECT_EQ(l.Repeats, 0);
}

TEST(ComputeLayout, StyleFileValuesCannotMakeItOverflowOrLoopForever) {
    PrintSettings s;
    s.ManualTiling = 1;
    s.Columns = 0xFFFFFFFF;
    s.Rows = 0xFFFFFFFF;
    s.Repeats = 0;
    s.FillOrder = 77;
    s.Alignment = 1000;
    s.PictureWidth = std::numeric_limits<double>::quiet_NaN();
    s.PictureHeight = std::numeric_limits<double>::infinity();
    s.FrameThickness = -1e300;
    const PageLayout l = ComputeLayout(s, Sheet20x30(), 5, 0, 0, 200, 300);
    EXPECT_EQ(l.Columns, kMaxTiles);
    EXPECT_EQ(l.Rows, kMaxTiles);
    EXPECT_EQ(l.Repeats, 1);
    EXPECT_EQ(l.FillOrder, 0);
    EXPECT_EQ(l.CellWidth, 0);
}

TEST(ComputeLayout, EveryAutomaticCellLiesInsideTheWorkArea) {
    PrintSettings s;
    s.PrintNames = 0;
    for (double w = 1.0; w <= 19.0; w += 0.7) {
        for (double gap = 0.0; gap <= 2.0; gap += 0.45) {
            s.PictureWidth = w;
            s.PictureHeight = 29.0 - w;
            s.HorizontalGap = s.VerticalGap = gap;
            for (std::uint32_t a = 0; a < 9; ++a) {
                s.Alignment = a;
                const PageLayout l = ComputeLayout(s, Sheet20x30(), 1, 0, 0, 200, 300);
                if (l.CellsPerPage() == 0) continue;
                const int right =
                    l.GridLeft + l.Columns * (l.CellWidth + l.HorizontalGap) - l.HorizontalGap;
                const int bottom =
                    l.GridTop + l.Rows * (l.CellHeight + l.VerticalGap) - l.VerticalGap;
                EXPECT_GE(l.GridLeft, 10) << w << " " << gap << " " << a;
                EXPECT_LE(right, 190) << w << " " << gap << " " << a;
                EXPECT_GE(l.GridTop, 16) << w << " " << gap << " " << a;
                EXPECT_LE(bottom, 287) << w << " " << gap << " " << a;
            }
        }
    }
}

TEST(PreviewPageRect, KeepsThePaperProportionsCentredInTheBox) {
    const PageRect portrait = PreviewPageRect({21.0, 29.7, 0, 0, 21.0, 29.7}, 317, 317);
    EXPECT_EQ(portrait.Height, 317);
    EXPECT_EQ(portrait.Width, 224);  // 21 / (29.7 / 317) = 224.1
    EXPECT_EQ(portrait.Left, 46);
    EXPECT_EQ(portrait.Top, 0);
    const PageRect landscape = PreviewPageRect({29.7, 21.0, 0, 0, 29.7, 21.0}, 317, 317);
    EXPECT_EQ(landscape.Width, 317);
    EXPECT_EQ(landscape.Height, 224);
    EXPECT_EQ(landscape.Top, 46);
}

TEST(CellOfSequence, FillOrdersWalkTheGridTheirWay) {
    PageLayout l;
    l.Columns = 3;
    l.Rows = 2;
    auto walk = [&](int order) {
        l.FillOrder = order;
        std::string s;
        for (int k = 0; k < 6; ++k) {
            const CellPosition p = CellOfSequence(l, k);
            s += std::to_string(p.Column) + std::to_string(p.Row) + " ";
        }
        return s;
    };
    EXPECT_EQ(walk(0), "00 10 20 01 11 21 ");
    EXPECT_EQ(walk(1), "00 01 10 11 20 21 ");
    EXPECT_EQ(walk(2), "20 10 00 21 11 01 ");  // first picture of each row on the right
    EXPECT_EQ(walk(3), "20 21 10 11 00 01 ");  // rightmost column first, top to bottom
}

}  // namespace
}  // namespace pixelary

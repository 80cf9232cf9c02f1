// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "print/MPrint.h"
#include "support/SolidDib.h"
#include "support/TempDir.h"

namespace pixelary {
namespace {

// Records what a page draws. Text is 10 units a code point wide; bitmaps are told apart by the
// colour of their top-left pixel.
class RecordingCanvas : public PrintCanvas {
  public:
    struct Text {
        std::int32_t x, y, font;
        std::string text;
    };
    struct Picture {
        PageRect target;
        std::uint32_t colour;
        StretchMode mode;
    };

    void SetFont(const std::string& family, std::int32_t cellHeight) override {
        family_ = family;
        font_ = cellHeight;
    }
    std::int32_t TextWidth(const std::string& text) override {
        std::int32_t n = 0;
        for (unsigned char c : text) n += (c & 0xC0) != 0x80;
        return 10 * n;
    }
    void DrawText(std::int32_t x, std::int32_t y, const std::string& text) override {
        EXPECT_EQ(family_, "Arial");
        texts.push_back({x, y, font_, text});
    }
    void StretchBitmap(const PageRect& target, const Dib& bitmap, StretchMode mode) override {
        pictures.push_back({target, bitmap.PixelRgb(0, 0), mode});
    }
    void StretchFrame(const PageRect& target, const PrintFrame&) override {
        frames.push_back(target);
    }
    void DottedLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override {
        lines.push_back({x1, y1, x2 - x1, y2 - y1});
    }

    std::vector<Text> texts;
    std::vector<Picture> pictures;
    std::vector<PageRect> frames;
    std::vector<PageRect> lines;

  private:
    std::string family_;
    std::int32_t font_ = 0;
};

using testing::SolidDib;

PrintJob JobOf(int count) {
    PrintJob job;
    job.Title = "/home/user/Pictures";
    for (int i = 0; i < count; ++i) {
        const std::uint32_t colour = 0x100000u * (i + 1);
        job.Entries.push_back({"/pictures/p" + std::to_string(i) + ".bmp",
                               "p" + std::to_string(i) + ".bmp",
                               [colour] { return SolidDib(32, 32, colour); }});
    }
    return job;
}

// A grid of 2 x 2 cells of 100 units, no bands, no frame inset.
PageLayout Grid2x2(int pictures, int repeats) {
    PrintSettings s;
    s.PrintTitle = s.PrintPageNumber = s.PrintNames = 0;
    s.FrameThickness = 0;
    s.ManualTiling = 1;
    s.Columns = 2;
    s.Rows = 2;
    s.PictureWidth = s.PictureHeight = 10.0;
    s.Repeats = static_cast<std::uint32_t>(repeats);
    s.WholeSheet = 1;
    s.Alignment = 0;
    return ComputeLayout(s, {30.0, 30.0, 0, 0, 30.0, 30.0}, pictures, 0, 0, 300, 300);
}

std::vector<int> PictureIndices(const RecordingCanvas& c) {
    std::vector<int> out;
    for (const auto& p : c.pictures) out.push_back(static_cast<int>(p.colour / 0x100000u) - 1);
    return out;
}

TEST(DrawPage, SecondPageContinuesTheCopiesOfThePictureTheFirstPageCut) {
    PageLayout l = Grid2x2(3, 3);  // copies 0 0 0 1 | 1 1 2 2 | 2
    ASSERT_EQ(l.PageCount, 3);
    const PrintJob job = JobOf(3);
    const std::vector<std::vector<int>> expected = {{0, 0, 0, 1}, {1, 1, 2, 2}, {2}};
    for (int page = 0; page < 3; ++page) {
        l.PageIndex = page;
        RecordingCanvas c;
        DrawPage(l, job, {}, c, true);
        EXPECT_EQ(PictureIndices(c), expected[page]) << "page " << page;
    }
}

TEST(DrawPage, FillPageGivesEachPictureItsOwnPage) {
    PrintSettings s;
    s.PrintTitle = s.PrintPageNumber = s.PrintNames = 0;
    s.ManualTiling = 1;
    s.Columns = 3;
    s.Rows = 2;
    s.FillPage = 1;
    PageLayout l = ComputeLayout(s, {30, 30, 0, 0, 30, 30}, 2, 0, 0, 300, 300);
    ASSERT_EQ(l.PageCount, 2);
    for (int page = 0; page < 2; ++page) {
        l.PageIndex = page;
        RecordingCanvas c;
        DrawPage(l, JobOf(2), {}, c, true);
        EXPECT_EQ(PictureIndices(c), std::vector<int>(6, page));
    }
}

TEST(DrawPage, FillOrderTwoStartsEachRowOnTheRight) {
    PrintSettings s;
    s.PrintTitle = s.PrintPageNumber = s.PrintNames = 0;
    s.FrameThickness = 0;
    s.ManualTiling = 1;
    s.Columns = 2;
    s.Rows = 1;
    s.FillOrder = 2;
    s.WholeSheet = 1;
    s.Alignment = 0;
    s.PictureWidth = s.PictureHeight = 10.0;
    const PageLayout l = ComputeLayout(s, {30, 30, 0, 0, 30, 30}, 2, 0, 0, 300, 300);
    RecordingCanvas c;
    DrawPage(l, JobOf(2), {}, c, true);
    ASSERT_EQ(c.pictures.size(), 2u);
    EXPECT_EQ(c.pictures[0].target.Left, 100);  // picture 0 in the right column
    EXPECT_EQ(c.pictures[1].target.Left, 0);
}

TEST(DrawPage, TitlePageNumberAndNamesAreCentredOnTheirBands) {
    PrintSettings s;  // title, page numbers and names on
    s.ManualTiling = 1;
    s.Columns = 1;
    s.Rows = 1;
    PageLayout l = ComputeLayout(s, {20, 30, 1, 1, 18, 28}, 5, 0, 0, 200, 300);
    ASSERT_EQ(l.PageCount, 5);
    l.PageIndex = 1;
    PrintJob job = JobOf(5);
    RecordingCanvas c;
    DrawPage(l, job, {}, c, true);
    ASSERT_EQ(c.texts.size(), 3u);
    // Title band 10..190 across, 6 high; "/home/user/Pictures" is 190 wide: half of -10 is -5.
    EXPECT_EQ(c.texts[0].text, "/home/user/Pictures");
    EXPECT_EQ(c.texts[0].x, 5);
    EXPECT_EQ(c.texts[0].y, 10);
    EXPECT_EQ(c.texts[0].font, 6);
    EXPECT_EQ(c.texts[1].text, "2/5");
    EXPECT_EQ(c.texts[1].x, 10 + (180 - 30) / 2);
    EXPECT_EQ(c.texts[1].y, 287);
    EXPECT_EQ(c.texts[1].font, 3);
    // The 50-unit name band takes "p1.bmp" (60) only shortened: "p1..." is 50 wide.
    EXPECT_EQ(c.texts[2].text, "p1...");
    EXPECT_EQ(c.texts[2].x, l.GridLeft);
    EXPECT_EQ(l.GridLeft, 75);
    EXPECT_EQ(c.texts[2].y, l.GridTop + l.CellHeight);
    EXPECT_EQ(c.texts[2].font, 4);
}

TEST(DrawPage, PicturesAreFittedToTheBoxEnlargingSmallOnes) {
    PageLayout l = Grid2x2(1, 1);
    l.FrameInsetHorizontal = l.FrameInsetVertical = 5;
    l.BoxWidth = l.BoxHeight = 90;
    PrintJob job;
    job.Entries.push_back({"/a.bmp", "a.bmp", [] { return SolidDib(40, 20, 0x123456); }});
    RecordingCanvas c;
    DrawPage(l, job, {}, c, true);
    ASSERT_EQ(c.pictures.size(), 1u);
    // 40 x 20 enlarged to 90 x 45, centred in the box at (5, 5).
    EXPECT_EQ(c.pictures[0].target, (PageRect{5, 5 + 22, 90, 45}));
    EXPECT_EQ(c.pictures[0].mode, StretchMode::WhiteOnBlack);
}

TEST(DrawPage, FrameCoversTheCellOrHugsThePicture) {
    PageLayout l = Grid2x2(1, 1);
    l.FrameInsetHorizontal = l.FrameInsetVertical = 5;
    l.BoxWidth = l.BoxHeight = 90;
    PrintJob job;
    job.Entries.push_back({"/a.bmp", "a.bmp", [] { return SolidDib(40, 20, 0x123456); }});
    const PrintFrame frame = BuildFrameMask(SolidDib(11, 11, 0xFF0000));
    RecordingCanvas cell;
    DrawPage(l, job, frame, cell, true);
    ASSERT_EQ(cell.frames.size(), 1u);
    EXPECT_EQ(cell.frames[0], (PageRect{0, 0, 100, 100}));
    l.FrameFitsPicture = true;
    RecordingCanvas fit;
    DrawPage(l, job, frame, fit, true);
    ASSERT_EQ(fit.frames.size(), 1u);
    EXPECT_EQ(fit.frames[0], (PageRect{0, 22, 100, 55}));
}

TEST(DrawPage, FramesOfTenPixelsOrLessAreNeverDrawn) {
    const PageLayout l = Grid2x2(1, 1);
    RecordingCanvas c;
    DrawPage(l, JobOf(1), BuildFrameMask(SolidDib(10, 40, 0xFF)), c, true);
    DrawPage(l, JobOf(1), BuildFrameMask(SolidDib(40, 10, 0xFF)), c, true);
    EXPECT_TRUE(c.frames.empty());
}

TEST(DrawPage, CutLinesEncloseEveryCellFilledOrNot) {
    PageLayout l = Grid2x2(1, 1);
    l.CutLines = true;
    RecordingCanvas c;
    DrawPage(l, JobOf(1), {}, c, true);
    ASSERT_EQ(c.pictures.size(), 1u);
    ASSERT_EQ(c.lines.size(), 8u);  // two a row, two a column
    EXPECT_EQ(c.lines[0], (PageRect{0, 0, 200, 0}));
    EXPECT_EQ(c.lines[1], (PageRect{0, 100, 200, 0}));
    EXPECT_EQ(c.lines[7], (PageRect{200, 0, 0, 200}));
}

TEST(DrawPage, PrintingDecodesEachPictureOncePerPageAndStopsOnAbort) {
    testing::TempDir dir;
    const std::string red = dir.Path() + "/red.bmp";
    const std::string blue = dir.Path() + "/BLUE.BMP";
    SolidDib(300, 150, 0xFF0000).SaveToFile(red);
    SolidDib(8, 8, 0x0000FF).SaveToFile(blue);
    PrintJob job;
    job.Entries.push_back({red, "red.bmp", nullptr});
    job.Entries.push_back({blue, "BLUE.BMP", nullptr});
    const PageLayout l = Grid2x2(2, 2);
    int decoded = 0, events = 0;
    RecordingCanvas c;
    PrintHooks hooks{[] { return false; }, [&] { ++decoded; }, [&] { ++events; }};
    DrawPage(l, job, {}, c, false, hooks);
    EXPECT_EQ(decoded, 2);
    EXPECT_EQ(events, 4);
    ASSERT_EQ(c.pictures.size(), 4u);
    EXPECT_EQ(c.pictures[0].colour, 0xFF0000u);
    EXPECT_EQ(c.pictures[0].target, (PageRect{0, 25, 100, 50}));
    EXPECT_EQ(c.pictures[2].colour, 0x0000FFu);
    EXPECT_EQ(c.pictures[2].target, (PageRect{0, 100, 100, 100}));  // 8 x 8 enlarged
    EXPECT_EQ(c.pictures[0].mode, StretchMode::ColorOnColor);

    int cells = 0;
    RecordingCanvas aborted;
    PrintHooks abortAfterTwo{[&] { return cells == 2; }, [] {}, [&] { ++cells; }};
    DrawPage(l, job, {}, aborted, false, abortAfterTwo);
    EXPECT_EQ(aborted.pictures.size(), 2u);
}

TEST(DrawPage, AnUndecodableEntryKeepsItsFrameNameAndCopies) {
    testing::TempDir dir;
    const std::string broken = dir.Path() + "/broken.bmp";
    testing::WriteFile(broken, {'B', 'M', 1, 2, 3});
    PrintJob job;
    job.Entries.push_back({broken, "broken.bmp", nullptr});
    PageLayout l = Grid2x2(1, 2);
    l.Name = {0, 90, 100, 10};
    RecordingCanvas c;
    DrawPage(l, job, BuildFrameMask(SolidDib(20, 20, 0xFF)), c, false);
    EXPECT_TRUE(c.pictures.empty());
    EXPECT_EQ(c.frames.size(), 2u);
    EXPECT_EQ(c.texts.size(), 2u);
}

TEST(DrawPage, NothingIsDrawnForAnEmptyJobOrAPageWithoutCells) {
    RecordingCanvas c;
    DrawPage(Grid2x2(0, 1), PrintJob{}, {}, c, true);
    PageLayout none = Grid2x2(2, 1);
    none.Columns = 0;
    DrawPage(none, JobOf(2), {}, c, true);
    EXPECT_TRUE(c.pictures.empty());
}

TEST(LoadScaledPicture, ShrinksToTheBoxButNeverEnlarges) {
    testing::TempDir dir;
    const std::string wide = dir.Path() + "/wide.bmp";
    const std::string small = dir.Path() + "/small.Bmp";
    const std::string thin = dir.Path() + "/thin.bmp";
    SolidDib(200, 100, 0x00FF00).SaveToFile(wide);
    SolidDib(20, 10, 0x00FF00).SaveToFile(small);
    SolidDib(3000, 1, 0x00FF00).SaveToFile(thin);
    Dib d = LoadScaledPicture(wide, 50, 50);
    EXPECT_EQ(d.Width(), 50);
    EXPECT_EQ(d.Height(), 25);
    EXPECT_EQ(d.PixelRgb(10, 10), 0x00FF00u);
    d = LoadScaledPicture(small, 50, 50);
    EXPECT_EQ(d.Width(), 20);
    EXPECT_EQ(d.Height(), 10);
    d = LoadScaledPicture(thin, 50, 50);
    EXPECT_EQ(d.Width(), 50);
    EXPECT_EQ(d.Height(), 1);
    EXPECT_TRUE(LoadScaledPicture(dir.Path() + "/missing.bmp", 50, 50).IsEmpty());
    EXPECT_TRUE(LoadScaledPicture(dir.Path() + "/noextension", 50, 50).IsEmpty());
    EXPECT_TRUE(LoadScaledPicture(wide, 0, 50).IsEmpty());
}

TEST(BuildFrameMask, BottomLeftColourBecomesTransparent) {
    // A grey square on a white surround; the bottom-left pixel (row 11) is white.
    Dib framed = SolidDib(12, 12, 0xFFFFFF);
    for (int y = 3; y < 9; ++y)
        for (int x = 3; x < 9; ++x)
            framed.Row(y)[3 * x] = framed.Row(y)[3 * x + 1] = framed.Row(y)[3 * x + 2] = 0x40;
    const PrintFrame f = BuildFrameMask(framed);
    ASSERT_EQ(f.Mask.BitCount(), 1);
    EXPECT_EQ(f.Mask.PixelRgb(0, 0), 0xFFFFFFu);    // transparent: the page shows
    EXPECT_EQ(f.Mask.PixelRgb(5, 5), 0x000000u);    // opaque
    EXPECT_EQ(f.Bitmap.PixelRgb(0, 0), 0x000000u);  // adds nothing where transparent
    EXPECT_EQ(f.Bitmap.PixelRgb(5, 5), 0x404040u);
}

TEST(BuildFrameMask, OneBitFramesAreTransparentWhereWhite) {
    Dib mono(16, 16, 1);
    mono.SetPalette({0x000000, 0xFFFFFF});
    for (int y = 0; y < 16; ++y) mono.Row(y)[0] = 0xFF;  // columns 0..7 white
    const PrintFrame f = BuildFrameMask(mono);
    EXPECT_EQ(f.Mask.PixelRgb(2, 2), 0xFFFFFFu);
    EXPECT_EQ(f.Mask.PixelRgb(12, 2), 0x000000u);
}

TEST(ShortenLabel, DropsWholeCharactersUntilTheEllipsisFits) {
    RecordingCanvas c;
    EXPECT_EQ(ShortenLabel(c, "abcdef", 60), "abcdef");
    EXPECT_EQ(ShortenLabel(c, "abcdef", 59), "ab...");  // the ellipsis counts once cut
    EXPECT_EQ(ShortenLabel(c, "風景照片.jpg", 55), "風景...");
    EXPECT_EQ(ShortenLabel(c, "abc", 5), "...");
    EXPECT_EQ(ShortenLabel(c, "", 0), "");
}

}  // namespace
}  // namespace pixelary

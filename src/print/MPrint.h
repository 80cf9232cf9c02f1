// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Dib.h"
#include "print/PrintSettings.h"

namespace pixelary {

// The sheet as measured on the printer, in centimetres. Before the first measurement the paper
// is a 1 cm square, all of it printable.
struct PaperMetrics {
    double PaperWidth = 1.0;
    double PaperHeight = 1.0;
    double PrintableLeft = 0.0;  // offset of the printable area from the sheet's left edge
    double PrintableTop = 0.0;
    double PrintableWidth = 1.0;
    double PrintableHeight = 1.0;
};

// A rectangle in output units (preview pixels or printer pixels).
struct PageRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    friend bool operator==(const PageRect&, const PageRect&) = default;
};

// One page size laid out: every length in output units, every position absolute on the canvas
// except the name band, which is relative to its cell.
struct PageLayout {
    PageRect Page;
    PageRect Printable;
    PageRect Title;       // all 0 without a title; the height is the title's font height
    PageRect PageNumber;  // all 0 without page numbers
    std::int32_t PageCount = 0;
    std::int32_t PageIndex = 0;  // the page DrawPage draws, from 0
    std::int32_t GridLeft = 0;   // top-left corner of column 0, row 0
    std::int32_t GridTop = 0;
    std::int32_t CellWidth = 0;  // without the name band
    std::int32_t CellHeight = 0;
    std::int32_t HorizontalGap = 0;  // the vertical gap includes the name band
    std::int32_t VerticalGap = 0;
    std::int32_t Columns = 0;
    std::int32_t Rows = 0;
    std::int32_t FillOrder = 0;
    std::int32_t Repeats = 0;  // copies of each picture, at most one page's cells
    std::int32_t FrameInsetHorizontal = 0;
    std::int32_t FrameInsetVertical = 0;
    std::int32_t BoxWidth = 0;  // the picture's box: the cell less the frame on both sides
    std::int32_t BoxHeight = 0;
    PageRect Name;  // inside the cell; all 0 without names; the height is the font height
    bool FrameFitsPicture = false;
    bool CutLines = false;

    std::int32_t CellsPerPage() const { return Columns * Rows; }
};

// Manual tiling, repeats and fill orders beyond what the dialog offers are cut to these, so a
// style file cannot make a page of billions of cells.
inline constexpr std::int32_t kMaxTiles = 999;
inline constexpr std::int32_t kMaxRepeats = 999;

// Lays out pages of the given size and position for pictureCount pictures, page index 0. A cell
// larger than the work area gives no columns or rows, and then no pages.
PageLayout ComputeLayout(const PrintSettings& settings, const PaperMetrics& paper,
                         std::int32_t pictureCount, std::int32_t pageLeft, std::int32_t pageTop,
                         std::int32_t pageWidth, std::int32_t pageHeight);

// The largest sheet of the paper's proportions centred in a preview box of the given size.
PageRect PreviewPageRect(const PaperMetrics& paper, std::int32_t boxWidth, std::int32_t boxHeight);

// Cell k of a page (0-based, in fill order) as its column and row.
struct CellPosition {
    std::int32_t Column = 0;
    std::int32_t Row = 0;
};
CellPosition CellOfSequence(const PageLayout& layout, std::int32_t k);

// One picture of a print job: its file, the label printed under it (name and extension) and
// its large image (icon or thumbnail) for the preview.
struct PrintJobEntry {
    std::string Path;
    std::string Label;
    std::function<Dib()> LargeImage;
};

// What the print command hands the dialog: the folder's full path and the selected entries in
// view order.
struct PrintJob {
    std::string Title;
    std::vector<PrintJobEntry> Entries;
};

// The frame laid over each cell, ready for masked drawing (see BuildFrameMask).
struct PrintFrame {
    Dib Bitmap;
    Dib Mask;
};

// How a bitmap is shrunk: colour-on-colour drops rows and columns, white-on-black keeps the
// lighter pixels (icons and thumbnails in the preview).
enum class StretchMode { ColorOnColor, WhiteOnBlack };

// The drawing surface of a page: the preview box or a printer page.
class PrintCanvas {
  public:
    virtual ~PrintCanvas() = default;
    // Font of the family whose character cell (ascent plus descent) is cellHeight units.
    virtual void SetFont(const std::string& family, std::int32_t cellHeight) = 0;
    virtual std::int32_t TextWidth(const std::string& text) = 0;
    // Text whose cell's top-left corner is (x, y), on a transparent background.
    virtual void DrawText(std::int32_t x, std::int32_t y, const std::string& text) = 0;
    virtual void StretchBitmap(const PageRect& target, const Dib& bitmap, StretchMode mode) = 0;
    // The frame over target: where the mask is white the page stays, elsewhere the frame shows.
    virtual void StretchFrame(const PageRect& target, const PrintFrame& frame) = 0;
    virtual void DottedLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) = 0;
};

// What printing asks of the dialog between cells; the preview passes none of them.
struct PrintHooks {
    std::function<bool()> AbortRequested;
    std::function<void()> StepProgress;
    std::function<void()> ProcessPendingEvent;
};

// Draws page layout.PageIndex of the job. The preview draws each entry's large image; printing
// decodes each picture file once per page, no larger than its box.
void DrawPage(const PageLayout& layout, const PrintJob& job, const PrintFrame& frame,
              PrintCanvas& canvas, bool preview, const PrintHooks& hooks = {});

// The picture file decoded upright no larger than the box (smaller pictures keep their size);
// empty when no reader takes the file or decoding fails.
Dib LoadScaledPicture(const std::string& path, std::int32_t boxWidth, std::int32_t boxHeight);

// The frame prepared for masked drawing: the mask is white where the frame bitmap has its
// transparent colour (that of its bottom-left pixel; white for 1-bit frames) and black
// elsewhere, and the bitmap becomes 24-bit with its transparent pixels black.
PrintFrame BuildFrameMask(const Dib& frameBitmap);

// The text, cut at its end and given "..." when it is wider than width on the canvas's font.
std::string ShortenLabel(PrintCanvas& canvas, const std::string& text, std::int32_t width);

}  // namespace pixelary

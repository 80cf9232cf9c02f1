// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/MPrint.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/Exception.h"
#include "core/Text.h"
#include "readers/Rwimage.h"

namespace pixelary {
namespace {

constexpr const char* kLabelFont = "Arial";
constexpr double kTitleBandCm = 0.6;
constexpr double kPageNumberBandCm = 0.3;
constexpr double kNameBandCm = 0.4;
constexpr std::int32_t kMinFrameSide = 10;  // frames this small or smaller are not drawn
constexpr std::uint32_t kWhite = 0xFFFFFF;

// Lengths are computed in hundredths of an output unit; this bound keeps every product of the
// computation inside 64 bits whatever a style file holds.
constexpr double kMaxHundredths = 1e12;

// Truncation toward zero, with values that are not numbers or are out of any page's range
// pinned, so a style file cannot make the conversion undefined.
std::int64_t Trunc(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<std::int64_t>(std::clamp(v, -kMaxHundredths, kMaxHundredths));
}

// Half of v, truncating toward zero (half of -5 is -2).
std::int64_t Half(std::int64_t v) {
    return v / 2;
}

// Output units are pinned to a range far beyond any sheet, so positions computed from them in
// 32 bits (a column's left edge, a row's top) cannot overflow.
constexpr std::int64_t kMaxUnits = std::int64_t{1} << 19;

std::int32_t ToUnits(std::int64_t hundredths) {
    return static_cast<std::int32_t>(std::clamp(hundredths / 100, -kMaxUnits, kMaxUnits));
}

PageRect ToUnits(std::int64_t l, std::int64_t t, std::int64_t w, std::int64_t h) {
    return {ToUnits(l), ToUnits(t), ToUnits(w), ToUnits(h)};
}

std::int32_t Capped(std::uint32_t v, std::int32_t limit) {
    return static_cast<std::int32_t>(std::min<std::uint32_t>(v, static_cast<std::uint32_t>(limit)));
}

// The layout in hundredths while it is computed.
struct Work {
    double qx = 0, qy = 0;  // hundredths per centimetre
    std::int64_t pageL = 0, pageT = 0, pageW = 0, pageH = 0;
    std::int64_t prnL = 0, prnT = 0, prnW = 0, prnH = 0;
    std::int64_t L = 0, T = 0, R = 0, B = 0;  // the work area, less the title and number bands
    std::int64_t titleH = 0, numberH = 0;
    std::int64_t gridL = 0, gridT = 0;
    std::int64_t cellW = 0, cellH = 0, gapH = 0, gapV = 0;
    std::int64_t columns = 0, rows = 0;
};

std::int64_t FitCount(std::int64_t span, std::int64_t pitch) {
    if (pitch <= 0 || span < 0) return 0;
    return std::min<std::int64_t>(span / pitch, kMaxTiles);
}

void PlacePage(Work& w, const PrintSettings& s, const PaperMetrics& paper, std::int32_t left,
               std::int32_t top, std::int32_t width, std::int32_t height) {
    w.qx = paper.PaperWidth > 0 ? width / paper.PaperWidth * 100 : 0;
    w.qy = paper.PaperHeight > 0 ? height / paper.PaperHeight * 100 : 0;
    w.pageL = std::int64_t{left} * 100;
    w.pageT = std::int64_t{top} * 100;
    w.pageW = std::int64_t{width} * 100;
    w.pageH = std::int64_t{height} * 100;
    w.prnL = Trunc(w.pageL + paper.PrintableLeft * w.qx);
    w.prnT = Trunc(w.pageT + paper.PrintableTop * w.qy);
    w.prnW = Trunc(paper.PrintableWidth * w.qx);
    w.prnH = Trunc(paper.PrintableHeight * w.qy);
    if (s.WholeSheet) {
        w.L = w.pageL, w.T = w.pageT, w.R = w.pageL + w.pageW, w.B = w.pageT + w.pageH;
    } else {
        w.L = w.prnL, w.T = w.prnT, w.R = w.prnL + w.prnW, w.B = w.prnT + w.prnH;
    }
}

void PlaceBands(Work& w, const PrintSettings& s, PageLayout& out) {
    if (s.PrintTitle) {
        w.titleH = Trunc(kTitleBandCm * w.qy);
        out.Title = ToUnits(w.L, w.T, w.R - w.L, w.titleH);
    }
    if (s.PrintPageNumber) {
        w.numberH = Trunc(kPageNumberBandCm * w.qy);
        out.PageNumber = ToUnits(w.L, w.B - w.numberH, w.R - w.L, w.numberH);
    }
    w.T += w.titleH;
    w.B -= w.numberH;
}

void PlaceGrid(Work& w, const PrintSettings& s) {
    w.gridL = w.L, w.gridT = w.T;
    if (!s.AutoMargins) {
        w.gridL = Trunc(w.L + s.LeftMargin * w.qx);
        w.gridT = Trunc(w.T + s.TopMargin * w.qy);
    }
    w.cellW = Trunc(s.PictureWidth * w.qx);
    w.cellH = Trunc(s.PictureHeight * w.qy);
    w.gapH = Trunc(s.HorizontalGap * w.qx);
    w.gapV = Trunc(s.VerticalGap * w.qy);
    if (s.ManualTiling) {
        w.columns = Capped(s.Columns, kMaxTiles);
        w.rows = Capped(s.Rows, kMaxTiles);
    } else {
        w.columns = FitCount(w.R + w.gapH - w.gridL, w.cellW + w.gapH);
        w.rows = FitCount(w.B + w.gapV - w.gridT, w.cellH + w.gapV);
    }
    if (!s.AutoMargins) return;
    const std::int64_t gridW = w.columns * (w.cellW + w.gapH) - w.gapH;
    const std::int64_t gridH = w.rows * (w.cellH + w.gapV) - w.gapV;
    const std::int64_t xs[] = {w.L, w.L + Half(w.R - w.L - gridW), w.R - gridW};
    const std::int64_t ys[] = {w.T, w.T + Half(w.B - w.T - gridH), w.B - gridH};
    const std::uint32_t a = s.Alignment <= 8 ? s.Alignment : 4;
    w.gridL = xs[a % 3];
    w.gridT = ys[a / 3];
}

}  // namespace

PageLayout ComputeLayout(const PrintSettings& s, const PaperMetrics& paper,
                         std::int32_t pictureCount, std::int32_t pageLeft, std::int32_t pageTop,
                         std::int32_t pageWidth, std::int32_t pageHeight) {
    PageLayout out;
    Work w;
    PlacePage(w, s, paper, pageLeft, pageTop, pageWidth, pageHeight);
    out.Page = ToUnits(w.pageL, w.pageT, w.pageW, w.pageH);
    out.Printable = ToUnits(w.prnL, w.prnT, w.prnW, w.prnH);
    PlaceBands(w, s, out);
    PlaceGrid(w, s);

    const std::int64_t cellsPerPage = w.columns * w.rows;
    std::int64_t repeats =
        s.FillPage ? cellsPerPage : std::clamp<std::int64_t>(s.Repeats, 1, kMaxRepeats);
    repeats = std::min(repeats, cellsPerPage);

    const std::int64_t inset = Trunc(s.FrameThickness * w.qx);
    std::int64_t boxW = w.cellW - 2 * inset;
    std::int64_t boxH = w.cellH - 2 * inset;
    std::int64_t cellH = w.cellH;
    std::int64_t gapV = w.gapV;
    if (s.PrintNames) {
        const std::int64_t nameH = Trunc(kNameBandCm * w.qy);
        cellH -= nameH;
        boxH -= nameH;
        gapV += nameH;
        out.Name = ToUnits(0, cellH, w.cellW, nameH);
    }

    out.GridLeft = ToUnits(w.gridL);
    out.GridTop = ToUnits(w.gridT);
    out.CellWidth = ToUnits(w.cellW);
    out.CellHeight = ToUnits(cellH);
    out.HorizontalGap = ToUnits(w.gapH);
    out.VerticalGap = ToUnits(gapV);
    out.Columns = static_cast<std::int32_t>(w.columns);
    out.Rows = static_cast<std::int32_t>(w.rows);
    out.FillOrder = static_cast<std::int32_t>(s.FillOrder <= 3 ? s.FillOrder : 0);
    out.Repeats = static_cast<std::int32_t>(repeats);
    out.FrameInsetHorizontal = out.FrameInsetVertical = ToUnits(inset);
    out.BoxWidth = ToUnits(boxW);
    out.BoxHeight = ToUnits(boxH);
    out.FrameFitsPicture = s.FrameFitsPicture != 0;
    out.CutLines = s.CutLines != 0;
    if (cellsPerPage > 0 && pictureCount > 0) {
        out.PageCount = static_cast<std::int32_t>(
            (std::int64_t{pictureCount} * repeats + cellsPerPage - 1) / cellsPerPage);
    }
    return out;
}

PageRect PreviewPageRect(const PaperMetrics& paper, std::int32_t boxWidth, std::int32_t boxHeight) {
    if (boxWidth <= 0 || boxHeight <= 0 || !(paper.PaperWidth > 0) || !(paper.PaperHeight > 0))
        return {};
    const double s = std::max(paper.PaperWidth / boxWidth, paper.PaperHeight / boxHeight);
    PageRect r;
    r.Width = static_cast<std::int32_t>(Trunc(paper.PaperWidth / s));
    r.Height = static_cast<std::int32_t>(Trunc(paper.PaperHeight / s));
    r.Left = static_cast<std::int32_t>(Half(boxWidth - r.Width));
    r.Top = static_cast<std::int32_t>(Half(boxHeight - r.Height));
    return r;
}

CellPosition CellOfSequence(const PageLayout& layout, std::int32_t k) {
    const std::int32_t columns = std::max(layout.Columns, 1);
    const std::int32_t rows = std::max(layout.Rows, 1);
    switch (layout.FillOrder) {
        case 1:
            return {k / rows, k % rows};
        case 2:
            return {columns - 1 - k % columns, k / columns};
        case 3:
            return {columns - 1 - k / rows, k % rows};
        default:
            return {k % columns, k / columns};
    }
}

namespace {

PageRect CellRect(const PageLayout& l, CellPosition p) {
    return {l.GridLeft + p.Column * (l.CellWidth + l.HorizontalGap),
            l.GridTop + p.Row * (l.CellHeight + l.VerticalGap), l.CellWidth, l.CellHeight};
}

PageRect Grown(PageRect r, std::int32_t dx, std::int32_t dy) {
    return {r.Left - dx, r.Top - dy, r.Width + 2 * dx, r.Height + 2 * dy};
}

// The bitmap fitted into the cell's picture box, centred, enlarged or reduced to touch it.
PageRect FittedPicture(const PageLayout& l, const PageRect& cell, const Dib& bitmap) {
    const double s =
        std::max(double(bitmap.Width()) / l.BoxWidth, double(bitmap.Height()) / l.BoxHeight);
    const auto w = static_cast<std::int32_t>(Trunc(bitmap.Width() / s));
    const auto h = static_cast<std::int32_t>(Trunc(bitmap.Height() / s));
    return {cell.Left + l.FrameInsetHorizontal + static_cast<std::int32_t>(Half(l.BoxWidth - w)),
            cell.Top + l.FrameInsetVertical + static_cast<std::int32_t>(Half(l.BoxHeight - h)), w,
            h};
}

void DrawCentred(PrintCanvas& canvas, const PageRect& band, const std::string& text) {
    canvas.SetFont(kLabelFont, band.Height);
    const std::int32_t x =
        band.Left + static_cast<std::int32_t>(Half(band.Width - canvas.TextWidth(text)));
    canvas.DrawText(x, band.Top, text);
}

void DrawCutLines(const PageLayout& l, PrintCanvas& canvas) {
    const std::int32_t gridW = l.Columns * (l.CellWidth + l.HorizontalGap) - l.HorizontalGap;
    const std::int32_t gridH = l.Rows * (l.CellHeight + l.VerticalGap) - l.VerticalGap;
    for (std::int32_t m = 0; m < l.Rows; ++m) {
        const std::int32_t y = l.GridTop + m * (l.CellHeight + l.VerticalGap);
        canvas.DottedLine(l.GridLeft, y, l.GridLeft + gridW, y);
        canvas.DottedLine(l.GridLeft, y + l.CellHeight, l.GridLeft + gridW, y + l.CellHeight);
    }
    for (std::int32_t j = 0; j < l.Columns; ++j) {
        const std::int32_t x = l.GridLeft + j * (l.CellWidth + l.HorizontalGap);
        canvas.DottedLine(x, l.GridTop, x, l.GridTop + gridH);
        canvas.DottedLine(x + l.CellWidth, l.GridTop, x + l.CellWidth, l.GridTop + gridH);
    }
}

// Draws one cell: picture, frame and name. The bitmap is that of the cell's entry.
void DrawCell(const PageLayout& l, const PrintJobEntry& entry, const Dib& bitmap, StretchMode mode,
              const PrintFrame& frame, PrintCanvas& canvas, PageRect cell) {
    PageRect frameRect = cell;
    const bool boxUsable = l.BoxWidth > 0 && l.BoxHeight > 0;
    if (!bitmap.IsEmpty() && boxUsable) {
        const PageRect picture = FittedPicture(l, cell, bitmap);
        canvas.StretchBitmap(picture, bitmap, mode);
        frameRect = picture;
    }
    if (l.FrameFitsPicture) {
        frameRect = Grown(frameRect, l.FrameInsetHorizontal, l.FrameInsetVertical);
    } else {
        frameRect = cell;
    }
    if (frame.Mask.Width() > kMinFrameSide && frame.Mask.Height() > kMinFrameSide)
        canvas.StretchFrame(frameRect, frame);
    if (l.Name.Height > 0) {
        canvas.SetFont(kLabelFont, l.Name.Height);
        const std::string label = ShortenLabel(canvas, entry.Label, l.Name.Width);
        const std::int32_t x =
            cell.Left + l.Name.Left +
            static_cast<std::int32_t>(Half(l.Name.Width - canvas.TextWidth(label)));
        canvas.DrawText(x, cell.Top + l.Name.Top, label);
    }
}

Dib PictureOf(const PageLayout& l, const PrintJobEntry& entry, bool preview,
              const PrintHooks& hooks) {
    if (preview) return entry.LargeImage ? entry.LargeImage() : Dib();
    if (hooks.StepProgress) hooks.StepProgress();
    return LoadScaledPicture(entry.Path, l.BoxWidth, l.BoxHeight);
}

}  // namespace

void DrawPage(const PageLayout& l, const PrintJob& job, const PrintFrame& frame,
              PrintCanvas& canvas, bool preview, const PrintHooks& hooks) {
    if (job.Entries.empty()) return;
    if (l.Title.Height != 0) DrawCentred(canvas, l.Title, job.Title);
    if (l.PageNumber.Height != 0)
        DrawCentred(canvas, l.PageNumber,
                    std::to_string(l.PageIndex + 1) + "/" + std::to_string(l.PageCount));

    const std::int64_t cellsPerPage = l.CellsPerPage();
    const auto count = static_cast<std::int64_t>(job.Entries.size());
    if (cellsPerPage > 0 && l.Repeats > 0) {
        const std::int64_t first = std::int64_t{l.PageIndex} * cellsPerPage;
        std::int64_t i = first / l.Repeats;
        std::int64_t copiesLeft = l.Repeats - first % l.Repeats;
        const std::string* lastPath = nullptr;
        Dib bitmap;
        for (std::int32_t k = 0; k < cellsPerPage && i < count; ++k) {
            if (!preview && hooks.AbortRequested && hooks.AbortRequested()) break;
            const PrintJobEntry& entry = job.Entries[static_cast<std::size_t>(i)];
            if (!lastPath || *lastPath != entry.Path) {
                bitmap = PictureOf(l, entry, preview, hooks);
                lastPath = &entry.Path;
            }
            const StretchMode mode =
                preview ? StretchMode::WhiteOnBlack : StretchMode::ColorOnColor;
            DrawCell(l, entry, bitmap, mode, frame, canvas, CellRect(l, CellOfSequence(l, k)));
            if (--copiesLeft == 0) {
                ++i;
                copiesLeft = l.Repeats;
            }
            if (!preview && hooks.ProcessPendingEvent) hooks.ProcessPendingEvent();
        }
    }
    if (l.CutLines) DrawCutLines(l, canvas);
}

Dib LoadScaledPicture(const std::string& path, std::int32_t boxWidth, std::int32_t boxHeight) {
    if (boxWidth <= 0 || boxHeight <= 0) return {};
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    try {
        const std::unique_ptr<MDiskImage> reader =
            CreateDiskImage(path, text::ToLower(path.substr(dot + 1)));
        if (!reader) return {};
        const std::int32_t w = reader->UprightWidth();
        const std::int32_t h = reader->UprightHeight();
        std::int32_t tw = w, th = h;
        if (w > boxWidth || h > boxHeight) {
            const double s = std::max(double(w) / boxWidth, double(h) / boxHeight);
            // A thin picture keeps at least one pixel across.
            tw = std::max<std::int32_t>(1, static_cast<std::int32_t>(w / s));
            th = std::max<std::int32_t>(1, static_cast<std::int32_t>(h / s));
        }
        return StretchUpright(*reader, tw, th);
    } catch (const Exception&) {
        return {};
    }
}

PrintFrame BuildFrameMask(const Dib& frameBitmap) {
    PrintFrame frame;
    if (frameBitmap.IsEmpty()) return frame;
    const int w = frameBitmap.Width(), h = frameBitmap.Height();
    const std::uint32_t transparent =
        frameBitmap.BitCount() == 1 ? kWhite : frameBitmap.PixelRgb(0, h - 1);
    frame.Mask = Dib(w, h, 1);
    frame.Mask.SetPalette({0x000000, kWhite});
    frame.Bitmap = Dib(w, h, 24);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* maskRow = frame.Mask.Row(y);
        std::uint8_t* out = frame.Bitmap.Row(y);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t rgb = frameBitmap.PixelRgb(x, y);
            if (rgb == transparent) {
                maskRow[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                continue;  // transparent pixels stay black in the frame
            }
            out[3 * x] = static_cast<std::uint8_t>(rgb);
            out[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
            out[3 * x + 2] = static_cast<std::uint8_t>(rgb >> 16);
        }
    }
    return frame;
}

std::string ShortenLabel(PrintCanvas& canvas, const std::string& text, std::int32_t width) {
    static const std::string kEllipsis = "...";
    std::string shortened = text;
    std::size_t dropped = 0;
    const std::size_t total = text::CodePointCount(text);
    while (!shortened.empty() &&
           canvas.TextWidth(shortened) + (dropped ? canvas.TextWidth(kEllipsis) : 0) > width) {
        ++dropped;
        shortened = text::LeftCodePoints(text, total - dropped);
    }
    return dropped ? shortened + kEllipsis : shortened;
}

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>

#include "readers/ThumbnailSize.h"

namespace pixelary {

// View modes of the thumbnail grid.
enum ViewModeId : int { kViewNormal = 0, kViewBrowse = 1, kViewDetails = 2 };

// Cell geometry in pixels, offsets from a cell's top-left corner.
namespace cell {
constexpr QSize kNormalSize{110, 122};
constexpr QSize kDetailsSize{316, 90};
// The scanner fits thumbnails into this box, so the cell shows them unscaled.
constexpr QRect kThumbBox{8, 10, kThumbnailBoxWidth, kThumbnailBoxHeight};
constexpr QRect kNameBand{8, 94, 94, 14};
constexpr QRect kRenameNormal{8, 94, 94, 14};
constexpr QRect kRenameDetails{106, 8, 206, 14};
constexpr int kFrameLeft = 4;
constexpr int kFrameTop = 6;
constexpr int kFrameRight = 106;
constexpr int kFrameBottom = 92;
}  // namespace cell

// The info panel's picture box and text column.
namespace info {
constexpr QSize kThumbBox{104, 88};
constexpr QPoint kThumbOrigin{33, 10};
constexpr QRect kRoundRect{20, 5, 130, 98};  // (20, 5) to (150, 103)
constexpr int kCornerSize = 20;
constexpr int kTextX = 4;
constexpr int kTextWidth = 162;
constexpr int kNameY = 108;
constexpr int kSizeY = 154;
constexpr int kDateY = 172;
constexpr int kTimeY = 190;
constexpr int kTypeY = 208;
constexpr int kCommentY = 226;
}  // namespace info

QSize CellSizeFor(int viewMode);

// Shape of the laid-out grid for a view mode, an entry count and the scroll box's client size.
struct GridLayout {
    int ViewMode = kViewNormal;
    QSize Cell = cell::kNormalSize;
    int Columns = 1;
    int Rows = 0;
    int GridWidth = 0;
    int GridHeight = 0;
    int GridLeft = 0;
    QSize PaintSize;  // size of the paint box: at least the client size
    int LineStep = 61;
};
GridLayout ArrangeGrid(int viewMode, int entryCount, QSize client);

// Cell rectangle of entry `index` in paint-box coordinates (details mode ignores GridLeft).
QRect CellRect(const GridLayout& grid, int index);

// Result of a hit test.
struct HitInfo {
    enum AreaKind : std::uint8_t { kAreaNothing = 0, kAreaLeftMargin = 1, kAreaGrid = 2 };
    enum TargetKind : std::uint8_t { kTargetNothing = 0, kTargetThumb = 1, kTargetName = 2 };
    std::uint8_t Area = kAreaNothing;
    std::uint8_t Target = kTargetNothing;
    std::int32_t EntryIndex = -1;
    std::int32_t SubIndex = -1;
};

// Pixel size of entry i's name as drawn (already shortened to the name band's width).
using NameSizeFunction = std::function<QSize(int index)>;

HitInfo HitTest(const GridLayout& grid, int entryCount, QPoint p, const NameSizeFunction& nameSize);
void HitTestGrid(const GridLayout& grid, int entryCount, QPoint p, const NameSizeFunction& nameSize,
                 HitInfo& hit);

// A picture fitted to a box, keeping its aspect: the larger of the two ratios decides, so small
// pictures (32 x 32 icons) are enlarged until they touch the box. Sizes are truncated.
QSize FitPicture(QSize picture, QSize box);
// Where the fitted picture lies when centred in `box` (integer halves truncate toward zero).
QRect CentredPicture(QSize fitted, QRect box);

// Shortens a text to at most `width` pixels: drops its last character until the text plus "..."
// fits, then appends "...". A text that fits stays as it is.
using TextWidthFunction = std::function<int(const QString&)>;
QString FitText(const QString& text, int width, const TextWidthFunction& measure);

// Texts of the info panel and the status bar.
// Size in KB with thousands separators and at most two decimals ("#,###.## K Bytes").
QString FormatKBytes(std::int64_t bytes, const QString& groupSeparator,
                     const QString& decimalPoint);
// "yyyy/mm/dd" and "ampm hh:nn:ss" of a DOS date-time stamp with the given separators.
QString FormatDate(std::int32_t stamp, const QString& dateSeparator);
QString FormatTime(std::int32_t stamp, const QString& timeSeparator, const QString& amText,
                   const QString& pmText);
QString StatusCounts(int folders, int files, int selected);

// The locale's date and time separators, taken from its short formats.
QString LocaleDateSeparator();
QString LocaleTimeSeparator();

}  // namespace pixelary

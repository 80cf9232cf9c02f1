// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/ViewGeometry.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

#include "core/DosDateTime.h"
#include "mainwindow/Strings.h"

namespace pixelary {

QSize CellSizeFor(int viewMode) {
    return viewMode == kViewDetails ? cell::kDetailsSize : cell::kNormalSize;
}

GridLayout ArrangeGrid(int viewMode, int entryCount, QSize client) {
    GridLayout grid;
    grid.ViewMode = viewMode;
    grid.Cell = CellSizeFor(viewMode);
    grid.Columns = std::max(1, client.width() / grid.Cell.width());
    grid.Rows = (std::max(0, entryCount) + grid.Columns - 1) / grid.Columns;
    grid.GridWidth = grid.Columns * grid.Cell.width();
    grid.GridHeight = grid.Rows * grid.Cell.height();
    grid.GridLeft = grid.GridWidth >= client.width() ? 0 : (client.width() - grid.GridWidth) / 2;
    grid.LineStep = grid.Cell.height() / 2;
    grid.PaintSize =
        QSize(std::max(grid.GridWidth, client.width()), std::max(grid.GridHeight, client.height()));
    return grid;
}

QRect CellRect(const GridLayout& grid, int index) {
    const int column = index % grid.Columns;
    const int row = index / grid.Columns;
    const int left = grid.ViewMode == kViewDetails ? 0 : grid.GridLeft;
    return QRect(column * grid.Cell.width() + left, row * grid.Cell.height(), grid.Cell.width(),
                 grid.Cell.height());
}

HitInfo HitTest(const GridLayout& grid, int entryCount, QPoint p,
                const NameSizeFunction& nameSize) {
    HitInfo hit;
    switch (grid.ViewMode) {
        case kViewNormal:
            if (p.x() < 0) {
                hit.Area = HitInfo::kAreaLeftMargin;
            } else {
                hit.Area = HitInfo::kAreaGrid;
                HitTestGrid(grid, entryCount, p, nameSize, hit);
            }
            break;
        case kViewBrowse:
            hit.Area = HitInfo::kAreaGrid;
            HitTestGrid(grid, entryCount, p, nameSize, hit);
            break;
        default:
            hit.Area = HitInfo::kAreaGrid;
            break;
    }
    return hit;
}

void HitTestGrid(const GridLayout& grid, int entryCount, QPoint p, const NameSizeFunction& nameSize,
                 HitInfo& hit) {
    const int x = p.x() - grid.GridLeft;
    const int y = p.y();
    if (x < 0) {
        hit.Area = HitInfo::kAreaLeftMargin;
        return;
    }
    hit.Area = HitInfo::kAreaGrid;
    hit.Target = HitInfo::kTargetNothing;
    hit.EntryIndex = -1;
    const int column = x / cell::kNormalSize.width();
    const int row = y / cell::kNormalSize.height();
    // Points above the grid (negative y) belong to no row.
    if (y < 0 || column >= grid.Columns) return;
    const long long index = static_cast<long long>(row) * grid.Columns + column;
    if (index >= entryCount) return;
    hit.EntryIndex = static_cast<std::int32_t>(index);
    const int cx = column * cell::kNormalSize.width();
    const int cy = row * cell::kNormalSize.height();
    const QRect thumb = cell::kThumbBox.translated(cx, cy);
    const QRect band = cell::kNameBand.translated(cx, cy);
    const bool inColumn = x >= thumb.left() && x < thumb.left() + thumb.width();
    if (inColumn && y >= thumb.top() && y < thumb.top() + thumb.height()) {
        hit.Target = HitInfo::kTargetThumb;
        return;
    }
    if (inColumn && y >= band.top() && y < band.top() + band.height()) {
        const QSize text = nameSize(hit.EntryIndex);
        const int left = band.left() + (band.width() - text.width()) / 2;
        const int top = band.top() + (band.height() - text.height()) / 2;
        if (x >= left && x < left + text.width() && y >= top && y < top + text.height()) {
            hit.Target = HitInfo::kTargetName;
        }
    }
}

QSize FitPicture(QSize picture, QSize box) {
    if (picture.width() <= 0 || picture.height() <= 0) return {0, 0};
    const double scale = std::max(static_cast<double>(picture.width()) / box.width(),
                                  static_cast<double>(picture.height()) / box.height());
    return QSize(static_cast<int>(picture.width() / scale),
                 static_cast<int>(picture.height() / scale));
}

QRect CentredPicture(QSize fitted, QRect box) {
    return QRect(box.left() + (box.width() - fitted.width()) / 2,
                 box.top() + (box.height() - fitted.height()) / 2, fitted.width(), fitted.height());
}

QString FitText(const QString& text, int width, const TextWidthFunction& measure) {
    if (measure(text) <= width) return text;
    static const QString kEllipsis = QStringLiteral("...");
    const int ellipsisWidth = measure(kEllipsis);
    QString shortened = text;
    while (!shortened.isEmpty() && measure(shortened) + ellipsisWidth > width) {
        // A character outside the basic plane is two UTF-16 units; drop it whole.
        int drop = 1;
        if (shortened.size() >= 2 && shortened.back().isLowSurrogate() &&
            shortened.at(shortened.size() - 2).isHighSurrogate()) {
            drop = 2;
        }
        shortened.chop(drop);
    }
    return shortened + kEllipsis;
}

QString FormatKBytes(std::int64_t bytes, const QString& groupSeparator,
                     const QString& decimalPoint) {
    constexpr double kBytesPerKB = 1024.0;
    constexpr long long kHundredths = 100;
    const long long rounded = std::llround(static_cast<double>(bytes) / kBytesPerKB * kHundredths);
    const long long whole = rounded / kHundredths;
    int hundredths = static_cast<int>(rounded % kHundredths);
    // "#,###" prints no digit for a zero integer part, as the number format does.
    QString digits = whole == 0 ? QString() : QString::number(whole);
    for (int pos = static_cast<int>(digits.size()) - 3; pos > 0; pos -= 3) {
        digits.insert(pos, groupSeparator);
    }
    if (hundredths != 0) {
        QString fraction = QStringLiteral("%1").arg(hundredths, 2, 10, QLatin1Char('0'));
        if (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
        digits += decimalPoint + fraction;
    }
    return digits + QStringLiteral(" K Bytes");
}

QString FormatDate(std::int32_t stamp, const QString& dateSeparator) {
    const LocalDateTime when = dosdate::Decode(stamp);
    return QStringLiteral("%1%2%3%4%5")
        .arg(when.year, 4, 10, QLatin1Char('0'))
        .arg(dateSeparator)
        .arg(when.month, 2, 10, QLatin1Char('0'))
        .arg(dateSeparator)
        .arg(when.day, 2, 10, QLatin1Char('0'));
}

QString FormatTime(std::int32_t stamp, const QString& timeSeparator, const QString& amText,
                   const QString& pmText) {
    constexpr int kHalfDay = 12;
    const LocalDateTime when = dosdate::Decode(stamp);
    const bool afternoon = when.hour >= kHalfDay;
    int hour12 = when.hour % kHalfDay;
    if (hour12 == 0) hour12 = kHalfDay;
    return QStringLiteral("%1 %2%3%4%5%6")
        .arg(afternoon ? pmText : amText)
        .arg(hour12, 2, 10, QLatin1Char('0'))
        .arg(timeSeparator)
        .arg(when.minute, 2, 10, QLatin1Char('0'))
        .arg(timeSeparator)
        .arg(when.second, 2, 10, QLatin1Char('0'));
}

QString StatusCounts(int folders, int files, int selected) {
    return LoadStr(kStrStatusFolders) + QString::number(folders) + LoadStr(kStrStatusFiles) +
           QString::number(files) + LoadStr(kStrStatusSelected) + QString::number(selected);
}

namespace {

// First character after the run of `field` letters in a locale's format, or the fallback.
QString SeparatorAfter(const QString& format, QStringView fields, const QString& fallback) {
    for (qsizetype i = 0; i + 1 < format.size(); ++i) {
        if (fields.contains(format.at(i)) && !format.at(i + 1).isLetter() &&
            !format.at(i + 1).isSpace() && format.at(i + 1) != QLatin1Char('\'')) {
            return QString(format.at(i + 1));
        }
    }
    return fallback;
}

}  // namespace

QString LocaleDateSeparator() {
    return SeparatorAfter(QLocale().dateFormat(QLocale::ShortFormat), u"yMd", QStringLiteral("/"));
}

QString LocaleTimeSeparator() {
    return SeparatorAfter(QLocale().timeFormat(QLocale::ShortFormat), u"hH", QStringLiteral(":"));
}

}  // namespace pixelary

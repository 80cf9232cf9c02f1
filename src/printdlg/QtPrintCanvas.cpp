// SPDX-License-Identifier: GPL-3.0-or-later
#include "printdlg/QtPrintCanvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <cmath>

#include "platform/DibImage.h"

namespace pixelary {
namespace {

// The pixel size of a font whose ascent plus descent is cellHeight, measured on the device.
int PixelSizeForCell(QFont font, QPaintDevice* device, std::int32_t cellHeight) {
    constexpr int kProbe = 100;
    font.setPixelSize(kProbe);
    const QFontMetricsF metrics(font, device);
    const double cell = metrics.ascent() + metrics.descent();
    if (cell <= 0) return std::max(1, cellHeight);
    return std::max(1, static_cast<int>(std::lround(cellHeight * kProbe / cell)));
}

QRect ToQRect(const PageRect& r) {
    return QRect(r.Left, r.Top, r.Width, r.Height);
}

}  // namespace

QtPrintCanvas::QtPrintCanvas(QPainter& painter) : painter_(painter) {}

void QtPrintCanvas::SetFont(const std::string& family, std::int32_t cellHeight) {
    QFont font(QString::fromStdString(family));
    font.setPixelSize(PixelSizeForCell(font, painter_.device(), cellHeight));
    painter_.setFont(font);
}

std::int32_t QtPrintCanvas::TextWidth(const std::string& text) {
    const QFontMetricsF metrics(painter_.font(), painter_.device());
    return static_cast<std::int32_t>(
        std::ceil(metrics.horizontalAdvance(QString::fromStdString(text))));
}

void QtPrintCanvas::DrawText(std::int32_t x, std::int32_t y, const std::string& text) {
    const QFontMetricsF metrics(painter_.font(), painter_.device());
    painter_.save();
    painter_.setPen(Qt::black);
    painter_.setBackgroundMode(Qt::TransparentMode);
    painter_.drawText(QPointF(x, y + metrics.ascent()), QString::fromStdString(text));
    painter_.restore();
}

void QtPrintCanvas::StretchBitmap(const PageRect& target, const Dib& bitmap, StretchMode mode) {
    const QImage image = platform::DibToQImage(bitmap);
    if (image.isNull()) return;
    painter_.save();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, mode == StretchMode::WhiteOnBlack);
    painter_.drawImage(ToQRect(target), image);
    painter_.restore();
}

QImage QtPrintCanvas::MaskedFrameImage(const PrintFrame& frame) {
    if (frame.Bitmap.IsEmpty() || frame.Mask.Width() != frame.Bitmap.Width() ||
        frame.Mask.Height() != frame.Bitmap.Height())
        return {};
    QImage image(frame.Bitmap.Width(), frame.Bitmap.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool transparent = frame.Mask.PixelRgb(x, y) != 0;
            out[x] = transparent ? qRgba(0, 0, 0, 0) : (0xFF000000u | frame.Bitmap.PixelRgb(x, y));
        }
    }
    return image;
}

void QtPrintCanvas::StretchFrame(const PageRect& target, const PrintFrame& frame) {
    if (frame_source_ != &frame) {
        frame_image_ = MaskedFrameImage(frame);
        frame_source_ = &frame;
    }
    if (frame_image_.isNull()) return;
    painter_.drawImage(ToQRect(target), frame_image_);
}

void QtPrintCanvas::DottedLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    painter_.save();
    QPen pen(Qt::black, 0, Qt::DotLine);
    pen.setCosmetic(true);
    painter_.setPen(pen);
    painter_.drawLine(x1, y1, x2, y2);
    painter_.restore();
}

}  // namespace pixelary

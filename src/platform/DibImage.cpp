// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DibImage.h"

#include <QPainter>
#include <cstring>

namespace pixelary::platform {

namespace {

constexpr int kDibDepth = 24;
constexpr int kBytesPerPixel = 3;

QImage PaletteImage(const Dib& dib) {
    QImage image(dib.Width(), dib.Height(), QImage::Format_RGB32);
    for (int y = 0; y < dib.Height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < dib.Width(); ++x) row[x] = 0xFF000000u | dib.PixelRgb(x, y);
    }
    return image;
}

QImage DirectImage(const Dib& dib, QImage::Format format) {
    QImage image(dib.Width(), dib.Height(), format);
    const auto bytes = static_cast<std::size_t>(image.bytesPerLine());
    for (int y = 0; y < dib.Height(); ++y) {
        std::memcpy(image.scanLine(y), dib.Row(y), std::min(bytes, dib.Stride()));
    }
    return image;
}

}  // namespace

QImage DibToQImage(const Dib& dib) {
    if (dib.IsEmpty()) return {};
    switch (dib.BitCount()) {
        case 24:
            return DirectImage(dib, QImage::Format_BGR888);
        case 32:
            return DirectImage(dib, QImage::Format_RGB32);
        default:
            return PaletteImage(dib);
    }
}

Dib QImageToDib(const QImage& image) {
    if (image.isNull()) return {};
    QImage flat(image.size(), QImage::Format_RGB888);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    Dib dib(flat.width(), flat.height(), kDibDepth);
    for (int y = 0; y < flat.height(); ++y) {
        const uchar* source = flat.constScanLine(y);
        std::uint8_t* target = dib.Row(y);
        for (int x = 0; x < flat.width(); ++x) {
            const int at = x * kBytesPerPixel;
            target[at] = source[at + 2];  // blue
            target[at + 1] = source[at + 1];
            target[at + 2] = source[at];
        }
    }
    return dib;
}

}  // namespace pixelary::platform

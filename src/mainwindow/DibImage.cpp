// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/DibImage.h"

#include <cstring>

#include "core/Dib.h"
#include "core/Exception.h"
#include "core/Stream.h"

namespace pixelary {
namespace {

constexpr int kPaletteDepthLimit = 8;
constexpr int kTrueColour = 24;
constexpr int kBytesPer24 = 3;
constexpr int kBytesPer32 = 4;

QImage IndexedImage(const Dib& dib) {
    QImage image(dib.Width(), dib.Height(), QImage::Format_Indexed8);
    QList<QRgb> table;
    for (std::uint32_t entry : dib.Palette()) table.append(0xFF000000u | (entry & 0xFFFFFFu));
    // Indexes past the palette show black rather than reading outside the table.
    while (table.size() < (1 << dib.BitCount())) table.append(0xFF000000u);
    image.setColorTable(table);
    for (int y = 0; y < dib.Height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < dib.Width(); ++x) row[x] = static_cast<uchar>(dib.PixelValue(x, y));
    }
    return image;
}

QImage CopiedRows(const Dib& dib, QImage::Format format, int bytesPerPixel) {
    QImage image(dib.Width(), dib.Height(), format);
    const std::size_t rowBytes = static_cast<std::size_t>(dib.Width()) * bytesPerPixel;
    for (int y = 0; y < dib.Height(); ++y) std::memcpy(image.scanLine(y), dib.Row(y), rowBytes);
    return image;
}

}  // namespace

QImage DibToImage(const Dib& dib) {
    if (dib.IsEmpty()) return {};
    if (dib.BitCount() <= kPaletteDepthLimit) return IndexedImage(dib);
    if (dib.BitCount() == kTrueColour) return CopiedRows(dib, QImage::Format_BGR888, kBytesPer24);
    // 32-bit rows are blue, green, red, unused: the byte order of an RGB32 image, whose unused
    // byte must be opaque.
    QImage image = CopiedRows(dib, QImage::Format_RGB32, kBytesPer32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) row[x] |= 0xFF000000u;
    }
    return image;
}

QImage LoadBmpImage(Stream& stream) {
    try {
        stream.SetPosition(0);
        return DibToImage(Dib::LoadFromStream(stream));
    } catch (const Exception&) {
        return {};
    }
}

}  // namespace pixelary

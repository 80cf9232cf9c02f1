// SPDX-License-Identifier: GPL-3.0-or-later
#include "metafile/MetafileLoader.h"

#include <QImage>
#include <QLoggingCategory>
#include <QPainter>
#include <cmath>
#include <memory>

#include "core/Exception.h"
#include "core/Stream.h"
#include "metafile/Emf.h"
#include "metafile/Wmf.h"

Q_LOGGING_CATEGORY(lcMetafile, "pixelary.metafile", QtWarningMsg)

namespace pixelary::metafile {

namespace {

// No enhanced metafile a producer writes comes near this; larger files are not loaded.
constexpr std::int64_t kMaxMetafileBytes = std::int64_t{64} << 20;
constexpr double kScreenPixelsPerInch = 96;

// Copies the bitmap into a picture, lets draw paint on it, and copies it back.
template <typename Draw>
bool PaintOnBitmap(Dib& bitmap, const QRectF& target, Draw draw) {
    if (bitmap.IsEmpty() || (bitmap.BitCount() != 24 && bitmap.BitCount() != 32)) return false;
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    if (image.isNull()) return false;
    const std::size_t bytes = static_cast<std::size_t>(bitmap.BitCount() / 8);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* from = bitmap.Row(y);
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.Width(); ++x, from += bytes) {
            to[x] = qRgb(from[2], from[1], from[0]);
        }
    }
    {
        QPainter painter(&image);
        painter.setClipRect(target);
        draw(painter);
    }
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* to = bitmap.Row(y);
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < bitmap.Width(); ++x, to += bytes) {
            to[0] = static_cast<std::uint8_t>(qBlue(from[x]));
            to[1] = static_cast<std::uint8_t>(qGreen(from[x]));
            to[2] = static_cast<std::uint8_t>(qRed(from[x]));
        }
    }
    return true;
}

QRectF Target(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// An enhanced metafile kept in memory.
class EnhancedPicture : public MetafilePicture {
  public:
    EnhancedPicture(std::vector<std::uint8_t> bytes, const EmfHeader& header)
        : bytes_(std::move(bytes)), header_(header), picture_(PictureRect(bytes_, header_)) {}
    MetafileDevice Device() const override {
        return {header_.device_pixels.width(), header_.device_pixels.height(),
                header_.device_millimetres.width(), header_.device_millimetres.height()};
    }
    MetafileSize Size() const override { return {picture_.width(), picture_.height()}; }
    bool Play(Dib& bitmap, std::int32_t left, std::int32_t top, std::int32_t right,
              std::int32_t bottom) override {
        const QRectF target = Target(left, top, right, bottom);
        return PaintOnBitmap(bitmap, target, [&](QPainter& painter) {
            PlayEmf(bytes_, header_, painter, picture_, target);
        });
    }

  private:
    std::vector<std::uint8_t> bytes_;
    EmfHeader header_;
    QRectF picture_;  // reference-device pixels
};

// A classic metafile as converted for the reference screen: its bounding box is the picture.
class ClassicPicture : public MetafilePicture {
  public:
    ClassicPicture(std::vector<std::uint8_t> bytes, const PlaceableBounds& bounds)
        : bytes_(std::move(bytes)),
          window_(QPointF(bounds.Left, bounds.Top), QPointF(bounds.Right, bounds.Bottom)),
          units_per_inch_(bounds.UnitsPerInch) {}
    MetafileDevice Device() const override { return kReferenceScreen; }
    MetafileSize Size() const override {
        if (units_per_inch_ == 0) return {};
        const double scale = kScreenPixelsPerInch / units_per_inch_;
        return {std::abs(window_.width()) * scale, std::abs(window_.height()) * scale};
    }
    bool Play(Dib& bitmap, std::int32_t left, std::int32_t top, std::int32_t right,
              std::int32_t bottom) override {
        const QRectF target = Target(left, top, right, bottom);
        return PaintOnBitmap(bitmap, target,
                             [&](QPainter& painter) { PlayWmf(bytes_, painter, window_, target); });
    }

  private:
    std::vector<std::uint8_t> bytes_;
    QRectF window_;  // logical units
    std::uint16_t units_per_inch_;
};

class QtMetafileLoader : public MetafileLoader {
  public:
    std::unique_ptr<MetafilePicture> FromWindowsMetafileBits(
        std::vector<std::uint8_t> bits, const PlaceableBounds& bounds) override {
        if (!IsWindowsMetafile(bits)) return nullptr;
        return std::make_unique<ClassicPicture>(std::move(bits), bounds);
    }

    std::unique_ptr<MetafilePicture> FromEnhancedFile(const std::string& path) override {
        try {
            FileStream file(path, FileMode::OpenRead);
            const std::int64_t size = file.Size();
            if (size > kMaxMetafileBytes) return nullptr;
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
            file.ReadBuffer(bytes.data(), bytes.size());
            const auto header = ReadEmfHeader(bytes);
            if (!header) return nullptr;
            return std::make_unique<EnhancedPicture>(std::move(bytes), *header);
        } catch (const Exception& error) {
            qCDebug(lcMetafile) << "not an enhanced metafile:" << error.what();
            return nullptr;
        }
    }
};

}  // namespace

void InstallMetafileLoader() {
    SetMetafileLoader(std::make_shared<QtMetafileLoader>());
}

}  // namespace pixelary::metafile

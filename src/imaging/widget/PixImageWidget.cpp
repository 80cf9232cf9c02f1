// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/widget/PixImageWidget.h"

#include <QPainter>

namespace pixelary {

TPixImageWidget::TPixImageWidget(QWidget* parent) : QWidget(parent) {}

void TPixImageWidget::SetImageName(const std::string& name) {
    image_.SetImageName(name);
    PictureChanged();
}

void TPixImageWidget::PictureChanged() {
    shown_ = ToQImage(image_.Picture().Bitmap());
    update();
}

void TPixImageWidget::SetStretch(bool stretch) {
    image_.Stretch = stretch;
    update();
}

void TPixImageWidget::SetCenter(bool center) {
    image_.Center = center;
    update();
}

QImage TPixImageWidget::ToQImage(const TPixBitmap& bitmap) {
    if (bitmap.Empty()) return {};
    const Dib dib = bitmap.ToDib();
    QImage out(dib.Width(), dib.Height(), QImage::Format_RGB32);
    for (int y = 0; y < dib.Height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < dib.Width(); ++x) row[x] = 0xFF000000u | dib.PixelRgb(x, y);
    }
    return out;
}

QRect TPixImageWidget::PictureRect() const {
    if (shown_.isNull()) return {};
    QSize size = shown_.size();
    if (image_.Stretch) size = size.scaled(this->size(), Qt::KeepAspectRatio);
    if (!image_.Center) return QRect(QPoint(0, 0), size);
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void TPixImageWidget::paintEvent(QPaintEvent*) {
    if (shown_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(PictureRect(), shown_);
}

}  // namespace pixelary

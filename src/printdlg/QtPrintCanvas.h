// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

#include "print/MPrint.h"

class QPainter;

namespace pixelary {

// A page canvas over QPainter, for the preview widget and for the printer alike. Units are the
// painter's device pixels. The frame is drawn as an image whose alpha comes from the mask, since
// printers and PDF files have no raster operations; it looks the same as the AND and OR pair.
class QtPrintCanvas : public PrintCanvas {
  public:
    explicit QtPrintCanvas(QPainter& painter);

    void SetFont(const std::string& family, std::int32_t cellHeight) override;
    std::int32_t TextWidth(const std::string& text) override;
    void DrawText(std::int32_t x, std::int32_t y, const std::string& text) override;
    void StretchBitmap(const PageRect& target, const Dib& bitmap, StretchMode mode) override;
    void StretchFrame(const PageRect& target, const PrintFrame& frame) override;
    void DottedLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) override;

    // The frame bitmap with the mask's white made transparent.
    static QImage MaskedFrameImage(const PrintFrame& frame);

  private:
    QPainter& painter_;
    const PrintFrame* frame_source_ = nullptr;  // the frame frame_image_ was made from
    QImage frame_image_;
};

}  // namespace pixelary

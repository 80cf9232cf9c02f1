// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>
#include <string>

#include "imaging/PixImage.h"

namespace pixelary {

// The visible image component: a control that shows its component's picture, scaled into the
// control keeping its proportions (Stretch) and centred (Center); the print dialog's frame
// preview.
class TPixImageWidget : public QWidget {
  public:
    explicit TPixImageWidget(QWidget* parent = nullptr);

    TPixImage& Image() { return image_; }
    // Loads a picture through the component and shows it.
    void SetImageName(const std::string& name);
    // Call after changing the component's picture directly.
    void PictureChanged();

    // The component's Stretch and Center properties; setting them repaints.
    bool Stretch() const { return image_.Stretch; }
    void SetStretch(bool stretch);
    bool Center() const { return image_.Center; }
    void SetCenter(bool center);

    // Where the picture is drawn inside the control; empty without a picture.
    QRect PictureRect() const;

    // The component's picture as a Qt image (empty for an empty picture).
    static QImage ToQImage(const TPixBitmap& bitmap);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TPixImage image_;
    QImage shown_;
};

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPixmap>
#include <QScrollArea>
#include <QString>

namespace pixelary {

class TPaintBox;
class ThumbnailView;

// One text line of the info panel.
struct InfoLine {
    int y = 0;
    QString text;
};

// The info panel left of the grid: the picture, name, size, date, time, type and comment of
// the focused entry, or of the shown folder when no entry has the focus. The scroll area is the
// control "InfoScrollBox"; the panel is painted on its widget "InfoPaint".
class InfoPanel : public QScrollArea {
    Q_OBJECT
  public:
    explicit InfoPanel(const ThumbnailView& view, QWidget* parent = nullptr);

    TPaintBox* InfoPaint;

    // The text lines: their top y and text.
    QList<InfoLine> Lines() const;

  private:
    void InfoPaintPaint();

    const ThumbnailView& view_;
    QPixmap tile_;
};

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace pixelary {

// A framed group of radio buttons addressed by item index (-1 when none is chosen).
class TRadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    int ItemIndex() const;
    // An index outside the items clears the choice.
    void SetItemIndex(int index);
    int ItemCount() const;

  private:
    QButtonGroup* buttons_;
};

}  // namespace pixelary

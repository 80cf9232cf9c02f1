// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace pixelary {

// Asks for the name of a new folder; it has no logic of its own.
class TNewFolderDlg : public QDialog {
    Q_OBJECT
  public:
    explicit TNewFolderDlg(QWidget* parent = nullptr);

    QLineEdit* PathNameEdit;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

}  // namespace pixelary

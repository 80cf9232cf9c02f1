// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace pixelary {

// The about box: program icon, title, version, maker and the libraries the program builds on.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMajorVersion = 1;
    static constexpr int kMinorVersion = 0;  // two digits, tens then units

    explicit TAboutBox(QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* Comments;
    QPushButton* OKButton;

  private:
    void FormCreate();
};

}  // namespace pixelary

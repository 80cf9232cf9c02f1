// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "scan/dsm/SaneDevice.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace pixelary::dsm {

// The source's own window: mode, resolution, scan area, "Scan" and "Close". It is a window of
// its own above the program's dialog, so it stays usable while that dialog is disabled.
class SourceWindow : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(SourceWindow)

  public:
    SourceWindow(QWidget* parent, const QString& title, const ScanLimits& limits);

    ScanSettings Settings() const;
    void SetBusy(bool busy);
    void ShowStatus(const QString& text);

    std::function<void()> OnScan;
    std::function<void()> OnClose;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QComboBox* ModeCombo;
    QSpinBox* ResolutionSpin;
    QDoubleSpinBox* LeftSpin;
    QDoubleSpinBox* TopSpin;
    QDoubleSpinBox* RightSpin;
    QDoubleSpinBox* BottomSpin;
    QLabel* StatusLabel;
    QPushButton* ScanButton;
    QPushButton* CloseButton;
};

// The chooser of MSG_USERSELECT: a list of devices; returns the chosen row or -1.
int ChooseSource(QWidget* parent, const QStringList& devices, int current);

}  // namespace pixelary::dsm

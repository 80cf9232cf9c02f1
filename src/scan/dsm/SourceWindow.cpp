// SPDX-License-Identifier: GPL-3.0-or-later
#include "scan/dsm/SourceWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace pixelary::dsm {

namespace {

QString ModeText(ScanMode mode) {
    switch (mode) {
        case ScanMode::Colour:
            return SourceWindow::tr("Colour");
        case ScanMode::Grey:
            return SourceWindow::tr("Grey");
        case ScanMode::LineArt:
            return SourceWindow::tr("Line art");
    }
    return {};
}

QDoubleSpinBox* MillimetreSpin(QWidget* parent, const char* name, double low, double high,
                               double value) {
    auto* spin = new QDoubleSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setDecimals(1);
    spin->setRange(low, high);
    spin->setSuffix(QStringLiteral(" mm"));
    spin->setValue(value);
    return spin;
}

}  // namespace

SourceWindow::SourceWindow(QWidget* parent, const QString& title, const ScanLimits& limits)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("TwainSourceWindow"));
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose, false);

    ModeCombo = new QComboBox(this);
    ModeCombo->setObjectName(QStringLiteral("ModeCombo"));
    for (ScanMode mode : limits.modes) ModeCombo->addItem(ModeText(mode), static_cast<int>(mode));
    ResolutionSpin = new QSpinBox(this);
    ResolutionSpin->setObjectName(QStringLiteral("ResolutionSpin"));
    ResolutionSpin->setSuffix(QStringLiteral(" dpi"));
    ResolutionSpin->setRange(limits.minResolution,
                             std::max(limits.minResolution, limits.maxResolution));
    ResolutionSpin->setValue(limits.current.resolution);
    LeftSpin = MillimetreSpin(this, "LeftSpin", limits.minX, limits.maxX, limits.current.left);
    TopSpin = MillimetreSpin(this, "TopSpin", limits.minY, limits.maxY, limits.current.top);
    RightSpin = MillimetreSpin(this, "RightSpin", limits.minX, limits.maxX, limits.current.right);
    BottomSpin =
        MillimetreSpin(this, "BottomSpin", limits.minY, limits.maxY, limits.current.bottom);
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setWordWrap(true);
    ScanButton = new QPushButton(tr("Scan"), this);
    ScanButton->setObjectName(QStringLiteral("ScanButton"));
    ScanButton->setDefault(true);
    CloseButton = new QPushButton(tr("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));

    auto* form = new QFormLayout;
    form->addRow(tr("Mode:"), ModeCombo);
    form->addRow(tr("Resolution:"), ResolutionSpin);
    auto* area = new QHBoxLayout;
    area->addWidget(LeftSpin);
    area->addWidget(TopSpin);
    form->addRow(tr("Top left:"), area);
    auto* corner = new QHBoxLayout;
    corner->addWidget(RightSpin);
    corner->addWidget(BottomSpin);
    form->addRow(tr("Bottom right:"), corner);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ScanButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(StatusLabel);
    layout->addLayout(buttons);

    connect(ScanButton, &QPushButton::clicked, this, [this] {
        if (OnScan) OnScan();
    });
    connect(CloseButton, &QPushButton::clicked, this, [this] {
        if (OnClose) OnClose();
    });
}

ScanSettings SourceWindow::Settings() const {
    ScanSettings settings;
    settings.mode = static_cast<ScanMode>(ModeCombo->currentData().toInt());
    settings.resolution = ResolutionSpin->value();
    settings.left = LeftSpin->value();
    settings.top = TopSpin->value();
    settings.right = RightSpin->value();
    settings.bottom = BottomSpin->value();
    return settings;
}

void SourceWindow::SetBusy(bool busy) {
    ScanButton->setEnabled(!busy);
    if (busy) StatusLabel->setText(tr("Scanning..."));
}

void SourceWindow::ShowStatus(const QString& text) {
    StatusLabel->setText(text);
}

void SourceWindow::closeEvent(QCloseEvent* event) {
    // The close box asks the program to close the source, like "Close".
    event->ignore();
    if (OnClose) OnClose();
}

int ChooseSource(QWidget* parent, const QStringList& devices, int current) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("TwainSelectSource"));
    dialog.setWindowTitle(SourceWindow::tr("Select Source"));
    auto* label = new QLabel(devices.isEmpty() ? SourceWindow::tr("No scanner was found.")
                                               : SourceWindow::tr("Sources:"),
                             &dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("SourceList"));
    list->addItems(devices);
    if (current >= 0 && current < devices.size()) list->setCurrentRow(current);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* select =
        buttons->addButton(SourceWindow::tr("Select"), QDialogButtonBox::AcceptRole);
    select->setObjectName(QStringLiteral("SelectButton"));
    select->setEnabled(!devices.isEmpty());
    buttons->addButton(SourceWindow::tr("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("CancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return -1;
    return list->currentRow();
}

}  // namespace pixelary::dsm

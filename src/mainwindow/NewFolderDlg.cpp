// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/NewFolderDlg.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pixelary {

namespace {
constexpr int kClientWidth = 504;
constexpr int kClientHeight = 88;
constexpr int kEditWidth = 404;
}  // namespace

TNewFolderDlg::TNewFolderDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NewFolderDlg"));
    setWindowTitle(tr("Create New Folder"));
    setFixedSize(kClientWidth, kClientHeight);
    setModal(true);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(8, 8, 488, 40);

    auto* label = new QLabel(tr("Folder Name:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setGeometry(16, 18, 72, 20);

    PathNameEdit = new QLineEdit(this);
    PathNameEdit->setObjectName(QStringLiteral("PathNameEdit"));
    PathNameEdit->setGeometry(84, 17, kEditWidth, 22);

    OKBtn = new QPushButton(tr("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(332, 56, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    CancelBtn = new QPushButton(tr("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(420, 56, 75, 25);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace pixelary

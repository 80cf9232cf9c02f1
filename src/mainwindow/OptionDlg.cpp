// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/OptionDlg.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QStorageInfo>
#include <QTabWidget>
#include <QVBoxLayout>

#include "mainwindow/RadioGroup.h"

namespace pixelary {
namespace {

constexpr QSize kClientSize{410, 176};

QString ChooseDirectory(QWidget* parent, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, TOptionDlg::tr("選擇目錄"), start);
}

bool IsNetworkFileSystem(const QByteArray& type) {
    static const QSet<QByteArray> kNetwork = {
        "nfs",        "nfs4",  "cifs",        "smb3",        "smbfs",          "ncpfs",
        "afs",        "9p",    "ceph",        "glusterfs",   "lustre",         "davfs",
        "fuse.sshfs", "sshfs", "fuse.davfs2", "fuse.rclone", "fuse.glusterfs", "fuse.s3fs"};
    return kNetwork.contains(type);
}

bool IsOpticalFileSystem(const QByteArray& type) {
    return type == "iso9660" || type == "udf";
}

// Reads /sys/class/block/<device>/removable, looking at the whole disk for a partition.
bool IsRemovableDevice(const QByteArray& device) {
    const QString name = QFileInfo(QString::fromLocal8Bit(device)).fileName();
    if (name.isEmpty()) return false;
    const QString node = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (node.isEmpty()) return false;
    for (const QString& dir : {node, QFileInfo(node).path()}) {
        QFile flag(dir + QStringLiteral("/removable"));
        if (flag.open(QIODevice::ReadOnly)) return flag.readAll().trimmed() == "1";
    }
    return false;
}

}  // namespace

bool IsFixedDiskDirectory(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isDir()) return false;
    const QStorageInfo storage(path);
    if (!storage.isValid() || !storage.isReady()) return false;
    const QByteArray type = storage.fileSystemType();
    return !IsNetworkFileSystem(type) && !IsOpticalFileSystem(type) &&
           !IsRemovableDevice(storage.device());
}

TOptionDlg::TOptionDlg(QWidget* parent)
    : QDialog(parent), chooser_(ChooseDirectory), fixedDisk_(IsFixedDiskDirectory) {
    setObjectName(QStringLiteral("OptionDlg"));
    setWindowTitle(tr("Options"));
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    setModal(true);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    BuildCacheSheet();
    BuildEnvironmentSheet();
    PageControl1->setCurrentWidget(CacheSheet);

    OKBtn = new QPushButton(tr("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    CancelBtn = new QPushButton(tr("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    resize(kClientSize);
}

void TOptionDlg::BuildCacheSheet() {
    CacheSheet = new QWidget;
    CacheSheet->setObjectName(QStringLiteral("CacheSheet"));
    CacheDirEdit = new QLineEdit(CacheSheet);
    CacheDirEdit->setObjectName(QStringLiteral("CacheDirEdit"));
    CacheDirEdit->setReadOnly(true);
    CacheDirBtn = new QPushButton(tr("&Browser..."), CacheSheet);
    CacheDirBtn->setObjectName(QStringLiteral("CacheDirBtn"));
    connect(CacheDirBtn, &QPushButton::clicked, this, &TOptionDlg::CacheDirBtnClick);
    CacheSizeSpin = new QSpinBox(CacheSheet);
    CacheSizeSpin->setObjectName(QStringLiteral("CacheSizeSpin"));
    CacheSizeSpin->setRange(kCacheSizeMin, kCacheSizeMax);
    CacheSizeSpin->setSingleStep(kCacheSizeStep);
    CacheSizeSpin->setValue(kCacheSizeMin);

    auto* grid = new QGridLayout(CacheSheet);
    grid->addWidget(new QLabel(tr("Directory:"), CacheSheet), 0, 0);
    grid->addWidget(CacheDirEdit, 0, 1, 1, 2);
    grid->addWidget(CacheDirBtn, 1, 2);
    grid->addWidget(new QLabel(tr("Use Disk Space:"), CacheSheet), 2, 0);
    grid->addWidget(CacheSizeSpin, 2, 1);
    grid->addWidget(new QLabel(tr("K Bytes"), CacheSheet), 2, 2);
    grid->setRowStretch(3, 1);
    PageControl1->addTab(CacheSheet, tr("Cache"));
}

void TOptionDlg::BuildEnvironmentSheet() {
    EnvironmentSheet = new QWidget;
    EnvironmentSheet->setObjectName(QStringLiteral("EnvironmentSheet"));
    OpenFileMouseGroup = new TRadioGroup(
        tr("Mouse Operations"), {tr("Click Text"), tr("Double Click Icon")}, EnvironmentSheet);
    OpenFileMouseGroup->setObjectName(QStringLiteral("OpenFileMouseGroup"));
    OpenFileMouseGroup->SetItemIndex(0);
    auto* layout = new QVBoxLayout(EnvironmentSheet);
    layout->addWidget(OpenFileMouseGroup);
    PageControl1->addTab(EnvironmentSheet, tr("Environment"));
}

void TOptionDlg::CacheDirBtnClick() {
    const QString chosen = chooser_(this, CacheDirEdit->text());
    if (chosen.isEmpty()) return;
    // Only a fixed disk may hold the cache; anything else is ignored without a message.
    if (!fixedDisk_(chosen)) return;
    CacheDirEdit->setText(QDir::cleanPath(chosen));
}

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace pixelary {

class TRadioGroup;

// The options dialog: cache directory and size, and how the mouse opens an entry.
class TOptionDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kCacheSizeMin = 1024;
    static constexpr int kCacheSizeMax = 65536;
    static constexpr int kCacheSizeStep = 32;

    // Asks the user for a directory, starting at `start`; an empty result means cancelled.
    using DirectoryChooser = std::function<QString(QWidget* parent, const QString& start)>;
    // Whether a directory lies on a fixed local disk.
    using FixedDiskTest = std::function<bool(const QString& path)>;

    explicit TOptionDlg(QWidget* parent = nullptr);

    void CacheDirBtnClick();
    void SetDirectoryChooser(DirectoryChooser chooser) { chooser_ = std::move(chooser); }
    void SetFixedDiskTest(FixedDiskTest test) { fixedDisk_ = std::move(test); }

    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QTabWidget* PageControl1;
    QWidget* CacheSheet;
    QLineEdit* CacheDirEdit;
    QPushButton* CacheDirBtn;
    QSpinBox* CacheSizeSpin;
    QWidget* EnvironmentSheet;
    TRadioGroup* OpenFileMouseGroup;

  private:
    void BuildCacheSheet();
    void BuildEnvironmentSheet();

    DirectoryChooser chooser_;
    FixedDiskTest fixedDisk_;
};

// A directory on a local file system that is neither removable, optical nor reached over the
// network: the only kind of place the cache may move to.
bool IsFixedDiskDirectory(const QString& path);

}  // namespace pixelary

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QImage>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

class QProgressBar;
class QPushButton;
class QScrollArea;

namespace pixelary {

class TPixImage;
class TSelFrameDlg;

// The grid of frame thumbnails inside the dialog's scroll box.
class TFramePaintBox : public QWidget {
  public:
    explicit TFramePaintBox(TSelFrameDlg& dialog);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    TSelFrameDlg& dialog_;
};

// "Select Frame": every frame picture of the frame folders as a 65 x 65 thumbnail in a grid of
// 75-pixel cells; a click picks one. The thumbnails are made once the dialog is on screen, with
// a progress bar following the loading.
class TSelFrameDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kCell = 75;
    static constexpr int kThumb = 65;
    static constexpr int kThumbOffset = 5;
    static constexpr int kPaintWidth = 300;

    // Pictures are listed from every folder given (shipped frames, then the user's own).
    explicit TSelFrameDlg(QStringList folders, QWidget* parent = nullptr);
    ~TSelFrameDlg() override;

    // The current frame before showing; the chosen one after OK.
    QString SelectedPath;

    int Count() const { return static_cast<int>(previews_.size()); }
    int SelectedIndex() const { return selected_; }
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    bool Loaded() const { return loaded_; }

    QScrollArea* ScrollBox;
    TFramePaintBox* ItemPaint;
    QProgressBar* ProgressBar1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

  protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

  private:
    friend class TFramePaintBox;
    struct PreviewData {
        QString Path;
        QImage Thumbnail;
    };

    QStringList ListFrameFiles() const;
    void LoadPreviews();
    QImage MakeThumbnail(const QString& path, int index);
    void PaintGrid(QPainter& painter, const QRect& clip) const;
    void SelectAt(const QPoint& position);

    QStringList folders_;
    std::vector<PreviewData> previews_;
    std::unique_ptr<TPixImage> PixImage1;
    int selected_ = -1;
    int columns_ = 0;
    int rows_ = 0;
    bool loaded_ = false;
};

}  // namespace pixelary

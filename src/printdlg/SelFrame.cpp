// SPDX-License-Identifier: GPL-3.0-or-later
#include "printdlg/SelFrame.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "imaging/PixImage.h"
#include "imaging/widget/PixImageWidget.h"
#include "readers/Rwimage.h"

namespace pixelary {
namespace {

// Posted to the dialog once it is shown; the thumbnails are made when it arrives.
const QEvent::Type kLoadPreviewsEvent = static_cast<QEvent::Type>(QEvent::User + 2000);

constexpr const char* kFrameExtensions[] = {"bmp", "gif", "jpg", "pcx", "tif", "pcd"};
const QColor kNavy(0, 0, 128);

// Frame pictures are these formats, under any spelling of their extension (".tiff", ".jpeg").
bool IsFrameFile(const QFileInfo& file) {
    const std::string key = NormaliseExtension(file.suffix().toStdString());
    return std::any_of(std::begin(kFrameExtensions), std::end(kFrameExtensions),
                       [&](const char* e) { return key == e; });
}

// The picture drawn into a white square, its transparent colour (that of its bottom-left pixel)
// left undrawn.
QImage FitTransparent(const QImage& picture, int side) {
    QImage thumbnail(side, side, QImage::Format_RGB32);
    thumbnail.fill(Qt::white);
    if (picture.isNull()) return thumbnail;
    QImage masked = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = masked.pixel(0, masked.height() - 1);
    for (int y = 0; y < masked.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            if (row[x] == key) row[x] = qRgba(0, 0, 0, 0);
    }
    QPainter painter(&thumbnail);
    painter.drawImage(QRect(0, 0, side, side), masked);
    return thumbnail;
}

}  // namespace

TFramePaintBox::TFramePaintBox(TSelFrameDlg& dialog) : QWidget(nullptr), dialog_(dialog) {
    setObjectName(QStringLiteral("ItemPaint"));
    setAutoFillBackground(false);
}

void TFramePaintBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    dialog_.PaintGrid(painter, event->rect());
}

void TFramePaintBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dialog_.SelectAt(event->position().toPoint());
}

TSelFrameDlg::TSelFrameDlg(QStringList folders, QWidget* parent)
    : QDialog(parent), folders_(std::move(folders)), PixImage1(std::make_unique<TPixImage>()) {
    setObjectName(QStringLiteral("SelFrameDlg"));
    setWindowTitle(tr("Select Frame"));
    PixImage1->ModuleFolder = QCoreApplication::applicationDirPath().toStdString();
    PixImage1->OnImageError = [](TPixImage&, std::int16_t, const std::string&) {};

    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    ScrollBox->setFixedSize(330, 269);
    ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ScrollBox->setBackgroundRole(QPalette::Base);
    QPalette white = ScrollBox->palette();
    white.setColor(QPalette::Base, Qt::white);
    ScrollBox->setPalette(white);
    ItemPaint = new TFramePaintBox(*this);
    ItemPaint->setFixedSize(kPaintWidth, 0);
    ScrollBox->setWidget(ItemPaint);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    OKBtn = new QPushButton(tr("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(tr("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ProgressBar1, 1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ScrollBox);
    layout->addLayout(buttons);
    resize(340, 338);
}

TSelFrameDlg::~TSelFrameDlg() = default;

void TSelFrameDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!loaded_) QCoreApplication::postEvent(this, new QEvent(kLoadPreviewsEvent));
}

bool TSelFrameDlg::event(QEvent* event) {
    if (event->type() != kLoadPreviewsEvent) return QDialog::event(event);
    if (!loaded_) LoadPreviews();
    return true;
}

QStringList TSelFrameDlg::ListFrameFiles() const {
    QStringList paths;
    for (const QString& folder : folders_) {
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::NoSort);
        for (const QFileInfo& file : files)
            if (IsFrameFile(file)) paths << file.absoluteFilePath();
    }
    std::sort(paths.begin(), paths.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return paths;
}

void TSelFrameDlg::LoadPreviews() {
    loaded_ = true;
    const QStringList paths = ListFrameFiles();
    if (!paths.isEmpty()) ProgressBar1->setRange(0, static_cast<int>(paths.size()) * 100);
    for (int n = 0; n < paths.size(); ++n)
        previews_.push_back({paths[n], MakeThumbnail(paths[n], n)});
    const QFileInfo selected(SelectedPath);
    for (int i = 0; i < Count(); ++i)
        if (previews_[i].Path.compare(selected.absoluteFilePath(), Qt::CaseInsensitive) == 0)
            selected_ = i;
    columns_ = ItemPaint->width() / kCell;
    rows_ = columns_ > 0 ? (columns_ + Count() - 1) / columns_ : 0;
    ItemPaint->setFixedHeight(rows_ * kCell);
    ItemPaint->update();
}

QImage TSelFrameDlg::MakeThumbnail(const QString& path, int index) {
    PixImage1->OnProgress = [this, index](TPixImage&, std::uint16_t percent, bool&,
                                          const std::string&) {
        ProgressBar1->setValue(std::min<int>(percent, 100) + index * 100);
    };
    PixImage1->SetImageName(std::string());
    PixImage1->SetImageName(path.toStdString());
    const QImage picture = TPixImageWidget::ToQImage(PixImage1->Picture().Bitmap());
    PixImage1->OnProgress = nullptr;
    return FitTransparent(picture, kThumb);
}

void TSelFrameDlg::PaintGrid(QPainter& painter, const QRect& clip) const {
    painter.fillRect(clip, Qt::white);
    for (int i = 0; i < rows_; ++i) {
        for (int j = 0; j < columns_; ++j) {
            const QRect cell(j * kCell, i * kCell, kCell, kCell);
            const int index = i * columns_ + j;
            if (index >= Count()) return;
            if (!cell.intersects(clip)) continue;
            if (index == selected_) painter.fillRect(cell, kNavy);
            painter.drawImage(cell.topLeft() + QPoint(kThumbOffset, kThumbOffset),
                              previews_[index].Thumbnail);
        }
    }
}

void TSelFrameDlg::SelectAt(const QPoint& position) {
    if (columns_ <= 0 || position.x() < 0 || position.y() < 0) return;
    const int column = position.x() / kCell;
    if (column >= columns_) return;
    const int index = (position.y() / kCell) * columns_ + column;
    if (index >= Count()) return;
    selected_ = index;
    SelectedPath = previews_[index].Path;
    ItemPaint->update();
}

}  // namespace pixelary

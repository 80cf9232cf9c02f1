// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/Controls.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "mainwindow/Logging.h"
#include "platform/DataFolders.h"

namespace pixelary {
namespace {

// Panel 0's surface; its content is drawn by the status bar's owner.
class OwnerDrawnPanel : public QWidget {
  public:
    OwnerDrawnPanel(TStatusBar* bar, QWidget* parent) : QWidget(parent), bar_(bar) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        if (!bar_->OnDrawPanel) return;
        QPainter painter(this);
        bar_->OnDrawPanel(painter, rect());
    }

  private:
    TStatusBar* bar_;
};

constexpr int kTileSide = 50;

}  // namespace

QPixmap LoadTile(const char* name, QColor fallback) {
    const QString folder = QString::fromStdString(platform::ShippedDataFolder("tiles"));
    QPixmap tile(folder + QLatin1Char('/') + QString::fromLatin1(name));
    if (!tile.isNull()) return tile;
    qCWarning(lcMainWindow) << "background tile" << name << "not found in" << folder;
    QPixmap plain(kTileSide, kTileSide);
    plain.fill(fallback);
    return plain;
}

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintBox::paintEvent(QPaintEvent* event) {
    if (OnPaint) OnPaint(event);
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
    if (OnMouseDown) OnMouseDown(event);
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove) OnMouseMove(event);
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
    if (OnMouseUp) OnMouseUp(event);
}

void TPaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (OnDblClick) OnDblClick(event);
    QWidget::mouseDoubleClickEvent(event);  // delivers the press
}

TCoolBar::TCoolBar(const QPixmap& background, QWidget* parent)
    : QWidget(parent), background_(background) {}

void TCoolBar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (background_.isNull()) {
        painter.fillRect(event->rect(), palette().window());
        return;
    }
    painter.drawTiledPixmap(rect(), background_);
}

TStatusBar::TStatusBar(QWidget* parent)
    : QStatusBar(parent), panel0_(new OwnerDrawnPanel(this, this)), panel1_(new QLabel(this)) {
    setSizeGripEnabled(false);
    setFixedHeight(kHeight);
    panel0_->setObjectName(QStringLiteral("StatusPanel0"));
    panel0_->setFixedWidth(kPanel0Width);
    panel1_->setObjectName(QStringLiteral("StatusPanel1"));
    addWidget(panel0_);
    addWidget(panel1_, 1);
}

QString TStatusBar::PanelText(int panel) const {
    return panel == 1 ? panel1_->text() : QString();
}

void TStatusBar::SetPanelText(int panel, const QString& text) {
    if (panel == 1 && panel1_->text() != text) panel1_->setText(text);
}

QWidget* TStatusBar::Panel(int panel) const {
    return panel == 0 ? panel0_ : panel1_;
}

void TStatusBar::InvalidatePanels() {
    panel0_->update();
}

}  // namespace pixelary

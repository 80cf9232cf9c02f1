// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QStatusBar>
#include <QWidget>
#include <functional>

class QPainter;

namespace pixelary {

// Shows a cursor (busy, wait) over the whole program while alive.
class CursorGuard {
  public:
    explicit CursorGuard(Qt::CursorShape shape) { QGuiApplication::setOverrideCursor(shape); }
    ~CursorGuard() { QGuiApplication::restoreOverrideCursor(); }
    CursorGuard(const CursorGuard&) = delete;
    CursorGuard& operator=(const CursorGuard&) = delete;
};

// A background tile shipped beside the program (in "tiles"), or a plain tile of the fallback
// tone when it is missing.
QPixmap LoadTile(const char* name, QColor fallback);

// A plain drawing surface whose paint and mouse events are handled by its owner.
class TPaintBox : public QWidget {
    Q_OBJECT
  public:
    explicit TPaintBox(QWidget* parent = nullptr);

    std::function<void(QPaintEvent*)> OnPaint;
    std::function<void(QMouseEvent*)> OnMouseDown;
    std::function<void(QMouseEvent*)> OnMouseMove;
    std::function<void(QMouseEvent*)> OnMouseUp;
    std::function<void(QMouseEvent*)> OnDblClick;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Runs OnDblClick, then delivers the double click's own mouse-down, as the desktop does.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// The cool bar: bands on a tiled background bitmap.
class TCoolBar : public QWidget {
    Q_OBJECT
  public:
    TCoolBar(const QPixmap& background, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap background_;
};

// The status bar: panel 0 is owner-drawn, panel 1 holds plain text. The simple text is kept but
// not shown, since the bar never enters simple mode.
class TStatusBar : public QStatusBar {
    Q_OBJECT
  public:
    static constexpr int kHeight = 19;
    static constexpr int kPanel0Width = 150;

    explicit TStatusBar(QWidget* parent = nullptr);

    std::function<void(QPainter&, const QRect&)> OnDrawPanel;

    QString PanelText(int panel) const;
    void SetPanelText(int panel, const QString& text);
    QString SimpleText() const { return simple_text_; }
    void SetSimpleText(const QString& text) { simple_text_ = text; }
    QWidget* Panel(int panel) const;
    // Repaints the owner-drawn panel.
    void InvalidatePanels();

  private:
    QWidget* panel0_;
    QLabel* panel1_;
    QString simple_text_;
};

}  // namespace pixelary

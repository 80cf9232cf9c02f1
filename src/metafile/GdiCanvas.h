// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace pixelary::metafile {

// Graphics-interface constants the metafile records use.
enum MapMode : int {
    kMmText = 1,
    kMmLoMetric,
    kMmHiMetric,
    kMmLoEnglish,
    kMmHiEnglish,
    kMmTwips,
    kMmIsotropic,
    kMmAnisotropic
};
enum class ArcKind { Arc, ArcTo, Chord, Pie };
enum class ClipMode : int { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

// A logical pen: style bits (line style, end cap, join), width in logical units, colour.
struct LogPen {
    std::uint32_t style = 0;
    double width = 0;
    QColor colour = Qt::black;
};
// A logical brush: solid, null, hatched, or a picture pattern.
struct LogBrush {
    std::uint32_t style = 0;
    QColor colour = Qt::white;
    std::uint32_t hatch = 0;
    QImage pattern;
};
struct LogFont {
    std::int32_t height = 0;
    std::int32_t escapement = 0;  // tenths of a degree
    std::int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strike_out = false;
    QString face;
};
// Palettes, regions and other objects that only take a slot in the object table.
struct OtherObject {};
using GdiObject = std::variant<OtherObject, LogPen, LogBrush, LogFont>;

// A device context as metafile records drive it, drawing with QPainter. Coordinates given to it
// are logical; the world transform and the mapping mode take them to device pixels of the
// reference device, which deviceToTarget fits into the painter's target.
class GdiCanvas {
  public:
    GdiCanvas(QPainter& painter, const QTransform& deviceToTarget, double pixelsPerMmX,
              double pixelsPerMmY);

    // Mapping.
    void SetMapMode(int mode);
    void SetWindowOrg(QPointF origin) { state_.window_org = origin; }
    void SetWindowExt(QSizeF extent);
    void SetViewportOrg(QPointF origin) { state_.viewport_org = origin; }
    void SetViewportExt(QSizeF extent);
    void OffsetWindowOrg(QPointF by) { state_.window_org += by; }
    void OffsetViewportOrg(QPointF by) { state_.viewport_org += by; }
    void ScaleWindowExt(double xNum, double xDen, double yNum, double yDen);
    void ScaleViewportExt(double xNum, double xDen, double yNum, double yDen);
    void SetWorldTransform(const QTransform& world) { state_.world = world; }
    // mode: 1 identity, 2 left multiply, 3 right multiply, 4 set.
    void ModifyWorldTransform(const QTransform& xform, std::uint32_t mode);

    // Attributes.
    void SetBkMode(int mode) { state_.bk_opaque = mode == 2; }
    void SetBkColor(QColor colour) { state_.bk_colour = colour; }
    void SetTextColor(QColor colour) { state_.text_colour = colour; }
    void SetTextAlign(std::uint32_t align) { state_.text_align = align; }
    void SetPolyFillMode(int mode) { state_.winding = mode == 2; }
    void SetArcDirection(int direction) { state_.clockwise = direction == 2; }
    void Save();
    void Restore(int which);

    // Objects: enhanced metafiles name the slot, classic ones take the lowest free slot.
    void CreateObject(std::uint32_t index, GdiObject object);
    void AddObject(GdiObject object);
    void SelectObject(std::uint32_t index);
    void DeleteObject(std::uint32_t index);

    // Drawing, in logical coordinates.
    void MoveTo(QPointF point);
    void LineTo(QPointF point);
    void Polyline(const QPolygonF& points);
    void PolylineTo(const QPolygonF& points);
    void PolyBezier(const QPolygonF& points);
    void PolyBezierTo(const QPolygonF& points);
    void Polygon(const QPolygonF& points);
    void PolyPolygon(const std::vector<QPolygonF>& polygons);
    void PolyPolyline(const std::vector<QPolygonF>& polylines);
    void Rectangle(const QRectF& box);
    void RoundRect(const QRectF& box, QSizeF corner);
    void Ellipse(const QRectF& box);
    void ArcShape(ArcKind kind, const QRectF& box, QPointF start, QPointF end);
    void FillRect(const QRectF& box, const QBrush& brush);
    void PatternRect(const QRectF& box, std::uint32_t rop);
    void Text(QPointF reference, const QString& text, const std::optional<QRectF>& opaque);
    void Image(const QRectF& target, const QImage& image, const QRectF& source);

    // Paths (kept in device coordinates, as recorded) and clipping.
    void BeginPath();
    void EndPath() { in_path_ = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void SelectClipPath(ClipMode mode);
    void IntersectClipRect(const QRectF& box);
    void ExcludeClipRect(const QRectF& box);
    // A region in device coordinates; an empty region with Copy removes the clip.
    void SelectClipRegion(const QRegion& region, ClipMode mode);

    QPointF CurrentPosition() const { return current_; }

    // Measuring: nothing is painted; what would be drawn is gathered as device-pixel bounds.
    void MeasureOnly() { measuring_ = true; }
    std::optional<QRectF> Drawn() const { return drawn_; }
    // The logical-to-device mapping in effect when the first visible shape was drawn.
    std::optional<QTransform> FirstMapping() const { return first_mapping_; }

  private:
    struct State {
        int map_mode = kMmText;
        QPointF window_org;
        QSizeF window_ext{1, 1};
        QPointF viewport_org;
        QSizeF viewport_ext{1, 1};
        QTransform world;
        LogPen pen;
        LogBrush brush;
        LogFont font;
        QColor text_colour = Qt::black;
        QColor bk_colour = Qt::white;
        bool bk_opaque = true;
        std::uint32_t text_align = 0;
        bool winding = false;
        bool clockwise = false;
    };

    QTransform PageToDevice() const;
    QTransform LogicalToDevice() const { return state_.world * PageToDevice(); }
    double DeviceScale() const;
    QPen MakePen() const;
    QBrush MakeBrush() const;
    void Paint(const QPainterPath& devicePath, bool fill, bool stroke);
    // A shape in logical coordinates: recorded into the path, or filled and/or outlined.
    void Shape(const QPainterPath& logical, bool fill, bool stroke);
    void ApplyClip(const QPainterPath& devicePath, ClipMode mode);
    void Measure(QRectF deviceBounds);
    bool Sane(const QRectF& deviceBounds) const;

    QPainter& painter_;
    QTransform device_to_target_;
    double pixels_per_mm_x_;
    double pixels_per_mm_y_;
    State state_;
    std::vector<State> saved_;
    std::map<std::uint32_t, GdiObject> objects_;
    std::uint32_t lowest_free_ = 0;  // no classic-metafile slot below it is free
    QPointF current_;
    bool in_path_ = false;
    QPainterPath path_;
    bool measuring_ = false;
    std::optional<QRectF> drawn_;
    std::optional<QTransform> first_mapping_;
};

// The picture of a packed device-independent bitmap (information header, colours, then bits),
// or a null image when the bytes are not one.
QImage ImageFromPackedDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits);

}  // namespace pixelary::metafile

// SPDX-License-Identifier: GPL-3.0-or-later
#include "metafile/GdiCanvas.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/Dib.h"
#include "core/Exception.h"

// Defined beside the metafile loader.
Q_DECLARE_LOGGING_CATEGORY(lcMetafile)

namespace pixelary::metafile {

namespace {

// Line styles (low 4 bits), end caps and joins of a pen's style.
constexpr std::uint32_t kPenStyleMask = 0x0F;
constexpr std::uint32_t kPsDash = 1, kPsDot = 2, kPsDashDot = 3, kPsDashDotDot = 4, kPsNull = 5;
constexpr std::uint32_t kEndCapMask = 0x0F00, kEndCapSquare = 0x0100, kEndCapFlat = 0x0200;
constexpr std::uint32_t kJoinMask = 0xF000, kJoinBevel = 0x1000, kJoinMiter = 0x2000;
constexpr std::uint32_t kBsSolid = 0, kBsNull = 1, kBsHatched = 2;
constexpr std::uint32_t kBsPattern = 3, kBsDibPattern = 5, kBsDibPatternPt = 6;
// Text alignment bits.
constexpr std::uint32_t kTaUpdateCp = 1, kTaRight = 2, kTaCenter = 6, kTaBottom = 8;
constexpr std::uint32_t kTaBaseline = 24;
// Raster operations of pattern fills without a source.
constexpr std::uint32_t kPatCopy = 0x00F00021, kBlackness = 0x00000042, kWhiteness = 0x00FF0062;

constexpr double kMmPerInch = 25.4;
constexpr int kMaxSavedStates = 1024;
// Shapes reaching further than this from the picture are a hostile file's, not a drawing's.
constexpr double kMaxDeviceCoordinate = 1e7;
// The same on the target, where dashes and glyphs are laid out: beyond it no shape is drawn.
constexpr double kMaxTargetCoordinate = 1e6;
constexpr double kDefaultFontPixels = 16;
constexpr double kCellToEm = 0.85;  // positive font heights include the internal leading
constexpr std::size_t kFileHeaderBytes = 14;
// Object indices are 16-bit in classic metafiles and bounded by the header's handle count in
// enhanced ones; stock objects carry the high bit.
constexpr std::uint32_t kMaxObjects = 0x10000;
constexpr std::uint32_t kStockBit = 0x80000000;
// Glyphs are laid out on the target: below this size they are invisible (and the glyph cache
// fails on them), above it they are not a drawing's.
constexpr double kMinTargetGlyphPixels = 2;
constexpr double kMaxTargetGlyphPixels = 4096;
// Longer texts are not a drawing's; they would only cost time.
constexpr qsizetype kMaxTextLength = 4096;

Qt::BrushStyle HatchStyle(std::uint32_t hatch) {
    switch (hatch) {
        case 0:
            return Qt::HorPattern;
        case 1:
            return Qt::VerPattern;
        case 2:
            return Qt::FDiagPattern;
        case 3:
            return Qt::BDiagPattern;
        case 4:
            return Qt::CrossPattern;
        default:
            return Qt::DiagCrossPattern;
    }
}

}  // namespace

GdiCanvas::GdiCanvas(QPainter& painter, const QTransform& deviceToTarget, double pixelsPerMmX,
                     double pixelsPerMmY)
    : painter_(painter),
      device_to_target_(deviceToTarget),
      pixels_per_mm_x_(pixelsPerMmX),
      pixels_per_mm_y_(pixelsPerMmY) {
    painter_.setTransform(device_to_target_);
    painter_.setRenderHint(QPainter::Antialiasing, true);
}

// ---- Mapping ----

void GdiCanvas::SetMapMode(int mode) {
    if (mode >= kMmText && mode <= kMmAnisotropic) state_.map_mode = mode;
}

void GdiCanvas::SetWindowExt(QSizeF extent) {
    if (extent.width() == 0 || extent.height() == 0) return;
    state_.window_ext = extent;
}

void GdiCanvas::SetViewportExt(QSizeF extent) {
    if (extent.width() == 0 || extent.height() == 0) return;
    state_.viewport_ext = extent;
}

void GdiCanvas::ScaleWindowExt(double xNum, double xDen, double yNum, double yDen) {
    if (xDen == 0 || yDen == 0) return;
    SetWindowExt(
        {state_.window_ext.width() * xNum / xDen, state_.window_ext.height() * yNum / yDen});
}

void GdiCanvas::ScaleViewportExt(double xNum, double xDen, double yNum, double yDen) {
    if (xDen == 0 || yDen == 0) return;
    SetViewportExt(
        {state_.viewport_ext.width() * xNum / xDen, state_.viewport_ext.height() * yNum / yDen});
}

void GdiCanvas::ModifyWorldTransform(const QTransform& xform, std::uint32_t mode) {
    switch (mode) {
        case 1:
            state_.world = QTransform();
            break;
        case 2:
            state_.world = xform * state_.world;
            break;
        case 3:
            state_.world = state_.world * xform;
            break;
        case 4:
            state_.world = xform;
            break;
        default:
            break;
    }
}

// Fixed mapping modes measure logical units against the reference device, y growing upwards.
QTransform GdiCanvas::PageToDevice() const {
    double mm_per_unit = 0;
    switch (state_.map_mode) {
        case kMmLoMetric:
            mm_per_unit = 0.1;
            break;
        case kMmHiMetric:
            mm_per_unit = 0.01;
            break;
        case kMmLoEnglish:
            mm_per_unit = kMmPerInch / 100;
            break;
        case kMmHiEnglish:
            mm_per_unit = kMmPerInch / 1000;
            break;
        case kMmTwips:
            mm_per_unit = kMmPerInch / 1440;
            break;
        default:
            break;
    }
    double sx = 1, sy = 1;
    if (mm_per_unit > 0) {
        sx = mm_per_unit * pixels_per_mm_x_;
        sy = -mm_per_unit * pixels_per_mm_y_;
    } else if (state_.map_mode == kMmIsotropic || state_.map_mode == kMmAnisotropic) {
        sx = state_.viewport_ext.width() / state_.window_ext.width();
        sy = state_.viewport_ext.height() / state_.window_ext.height();
        if (state_.map_mode == kMmIsotropic) {
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
    }
    const QPointF& w = state_.window_org;
    const QPointF& v = state_.viewport_org;
    return QTransform(sx, 0, 0, sy, v.x() - w.x() * sx, v.y() - w.y() * sy);
}

double GdiCanvas::DeviceScale() const {
    return std::sqrt(std::abs(LogicalToDevice().determinant()));
}

// ---- State ----

void GdiCanvas::Save() {
    if (static_cast<int>(saved_.size()) >= kMaxSavedStates) return;
    saved_.push_back(state_);
    painter_.save();
}

// Negative: that many levels back; positive: back to that absolute level.
void GdiCanvas::Restore(int which) {
    const int depth = static_cast<int>(saved_.size());
    const int target = which < 0 ? depth + which : which - 1;
    if (target < 0 || target >= depth) return;
    while (static_cast<int>(saved_.size()) > target) {
        state_ = saved_.back();
        saved_.pop_back();
        painter_.restore();
    }
}

// ---- Objects ----

void GdiCanvas::CreateObject(std::uint32_t index, GdiObject object) {
    if ((index & ~kStockBit) >= kMaxObjects) return;
    objects_[index] = std::move(object);
}

// The lowest free slot is remembered, so a metafile of many objects costs no quadratic search.
void GdiCanvas::AddObject(GdiObject object) {
    while (objects_.count(lowest_free_) != 0) ++lowest_free_;
    if (lowest_free_ >= kMaxObjects) return;
    objects_[lowest_free_] = std::move(object);
}

void GdiCanvas::SelectObject(std::uint32_t index) {
    const auto found = objects_.find(index);
    if (found == objects_.end()) return;
    if (const auto* pen = std::get_if<LogPen>(&found->second)) state_.pen = *pen;
    if (const auto* brush = std::get_if<LogBrush>(&found->second)) state_.brush = *brush;
    if (const auto* font = std::get_if<LogFont>(&found->second)) state_.font = *font;
}

// A freed classic-metafile slot is the next one taken.
void GdiCanvas::DeleteObject(std::uint32_t index) {
    if (objects_.erase(index) != 0 && index < lowest_free_) lowest_free_ = index;
}

// ---- Pens and brushes ----

QPen GdiCanvas::MakePen() const {
    const LogPen& p = state_.pen;
    const std::uint32_t line = p.style & kPenStyleMask;
    if (line == kPsNull) return Qt::NoPen;
    QPen pen(p.colour);
    const double width = p.width * DeviceScale();
    if (p.width <= 0 || width <= 1) {
        pen.setCosmetic(true);  // one pixel on the target whatever the scale
        pen.setWidthF(1);
    } else {
        pen.setWidthF(width);
    }
    switch (line) {
        case kPsDash:
            pen.setStyle(Qt::DashLine);
            break;
        case kPsDot:
            pen.setStyle(Qt::DotLine);
            break;
        case kPsDashDot:
            pen.setStyle(Qt::DashDotLine);
            break;
        case kPsDashDotDot:
            pen.setStyle(Qt::DashDotDotLine);
            break;
        default:
            break;
    }
    const std::uint32_t cap = p.style & kEndCapMask;
    pen.setCapStyle(cap == kEndCapSquare ? Qt::SquareCap
                    : cap == kEndCapFlat ? Qt::FlatCap
                                         : Qt::RoundCap);
    const std::uint32_t join = p.style & kJoinMask;
    pen.setJoinStyle(join == kJoinBevel   ? Qt::BevelJoin
                     : join == kJoinMiter ? Qt::MiterJoin
                                          : Qt::RoundJoin);
    return pen;
}

QBrush GdiCanvas::MakeBrush() const {
    const LogBrush& b = state_.brush;
    switch (b.style) {
        case kBsSolid:
            return QBrush(b.colour);
        case kBsHatched:
            return QBrush(b.colour, HatchStyle(b.hatch));
        case kBsPattern:
        case kBsDibPattern:
        case kBsDibPatternPt:
            return b.pattern.isNull() ? QBrush(Qt::gray) : QBrush(b.pattern);
        case kBsNull:
        default:
            return Qt::NoBrush;
    }
}

// ---- Drawing ----

bool GdiCanvas::Sane(const QRectF& bounds) const {
    const auto within = [](const QRectF& r, double limit) {
        return std::abs(r.left()) < limit && std::abs(r.right()) < limit &&
               std::abs(r.top()) < limit && std::abs(r.bottom()) < limit;
    };
    return within(bounds, kMaxDeviceCoordinate) &&
           within(device_to_target_.mapRect(bounds), kMaxTargetCoordinate);
}

// Only what shows counts, as far as the clip lets it show.
void GdiCanvas::Measure(QRectF device) {
    if (painter_.hasClipping()) device = device.intersected(painter_.clipBoundingRect());
    if (device.width() < 0 || device.height() < 0 || (device.width() == 0 && device.height() == 0))
        return;
    drawn_ = drawn_ ? drawn_->united(device) : device;
    if (!first_mapping_) first_mapping_ = LogicalToDevice();
}

void GdiCanvas::Paint(const QPainterPath& device, bool fill, bool stroke) {
    if (!Sane(device.controlPointRect())) return;
    if (measuring_) {
        const QPen pen = stroke ? MakePen() : QPen(Qt::NoPen);
        const bool filled = fill && MakeBrush().style() != Qt::NoBrush;
        if (!filled && pen.style() == Qt::NoPen) return;
        const double half = pen.style() == Qt::NoPen ? 0 : std::max(pen.widthF(), 1.0) / 2;
        Measure(device.boundingRect().adjusted(-half, -half, half, half));
        return;
    }
    if (fill) {
        QPainterPath filled = device;
        filled.setFillRule(state_.winding ? Qt::WindingFill : Qt::OddEvenFill);
        const QBrush brush = MakeBrush();
        if (brush.style() != Qt::SolidPattern && brush.style() != Qt::NoBrush &&
            brush.style() != Qt::TexturePattern && state_.bk_opaque) {
            painter_.fillPath(filled, state_.bk_colour);
        }
        painter_.fillPath(filled, brush);
    }
    if (stroke) painter_.strokePath(device, MakePen());
}

void GdiCanvas::Shape(const QPainterPath& logical, bool fill, bool stroke) {
    const QPainterPath device = LogicalToDevice().map(logical);
    if (in_path_) {
        path_.addPath(device);
        return;
    }
    Paint(device, fill, stroke);
}

void GdiCanvas::MoveTo(QPointF point) {
    current_ = point;
    if (in_path_) path_.moveTo(LogicalToDevice().map(point));
}

void GdiCanvas::LineTo(QPointF point) {
    if (in_path_) {
        if (path_.elementCount() == 0) path_.moveTo(LogicalToDevice().map(current_));
        path_.lineTo(LogicalToDevice().map(point));
    } else {
        QPainterPath line(current_);
        line.lineTo(point);
        Shape(line, false, true);
    }
    current_ = point;
}

void GdiCanvas::Polyline(const QPolygonF& points) {
    if (points.size() < 2) return;
    QPainterPath path;
    path.addPolygon(points);
    Shape(path, false, true);
}

void GdiCanvas::PolylineTo(const QPolygonF& points) {
    for (const QPointF& p : points) LineTo(p);
}

void GdiCanvas::PolyBezier(const QPolygonF& points) {
    if (points.size() < 4) return;
    QPainterPath path(points[0]);
    for (qsizetype i = 1; i + 2 < points.size(); i += 3) {
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    }
    Shape(path, false, true);
}

void GdiCanvas::PolyBezierTo(const QPolygonF& points) {
    QPainterPath path(current_);
    for (qsizetype i = 0; i + 2 < points.size(); i += 3) {
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
        current_ = points[i + 2];
    }
    if (in_path_) {
        const QPainterPath device = LogicalToDevice().map(path);
        if (path_.elementCount() == 0) path_.moveTo(device.elementAt(0));
        for (int i = 1; i < device.elementCount(); i += 3) {
            path_.cubicTo(device.elementAt(i), device.elementAt(i + 1), device.elementAt(i + 2));
        }
        return;
    }
    Shape(path, false, true);
}

void GdiCanvas::Polygon(const QPolygonF& points) {
    if (points.size() < 2) return;
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    Shape(path, true, true);
}

void GdiCanvas::PolyPolygon(const std::vector<QPolygonF>& polygons) {
    QPainterPath path;
    for (const QPolygonF& polygon : polygons) {
        path.addPolygon(polygon);
        path.closeSubpath();
    }
    Shape(path, true, true);
}

void GdiCanvas::PolyPolyline(const std::vector<QPolygonF>& polylines) {
    for (const QPolygonF& line : polylines) Polyline(line);
}

void GdiCanvas::Rectangle(const QRectF& box) {
    QPainterPath path;
    path.addRect(box.normalized());
    Shape(path, true, true);
}

void GdiCanvas::RoundRect(const QRectF& box, QSizeF corner) {
    QPainterPath path;
    path.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2,
                        std::abs(corner.height()) / 2);
    Shape(path, true, true);
}

void GdiCanvas::Ellipse(const QRectF& box) {
    QPainterPath path;
    path.addEllipse(box.normalized());
    Shape(path, true, true);
}

// Arcs run from the start radial to the end radial, counter-clockwise as seen on the device unless
// the arc direction or a mirroring transform says otherwise; equal radials give a full ellipse.
void GdiCanvas::ArcShape(ArcKind kind, const QRectF& box, QPointF start, QPointF end) {
    const QTransform map = LogicalToDevice();
    const QRectF device_box = map.mapRect(box.normalized());
    const QPointF centre = device_box.center();
    const QPointF s = map.map(start) - centre;
    const QPointF e = map.map(end) - centre;
    const double a1 = std::atan2(-s.y(), s.x()) * 180 / M_PI;
    const double a2 = std::atan2(-e.y(), e.x()) * 180 / M_PI;
    double sweep = a2 - a1;
    while (sweep <= 0) sweep += 360;
    const bool clockwise = state_.clockwise != (map.determinant() < 0);
    if (clockwise) sweep -= 360;
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(centre);
        path.arcTo(device_box, a1, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(device_box, a1);
        path.arcTo(device_box, a1, sweep);
        if (kind == ArcKind::Chord) path.closeSubpath();
    }
    if (kind == ArcKind::ArcTo) {
        current_ = map.inverted().map(path.currentPosition());
    }
    const bool closed = kind == ArcKind::Pie || kind == ArcKind::Chord;
    if (in_path_) {
        path_.addPath(path);
        return;
    }
    Paint(path, closed, true);
}

void GdiCanvas::FillRect(const QRectF& box, const QBrush& brush) {
    const QRectF device = LogicalToDevice().mapRect(box.normalized());
    if (!Sane(device) || brush.style() == Qt::NoBrush) return;
    if (measuring_) {
        Measure(device);
        return;
    }
    painter_.fillRect(device, brush);
}

void GdiCanvas::PatternRect(const QRectF& box, std::uint32_t rop) {
    if (rop == kPatCopy) FillRect(box, MakeBrush());
    if (rop == kBlackness) FillRect(box, Qt::black);
    if (rop == kWhiteness) FillRect(box, Qt::white);
}

// Text is drawn upright at its reference point whatever the mapping's y direction; its size
// follows the mapping. Fonts need the GUI application; without one text is left out.
void GdiCanvas::Text(QPointF reference, const QString& text, const std::optional<QRectF>& opaque) {
    if (opaque) FillRect(*opaque, state_.bk_colour);
    if (text.isEmpty() || text.size() > kMaxTextLength) return;
    if (QGuiApplication::instance() == nullptr) return;
    const bool update_cp = (state_.text_align & kTaUpdateCp) != 0;
    const QPointF origin = LogicalToDevice().map(update_cp ? current_ : reference);
    const double scale = DeviceScale();
    const LogFont& lf = state_.font;
    double pixels = lf.height == 0 ? kDefaultFontPixels : std::abs(lf.height) * scale;
    if (lf.height > 0) pixels *= kCellToEm;
    // Both axes count: a very unequal stretch makes glyphs too thin to render.
    const QTransform& t = device_to_target_;
    const double across = pixels * std::hypot(t.m11(), t.m12());
    const double down = pixels * std::hypot(t.m21(), t.m22());
    const auto glyph_fits = [](double size) {
        return size >= kMinTargetGlyphPixels && size <= kMaxTargetGlyphPixels;
    };
    if (!Sane(QRectF(origin, QSizeF(pixels, pixels))) || !glyph_fits(across) || !glyph_fits(down)) {
        return;
    }
    QFont font(lf.face.isEmpty() ? QStringLiteral("Sans") : lf.face);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(lf.weight / 10 * 10, 100, 900)));
    font.setItalic(lf.italic);
    font.setUnderline(lf.underline);
    font.setStrikeOut(lf.strike_out);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    const std::uint32_t horizontal = state_.text_align & kTaCenter;
    const double dx = horizontal == kTaCenter ? -width / 2 : horizontal == kTaRight ? -width : 0;
    const std::uint32_t vertical = state_.text_align & kTaBaseline;
    const double dy = vertical == kTaBaseline ? 0
                      : vertical == kTaBottom ? -metrics.descent()
                                              : metrics.ascent();
    const QRectF cell(dx, dy - metrics.ascent(), width, metrics.height());
    if (measuring_) {
        Measure(cell.translated(origin));  // upright: a turned text seldom sets the extent
    } else {
        painter_.save();
        painter_.translate(origin);
        painter_.rotate(-std::fmod(lf.escapement / 10.0, 360.0));  // whole turns removed
        if (state_.bk_opaque && !opaque) painter_.fillRect(cell, state_.bk_colour);
        painter_.setFont(font);
        painter_.setPen(state_.text_colour);
        painter_.drawText(QPointF(dx, dy), text);
        painter_.restore();
    }
    if (update_cp) current_ = LogicalToDevice().inverted().map(origin + QPointF(width, 0));
}

void GdiCanvas::Image(const QRectF& target, const QImage& image, const QRectF& source) {
    if (image.isNull()) return;
    const QRectF device = LogicalToDevice().mapRect(target.normalized());
    if (!Sane(device)) return;
    if (measuring_) {
        Measure(device);
        return;
    }
    painter_.drawImage(device, image, source);
}

// ---- Paths and clipping ----

void GdiCanvas::BeginPath() {
    in_path_ = true;
    path_ = QPainterPath();
}

void GdiCanvas::AbortPath() {
    in_path_ = false;
    path_ = QPainterPath();
}

void GdiCanvas::CloseFigure() {
    if (in_path_) path_.closeSubpath();
}

void GdiCanvas::FillPath() {
    Paint(path_, true, false);
    path_ = QPainterPath();
}

void GdiCanvas::StrokePath() {
    Paint(path_, false, true);
    path_ = QPainterPath();
}

void GdiCanvas::StrokeAndFillPath() {
    Paint(path_, true, true);
    path_ = QPainterPath();
}

void GdiCanvas::ApplyClip(const QPainterPath& device, ClipMode mode) {
    if (!Sane(device.controlPointRect())) return;
    QPainterPath current;
    if (painter_.hasClipping()) {
        current = painter_.clipPath();
    } else {
        current.addRect(QRectF(-kMaxDeviceCoordinate, -kMaxDeviceCoordinate,
                               2 * kMaxDeviceCoordinate, 2 * kMaxDeviceCoordinate));
    }
    QPainterPath next;
    switch (mode) {
        case ClipMode::And:
            next = current.intersected(device);
            break;
        case ClipMode::Or:
            next = current.united(device);
            break;
        case ClipMode::Xor:
            next = current.united(device).subtracted(current.intersected(device));
            break;
        case ClipMode::Diff:
            next = current.subtracted(device);
            break;
        case ClipMode::Copy:
            next = device;
            break;
    }
    painter_.setClipPath(next);
}

void GdiCanvas::SelectClipPath(ClipMode mode) {
    ApplyClip(path_, mode);
    path_ = QPainterPath();
}

void GdiCanvas::IntersectClipRect(const QRectF& box) {
    QPainterPath rect;
    rect.addRect(LogicalToDevice().mapRect(box.normalized()));
    ApplyClip(rect, ClipMode::And);
}

void GdiCanvas::ExcludeClipRect(const QRectF& box) {
    QPainterPath rect;
    rect.addRect(LogicalToDevice().mapRect(box.normalized()));
    ApplyClip(rect, ClipMode::Diff);
}

void GdiCanvas::SelectClipRegion(const QRegion& region, ClipMode mode) {
    if (region.isEmpty() && mode == ClipMode::Copy) {
        painter_.setClipping(false);
        return;
    }
    QPainterPath path;
    path.addRegion(region);
    ApplyClip(path, mode);
}

// ---- Bitmaps ----

// A packed bitmap becomes a bitmap file in memory for the bitmap loader, which checks it.
QImage ImageFromPackedDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits) {
    // Information header: +4 width, +8 height, +14 bit count. The rows must all be there before
    // the loader allocates them.
    constexpr std::size_t kMinInfoBytes = 16;
    if (info.size() < kMinInfoBytes) return {};
    const auto le32 = [&info](std::size_t at) {
        return static_cast<std::int32_t>(info[at] | (info[at + 1] << 8) | (info[at + 2] << 16) |
                                         (std::uint32_t{info[at + 3]} << 24));
    };
    const std::int32_t width = le32(4);
    const std::int32_t height = le32(8);
    const int bit_count = info[14] | (info[15] << 8);
    if (width < 1 || width > Dib::kMaxSide || height == 0 || height < -Dib::kMaxSide ||
        height > Dib::kMaxSide || !Dib::IsValidDepth(bit_count)) {
        return {};
    }
    const std::size_t rows = static_cast<std::size_t>(height < 0 ? -std::int64_t{height} : height);
    if (Dib::StrideFor(width, bit_count) * rows > bits.size()) return {};
    const auto offset = static_cast<std::uint32_t>(kFileHeaderBytes + info.size());
    const auto total = static_cast<std::uint32_t>(offset + bits.size());
    const std::uint8_t header[kFileHeaderBytes] = {'B',
                                                   'M',
                                                   static_cast<std::uint8_t>(total),
                                                   static_cast<std::uint8_t>(total >> 8),
                                                   static_cast<std::uint8_t>(total >> 16),
                                                   static_cast<std::uint8_t>(total >> 24),
                                                   0,
                                                   0,
                                                   0,
                                                   0,
                                                   static_cast<std::uint8_t>(offset),
                                                   static_cast<std::uint8_t>(offset >> 8),
                                                   static_cast<std::uint8_t>(offset >> 16),
                                                   static_cast<std::uint8_t>(offset >> 24)};
    std::vector<std::uint8_t> file(kFileHeaderBytes + info.size() + bits.size());
    std::memcpy(file.data(), header, kFileHeaderBytes);
    std::memcpy(file.data() + kFileHeaderBytes, info.data(), info.size());
    if (!bits.empty()) std::memcpy(file.data() + offset, bits.data(), bits.size());
    try {
        const Dib dib = Dib::LoadFromBytes(file);
        QImage image(dib.Width(), dib.Height(), QImage::Format_RGB32);
        if (image.isNull()) return {};
        for (int y = 0; y < dib.Height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < dib.Width(); ++x) row[x] = 0xFF000000u | dib.PixelRgb(x, y);
        }
        return image;
    } catch (const Exception& error) {
        qCDebug(lcMetafile) << "bitmap record skipped:" << error.what();
        return {};
    }
}

}  // namespace pixelary::metafile

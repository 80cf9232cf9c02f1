// SPDX-License-Identifier: GPL-3.0-or-later
#include "metafile/Emf.h"

#include <QRegion>
#include <QString>
#include <algorithm>

#include "metafile/GdiCanvas.h"
#include "metafile/RecordCursor.h"

namespace pixelary::metafile {

namespace {

// Header record: +0 type 1, +4 size, +8 bounds, +24 frame, +40 signature " EMF", +44 version,
// +48 bytes, +52 records, +56 handles (16), +58 reserved, +60 description length, +64 its
// offset, +68 palette entries, +72 device size in pixels, +80 in millimetres.
constexpr std::uint32_t kHeaderType = 1;
constexpr std::uint32_t kSignature = 0x464D4520;
constexpr std::size_t kMinHeaderSize = 88;
constexpr std::size_t kRecordHead = 8;  // +0 type, +4 size
constexpr std::uint32_t kStockObject = 0x80000000;

enum Record : std::uint32_t {
    kPolyBezier = 2,
    kPolygon = 3,
    kPolyline = 4,
    kPolyBezierTo = 5,
    kPolylineTo = 6,
    kPolyPolyline = 7,
    kPolyPolygon = 8,
    kSetWindowExt = 9,
    kSetWindowOrg = 10,
    kSetViewportExt = 11,
    kSetViewportOrg = 12,
    kEof = 14,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetPolyFillMode = 19,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kSetBkColor = 25,
    kOffsetClipRgn = 26,
    kMoveTo = 27,
    kExcludeClipRect = 29,
    kIntersectClipRect = 30,
    kScaleViewportExt = 31,
    kScaleWindowExt = 32,
    kSaveDc = 33,
    kRestoreDc = 34,
    kSetWorldTransform = 35,
    kModifyWorldTransform = 36,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrush = 39,
    kDeleteObject = 40,
    kEllipse = 42,
    kRectangle = 43,
    kRoundRect = 44,
    kArc = 45,
    kChord = 46,
    kPie = 47,
    kCreatePalette = 49,
    kLineTo = 54,
    kArcTo = 55,
    kSetArcDirection = 57,
    kBeginPath = 59,
    kEndPath = 60,
    kCloseFigure = 61,
    kFillPath = 62,
    kStrokeAndFillPath = 63,
    kStrokePath = 64,
    kSelectClipPath = 67,
    kAbortPath = 68,
    kExtSelectClipRgn = 75,
    kBitBlt = 76,
    kStretchBlt = 77,
    kSetDiBitsToDevice = 80,
    kStretchDiBits = 81,
    kExtCreateFont = 82,
    kExtTextOutA = 83,
    kExtTextOutW = 84,
    kPolyBezier16 = 85,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolyBezierTo16 = 88,
    kPolylineTo16 = 89,
    kPolyPolyline16 = 90,
    kPolyPolygon16 = 91,
    kCreateMonoBrush = 93,
    kCreateDibPatternBrush = 94,
    kExtCreatePen = 95,
};

QColor ColourRef(std::uint32_t value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

constexpr std::int32_t kRegionLimit = 10'000'000;

// Region rectangles as integer rectangles, clamped so that no integer arithmetic on them can
// overflow (right and bottom exclusive as stored).
QRect ReadRegionRect(RecordCursor& in, std::size_t at) {
    const auto clamp = [&in](std::size_t offset) {
        return std::clamp(in.I32(offset), -kRegionLimit, kRegionLimit);
    };
    return QRect(QPoint(clamp(at), clamp(at + 4)), QPoint(clamp(at + 8) - 1, clamp(at + 12) - 1));
}

QRectF ReadBox(RecordCursor& in, std::size_t at) {
    return QRectF(QPointF(in.I32(at), in.I32(at + 4)), QPointF(in.I32(at + 8), in.I32(at + 12)));
}

QPointF ReadPoint(RecordCursor& in, std::size_t at) {
    return QPointF(in.I32(at), in.I32(at + 4));
}

// count points of 8 (32-bit) or 4 (16-bit) bytes from at; empty when the record is too short.
QPolygonF ReadPoints(RecordCursor& in, std::size_t at, std::uint32_t count, bool small) {
    const std::size_t size = small ? 4 : 8;
    if (!in.Has(at, std::size_t{count} * size)) return {};
    QPolygonF points;
    points.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t p = at + i * size;
        points.append(small ? QPointF(in.I16(p), in.I16(p + 2))
                            : QPointF(in.I32(p), in.I32(p + 4)));
    }
    return points;
}

// Stock objects: brushes 0-5 (white, light grey, grey, dark grey, black, null), pens 6-8
// (white, black, null), fonts from 10.
std::optional<GdiObject> StockObject(std::uint32_t id) {
    const int greys[] = {255, 192, 128, 64, 0};
    if (id <= 4) return LogBrush{0, QColor(greys[id], greys[id], greys[id]), 0, {}};
    if (id == 5) return LogBrush{1, Qt::white, 0, {}};
    if (id == 6) return LogPen{0, 0, Qt::white};
    if (id == 7) return LogPen{0, 0, Qt::black};
    if (id == 8) return LogPen{5, 0, Qt::black};
    if (id >= 10 && id <= 17) return LogFont{};
    return std::nullopt;
}

class EmfPlayer {
  public:
    EmfPlayer(const EmfHeader& header, QPainter& painter, const QTransform& toTarget)
        : canvas_(painter, toTarget,
                  double(header.device_pixels.width()) / header.device_millimetres.width(),
                  double(header.device_pixels.height()) / header.device_millimetres.height()) {}

    // False at the end-of-file record.
    bool Play(std::uint32_t type, RecordCursor& in);
    GdiCanvas& Canvas() { return canvas_; }

  private:
    void Poly(std::uint32_t type, RecordCursor& in, bool small);
    void PolyPoly(std::uint32_t type, RecordCursor& in, bool small);
    void Select(std::uint32_t index);
    void Font(RecordCursor& in);
    void TextOut(RecordCursor& in, bool wide);
    void Bitmap(std::uint32_t type, RecordCursor& in);
    void ClipRegion(RecordCursor& in);
    QImage RecordImage(RecordCursor& in, std::size_t infoAt, std::size_t bitsAt);

    GdiCanvas canvas_;
};

bool EmfPlayer::Play(std::uint32_t type, RecordCursor& in) {
    switch (type) {
        case kEof:
            return false;
        case kPolyBezier:
        case kPolygon:
        case kPolyline:
        case kPolyBezierTo:
        case kPolylineTo:
            Poly(type, in, false);
            break;
        case kPolyBezier16:
        case kPolygon16:
        case kPolyline16:
        case kPolyBezierTo16:
        case kPolylineTo16:
            Poly(type - (kPolyBezier16 - kPolyBezier), in, true);
            break;
        case kPolyPolyline:
        case kPolyPolygon:
            PolyPoly(type, in, false);
            break;
        case kPolyPolyline16:
        case kPolyPolygon16:
            PolyPoly(type - (kPolyPolyline16 - kPolyPolyline), in, true);
            break;
        case kSetWindowExt:
            canvas_.SetWindowExt(QSizeF(in.I32(8), in.I32(12)));
            break;
        case kSetWindowOrg:
            canvas_.SetWindowOrg(ReadPoint(in, 8));
            break;
        case kSetViewportExt:
            canvas_.SetViewportExt(QSizeF(in.I32(8), in.I32(12)));
            break;
        case kSetViewportOrg:
            canvas_.SetViewportOrg(ReadPoint(in, 8));
            break;
        case kScaleViewportExt:
            canvas_.ScaleViewportExt(in.I32(8), in.I32(12), in.I32(16), in.I32(20));
            break;
        case kScaleWindowExt:
            canvas_.ScaleWindowExt(in.I32(8), in.I32(12), in.I32(16), in.I32(20));
            break;
        case kSetMapMode:
            canvas_.SetMapMode(in.I32(8));
            break;
        case kSetBkMode:
            canvas_.SetBkMode(in.I32(8));
            break;
        case kSetPolyFillMode:
            canvas_.SetPolyFillMode(in.I32(8));
            break;
        case kSetTextAlign:
            canvas_.SetTextAlign(in.U32(8));
            break;
        case kSetTextColor:
            canvas_.SetTextColor(ColourRef(in.U32(8)));
            break;
        case kSetBkColor:
            canvas_.SetBkColor(ColourRef(in.U32(8)));
            break;
        case kSetArcDirection:
            canvas_.SetArcDirection(in.I32(8));
            break;
        case kMoveTo:
            canvas_.MoveTo(ReadPoint(in, 8));
            break;
        case kLineTo:
            canvas_.LineTo(ReadPoint(in, 8));
            break;
        case kExcludeClipRect:
            canvas_.ExcludeClipRect(ReadBox(in, 8));
            break;
        case kIntersectClipRect:
            canvas_.IntersectClipRect(ReadBox(in, 8));
            break;
        case kSaveDc:
            canvas_.Save();
            break;
        case kRestoreDc:
            canvas_.Restore(in.I32(8));
            break;
        case kSetWorldTransform:
        case kModifyWorldTransform: {
            const QTransform xform(in.F32(8), in.F32(12), in.F32(16), in.F32(20), in.F32(24),
                                   in.F32(28));
            if (!in.Ok() || !xform.isInvertible()) break;
            if (type == kSetWorldTransform) {
                canvas_.SetWorldTransform(xform);
            } else {
                canvas_.ModifyWorldTransform(xform, in.U32(32));
            }
            break;
        }
        case kSelectObject:
            Select(in.U32(8));
            break;
        case kDeleteObject:
            canvas_.DeleteObject(in.U32(8));
            break;
        case kCreatePen:
            // +8 index, +12 style, +16 width (x of a point), +24 colour
            canvas_.CreateObject(in.U32(8),
                                 LogPen{in.U32(12), double(in.I32(16)), ColourRef(in.U32(24))});
            break;
        case kExtCreatePen:
            // +8 index, +12..+24 pattern bitmap, +28 style, +32 width, +36 brush style, +40 colour
            canvas_.CreateObject(in.U32(8),
                                 LogPen{in.U32(28), double(in.U32(32)), ColourRef(in.U32(40))});
            break;
        case kCreateBrush:
            // +8 index, +12 style, +16 colour, +20 hatch
            canvas_.CreateObject(in.U32(8),
                                 LogBrush{in.U32(12), ColourRef(in.U32(16)), in.U32(20), {}});
            break;
        case kCreateMonoBrush:
        case kCreateDibPatternBrush:
            // +8 index, +12 usage, +16 info offset, +20 info size, +24 bits offset, +28 bits size
            canvas_.CreateObject(in.U32(8), LogBrush{3, Qt::gray, 0, RecordImage(in, 16, 24)});
            break;
        case kCreatePalette:
            canvas_.CreateObject(in.U32(8), OtherObject{});
            break;
        case kExtCreateFont:
            Font(in);
            break;
        case kRectangle:
            canvas_.Rectangle(ReadBox(in, 8));
            break;
        case kEllipse:
            canvas_.Ellipse(ReadBox(in, 8));
            break;
        case kRoundRect:
            canvas_.RoundRect(ReadBox(in, 8), QSizeF(in.I32(24), in.I32(28)));
            break;
        case kArc:
        case kChord:
        case kPie:
        case kArcTo: {
            const ArcKind kind = type == kArc     ? ArcKind::Arc
                                 : type == kChord ? ArcKind::Chord
                                 : type == kPie   ? ArcKind::Pie
                                                  : ArcKind::ArcTo;
            canvas_.ArcShape(kind, ReadBox(in, 8), ReadPoint(in, 24), ReadPoint(in, 32));
            break;
        }
        case kBeginPath:
            canvas_.BeginPath();
            break;
        case kEndPath:
            canvas_.EndPath();
            break;
        case kCloseFigure:
            canvas_.CloseFigure();
            break;
        case kFillPath:
            canvas_.FillPath();
            break;
        case kStrokeAndFillPath:
            canvas_.StrokeAndFillPath();
            break;
        case kStrokePath:
            canvas_.StrokePath();
            break;
        case kAbortPath:
            canvas_.AbortPath();
            break;
        case kSelectClipPath:
            canvas_.SelectClipPath(static_cast<ClipMode>(std::clamp(in.I32(8), 1, 5)));
            break;
        case kExtSelectClipRgn:
            ClipRegion(in);
            break;
        case kExtTextOutA:
            TextOut(in, false);
            break;
        case kExtTextOutW:
            TextOut(in, true);
            break;
        case kBitBlt:
        case kStretchBlt:
        case kStretchDiBits:
        case kSetDiBitsToDevice:
            Bitmap(type, in);
            break;
        default:
            break;  // comments, colour management and rarely written records
    }
    return true;
}

void EmfPlayer::Poly(std::uint32_t type, RecordCursor& in, bool small) {
    // +8 bounds, +24 count, +28 points
    const QPolygonF points = ReadPoints(in, 28, in.U32(24), small);
    if (points.isEmpty()) return;
    switch (type) {
        case kPolyBezier:
            canvas_.PolyBezier(points);
            break;
        case kPolygon:
            canvas_.Polygon(points);
            break;
        case kPolyline:
            canvas_.Polyline(points);
            break;
        case kPolyBezierTo:
            canvas_.PolyBezierTo(points);
            break;
        case kPolylineTo:
            canvas_.PolylineTo(points);
            break;
        default:
            break;
    }
}

void EmfPlayer::PolyPoly(std::uint32_t type, RecordCursor& in, bool small) {
    // +8 bounds, +24 polygon count, +28 point count, +32 counts, then the points
    const std::uint32_t polygons = in.U32(24);
    const std::uint32_t total = in.U32(28);
    if (!in.Has(32, std::size_t{polygons} * 4)) return;
    const std::size_t points_at = 32 + std::size_t{polygons} * 4;
    const QPolygonF all = ReadPoints(in, points_at, total, small);
    std::vector<QPolygonF> shapes;
    std::uint32_t used = 0;
    for (std::uint32_t i = 0; i < polygons; ++i) {
        const std::uint32_t n = in.U32(32 + 4 * i);
        if (n > total - used) return;
        shapes.push_back(all.mid(used, n));
        used += n;
    }
    if (type == kPolyPolygon) {
        canvas_.PolyPolygon(shapes);
    } else {
        canvas_.PolyPolyline(shapes);
    }
}

void EmfPlayer::Select(std::uint32_t index) {
    if ((index & kStockObject) == 0) {
        canvas_.SelectObject(index);
        return;
    }
    // Stock objects live in slots no record can name.
    if (const auto stock = StockObject(index & ~kStockObject)) {
        canvas_.CreateObject(index, *stock);
        canvas_.SelectObject(index);
    }
}

// +8 index, +12 LOGFONTW: +12 height, +16 width, +20 escapement, +24 orientation, +28 weight,
// +32 italic, +33 underline, +34 strike-out, +35..+39 charset and qualities, +40 face (32 UTF-16).
void EmfPlayer::Font(RecordCursor& in) {
    LogFont font;
    font.height = in.I32(12);
    font.escapement = in.I32(20);
    font.weight = in.I32(28);
    font.italic = in.U8(32) != 0;
    font.underline = in.U8(33) != 0;
    font.strike_out = in.U8(34) != 0;
    for (std::size_t i = 0; i < 32; ++i) {
        const std::uint16_t c = in.U16(40 + 2 * i);
        if (c == 0) break;
        font.face.append(QChar(c));
    }
    canvas_.CreateObject(in.U32(8), font);
}

// +8 bounds, +24 graphics mode, +28/+32 scales, +36 reference, +44 characters, +48 string
// offset, +52 options, +56 rectangle, +72 spacing offset.
void EmfPlayer::TextOut(RecordCursor& in, bool wide) {
    constexpr std::uint32_t kOpaque = 2;
    const std::uint32_t count = in.U32(44);
    const std::uint32_t at = in.U32(48);
    const auto bytes = in.Bytes(at, std::size_t{count} * (wide ? 2 : 1));
    if (!in.Ok()) return;
    QString text;
    if (wide) {
        for (std::uint32_t i = 0; i < count; ++i)
            text.append(QChar(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    } else {
        text = QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()), count);
    }
    std::optional<QRectF> opaque;
    if ((in.U32(52) & kOpaque) != 0) opaque = ReadBox(in, 56);
    canvas_.Text(ReadPoint(in, 36), text, opaque);
}

QImage EmfPlayer::RecordImage(RecordCursor& in, std::size_t infoAt, std::size_t bitsAt) {
    const auto info = in.Bytes(in.U32(infoAt), in.U32(infoAt + 4));
    const auto bits = in.Bytes(in.U32(bitsAt), in.U32(bitsAt + 4));
    if (!in.Ok() || info.empty()) return {};
    return ImageFromPackedDib(info, bits);
}

void EmfPlayer::Bitmap(std::uint32_t type, RecordCursor& in) {
    if (type == kStretchDiBits) {
        // +24 x, y dest, +32 x, y source, +40 source size, +48 info, +56 bits, +64 usage,
        // +68 rop, +72 dest size
        const QImage image = RecordImage(in, 48, 56);
        const QRectF target(QPointF(in.I32(24), in.I32(28)), QSizeF(in.I32(72), in.I32(76)));
        const QRectF source(in.I32(32), in.I32(36), in.I32(40), in.I32(44));
        if (image.isNull()) {
            canvas_.PatternRect(target, in.U32(68));
            return;
        }
        // Source y counts from the bitmap's bottom row.
        const QRectF flipped(source.x(), image.height() - source.y() - source.height(),
                             source.width(), source.height());
        canvas_.Image(target, image, flipped);
        return;
    }
    if (type == kSetDiBitsToDevice) {
        // +24 x, y dest, +32 x, y source, +40 size, +48 info, +56 bits
        const QImage image = RecordImage(in, 48, 56);
        const QSizeF size(in.I32(40), in.I32(44));
        // Source y counts from the bitmap's bottom row; any 32-bit value may stand there.
        const double source_y = in.I32(36);
        const QRectF source(QPointF(in.I32(32), image.height() - source_y - size.height()), size);
        canvas_.Image(QRectF(QPointF(in.I32(24), in.I32(28)), size), image, source);
        return;
    }
    // Bit and stretch blits: +24 x, y, +32 width, height, +40 rop, +44 source x, y, +84 info,
    // +92 bits; stretch blits add the source size at +100.
    const QRectF target(QPointF(in.I32(24), in.I32(28)), QSizeF(in.I32(32), in.I32(36)));
    const std::uint32_t info_size = in.U32(88);
    if (info_size == 0) {
        canvas_.PatternRect(target, in.U32(40));
        return;
    }
    const QImage image = RecordImage(in, 84, 92);
    const QSizeF source_size =
        type == kStretchBlt ? QSizeF(in.I32(100), in.I32(104)) : target.size();
    canvas_.Image(target, image, QRectF(QPointF(in.I32(44), in.I32(48)), source_size));
}

// +8 region data size, +12 mode, +16 RGNDATA: +16 header size, +20 type, +24 rectangle count,
// +28 size, +32 bounds, +48 rectangles (device coordinates).
void EmfPlayer::ClipRegion(RecordCursor& in) {
    const std::uint32_t size = in.U32(8);
    const auto mode = static_cast<ClipMode>(std::clamp(in.I32(12), 1, 5));
    QRegion region;
    if (size >= 32) {
        const std::uint32_t count = in.U32(24);
        constexpr std::uint32_t kMaxClipRects = 4096;  // more is a hostile file, not a drawing
        if (count > kMaxClipRects || !in.Has(48, std::size_t{count} * 16)) return;
        for (std::uint32_t i = 0; i < count; ++i) {
            region += ReadRegionRect(in, 48 + 16 * i);
        }
    }
    canvas_.SelectClipRegion(region, mode);
}

// Every record in turn, up to the end-of-file record or the first damaged one.
void PlayRecords(const std::vector<std::uint8_t>& bytes, EmfPlayer& player) {
    const std::span<const std::uint8_t> all(bytes);
    std::size_t at = 0;
    while (at + kRecordHead <= bytes.size()) {
        RecordCursor head(all.subspan(at, kRecordHead));
        const std::uint32_t type = head.U32(0);
        const std::uint32_t size = head.U32(4);
        if (size < kRecordHead || size % 4 != 0 || size > bytes.size() - at) break;
        RecordCursor record(all.subspan(at, size));
        if (!player.Play(type, record)) break;
        at += size;
    }
}

// The frame (hundredths of a millimetre) in device pixels; a degenerate frame falls back to the
// bounds, then to the whole device.
QRectF FrameInPixels(const EmfHeader& header) {
    const double px_x =
        double(header.device_pixels.width()) / header.device_millimetres.width() / 100;
    const double px_y =
        double(header.device_pixels.height()) / header.device_millimetres.height() / 100;
    QRectF frame(QPointF(header.frame.left() * px_x, header.frame.top() * px_y),
                 QPointF(header.frame.right() * px_x, header.frame.bottom() * px_y));
    if (frame.width() <= 0 || frame.height() <= 0)
        frame = QRectF(header.bounds).adjusted(0, 0, 1, 1);
    if (frame.width() <= 0 || frame.height() <= 0)
        frame = QRectF(QPointF(0, 0), QSizeF(header.device_pixels));
    return frame;
}

// a and b differ by no more than a small part of b's size (and a few pixels).
bool Matches(const QRectF& a, const QRectF& b) {
    constexpr double kPart = 0.02, kPixels = 3;
    const double dx = kPixels + kPart * b.width(), dy = kPixels + kPart * b.height();
    return std::abs(a.left() - b.left()) <= dx && std::abs(a.right() - b.right()) <= dx &&
           std::abs(a.top() - b.top()) <= dy && std::abs(a.bottom() - b.bottom()) <= dy;
}

// inner lies in outer, allowing a small overhang (pen ends, glyphs of another font).
bool Inside(const QRectF& inner, const QRectF& outer) {
    constexpr double kOverhang = 0.05, kPixels = 3;
    const double dx = kPixels + kOverhang * outer.width();
    const double dy = kPixels + kOverhang * outer.height();
    return outer.adjusted(-dx, -dy, dx, dy).contains(inner);
}

}  // namespace

std::optional<EmfHeader> ReadEmfHeader(const std::vector<std::uint8_t>& bytes) {
    RecordCursor in(bytes);
    if (in.U32(0) != kHeaderType || in.U32(40) != kSignature) return std::nullopt;
    const std::uint32_t size = in.U32(4);
    if (size < kMinHeaderSize || size > bytes.size() || !in.Ok()) return std::nullopt;
    EmfHeader header;
    header.bounds = ReadBox(in, 8);
    header.frame = ReadBox(in, 24);
    header.handles = in.U16(56);
    header.device_pixels = QSize(in.I32(72), in.I32(76));
    header.device_millimetres = QSize(in.I32(80), in.I32(84));
    if (!in.Ok() || header.device_pixels.width() <= 0 || header.device_pixels.height() <= 0 ||
        header.device_millimetres.width() <= 0 || header.device_millimetres.height() <= 0) {
        return std::nullopt;
    }
    return header;
}

QRectF PictureRect(const std::vector<std::uint8_t>& bytes, const EmfHeader& header) {
    const QRectF frame = FrameInPixels(header);
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    EmfPlayer player(header, painter, QTransform());
    player.Canvas().MeasureOnly();
    PlayRecords(bytes, player);
    const std::optional<QRectF> drawn = player.Canvas().Drawn();
    const std::optional<QTransform> mapping = player.Canvas().FirstMapping();
    if (!drawn || drawn->width() <= 0 || drawn->height() <= 0) return frame;
    // Some producers record the bounds, and the frame made from them, in logical units.
    const bool logical_bounds = mapping && !mapping->isIdentity() &&
                                Matches(mapping->mapRect(header.bounds), *drawn) &&
                                !Matches(header.bounds, *drawn);
    if (logical_bounds || !Inside(*drawn, frame)) return *drawn;
    return frame;
}

void PlayEmf(const std::vector<std::uint8_t>& bytes, const EmfHeader& header, QPainter& painter,
             const QRectF& picture, const QRectF& target) {
    QTransform to_target;
    to_target.translate(target.left(), target.top());
    to_target.scale(target.width() / picture.width(), target.height() / picture.height());
    to_target.translate(-picture.left(), -picture.top());
    EmfPlayer player(header, painter, to_target);
    PlayRecords(bytes, player);
}

}  // namespace pixelary::metafile

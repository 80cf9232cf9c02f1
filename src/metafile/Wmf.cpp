// SPDX-License-Identifier: GPL-3.0-or-later
#include "metafile/Wmf.h"

#include <QString>

#include "metafile/GdiCanvas.h"
#include "metafile/RecordCursor.h"

namespace pixelary::metafile {

namespace {

// Header (18 bytes): +0 type (1 memory, 2 disk), +2 header size in words (9), +4 version,
// +6 size in words (32), +10 object count, +12 largest record (32), +16 unused.
constexpr std::size_t kHeaderBytes = 18;
constexpr std::uint16_t kHeaderWords = 9;
// Records: +0 size in 16-bit words (32), +4 function, +6 parameters.
constexpr std::size_t kRecordHead = 6;
constexpr std::size_t kParams = 6;

enum Function : std::uint16_t {
    kEof = 0x0000,
    kSaveDc = 0x001E,
    kRealizePalette = 0x0035,
    kCreatePalette = 0x00F7,
    kSetBkColor = 0x0201,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetPolyFillMode = 0x0106,
    kSetTextAlign = 0x012E,
    kRestoreDc = 0x0127,
    kSelectObject = 0x012D,
    kDibCreatePatternBrush = 0x0142,
    kDeleteObject = 0x01F0,
    kCreatePatternBrush = 0x01F9,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kOffsetWindowOrg = 0x020F,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kSelectPalette = 0x0234,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kScaleWindowExt = 0x0410,
    kExcludeClipRect = 0x0415,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kTextOut = 0x0521,
    kPolyPolygon = 0x0538,
    kRoundRect = 0x061C,
    kPatBlt = 0x061D,
    kCreateRegion = 0x06FF,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kDibBitBlt = 0x0940,
    kExtTextOut = 0x0A32,
    kDibStretchBlt = 0x0B41,
    kStretchDib = 0x0F43,
};

QColor ColourRef(RecordCursor& in, std::size_t at) {
    return QColor(in.U8(at), in.U8(at + 1), in.U8(at + 2));
}

QPointF Point(RecordCursor& in, std::size_t at) {
    return QPointF(in.I16(at), in.I16(at + 2));
}
// Many records list y before x.
QPointF PointYX(RecordCursor& in, std::size_t at) {
    return QPointF(in.I16(at + 2), in.I16(at));
}
// Rectangles are stored bottom, right, top, left.
QRectF BoxBRTL(RecordCursor& in, std::size_t at) {
    return QRectF(QPointF(in.I16(at + 6), in.I16(at + 4)), QPointF(in.I16(at + 2), in.I16(at)));
}

QPolygonF Points(RecordCursor& in, std::size_t at, std::size_t count) {
    if (!in.Has(at, count * 4)) return {};
    QPolygonF points;
    points.reserve(static_cast<qsizetype>(count));
    for (std::size_t i = 0; i < count; ++i) points.append(Point(in, at + 4 * i));
    return points;
}

// A packed bitmap: the information header, its colours, then the rows.
QImage PackedDib(RecordCursor& in, std::size_t at) {
    const std::uint32_t header = in.U32(at);
    const std::uint16_t bits = in.U16(at + 14);
    const std::uint32_t compression = in.U32(at + 16);
    const std::uint32_t used = in.U32(at + 32);
    if (!in.Ok() || header < 40 || header > 1024 || used > 256) return {};
    std::size_t colours = bits <= 8 ? (used != 0 ? used : (std::size_t{1} << bits)) : 0;
    if (compression == 3) colours += 3;  // bit-field masks
    const std::size_t info_size = header + colours * 4;
    if (!in.Has(at, info_size)) return {};
    const auto info = in.Bytes(at, info_size);
    const auto rows = in.Bytes(at + info_size, in.Size() - at - info_size);
    return ImageFromPackedDib(info, rows);
}

class WmfPlayer {
  public:
    WmfPlayer(QPainter& painter, const QRectF& window, const QRectF& target)
        : canvas_(painter, QTransform(), 1, 1), target_(target) {
        canvas_.SetMapMode(kMmAnisotropic);
        canvas_.SetViewportOrg(target.topLeft());
        canvas_.SetViewportExt(target.size());
        canvas_.SetWindowOrg(window.topLeft());
        canvas_.SetWindowExt(window.size());
    }
    bool Play(std::uint16_t function, RecordCursor& in);

  private:
    void Font(RecordCursor& in);
    void TextOut(RecordCursor& in);
    void ExtTextOut(RecordCursor& in);
    void Blit(std::uint16_t function, RecordCursor& in);

    GdiCanvas canvas_;
    QRectF target_;
};

bool WmfPlayer::Play(std::uint16_t function, RecordCursor& in) {
    switch (function) {
        case kEof:
            return false;
        case kSetWindowOrg:
            canvas_.SetWindowOrg(PointYX(in, kParams));
            break;
        case kSetWindowExt: {
            const QPointF ext = PointYX(in, kParams);
            canvas_.SetWindowExt(QSizeF(ext.x(), ext.y()));
            break;
        }
        case kOffsetWindowOrg:
            canvas_.OffsetWindowOrg(PointYX(in, kParams));
            break;
        case kScaleWindowExt:  // yDenom, yNum, xDenom, xNum
            canvas_.ScaleWindowExt(in.I16(12), in.I16(10), in.I16(8), in.I16(6));
            break;
        // The viewport is the target: the picture fills it.
        case kSetViewportOrg:
        case kSetViewportExt:
            break;
        case kSetMapMode:
            canvas_.SetMapMode(in.I16(kParams) == kMmIsotropic ? kMmIsotropic : kMmAnisotropic);
            break;
        case kSetBkMode:
            canvas_.SetBkMode(in.I16(kParams));
            break;
        case kSetPolyFillMode:
            canvas_.SetPolyFillMode(in.I16(kParams));
            break;
        case kSetTextAlign:
            canvas_.SetTextAlign(in.U16(kParams));
            break;
        case kSetTextColor:
            canvas_.SetTextColor(ColourRef(in, kParams));
            break;
        case kSetBkColor:
            canvas_.SetBkColor(ColourRef(in, kParams));
            break;
        case kSaveDc:
            canvas_.Save();
            break;
        case kRestoreDc:
            canvas_.Restore(in.I16(kParams));
            break;
        case kMoveTo:
            canvas_.MoveTo(PointYX(in, kParams));
            break;
        case kLineTo:
            canvas_.LineTo(PointYX(in, kParams));
            break;
        case kPolyline:
            canvas_.Polyline(Points(in, kParams + 2, in.U16(kParams)));
            break;
        case kPolygon:
            canvas_.Polygon(Points(in, kParams + 2, in.U16(kParams)));
            break;
        case kPolyPolygon: {
            const std::size_t count = in.U16(kParams);
            std::size_t at = kParams + 2 + 2 * count;
            std::vector<QPolygonF> polygons;
            for (std::size_t i = 0; i < count && in.Ok(); ++i) {
                const std::size_t n = in.U16(kParams + 2 + 2 * i);
                polygons.push_back(Points(in, at, n));
                at += 4 * n;
            }
            if (in.Ok()) canvas_.PolyPolygon(polygons);
            break;
        }
        case kRectangle:
            canvas_.Rectangle(BoxBRTL(in, kParams));
            break;
        case kEllipse:
            canvas_.Ellipse(BoxBRTL(in, kParams));
            break;
        case kRoundRect:  // height, width, then the rectangle
            canvas_.RoundRect(BoxBRTL(in, kParams + 4),
                              QSizeF(in.I16(kParams + 2), in.I16(kParams)));
            break;
        case kArc:
        case kPie:
        case kChord: {  // end (y, x), start (y, x), rectangle
            const ArcKind kind = function == kArc   ? ArcKind::Arc
                                 : function == kPie ? ArcKind::Pie
                                                    : ArcKind::Chord;
            canvas_.ArcShape(kind, BoxBRTL(in, kParams + 8), PointYX(in, kParams + 4),
                             PointYX(in, kParams));
            break;
        }
        case kIntersectClipRect:
            canvas_.IntersectClipRect(BoxBRTL(in, kParams));
            break;
        case kExcludeClipRect:
            canvas_.ExcludeClipRect(BoxBRTL(in, kParams));
            break;
        case kCreatePenIndirect:  // style, width (x, y), colour
            canvas_.AddObject(
                LogPen{in.U16(kParams), double(in.I16(kParams + 2)), ColourRef(in, kParams + 6)});
            break;
        case kCreateBrushIndirect:  // style, colour, hatch
            canvas_.AddObject(
                LogBrush{in.U16(kParams), ColourRef(in, kParams + 2), in.U16(kParams + 6), {}});
            break;
        case kDibCreatePatternBrush:  // style, usage, packed bitmap
            canvas_.AddObject(LogBrush{3, Qt::gray, 0, PackedDib(in, kParams + 4)});
            break;
        case kCreateFontIndirect:
            Font(in);
            break;
        case kCreatePalette:
        case kCreatePatternBrush:
        case kCreateRegion:
            canvas_.AddObject(OtherObject{});
            break;
        case kSelectObject:
            canvas_.SelectObject(in.U16(kParams));
            break;
        case kDeleteObject:
            canvas_.DeleteObject(in.U16(kParams));
            break;
        case kTextOut:
            TextOut(in);
            break;
        case kExtTextOut:
            ExtTextOut(in);
            break;
        case kPatBlt:  // rop, height, width, y, x
            canvas_.PatternRect(
                QRectF(PointYX(in, kParams + 8), QSizeF(in.I16(kParams + 6), in.I16(kParams + 4))),
                in.U32(kParams));
            break;
        case kDibBitBlt:
        case kDibStretchBlt:
        case kStretchDib:
            Blit(function, in);
            break;
        default:
            break;  // palettes, escapes and rarely written records
    }
    return true;
}

// height, width, escapement, orientation, weight, italic, underline, strike-out, charset,
// qualities (4 bytes), face (up to 32 bytes).
void WmfPlayer::Font(RecordCursor& in) {
    LogFont font;
    font.height = in.I16(kParams);
    font.escapement = in.I16(kParams + 4);
    font.weight = in.I16(kParams + 8);
    font.italic = in.U8(kParams + 10) != 0;
    font.underline = in.U8(kParams + 11) != 0;
    font.strike_out = in.U8(kParams + 12) != 0;
    QByteArray face;
    for (std::size_t i = 0; i < 32 && in.Has(kParams + 18 + i, 1); ++i) {
        const char c = static_cast<char>(in.U8(kParams + 18 + i));
        if (c == 0) break;
        face.append(c);
    }
    font.face = QString::fromLatin1(face);
    canvas_.AddObject(font);
}

// count, the string (padded to a word), y, x
void WmfPlayer::TextOut(RecordCursor& in) {
    const std::size_t count = in.U16(kParams);
    const auto text = in.Bytes(kParams + 2, count);
    const std::size_t after = kParams + 2 + (count + 1) / 2 * 2;
    const QPointF at = PointYX(in, after);
    if (!in.Ok()) return;
    canvas_.Text(at,
                 QString::fromLatin1(reinterpret_cast<const char*>(text.data()),
                                     static_cast<qsizetype>(count)),
                 std::nullopt);
}

// y, x, count, options, [rectangle when clipped or opaque], the string, [spacing]
void WmfPlayer::ExtTextOut(RecordCursor& in) {
    constexpr std::uint16_t kOpaque = 2, kClipped = 4;
    const QPointF at = PointYX(in, kParams);
    const std::size_t count = in.U16(kParams + 4);
    const std::uint16_t options = in.U16(kParams + 6);
    std::size_t text_at = kParams + 8;
    std::optional<QRectF> opaque;
    if ((options & (kOpaque | kClipped)) != 0) {
        const QRectF box(QPointF(in.I16(text_at), in.I16(text_at + 2)),
                         QPointF(in.I16(text_at + 4), in.I16(text_at + 6)));
        if ((options & kOpaque) != 0) opaque = box;
        text_at += 8;
    }
    const auto text = in.Bytes(text_at, count);
    if (!in.Ok()) return;
    canvas_.Text(at,
                 QString::fromLatin1(reinterpret_cast<const char*>(text.data()),
                                     static_cast<qsizetype>(count)),
                 opaque);
}

void WmfPlayer::Blit(std::uint16_t function, RecordCursor& in) {
    // Parameters after the raster operation (2 words), y before x, sizes height before width:
    // stretch DIB: usage, source size, source origin, dest size, dest origin, bitmap;
    // DIB stretch blit: source size, source origin, dest size, dest origin, bitmap;
    // DIB bit blit: source origin, size, dest origin, bitmap.
    const std::uint32_t rop = in.U32(kParams);
    std::size_t at = kParams + 4;
    if (function == kStretchDib) at += 2;
    QSizeF source_size, dest_size;
    QPointF source_origin, dest_origin;
    if (function == kDibBitBlt) {
        source_origin = PointYX(in, at);
        const QPointF size = PointYX(in, at + 4);
        dest_size = source_size = QSizeF(size.x(), size.y());
        dest_origin = PointYX(in, at + 8);
        at += 12;
    } else {
        const QPointF ss = PointYX(in, at);
        source_size = QSizeF(ss.x(), ss.y());
        source_origin = PointYX(in, at + 4);
        const QPointF ds = PointYX(in, at + 8);
        dest_size = QSizeF(ds.x(), ds.y());
        dest_origin = PointYX(in, at + 12);
        at += 16;
    }
    if (!in.Ok()) return;
    const QRectF target(dest_origin, dest_size);
    if (!in.Has(at, 40)) {
        canvas_.PatternRect(target, rop);
        return;
    }
    const QImage image = PackedDib(in, at);
    if (image.isNull()) return;
    // Source y counts from the bitmap's bottom row.
    const QRectF source(source_origin.x(),
                        image.height() - source_origin.y() - source_size.height(),
                        source_size.width(), source_size.height());
    canvas_.Image(target, image, source);
}

}  // namespace

bool IsWindowsMetafile(const std::vector<std::uint8_t>& bytes) {
    RecordCursor in(bytes);
    const std::uint16_t type = in.U16(0);
    return in.Ok() && (type == 1 || type == 2) && in.U16(2) == kHeaderWords;
}

void PlayWmf(const std::vector<std::uint8_t>& bytes, QPainter& painter, const QRectF& window,
             const QRectF& target) {
    WmfPlayer player(painter, window, target);
    const std::span<const std::uint8_t> all(bytes);
    std::size_t at = kHeaderBytes;
    while (at + kRecordHead <= bytes.size()) {
        RecordCursor head(all.subspan(at, kRecordHead));
        const std::uint64_t size = std::uint64_t{head.U32(0)} * 2;
        const std::uint16_t function = head.U16(4);
        if (size < kRecordHead || size > bytes.size() - at) break;
        RecordCursor record(all.subspan(at, static_cast<std::size_t>(size)));
        if (!player.Play(function, record)) break;
        at += static_cast<std::size_t>(size);
    }
}

}  // namespace pixelary::metafile

// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/dxf/DxfDrawing.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "codecs/common/CodecImage.h"

namespace pixcodec {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;
constexpr const char* kBinaryMagic = "AutoCAD Binary DXF";
constexpr int kClosedFlag = 1;
constexpr int kSplineSteps = 16;
constexpr long long kMaxSplineWork = 1LL << 24;  // de Boor steps times (degree + 1)^2
constexpr double kTextWidthPerChar = 0.6;        // of the text height

bool Finite(double v) {
    return std::isfinite(v);
}

Point Polar(Point centre, double radius, double angle) {
    return {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
}

// The counter-clockwise sweep from a0 to a1 brought into one turn by whole turns: [0, 2 pi)
// when the end lies before the start. Adding turns one at a time never ends for angles so large
// that a turn is below their precision.
double TurnsReduced(double sweep) {
    const double reduced = std::fmod(sweep, 2 * kPi);
    return reduced < 0 ? reduced + 2 * kPi : reduced;
}

// The segments that draw a sweep of this many radians as smoothly as a whole circle.
int ArcSteps(double sweep) {
    return std::max(2, static_cast<int>(kCircleSegments * std::fabs(sweep) / (2 * kPi)) + 1);
}

// Appends the arc from a0 to a1 (radians, counter-clockwise) as segments; more than a whole
// turn draws the whole circle once.
void AppendArc(std::vector<Point>& out, Point centre, double radius, double a0, double a1) {
    double sweep = a1 - a0;
    if (!Finite(a0) || !Finite(sweep)) return;
    sweep = sweep < 0 ? TurnsReduced(sweep) : std::min(sweep, 2 * kPi);
    const int steps = ArcSteps(sweep);
    for (int i = 0; i <= steps; ++i) out.push_back(Polar(centre, radius, a0 + sweep * i / steps));
}

// The segment from p to q with a bulge (tan of a quarter of the included angle) as an arc.
void AppendBulge(std::vector<Point>& out, Point p, Point q, double bulge) {
    const double chord = std::hypot(q.x - p.x, q.y - p.y);
    if (std::fabs(bulge) < 1e-9 || chord < 1e-12) {
        out.push_back(q);
        return;
    }
    const double angle = 4 * std::atan(bulge);
    const double radius = chord / (2 * std::sin(std::fabs(angle) / 2));
    const double middle =
        std::atan2(q.y - p.y, q.x - p.x) + (bulge > 0 ? 1 : -1) * (kPi / 2 - std::fabs(angle) / 2);
    const Point centre = Polar(p, radius, middle);
    const double a0 = std::atan2(p.y - centre.y, p.x - centre.x);
    const int steps = ArcSteps(angle);
    for (int i = 1; i <= steps; ++i) out.push_back(Polar(centre, radius, a0 + angle * i / steps));
}

// De Boor evaluation of a B-spline; falls back to the control polygon for bad knot vectors.
std::vector<Point> EvaluateSpline(const std::vector<Point>& control, std::vector<double> knots,
                                  int degree) {
    const int n = static_cast<int>(control.size());
    if (degree < 1 || n <= degree) return control;
    if (static_cast<int>(knots.size()) != n + degree + 1) {
        knots.clear();  // clamped uniform
        for (int i = 0; i < n + degree + 1; ++i) {
            knots.push_back(std::clamp(i - degree, 0, n - degree));
        }
    }
    if (!std::is_sorted(knots.begin(), knots.end())) return control;
    std::vector<Point> out;
    const double start = knots[degree], end = knots[n];
    if (!(end > start)) return control;
    // A file may declare hundreds of thousands of control points or a huge degree: the work of
    // one evaluation is bounded, a long spline gets fewer steps per span.
    const long long work = static_cast<long long>(degree + 1) * (degree + 1);
    const long long wanted = static_cast<long long>(kSplineSteps) * (n - degree);
    const int steps = static_cast<int>(std::clamp(kMaxSplineWork / work, 1LL, wanted));
    out.reserve(static_cast<std::size_t>(steps) + 1);
    std::vector<Point> d;
    int k = degree;  // t only grows, so the span only moves on
    for (int s = 0; s <= steps; ++s) {
        const double t = start + (end - start) * s / steps;
        while (k < n - 1 && t >= knots[k + 1]) ++k;
        d.assign(control.begin() + (k - degree), control.begin() + k + 1);
        for (int r = 1; r <= degree; ++r) {
            for (int j = degree; j >= r; --j) {
                const double span = knots[j + 1 + k - r] - knots[j + k - degree];
                const double alpha = span > 0 ? (t - knots[j + k - degree]) / span : 0;
                d[j] = {(1 - alpha) * d[j - 1].x + alpha * d[j].x,
                        (1 - alpha) * d[j - 1].y + alpha * d[j].y};
            }
        }
        out.push_back(d[degree]);
    }
    return out;
}

// Receives dxflib's entities and keeps them as paths of the current container.
class Collector : public DL_CreationAdapter {
  public:
    explicit Collector(Drawing& drawing) : drawing_(drawing), target_(&drawing.model) {}

    void addBlock(const DL_BlockData& data) override {
        Finish();
        target_ = &drawing_.blocks[data.name];
        base_ = {data.bpx, data.bpy};
    }
    void endBlock() override {
        Finish();
        target_ = &drawing_.model;
        base_ = {};
    }
    void addPoint(const DL_PointData& p) override { Add({{At(p.x, p.y), At(p.x, p.y)}}); }
    void addLine(const DL_LineData& l) override { Add({{At(l.x1, l.y1), At(l.x2, l.y2)}}); }
    void addArc(const DL_ArcData& a) override {
        Path path;
        AppendArc(path.points, At(a.cx, a.cy), a.radius, a.angle1 * kPi / 180,
                  a.angle2 * kPi / 180);
        Add(std::move(path));
    }
    void addCircle(const DL_CircleData& c) override {
        Path path;
        AppendArc(path.points, At(c.cx, c.cy), c.radius, 0, 2 * kPi);
        Add(std::move(path));
    }
    void addEllipse(const DL_EllipseData& e) override;
    void addPolyline(const DL_PolylineData& data) override {
        Finish();
        polyline_ = true;
        closed_ = (data.flags & kClosedFlag) != 0;
    }
    void addVertex(const DL_VertexData& v) override {
        if (!polyline_) return;
        const Point p = At(v.x, v.y);
        if (vertices_.points.empty()) {
            vertices_.points.push_back(p);
        } else {
            AppendBulge(vertices_.points, vertices_.points.back(), p, bulge_);
        }
        bulge_ = Finite(v.bulge) ? v.bulge : 0;
        first_bulge_target_ = vertices_.points.front();
    }
    void endSequence() override { Finish(); }
    void addSpline(const DL_SplineData& data) override {
        Finish();
        spline_ = true;
        degree_ = static_cast<int>(data.degree);
    }
    void addControlPoint(const DL_ControlPointData& p) override {
        if (spline_) control_.push_back(At(p.x, p.y));
    }
    void addFitPoint(const DL_FitPointData& p) override {
        if (spline_) fit_.push_back(At(p.x, p.y));
    }
    void addKnot(const DL_KnotData& k) override {
        if (spline_ && Finite(k.k)) knots_.push_back(k.k);
    }
    void addSolid(const DL_SolidData& s) override { AddQuad(s); }
    void addTrace(const DL_TraceData& t) override { AddQuad(t); }
    void addText(const DL_TextData& t) override {
        AddTextBox(t.ipx, t.ipy, t.height, t.text.size(), t.angle * kPi / 180);
    }
    void addMText(const DL_MTextData& t) override {
        AddTextBox(t.ipx, t.ipy, t.height, t.text.size(), std::atan2(t.diry, t.dirx));
    }
    void addInsert(const DL_InsertData& i) override;

    void Finish();

  private:
    Point At(double x, double y) const { return {x - base_.x, y - base_.y}; }
    void Add(Path path);
    void AddQuad(const DL_TraceData& q) {
        // Corners are stored 1, 2, 4, 3 around the outline.
        Path path{{At(q.x[0], q.y[0]), At(q.x[1], q.y[1]), At(q.x[3], q.y[3]), At(q.x[2], q.y[2])},
                  true};
        Add(std::move(path));
    }
    // Text is shown as the outline of the box it fills.
    void AddTextBox(double x, double y, double height, std::size_t length, double angle);

    Drawing& drawing_;
    Container* target_;
    Point base_;
    std::size_t points_ = 0;
    bool polyline_ = false;
    bool closed_ = false;
    double bulge_ = 0;
    Point first_bulge_target_;
    Path vertices_;
    bool spline_ = false;
    int degree_ = 0;
    std::vector<Point> control_, fit_;
    std::vector<double> knots_;
};

void Collector::Add(Path path) {
    Finish();
    for (const Point& p : path.points) {
        if (!Finite(p.x) || !Finite(p.y)) return;
    }
    points_ += path.points.size();
    if (points_ > kMaxPathPoints) Fail(PIX_ERR_TOO_LARGE);
    target_->paths.push_back(std::move(path));
}

void Collector::Finish() {
    if (polyline_) {
        polyline_ = false;
        Path path = std::move(vertices_);
        vertices_ = {};
        if (closed_ && !path.points.empty()) {
            AppendBulge(path.points, path.points.back(), first_bulge_target_, bulge_);
        }
        bulge_ = 0;
        if (!path.points.empty()) Add(std::move(path));
    }
    if (spline_) {
        spline_ = false;
        Path path;
        path.points = fit_.size() >= 2 ? fit_ : EvaluateSpline(control_, knots_, degree_);
        control_.clear();
        fit_.clear();
        knots_.clear();
        if (!path.points.empty()) Add(std::move(path));
    }
}

void Collector::addEllipse(const DL_EllipseData& e) {
    const double major = std::hypot(e.mx, e.my);
    const double rotation = std::atan2(e.my, e.mx);
    const double a0 = e.angle1;
    double sweep = e.angle2 - a0;
    if (!Finite(a0) || !Finite(sweep)) return;
    // An end at or before the start runs on to it, less than one turn past the start.
    if (sweep <= 0) sweep = TurnsReduced(sweep);
    if (sweep <= 0) sweep += 2 * kPi;
    if (sweep > 4 * kPi) return;
    Path path;
    const int steps = ArcSteps(sweep);
    const Point centre = At(e.cx, e.cy);
    for (int i = 0; i <= steps; ++i) {
        const double t = a0 + sweep * i / steps;
        const double x = major * std::cos(t), y = major * e.ratio * std::sin(t);
        path.points.push_back({centre.x + x * std::cos(rotation) - y * std::sin(rotation),
                               centre.y + x * std::sin(rotation) + y * std::cos(rotation)});
    }
    Add(std::move(path));
}

void Collector::AddTextBox(double x, double y, double height, std::size_t length, double angle) {
    if (length == 0 || !(height > 0)) return;
    const double width = height * kTextWidthPerChar * static_cast<double>(length);
    const Point origin = At(x, y);
    const double c = std::cos(angle), s = std::sin(angle);
    auto corner = [&](double u, double v) {
        return Point{origin.x + u * c - v * s, origin.y + u * s + v * c};
    };
    Add({{corner(0, 0), corner(width, 0), corner(width, height), corner(0, height), corner(0, 0)}});
}

void Collector::addInsert(const DL_InsertData& i) {
    Finish();
    const double angle = i.angle * kPi / 180;
    const double sx = i.sx == 0 ? 1 : i.sx, sy = i.sy == 0 ? 1 : i.sy;
    Transform t{sx * std::cos(angle), sx * std::sin(angle), -sy * std::sin(angle),
                sy * std::cos(angle), i.ipx - base_.x,      i.ipy - base_.y};
    if (!Finite(t.a) || !Finite(t.b) || !Finite(t.e) || !Finite(t.f)) return;
    target_->inserts.push_back({i.name, t});
}

// Bounds the work of expanding inserts: points placed and inserts visited.
struct Budget {
    std::size_t points = 0;
    std::size_t inserts = 0;
};

void FlattenInto(const Drawing& drawing, const Container& container, const Transform& transform,
                 int depth, Budget& budget, std::vector<Path>& out) {
    for (const Path& path : container.paths) {
        budget.points += path.points.size();
        if (budget.points > kMaxPathPoints) Fail(PIX_ERR_TOO_LARGE);
        Path placed{{}, path.filled};
        placed.points.reserve(path.points.size());
        bool finite = true;
        for (const Point& p : path.points) {
            placed.points.push_back(transform.Apply(p));
            finite = finite && Finite(placed.points.back().x) && Finite(placed.points.back().y);
        }
        // Extreme insert scales can overflow; such paths are dropped.
        if (finite) out.push_back(std::move(placed));
    }
    if (depth >= kMaxInsertDepth) return;
    for (const Insert& insert : container.inserts) {
        const auto block = drawing.blocks.find(insert.block);
        if (block == drawing.blocks.end()) continue;
        if (++budget.inserts > kMaxInserts) Fail(PIX_ERR_TOO_LARGE);
        FlattenInto(drawing, block->second, insert.transform.Then(transform), depth + 1, budget,
                    out);
    }
}

}  // namespace

Transform Transform::Then(const Transform& o) const {
    return {o.a * a + o.c * b, o.b * a + o.d * b,       o.a * c + o.c * d,
            o.b * c + o.d * d, o.a * e + o.c * f + o.e, o.b * e + o.d * f + o.f};
}

std::vector<Path> Drawing::Flatten() const {
    std::vector<Path> out;
    Budget budget;
    FlattenInto(*this, model, Transform{}, 0, budget, out);
    return out;
}

Drawing ReadDrawing(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) Fail(PIX_ERR_OPEN);
    char head[32] = {};
    file.read(head, sizeof head - 1);
    if (std::strncmp(head, kBinaryMagic, std::strlen(kBinaryMagic)) == 0) Fail(PIX_ERR_UNSUPPORTED);
    file.seekg(0, std::ios::end);
    if (static_cast<std::size_t>(file.tellg()) > kMaxFileBytes) Fail(PIX_ERR_TOO_LARGE);
    file.clear();
    file.seekg(0);
    Drawing drawing;
    Collector collector(drawing);
    DL_Dxf dxf;
    if (!dxf.in(file, &collector)) Fail(PIX_ERR_FORMAT);
    collector.Finish();
    return drawing;
}

}  // namespace pixcodec

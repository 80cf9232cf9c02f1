// SPDX-License-Identifier: GPL-3.0-or-later
// Simple raster code: lines by Bresenham's algorithm, filled polygons by even-odd scan lines,
// then every stroke widened to a pen of kPenRadius, so that thumbnails sampled from the
// rendering still show the lines.
#include "codecs/dxf/DxfRaster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pixcodec {

namespace {

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// Drawing units to pixels: y grows upwards in a drawing and downwards in a picture.
struct Mapping {
    double minX = 0, maxY = 0, scale = 1;
    Point ToPixel(Point p) const {
        return {kRenderMargin + (p.x - minX) * scale, kRenderMargin + (maxY - p.y) * scale};
    }
};

// One byte a pixel while drawing: 1 where ink is.
class Canvas {
  public:
    Canvas(int width, int height)
        : width_(width), height_(height), ink_(static_cast<std::size_t>(width) * height, 0) {}

    void Plot(int x, int y) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        ink_[static_cast<std::size_t>(y) * width_ + x] = 1;
    }

    void Line(Point a, Point b) {
        int x0 = static_cast<int>(std::lround(a.x)), y0 = static_cast<int>(std::lround(a.y));
        const int x1 = static_cast<int>(std::lround(b.x)), y1 = static_cast<int>(std::lround(b.y));
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int error = dx + dy;
        for (;;) {
            Plot(x0, y0);
            if (x0 == x1 && y0 == y1) return;
            const int e2 = 2 * error;
            if (e2 >= dy) {
                error += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                error += dx;
                y0 += sy;
            }
        }
    }

    void Fill(const std::vector<Point>& polygon) {
        if (polygon.size() < 3) return;
        double top = std::numeric_limits<double>::max(), bottom = -top;
        for (const Point& p : polygon) {
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
        }
        // Clamped to the picture before converting, so no value is out of int's range.
        const int first = static_cast<int>(std::ceil(std::clamp(top, 0.0, 1.0 * height_)));
        const int last = static_cast<int>(std::floor(std::clamp(bottom, -1.0, height_ - 1.0)));
        std::vector<double> crossings;
        for (int y = first; y <= last; ++y) {
            crossings.clear();
            for (std::size_t i = 0; i < polygon.size(); ++i) {
                const Point& a = polygon[i];
                const Point& b = polygon[(i + 1) % polygon.size()];
                if ((a.y <= y && b.y > y) || (b.y <= y && a.y > y)) {
                    crossings.push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
                }
            }
            std::sort(crossings.begin(), crossings.end());
            for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
                const double right = width_ - 1.0;
                const int from =
                    static_cast<int>(std::ceil(std::clamp(crossings[i], 0.0, right + 1)));
                const int to =
                    static_cast<int>(std::floor(std::clamp(crossings[i + 1], -1.0, right)));
                for (int x = from; x <= to; ++x) Plot(x, y);
            }
        }
    }

    // Widens the ink by radius pixels in every direction: a square pen, applied as a running
    // maximum along the rows and then along the columns.
    void Thicken(int radius) {
        std::vector<std::uint8_t> pass(ink_.size(), 0);
        Spread(ink_, pass, height_, width_, 1, width_, radius);  // along each row
        Spread(pass, ink_, width_, height_, width_, 1, radius);  // along each column
    }

    // The ink as a 1-bit picture: index 0 black, 1 white.
    Image ToImage() const {
        Image image;
        image.Allocate(width_, height_, 1);
        image.palette = {kBlack, kWhite};
        std::fill(image.pixels.begin(), image.pixels.end(), 0xFF);
        for (int y = 0; y < height_; ++y) {
            std::uint8_t* row = image.Row(y);
            const std::uint8_t* ink = &ink_[static_cast<std::size_t>(y) * width_];
            for (int x = 0; x < width_; ++x) {
                if (ink[x]) row[x >> 3] &= static_cast<std::uint8_t>(~(0x80 >> (x & 7)));
            }
        }
        return image;
    }

  private:
    // For each of lines runs of length pixels (step apart, lines lineStep apart), out is 1
    // where in has ink within radius along the run.
    static void Spread(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out,
                       int lines, int length, std::size_t step, std::size_t lineStep, int radius) {
        for (int line = 0; line < lines; ++line) {
            const std::size_t base = line * lineStep;
            int count = 0;  // ink in the window [i - radius, i + radius]
            for (int i = 0; i < std::min(radius, length); ++i) count += in[base + i * step];
            for (int i = 0; i < length; ++i) {
                if (i + radius < length) count += in[base + (i + radius) * step];
                if (i - radius - 1 >= 0) count -= in[base + (i - radius - 1) * step];
                out[base + i * step] = count > 0 ? 1 : 0;
            }
        }
    }

    int width_;
    int height_;
    std::vector<std::uint8_t> ink_;
};

}  // namespace

Image Render(const std::vector<Path>& paths) {
    double minX = std::numeric_limits<double>::max(), minY = minX;
    double maxX = -minX, maxY = -minX;
    for (const Path& path : paths) {
        for (const Point& p : path.points) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
    }
    if (minX > maxX) Fail(PIX_ERR_FORMAT);  // nothing drawn
    const double width = maxX - minX, height = maxY - minY;
    const double extent = std::max(width, height);
    if (!std::isfinite(extent)) Fail(PIX_ERR_CORRUPT);
    const int inner = kRenderSide - 2 * kRenderMargin;
    const double scale = extent > 0 ? (inner - 1) / extent : 1;
    const int pictureWidth = static_cast<int>(std::lround(width * scale)) + 2 * kRenderMargin + 1;
    const int pictureHeight = static_cast<int>(std::lround(height * scale)) + 2 * kRenderMargin + 1;
    CheckSize(pictureWidth, pictureHeight);
    const Mapping mapping{minX, maxY, scale};
    Canvas canvas(pictureWidth, pictureHeight);
    std::vector<Point> pixels;
    for (const Path& path : paths) {
        pixels.clear();
        for (const Point& p : path.points) pixels.push_back(mapping.ToPixel(p));
        if (path.filled) canvas.Fill(pixels);
        for (std::size_t i = 0; i + 1 < pixels.size(); ++i) canvas.Line(pixels[i], pixels[i + 1]);
        if (path.filled && pixels.size() > 2) canvas.Line(pixels.back(), pixels.front());
    }
    canvas.Thicken(kPenRadius);
    return canvas.ToImage();
}

}  // namespace pixcodec

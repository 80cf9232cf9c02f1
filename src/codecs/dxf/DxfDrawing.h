// SPDX-License-Identifier: GPL-3.0-or-later
// A DXF drawing reduced to what is drawn: paths (open, closed or filled) in drawing units, and
// block inserts expanded into them.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace pixcodec {

struct Point {
    double x = 0;
    double y = 0;
};

// A run of connected segments; filled paths are painted solid.
struct Path {
    std::vector<Point> points;
    bool filled = false;
};

// Maps block coordinates into the drawing: scale, rotate, then move.
struct Transform {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;  // x' = a x + c y + e; y' = b x + d y + f
    Point Apply(Point p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    Transform Then(const Transform& outer) const;
};

struct Insert {
    std::string block;
    Transform transform;
};

// Paths and inserts of the model space or of one block.
struct Container {
    std::vector<Path> paths;
    std::vector<Insert> inserts;
};

// Limits on what a hostile file can make the module do.
constexpr std::size_t kMaxPathPoints = 4'000'000;  // after expanding every insert
constexpr int kMaxInsertDepth = 8;
constexpr std::size_t kMaxInserts = 1'000'000;  // inserts expanded in all
constexpr int kCircleSegments = 72;

struct Drawing {
    Container model;
    std::map<std::string, Container> blocks;
    // The model with every insert expanded, within kMaxPathPoints and kMaxInsertDepth.
    std::vector<Path> Flatten() const;
};

// Parses an ASCII DXF file; raises CodecError for unreadable or binary files.
Drawing ReadDrawing(const char* path);

}  // namespace pixcodec

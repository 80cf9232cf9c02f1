// SPDX-License-Identifier: GPL-3.0-or-later
// Palette choice for writing true-colour pictures into palette formats.
#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "codecs/common/CodecImage.h"

namespace pixcodec {

namespace {

// Colours are counted on a 5-bit-per-channel grid, which keeps the histogram small.
constexpr int kGridBits = 5;
constexpr int kGridShift = 8 - kGridBits;

struct Bucket {
    std::uint32_t colour;  // grid colour
    std::uint32_t count;
};

int Channel(std::uint32_t colour, int channel) {
    return (colour >> (8 * channel)) & 0xFF;
}

struct Box {
    std::vector<Bucket>::iterator begin, end;

    int WidestChannel(int& range) const {
        std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
        for (auto it = begin; it != end; ++it) {
            for (int c = 0; c < 3; ++c) {
                lo[c] = std::min(lo[c], Channel(it->colour, c));
                hi[c] = std::max(hi[c], Channel(it->colour, c));
            }
        }
        int best = 0;
        range = -1;
        for (int c = 0; c < 3; ++c) {
            if (hi[c] - lo[c] > range) {
                range = hi[c] - lo[c];
                best = c;
            }
        }
        return best;
    }

    std::uint32_t Mean() const {
        std::array<std::uint64_t, 3> sum{};
        std::uint64_t total = 0;
        for (auto it = begin; it != end; ++it) {
            for (int c = 0; c < 3; ++c) sum[c] += std::uint64_t(Channel(it->colour, c)) * it->count;
            total += it->count;
        }
        if (total == 0) return 0;
        std::uint32_t out = 0;
        for (int c = 0; c < 3; ++c) out |= std::uint32_t(sum[c] / total) << (8 * c);
        return out;
    }
};

std::vector<Bucket> Histogram(const Image& rgb) {
    std::unordered_map<std::uint32_t, std::uint32_t> counts;
    for (int y = 0; y < rgb.height; ++y) {
        const std::uint8_t* row = rgb.Row(y);
        for (int x = 0; x < rgb.width; ++x) {
            const std::uint32_t key = (row[3 * x + 2] >> kGridShift) << 16 |
                                      (row[3 * x + 1] >> kGridShift) << 8 |
                                      (row[3 * x] >> kGridShift);
            ++counts[key];
        }
    }
    std::vector<Bucket> buckets;
    buckets.reserve(counts.size());
    const int half = 1 << (kGridShift - 1);
    for (const auto& [key, count] : counts) {
        std::uint32_t colour = 0;
        for (int c = 0; c < 3; ++c) {
            colour |= std::uint32_t((((key >> (8 * c)) & 0xFF) << kGridShift) + half) << (8 * c);
        }
        buckets.push_back({colour, count});
    }
    return buckets;
}

}  // namespace

std::vector<std::uint32_t> MedianCutPalette(const Image& rgb, std::size_t colours) {
    std::vector<Bucket> buckets = Histogram(rgb);
    std::vector<Box> boxes{{buckets.begin(), buckets.end()}};
    while (boxes.size() < colours) {
        // Split the box with the widest channel range that still holds two grid colours.
        int bestRange = -1;
        std::size_t bestBox = 0;
        int bestChannel = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin < 2) continue;
            int range = 0;
            const int channel = boxes[i].WidestChannel(range);
            if (range > bestRange) {
                bestRange = range;
                bestBox = i;
                bestChannel = channel;
            }
        }
        if (bestRange <= 0) break;
        Box box = boxes[bestBox];
        std::sort(box.begin, box.end, [bestChannel](const Bucket& a, const Bucket& b) {
            return Channel(a.colour, bestChannel) < Channel(b.colour, bestChannel);
        });
        std::uint64_t total = 0, half = 0;
        for (auto it = box.begin; it != box.end; ++it) total += it->count;
        auto split = box.begin;
        while (split + 1 != box.end && half + split->count < total / 2) half += (split++)->count;
        if (split == box.begin) ++split;
        boxes[bestBox] = {box.begin, split};
        boxes.push_back({split, box.end});
    }
    std::vector<std::uint32_t> palette;
    for (const Box& box : boxes) palette.push_back(box.Mean());
    palette.resize(colours, 0);
    return palette;
}

int NearestIndex(const std::vector<std::uint32_t>& palette, std::uint32_t rgb) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        int distance = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = Channel(palette[i], c) - Channel(rgb, c);
            distance += d * d;
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
            if (distance == 0) break;
        }
    }
    return best;
}

bool ExactPalette(const Image& source, std::size_t limit, std::vector<std::uint32_t>& palette) {
    palette.clear();
    std::unordered_map<std::uint32_t, int> seen;
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            const std::uint32_t c = source.Rgb(x, y);
            if (seen.count(c)) continue;
            if (seen.size() == limit) return false;
            seen.emplace(c, static_cast<int>(seen.size()));
            palette.push_back(c);
        }
    }
    palette.resize(limit, 0);
    return true;
}

}  // namespace pixcodec

#include "core/RegionLabels.h"

#include "core/TorusMath.h"

#include <algorithm>

namespace {
// Keys order (distance, index) lexicographically as plain integers.
constexpr uint64_t step = uint64_t{1} << 32;
constexpr uint64_t unreached = uint64_t{0x7FFFFFFF} << 32;

// Relaxes a circle of keys in both directions until nothing changes: every
// entry ends as the least (distance + steps, index) over all entries.
void SweepCircle(uint64_t* v, int64_t n, int64_t stride) {
    for (int64_t i = 1; i < n; ++i)
        v[i * stride] = std::min(v[i * stride], v[(i - 1) * stride] + step);
    // The second time round only carries what wrapped past the end.
    for (int64_t i = 0; i < n; ++i) {
        const uint64_t from = v[(i == 0 ? n - 1 : i - 1) * stride] + step;
        if (from >= v[i * stride]) break;
        v[i * stride] = from;
    }
    for (int64_t i = n - 2; i >= 0; --i)
        v[i * stride] = std::min(v[i * stride], v[(i + 1) * stride] + step);
    for (int64_t i = n - 1; i >= 0; --i) {
        const uint64_t from = v[(i == n - 1 ? 0 : i + 1) * stride] + step;
        if (from >= v[i * stride]) break;
        v[i * stride] = from;
    }
}
}  // namespace

RegionLabeller::RegionLabeller(const Point* points, int32_t count, int32_t width, int32_t height)
    : points_(points, points + count), width_(width), height_(height) {
    for (const Point& p : points_) {
        if (p.x < 0 || p.x >= width || p.y < 0 || p.y >= height) separable_ = false;
    }
    if (!separable_ || points_.empty()) return;

    std::vector<uint32_t> order(points_.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return points_[a].x < points_[b].x; });
    for (uint32_t i = 0; i < order.size(); ++i) {
        if (i == 0 || points_[order[i]].x != points_[order[i - 1]].x) {
            columns_.push_back(points_[order[i]].x);
            columnStart_.push_back(i);
        }
    }
    columnStart_.push_back(static_cast<uint32_t>(order.size()));
    pointsByColumn_ = std::move(order);
    columnBest_.resize(size_t(height) * columns_.size());
}

void RegionLabeller::PrepareColumn(int32_t slot, std::vector<uint64_t>& scratch) {
    scratch.assign(size_t(height_), unreached);
    for (uint32_t e = columnStart_[slot]; e < columnStart_[slot + 1]; ++e) {
        const uint32_t index = pointsByColumn_[e];
        uint64_t& key = scratch[size_t(points_[index].y)];
        key = std::min<uint64_t>(key, index);
    }
    SweepCircle(scratch.data(), height_, 1);
    const size_t slots = columns_.size();
    for (int32_t y = 0; y < height_; ++y) columnBest_[size_t(y) * slots + size_t(slot)] = scratch[size_t(y)];
}

void RegionLabeller::LabelRow(int32_t y, int32_t* labels, std::vector<uint64_t>& scratch) const {
    if (points_.empty()) {
        std::fill(labels, labels + width_, -1);
        return;
    }
    if (!separable_) {
        for (int32_t x = 0; x < width_; ++x) {
            int64_t best = INT64_MAX;
            int32_t label = -1;
            for (size_t i = 0; i < points_.size(); ++i) {
                const TorusImage image =
                    NearestTorusImage(points_[i].x, points_[i].y, x, y, width_, height_);
                if (image.distance < best) {
                    best = image.distance;
                    label = static_cast<int32_t>(i);
                }
            }
            labels[x] = label;
        }
        return;
    }
    scratch.assign(size_t(width_), unreached);
    const size_t slots = columns_.size();
    const uint64_t* best = columnBest_.data() + size_t(y) * slots;
    for (size_t k = 0; k < slots; ++k) scratch[size_t(columns_[k])] = best[k];
    SweepCircle(scratch.data(), width_, 1);
    for (int32_t x = 0; x < width_; ++x) labels[x] = static_cast<int32_t>(scratch[size_t(x)] & 0xFFFFFFFFu);
}

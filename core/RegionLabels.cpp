#include "core/RegionLabels.h"

#include "core/TorusMath.h"

#include <algorithm>
#include <utility>

namespace {
// Keys order (distance, index) lexicographically as plain integers.
constexpr uint64_t step = uint64_t{1} << 32;
constexpr uint64_t unreached = uint64_t{0x7FFFFFFF} << 32;

// Sources at increasing positions round a ring, gaps[i] from source i to the
// next (the last one's gap reaches round to the first). Lowers every key to
// the best any source offers there: (its distance + steps along the ring,
// its index).
void SettleSources(uint64_t* key, const int64_t* gaps, size_t n) {
    if (n < 2) return;
    // Twice round each way carries everything past the seam.
    for (int round = 0; round < 2; ++round) {
        for (size_t i = 0; i < n; ++i) {
            const size_t next = i + 1 == n ? 0 : i + 1;
            key[next] = std::min(key[next], key[i] + uint64_t(gaps[i]) * step);
        }
    }
    for (int round = 0; round < 2; ++round) {
        for (size_t i = n; i-- > 0;) {
            const size_t next = i + 1 == n ? 0 : i + 1;
            key[i] = std::min(key[i], key[next] + uint64_t(gaps[i]) * step);
        }
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
    for (size_t k = 0; k < columns_.size(); ++k) {
        const int64_t next = k + 1 < columns_.size() ? columns_[k + 1] : int64_t{columns_[0]} + width;
        columnGaps_.push_back(next - columns_[k]);
    }
}

void RegionLabeller::PrepareColumn(int32_t slot, std::vector<uint64_t>& scratch) {
    // The column's points by row, the lowest index where several share one.
    std::vector<std::pair<int32_t, uint64_t>> sources;
    for (uint32_t e = columnStart_[slot]; e < columnStart_[slot + 1]; ++e) {
        const uint32_t index = pointsByColumn_[e];
        sources.emplace_back(points_[index].y, index);
    }
    std::sort(sources.begin(), sources.end());
    sources.erase(std::unique(sources.begin(), sources.end(),
                              [](const auto& a, const auto& b) { return a.first == b.first; }),
                  sources.end());
    const size_t n = sources.size();
    scratch.resize(n);
    std::vector<int64_t> gaps(n);
    for (size_t i = 0; i < n; ++i) {
        scratch[i] = sources[i].second;
        const int64_t next = i + 1 < n ? sources[i + 1].first : int64_t{sources[0].first} + height_;
        gaps[i] = next - sources[i].first;
    }
    SettleSources(scratch.data(), gaps.data(), n);

    // Between two neighbouring sources every row takes the better of the two.
    const size_t slots = columns_.size();
    for (size_t i = 0; i < n; ++i) {
        const size_t next = i + 1 == n ? 0 : i + 1;
        const uint64_t from = scratch[i], to = scratch[next];
        int64_t y = sources[i].first;
        for (int64_t t = 0; t < gaps[i]; ++t, ++y) {
            if (y == height_) y = 0;
            const uint64_t down = from + uint64_t(t) * step;
            const uint64_t up = to + uint64_t(gaps[i] - t) * step;
            columnBest_[size_t(y) * slots + size_t(slot)] = std::min(down, up);
        }
    }
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
    const size_t n = columns_.size();
    const uint64_t* best = columnBest_.data() + size_t(y) * n;
    scratch.assign(best, best + n);
    SettleSources(scratch.data(), columnGaps_.data(), n);

    // From each source column to the next, the left one wins up to the
    // crossing and the right one after it; a tie goes to the lower index.
    for (size_t i = 0; i < n; ++i) {
        const size_t next = i + 1 == n ? 0 : i + 1;
        const int64_t gap = columnGaps_[i];
        const auto leftDistance = int64_t(scratch[i] >> 32), rightDistance = int64_t(scratch[next] >> 32);
        const auto leftLabel = int32_t(scratch[i] & 0xFFFFFFFFu);
        const auto rightLabel = int32_t(scratch[next] & 0xFFFFFFFFu);
        // Offset t from the left column: left wins while leftDistance + t is
        // below rightDistance + gap - t, i.e. 2t < c.
        const int64_t c = rightDistance - leftDistance + gap;
        int64_t leftCells = c <= 0 ? 0 : (c + 1) / 2;  // offsets t with 2t < c
        if (c >= 0 && c % 2 == 0 && leftLabel < rightLabel) ++leftCells;  // the tie at 2t = c
        leftCells = std::clamp<int64_t>(leftCells, 1, gap);  // the column itself is settled
        const int64_t start = columns_[i];
        const auto fill = [&](int64_t from, int64_t count, int32_t label) {
            // The run may wrap past the last column.
            const int64_t first = std::min(count, width_ - from);
            std::fill(labels + from, labels + from + first, label);
            std::fill(labels, labels + (count - first), label);
        };
        fill(start, leftCells, leftLabel);
        if (gap > leftCells) fill((start + leftCells) % width_, gap - leftCells, rightLabel);
    }
}

#include "core/RegionLabels.h"

#include "core/TorusMath.h"

#include <algorithm>
#include <utility>

namespace {
// Keys order (distance, index) lexicographically as plain integers.
constexpr uint64_t step = uint64_t{1} << 32;

// Sources at increasing positions round a ring, gaps[i] from source i to the
// next (the last one's gap reaches round to the first). Lowers every key to
// the best any source offers there: (its distance + steps along the ring,
// its index).
// Settles `lanes` rings at once (key[i * lanes + j] is source i of ring j),
// so that the running bests of the rings form independent chains.
template <int lanes>
void SettleSources(uint64_t* key, const int64_t* gaps, size_t n) {
    if (n < 2) return;
    // Once round each way, then on past the seam for as long as anything
    // still improves. The running bests stay in registers.
    uint64_t carry[lanes];
    for (int j = 0; j < lanes; ++j) carry[j] = key[j];
    for (size_t i = 1; i < n; ++i) {
        const uint64_t add = uint64_t(gaps[i - 1]) * step;
        for (int j = 0; j < lanes; ++j) key[i * lanes + j] = carry[j] = std::min(key[i * lanes + j], carry[j] + add);
    }
    for (int j = 0; j < lanes; ++j) {
        for (size_t i = 0; i < n; ++i) {
            carry[j] += uint64_t(gaps[i == 0 ? n - 1 : i - 1]) * step;
            if (carry[j] >= key[i * lanes + j]) break;
            key[i * lanes + j] = carry[j];
        }
    }
    for (int j = 0; j < lanes; ++j) carry[j] = key[(n - 1) * lanes + j];
    for (size_t i = n - 1; i-- > 0;) {
        const uint64_t add = uint64_t(gaps[i]) * step;
        for (int j = 0; j < lanes; ++j) key[i * lanes + j] = carry[j] = std::min(key[i * lanes + j], carry[j] + add);
    }
    for (int j = 0; j < lanes; ++j) {
        for (size_t i = n; i-- > 0;) {
            carry[j] += uint64_t(gaps[i]) * step;
            if (carry[j] >= key[i * lanes + j]) break;
            key[i * lanes + j] = carry[j];
        }
    }
}

// Labels a run of cells. Runs come in increasing order and each may spill
// up to 8 cells past its end, which the runs after it overwrite; the buffer
// has 8 cells to spare at the end. Short runs then cost one fixed store and
// no unpredictable branch.
constexpr int64_t spill = 8;

inline void FillRun(int32_t* labels, int64_t start, int64_t length, int32_t label) {
    std::fill_n(labels + start, spill, label);
    for (int64_t x = start + spill; x < start + length; ++x) labels[x] = label;
}
}  // namespace

RegionLabeller::RegionLabeller(const Point* points, int32_t count, int32_t width, int32_t height)
    : points_(points, points + count), width_(width), height_(height) {
    for (const Point& p : points_) {
        if (p.x < 0 || p.x >= width || p.y < 0 || p.y >= height) separable_ = false;
    }
    if (!separable_ || points_.empty()) return;

    // Points by column, then row, then index: the first of a column's
    // points on one row is the one that counts there.
    std::vector<uint32_t> order(points_.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const Point& p = points_[a];
        const Point& q = points_[b];
        return p.x != q.x ? p.x < q.x : p.y != q.y ? p.y < q.y : a < b;
    });
    for (size_t i = 0; i < order.size(); ++i) {
        const Point& p = points_[order[i]];
        const bool newColumn = i == 0 || p.x != points_[order[i - 1]].x;
        if (newColumn) {
            columns_.push_back(p.x);
            columnStart_.push_back(uint32_t(sourceRows_.size()));
        }
        if (newColumn || p.y != points_[order[i - 1]].y) {
            sourceRows_.push_back(p.y);
            sourceIndex_.push_back(order[i]);
        }
    }
    columnStart_.push_back(uint32_t(sourceRows_.size()));
    columnStride_ = size_t(height) + 8;
    columnBest_.resize(columnStride_ * columns_.size());
    for (size_t k = 0; k < columns_.size(); ++k) {
        const int64_t next = k + 1 < columns_.size() ? columns_[k + 1] : int64_t{columns_[0]} + width;
        columnGaps_.push_back(next - columns_[k]);
    }
}

void RegionLabeller::PrepareColumn(int32_t slot, LabelScratch& scratch) {
    const uint32_t first = columnStart_[slot];
    const size_t n = columnStart_[slot + 1] - first;
    const int32_t* rows = sourceRows_.data() + first;
    std::vector<uint64_t>& keys = scratch.keys;
    std::vector<int64_t>& gaps = scratch.columns;
    keys.assign(sourceIndex_.begin() + first, sourceIndex_.begin() + first + ptrdiff_t(n));
    gaps.resize(n);
    for (size_t i = 0; i < n; ++i)
        gaps[i] = (i + 1 < n ? rows[i + 1] : int64_t{rows[0]} + height_) - rows[i];
    SettleSources<1>(keys.data(), gaps.data(), n);

    // Between two neighbouring sources every row takes the better of the two.
    uint64_t* column = columnBest_.data() + size_t(slot) * columnStride_;
    for (size_t i = 0; i < n; ++i) {
        const uint64_t from = keys[i], to = keys[i + 1 == n ? 0 : i + 1];
        int64_t y = rows[i];
        for (int64_t t = 0; t < gaps[i]; ++t, ++y) {
            if (y == height_) y = 0;
            column[y] = std::min(from + uint64_t(t) * step, to + uint64_t(gaps[i] - t) * step);
        }
    }
}

const int32_t* RegionLabeller::LabelRows(int32_t first, int32_t count, LabelScratch& scratch) const {
    const size_t stride = RowStride();
    scratch.labels.resize(stride * size_t(blockRows));
    if (points_.empty()) {
        for (int32_t r = 0; r < count; ++r)
            std::fill_n(scratch.labels.data() + size_t(r) * stride, width_, -1);
        return scratch.labels.data();
    }
    if (!separable_) {
        for (int32_t r = 0; r < count; ++r) {
            int32_t* labels = scratch.labels.data() + size_t(r) * stride;
            for (int32_t x = 0; x < width_; ++x) {
                int64_t best = INT64_MAX;
                int32_t label = -1;
                for (size_t i = 0; i < points_.size(); ++i) {
                    const TorusImage image = NearestTorusImage(points_[i].x, points_[i].y, x,
                                                               first + r, width_, height_);
                    if (image.distance < best) {
                        best = image.distance;
                        label = static_cast<int32_t>(i);
                    }
                }
                labels[x] = label;
            }
        }
        return scratch.labels.data();
    }

    // The column keys of the block's rows, side by side; missing rows of a
    // short block repeat the last one.
    const size_t n = columns_.size();
    constexpr int lanes = blockRows;
    std::vector<uint64_t>& keys = scratch.keys;
    std::vector<uint64_t>& settled = scratch.settled;
    keys.resize(n * lanes);
    for (size_t k = 0; k < n; ++k) {
        const uint64_t* column = columnBest_.data() + k * columnStride_ + size_t(first);
        for (int j = 0; j < lanes; ++j) keys[k * lanes + size_t(j)] = column[std::min(j, count - 1)];
    }
    settled = keys;
    SettleSources<lanes>(settled.data(), columnGaps_.data(), n);

    std::vector<int64_t>& alive = scratch.columns;
    alive.resize(n);
    for (int32_t r = 0; r < count; ++r) {
        int32_t* labels = scratch.labels.data() + size_t(r) * stride;
        // A source column that the settling improved is beaten at its own
        // column by another source, and so everywhere: only the others
        // bound runs. Their keys move to the front of this lane.
        size_t m = 0;
        for (size_t k = 0; k < n; ++k) {
            const uint64_t own = keys[k * lanes + size_t(r)];
            keys[m * lanes + size_t(r)] = own;
            alive[m] = columns_[k];
            m += settled[k * lanes + size_t(r)] == own;
        }
        const auto key = [&](size_t i) { return keys[i * lanes + size_t(r)]; };

        // From each source column to the next, the left one wins up to the
        // crossing and the right one after it; a tie goes to the lower index.
        // Only the run from the last column wraps past the end of the row.
        for (size_t i = 0; i < m; ++i) {
            const size_t next = i + 1 == m ? 0 : i + 1;
            const int64_t start = alive[i];
            const int64_t gap = (i + 1 == m ? alive[0] + width_ : alive[next]) - start;
            const auto leftLabel = int32_t(key(i) & 0xFFFFFFFFu);
            const auto rightLabel = int32_t(key(next) & 0xFFFFFFFFu);
            // Offset t from the left column: left wins while its distance
            // plus t is below the right's plus gap - t, i.e. 2t < c. Settled
            // sources make c >= 0.
            const int64_t c = int64_t(key(next) >> 32) - int64_t(key(i) >> 32) + gap;
            int64_t leftCells = (c + 1) >> 1;
            leftCells += int64_t((c & 1) == 0) & int64_t(leftLabel < rightLabel);  // the tie at 2t = c
            leftCells = std::min(std::max<int64_t>(leftCells, 1), gap);  // the column itself is settled
            if (start + gap <= width_) {
                FillRun(labels, start, leftCells, leftLabel);
                FillRun(labels, start + leftCells, gap - leftCells, rightLabel);
            } else {
                // The last run: exact writes, since the row's first cells are done.
                for (int64_t t = 0; t < gap; ++t) {
                    const int64_t x = start + t;
                    labels[x < width_ ? x : x - width_] = t < leftCells ? leftLabel : rightLabel;
                }
            }
        }
    }
    return scratch.labels.data();
}

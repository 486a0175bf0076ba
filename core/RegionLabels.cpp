#include "core/RegionLabels.h"

#include "core/TorusMath.h"

#include <algorithm>
#include <atomic>
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
template <int lanes> void SettleSources(uint64_t* key, const int64_t* gaps, size_t n) {
    if (n < 2)
        return;
    // Once round each way, then on past the seam for as long as anything
    // still improves. The running bests stay in registers.
    uint64_t carry[lanes];
    for (int j = 0; j < lanes; ++j)
        carry[j] = key[j];
    for (size_t i = 1; i < n; ++i) {
        const uint64_t add = uint64_t(gaps[i - 1]) * step;
        for (int j = 0; j < lanes; ++j)
            key[i * lanes + j] = carry[j] = std::min(key[i * lanes + j], carry[j] + add);
    }
    for (int j = 0; j < lanes; ++j) {
        for (size_t i = 0; i < n; ++i) {
            carry[j] += uint64_t(gaps[i == 0 ? n - 1 : i - 1]) * step;
            if (carry[j] >= key[i * lanes + j])
                break;
            key[i * lanes + j] = carry[j];
        }
    }
    for (int j = 0; j < lanes; ++j)
        carry[j] = key[(n - 1) * lanes + j];
    for (size_t i = n - 1; i-- > 0;) {
        const uint64_t add = uint64_t(gaps[i]) * step;
        for (int j = 0; j < lanes; ++j)
            key[i * lanes + j] = carry[j] = std::min(key[i * lanes + j], carry[j] + add);
    }
    for (int j = 0; j < lanes; ++j) {
        for (size_t i = n; i-- > 0;) {
            carry[j] += uint64_t(gaps[i]) * step;
            if (carry[j] >= key[i * lanes + j])
                break;
            key[i * lanes + j] = carry[j];
        }
    }
}

// Labels a run of cells. Runs come in increasing order and each may spill
// up to 32 cells past its end, which the runs after it overwrite; the buffer
// has 32 cells to spare at the end. Most runs are shorter than that: a fixed
// store and no branch whose outcome varies from run to run.
constexpr int64_t spill = 32;

inline void FillRun(int32_t* labels, int64_t start, int64_t length, int32_t label) {
    std::fill_n(labels + start, spill, label);
    for (int64_t x = start + spill; x < start + length; x += 8)
        std::fill_n(labels + x, 8, label);
}

// A scratch remembers its band by labeller; a new labeller at the address of
// an old one must not find the old band.
std::atomic<uint64_t> nextLabellerId{1};
}  // namespace

RegionLabeller::RegionLabeller(const Point* points, int32_t count, int32_t width, int32_t height)
    : id_(nextLabellerId.fetch_add(1, std::memory_order_relaxed)), points_(points, points + count),
      width_(width), height_(height) {
    for (const Point& p : points_) {
        if (p.x < 0 || p.x >= width || p.y < 0 || p.y >= height)
            separable_ = false;
    }
    if (!separable_ || points_.empty())
        return;

    // Points by column, then row, then index: the first of a column's
    // points on one row is the one that counts there.
    std::vector<uint32_t> order(points_.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
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
            sourceKeys_.push_back(order[i]);
        }
    }
    columnStart_.push_back(uint32_t(sourceRows_.size()));
    sourceGaps_.resize(sourceRows_.size());
    for (size_t k = 0; k < columns_.size(); ++k) {
        const uint32_t first = columnStart_[k], end = columnStart_[k + 1];
        for (uint32_t i = first; i < end; ++i)
            sourceGaps_[i] =
                (i + 1 < end ? sourceRows_[i + 1] : int64_t{sourceRows_[first]} + height) -
                sourceRows_[i];
        const int64_t next =
            k + 1 < columns_.size() ? columns_[k + 1] : int64_t{columns_[0]} + width;
        columnGaps_.push_back(next - columns_[k]);
    }
}

void RegionLabeller::PrepareColumn(int32_t slot) {
    const uint32_t first = columnStart_[size_t(slot)];
    SettleSources<1>(sourceKeys_.data() + first, sourceGaps_.data() + first,
                     columnStart_[size_t(slot) + 1] - first);
}

// Between two neighbouring sources of the column every row takes the better
// of the two.
uint64_t RegionLabeller::ColumnKey(int32_t slot, int32_t y) const {
    const uint32_t first = columnStart_[size_t(slot)], end = columnStart_[size_t(slot) + 1];
    const int32_t* rows = sourceRows_.data();
    if (end - first == 1) {
        const int64_t d = y >= rows[first] ? y - rows[first] : rows[first] - y;
        return sourceKeys_[first] + uint64_t(std::min<int64_t>(d, height_ - d)) * step;
    }
    uint32_t i = uint32_t(std::upper_bound(rows + first, rows + end, y) - rows);
    i = (i == first ? end : i) - 1;
    const int64_t t = y >= rows[i] ? y - rows[i] : int64_t{y} + height_ - rows[i];
    const uint32_t next = i + 1 == end ? first : i + 1;
    return std::min(sourceKeys_[i] + uint64_t(t) * step,
                    sourceKeys_[next] + uint64_t(sourceGaps_[i] - t) * step);
}

// The columns that may win somewhere in rows first .. end - 1. A column's
// own distance and the best any column offers it both change by at most one
// per row, so one beaten by more than twice the distance to the band's middle
// row is beaten, strictly, in every row of the band; leaving it out changes
// neither a winner nor a tie.
void RegionLabeller::ChooseContenders(int32_t first, int32_t end, LabelScratch& scratch) const {
    const int32_t middle = first + (end - 1 - first) / 2;
    const uint64_t margin = uint64_t(2 * std::max(middle - first, end - 1 - middle));
    const size_t n = columns_.size();
    std::vector<uint64_t>& own = scratch.columnKeys;
    std::vector<uint64_t>& best = scratch.settledKeys;
    own.resize(n);
    for (size_t k = 0; k < n; ++k)
        own[k] = ColumnKey(int32_t(k), middle);
    best = own;
    SettleSources<1>(best.data(), columnGaps_.data(), n);
    scratch.contenders.clear();
    for (size_t k = 0; k < n; ++k) {
        if ((own[k] >> 32) - (best[k] >> 32) <= margin)
            scratch.contenders.push_back(int32_t(k));
    }
    const size_t m = scratch.contenders.size();
    scratch.contenderGaps.resize(m);
    for (size_t q = 0; q < m; ++q) {
        const int64_t x = columns_[size_t(scratch.contenders[q])];
        const int64_t next = q + 1 < m ? columns_[size_t(scratch.contenders[q + 1])]
                                       : int64_t{columns_[size_t(scratch.contenders[0])]} + width_;
        scratch.contenderGaps[q] = next - x;
    }
    scratch.owner = id_;
    scratch.bandFirst = first;
    scratch.bandEnd = end;
}

const int32_t* RegionLabeller::LabelRows(int32_t first, int32_t count,
                                         LabelScratch& scratch) const {
    scratch.rowLabels.resize(RowStride() * size_t(blockRows));
    if (points_.empty()) {
        for (int32_t r = 0; r < count; ++r)
            std::fill_n(scratch.rowLabels.data() + size_t(r) * RowStride(), width_, -1);
    } else if (!separable_) {
        LabelByComparison(first, count, scratch);
    } else {
        ServeBand(first, count, scratch);
        KeyBlockRows(first, count, scratch);
        for (int32_t r = 0; r < count; ++r)
            LabelRowRuns(r, scratch);
    }
    return scratch.rowLabels.data();
}

// Every cell compared with every point, as the nine-copy rule says.
void RegionLabeller::LabelByComparison(int32_t first, int32_t count, LabelScratch& scratch) const {
    for (int32_t r = 0; r < count; ++r) {
        int32_t* labels = scratch.rowLabels.data() + size_t(r) * RowStride();
        for (int32_t x = 0; x < width_; ++x) {
            int64_t best = INT64_MAX;
            int32_t label = -1;
            for (size_t i = 0; i < points_.size(); ++i) {
                const TorusImage image =
                    NearestTorusImage(points_[i].x, points_[i].y, x, first + r, width_, height_);
                if (image.distance < best) {
                    best = image.distance;
                    label = static_cast<int32_t>(i);
                }
            }
            labels[x] = label;
        }
    }
}

// The contenders of the band holding the block, or of the block alone when it
// straddles two; kept from the last block when the band is the same.
void RegionLabeller::ServeBand(int32_t first, int32_t count, LabelScratch& scratch) const {
    int32_t bandFirst = first - first % bandRows;
    int32_t bandEnd = std::min(bandFirst + bandRows, height_);
    if (first + count > bandEnd) {
        bandFirst = first;
        bandEnd = first + count;
    }
    if (scratch.owner != id_ || scratch.bandFirst != bandFirst || scratch.bandEnd != bandEnd)
        ChooseContenders(bandFirst, bandEnd, scratch);
}

// The column keys of the block's rows side by side, in scratch.columnKeys, and the
// same settled along the row, in scratch.settledKeys; missing rows of a short
// block repeat the last one.
void RegionLabeller::KeyBlockRows(int32_t first, int32_t count, LabelScratch& scratch) const {
    const std::vector<int32_t>& contenders = scratch.contenders;
    const size_t n = contenders.size();
    constexpr int lanes = blockRows;
    std::vector<uint64_t>& keys = scratch.columnKeys;
    keys.resize(n * lanes);
    const int32_t* rows = sourceRows_.data();
    for (size_t k = 0; k < n; ++k) {
        const uint32_t slot = uint32_t(contenders[k]);
        const uint32_t begin = columnStart_[slot], end = columnStart_[slot + 1];
        // The source at or above the first row, then down the block.
        uint32_t i = uint32_t(std::upper_bound(rows + begin, rows + end, first) - rows);
        i = (i == begin ? end : i) - 1;
        int64_t t = first >= rows[i] ? first - rows[i] : int64_t{first} + height_ - rows[i];
        for (int j = 0; j < lanes; ++j) {
            if (j > 0 && j < count && ++t == sourceGaps_[i]) {
                i = i + 1 == end ? begin : i + 1;
                t = 0;
            }
            const uint32_t next = i + 1 == end ? begin : i + 1;
            keys[k * lanes + size_t(j)] =
                std::min(sourceKeys_[i] + uint64_t(t) * step,
                         sourceKeys_[next] + uint64_t(sourceGaps_[i] - t) * step);
        }
    }
    scratch.settledKeys = keys;
    SettleSources<lanes>(scratch.settledKeys.data(), scratch.contenderGaps.data(), n);
}

// Row r of the block, from its settled column keys.
void RegionLabeller::LabelRowRuns(int32_t r, LabelScratch& scratch) const {
    constexpr int lanes = blockRows;
    const size_t n = scratch.contenders.size();
    std::vector<uint64_t>& keys = scratch.columnKeys;
    std::vector<int64_t>& alive = scratch.runColumns;
    alive.resize(n);
    int32_t* labels = scratch.rowLabels.data() + size_t(r) * RowStride();
    // A source column that the settling improved is beaten at its own
    // column by another source, and so everywhere: only the others
    // bound runs. Their keys move to the front of this lane.
    size_t m = 0;
    for (size_t k = 0; k < n; ++k) {
        const uint64_t own = keys[k * lanes + size_t(r)];
        keys[m * lanes + size_t(r)] = own;
        alive[m] = columns_[size_t(scratch.contenders[k])];
        m += scratch.settledKeys[k * lanes + size_t(r)] == own;
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
            // The last run: exact writes past the edge, since the row's
            // first cells are done.
            const int64_t edge = width_ - start;
            const int64_t leftHere = std::min(leftCells, edge);
            FillRun(labels, start, leftHere, leftLabel);
            FillRun(labels, start + leftHere, edge - leftHere, rightLabel);
            std::fill(labels, labels + std::max<int64_t>(leftCells - edge, 0), leftLabel);
            std::fill(labels + std::max<int64_t>(leftCells - edge, 0), labels + (gap - edge),
                      rightLabel);
        }
    }
}

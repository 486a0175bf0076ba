// Each pass blurs rows and columns at once: the rows' window sums go into a
// ring of the 2R + 1 rows around the output row, and per column a running sum
// over the ring slides down by adding the row entering and subtracting the
// row leaving. The integer sums are exact, so a band of rows may start its
// running sums anywhere: the bands a second thread takes change no bit.

#include "landform/Smoothing.h"

#include "core/WorkShare.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// 2^40: with a window of at most 65 x 65 cells, a window sum stays below 2^53
// and so converts to double exactly for the division.
constexpr double fixedUnit = 1099511627776.0;
constexpr int64_t fixedOne = int64_t{1} << 40;

int64_t ToFixed(double altitude) {
    if (!(altitude > 0))
        return 0;
    if (altitude >= 1)
        return fixedOne;
    return static_cast<int64_t>(altitude * fixedUnit + 0.5);
}

int32_t WrapRow(int64_t y, int32_t h) {
    const int64_t r = y % h;
    return static_cast<int32_t>(r < 0 ? r + h : r);
}

// A thread's rows of work for one pass.
class BlurBand {
  public:
    BlurBand(int32_t w, int32_t radius)
        : w_(w), r_(radius), n_(2 * radius + 1), padded_(size_t(w) + size_t(n_) - 1),
          ring_(size_t(n_) * size_t(w)), entering_(size_t(w)), column_(size_t(w)) {}

    // Output rows [y0, y1) of dst from src, both w x h.
    void Run(const int64_t* src, int64_t* dst, int32_t h, int32_t y0, int32_t y1) {
        std::fill(column_.begin(), column_.end(), 0);
        for (int32_t k = 0; k < n_; ++k) {
            int64_t* slot = Slot(k);
            RowSums(src + size_t(WrapRow(int64_t{y0} - r_ + k, h)) * size_t(w_), slot);
            for (int32_t x = 0; x < w_; ++x)
                column_[size_t(x)] += slot[x];
        }
        const double cells = double(n_) * double(n_);
        for (int32_t y = y0; y < y1; ++y) {
            int64_t* out = dst + size_t(y) * size_t(w_);
            for (int32_t x = 0; x < w_; ++x)
                out[x] = static_cast<int64_t>(double(column_[size_t(x)]) / cells);
            if (y + 1 == y1)
                break;
            // The slot of row y - R takes row y + R + 1.
            int64_t* leaving = Slot(y - y0);
            RowSums(src + size_t(WrapRow(int64_t{y} + r_ + 1, h)) * size_t(w_), entering_.data());
            for (int32_t x = 0; x < w_; ++x) {
                column_[size_t(x)] += entering_[size_t(x)] - leaving[x];
                leaving[x] = entering_[size_t(x)];
            }
        }
    }

  private:
    int64_t* Slot(int32_t k) { return &ring_[size_t(k % n_) * size_t(w_)]; }

    // out[x] = the sum of row[x - R .. x + R], wrapped; the padded copy holds
    // the row with R wrapped cells before and after it, however narrow it is.
    void RowSums(const int64_t* row, int64_t* out) {
        int64_t* p = padded_.data();
        for (int32_t i = 0; i < w_ + n_ - 1; ++i)
            p[i] = row[WrapRow(int64_t{i} - r_, w_)];
        int64_t sum = 0;
        for (int32_t i = 0; i < n_; ++i)
            sum += p[i];
        for (int32_t x = 0; x < w_; ++x) {
            out[x] = sum;
            if (x + 1 < w_)
                sum += p[x + n_] - p[x];
        }
    }

    int32_t w_;
    int32_t r_;
    int32_t n_;
    std::vector<int64_t> padded_;
    std::vector<int64_t> ring_;
    std::vector<int64_t> entering_;
    std::vector<int64_t> column_;
};

// Bands long enough that restarting the running sums costs little; one band
// of every row on one thread.
int32_t BandRows(int32_t h, int32_t radius, bool twoThreads) {
    return twoThreads ? std::max(128, 8 * (2 * radius + 1)) : std::max(h, 1);
}

}  // namespace

void Smooth(AltitudeGrid& grid, int32_t radius, bool twoThreads) {
    if (radius < 0 || radius > maxSmoothRadius)
        throw std::invalid_argument("the smoothing radius is outside 0.." +
                                    std::to_string(maxSmoothRadius));
    const int32_t w = grid.width;
    const int32_t h = grid.height;
    if (radius == 0 || w <= 0 || h <= 0)
        return;

    std::vector<int64_t> a(grid.altitudes.size());
    std::vector<int64_t> b(grid.altitudes.size());
    std::transform(grid.altitudes.begin(), grid.altitudes.end(), a.begin(), ToFixed);

    const int32_t rows = BandRows(h, radius, twoThreads);
    const int32_t bands = (h + rows - 1) / rows;
    BlurBand mine(w, radius);
    BlurBand theirs(w, radius);
    ChunkWorker worker(twoThreads && bands > 1);
    for (int32_t pass = 0; pass < smoothPasses; ++pass) {
        const int64_t* src = a.data();
        int64_t* dst = b.data();
        auto band = [&](BlurBand& blur, int32_t c) {
            const int32_t y0 = c * rows;
            const int32_t y1 = std::min(h, y0 + rows);
            blur.Run(src, dst, h, y0, y1);
            return int64_t{y1 - y0};
        };
        worker.Share(
            bands, [&](int32_t c, int64_t) { band(mine, c); },
            [&](int32_t c) { return band(theirs, c); }, [](int64_t) {});
        a.swap(b);
    }
    for (size_t i = 0; i < a.size(); ++i)
        grid.altitudes[i] = double(a[i]) / fixedUnit;
}

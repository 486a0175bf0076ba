// Each pass blurs rows and columns at once: the rows' window sums go into a
// ring of the 2R + 1 rows around the output row, and per column a running sum
// over the ring slides down by adding the row entering and subtracting the
// row leaving. The sums are of whole numbers below 2^53, so they are exact in
// doubles whatever order they are added in, and a band of rows may start its
// running sums anywhere: the bands a second thread takes change no bit.

#include "landform/Smoothing.h"

#include "data/Failures.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Altitudes are blurred in units of 2^-40: with a window of at most 65 x 65
// cells, every sum stays below 2^53.
constexpr double fixedUnit = 1099511627776.0;
// Adding and subtracting 2^52 rounds a number in [0, 2^52) to a whole one
// (ties to even), with nothing but + and -.
constexpr double roundingShift = 4503599627370496.0;

inline double Whole(double v) {
    return (v + roundingShift) - roundingShift;
}

inline double ToFixed(double altitude) {
    if (!(altitude > 0))
        return 0;
    if (altitude >= 1)
        return fixedUnit;
    return Whole(altitude * fixedUnit);
}

int32_t WrapIndex(int64_t v, int32_t n) {
    const int64_t r = v % n;
    return static_cast<int32_t>(r < 0 ? r + n : r);
}

// Past an open edge the window repeats the edge's cell: nothing reaches across.
int32_t EdgeIndex(int64_t v, int32_t n, bool open) {
    if (open)
        return static_cast<int32_t>(std::clamp<int64_t>(v, 0, n - 1));
    return WrapIndex(v, n);
}

// Which pass of the smoothing a band belongs to: the first reads altitudes,
// the last writes them; those between read and write whole units.
struct PassEnds {
    bool fromAltitudes;
    bool toAltitudes;
};

// A thread's rows of work for one pass.
class BlurBand {
  public:
    BlurBand(int32_t w, int32_t radius, bool open)
        : w_(w), r_(radius), n_(2 * radius + 1), open_(open), padded_(size_t(w) + size_t(n_) - 1),
          ring_(size_t(n_) * size_t(w)), entering_(size_t(w)), column_(size_t(w)) {}

    // Output rows [y0, y1) of dst from src, both w x h.
    void Run(const double* src, double* dst, int32_t h, int32_t y0, int32_t y1, PassEnds ends) {
        from_ = ends.fromAltitudes;
        std::fill(column_.begin(), column_.end(), 0.0);
        double* column = column_.data();
        for (int32_t k = 0; k < n_; ++k) {
            double* slot = Slot(k);
            RowSums(Row(src, int64_t{y0} - r_ + k, h), slot);
            for (int32_t x = 0; x < w_; ++x)
                column[x] += slot[x];
        }
        // Dividing by the cells rounds correctly; Whole makes it a number of units again.
        const double cells = double(n_) * double(n_);
        const double scale = ends.toAltitudes ? 1.0 / fixedUnit : 1.0;
        double* entering = entering_.data();
        for (int32_t y = y0; y < y1; ++y) {
            double* out = dst + size_t(y) * size_t(w_);
            if (y + 1 == y1) {
                for (int32_t x = 0; x < w_; ++x)
                    out[x] = Whole(column[x] / cells) * scale;
                break;
            }
            // The slot of row y - R takes row y + R + 1.
            double* leaving = Slot(y - y0);
            RowSums(Row(src, int64_t{y} + r_ + 1, h), entering);
            for (int32_t x = 0; x < w_; ++x) {
                const double sum = column[x];
                out[x] = Whole(sum / cells) * scale;
                column[x] = sum + entering[x] - leaving[x];
                leaving[x] = entering[x];
            }
        }
    }

  private:
    double* Slot(int32_t k) { return &ring_[size_t(k % n_) * size_t(w_)]; }

    const double* Row(const double* grid, int64_t y, int32_t h) const {
        return grid + size_t(EdgeIndex(y, h, open_)) * size_t(w_);
    }

    // out[x] = the sum of row[x - R .. x + R], wrapped; the padded copy holds
    // the row with R wrapped cells before and after it, however narrow it is.
    void RowSums(const double* row, double* out) {
        double* p = padded_.data();
        if (w_ >= r_ && !open_) {
            std::copy(row + (w_ - r_), row + w_, p);
            std::copy(row, row + w_, p + r_);
            std::copy(row, row + r_, p + r_ + w_);
        } else {
            for (int32_t i = 0; i < w_ + n_ - 1; ++i)
                p[i] = row[EdgeIndex(int64_t{i} - r_, w_, open_)];
        }
        if (from_)
            std::transform(p, p + (w_ + n_ - 1), p, ToFixed);
        double sum = 0;
        for (int32_t i = 0; i < n_; ++i)
            sum += p[i];
        for (int32_t x = 0; x + 1 < w_; ++x) {
            out[x] = sum;
            sum += p[x + n_] - p[x];
        }
        out[w_ - 1] = sum;
    }

    int32_t w_;
    int32_t r_;
    int32_t n_;
    bool open_;
    bool from_ = false;
    std::vector<double> padded_;
    std::vector<double> ring_;
    std::vector<double> entering_;
    std::vector<double> column_;
};

// Bands long enough that restarting the running sums costs little; one band
// of every row on one thread.
int32_t BandRows(int32_t h, int32_t radius, bool twoThreads) {
    return twoThreads ? std::max(128, 8 * (2 * radius + 1)) : std::max(h, 1);
}

// Runs band(c) for every band c, the second half on a thread of its own when
// there is more than one band and a thread can be had. A band allocates
// nothing and so cannot fail.
template <class Band> void EveryBand(int32_t bands, bool twoThreads, Band&& band) {
    const int32_t half = (bands + 1) / 2;
    std::thread worker;
    if (twoThreads && bands > 1) {
        try {
            worker = std::thread([&] {
                for (int32_t c = half; c < bands; ++c)
                    band(1, c);
            });
        } catch (const std::system_error&) {
        }
    }
    const int32_t mine = worker.joinable() ? half : bands;
    for (int32_t c = 0; c < mine; ++c)
        band(0, c);
    if (worker.joinable())
        worker.join();
}

// Each NoData cell takes the height of the nearest cell that has one (first
// reached, breadth-first from every such cell in index order), so that the
// blur reads land where a hole is rather than the hole's placeholder.
void FillHolesFromTheirShores(AltitudeGrid& grid) {
    const int32_t w = grid.width;
    std::vector<uint8_t> reached(grid.noData.size());
    std::vector<uint32_t> layer;
    for (size_t i = 0; i < reached.size(); ++i) {
        reached[i] = !grid.noData[i];
        if (reached[i])
            layer.push_back(uint32_t(i));
    }
    std::vector<uint32_t> next;
    while (!layer.empty()) {
        next.clear();
        for (const uint32_t c : layer) {
            const int32_t x = int32_t(c % uint32_t(w)), y = int32_t(c / uint32_t(w));
            for (int32_t dy = -1; dy <= 1; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    const int64_t n = NeighbourCell(x, y, dx, dy, w, grid.height, grid.boundary);
                    if (n < 0 || reached[size_t(n)])
                        continue;
                    reached[size_t(n)] = 1;
                    grid.altitudes[size_t(n)] = grid.altitudes[c];
                    next.push_back(uint32_t(n));
                }
        }
        layer.swap(next);
    }
}

}  // namespace

void Smooth(AltitudeGrid& grid, int32_t radius, bool twoThreads, const StageSink& progress) {
    if (radius < 0 || radius > maxSmoothRadius)
        throw CommandFailure("the smoothing radius is outside 0.." +
                                 std::to_string(maxSmoothRadius),
                             FailureKind::Setting);
    const int32_t w = grid.width;
    const int32_t h = grid.height;
    if (radius == 0 || w <= 0 || h <= 0)
        return;

    // The passes alternate between the grid's own cells and one more buffer;
    // the last one writes into the buffer, which then becomes the grid's.
    std::vector<double> other(grid.altitudes.size());
    const int32_t rows = BandRows(h, radius, twoThreads);
    const int32_t bands = (h + rows - 1) / rows;
    const bool open = grid.boundary == Boundary::Open;
    BlurBand blurs[2] = {BlurBand(w, radius, open), BlurBand(w, radius, open)};
    // NoData cells hold no height to smooth: they come out as they went in.
    std::vector<double> holes;
    for (size_t i = 0; i < grid.noData.size(); ++i)
        if (grid.noData[i])
            holes.push_back(grid.altitudes[i]);
    if (!holes.empty())
        FillHolesFromTheirShores(grid);
    for (int32_t pass = 0; pass < smoothPasses; ++pass) {
        ReportOrStop(progress, {ProgressPhase::Smoothing, pass, smoothPasses});
        const double* src = grid.altitudes.data();
        double* dst = other.data();
        const PassEnds ends{pass == 0, pass + 1 == smoothPasses};
        EveryBand(bands, twoThreads, [&](int32_t thread, int32_t c) {
            const int32_t y0 = c * rows;
            blurs[thread].Run(src, dst, h, y0, std::min(h, y0 + rows), ends);
        });
        grid.altitudes.swap(other);
    }
    for (size_t i = 0, k = 0; i < grid.noData.size(); ++i)
        if (grid.noData[i])
            grid.altitudes[i] = holes[k++];
    ReportOrStop(progress, {ProgressPhase::Smoothing, smoothPasses, smoothPasses});
}

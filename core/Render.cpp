// Colouring of altitudes and the region picture.
//
// Render works row by row. The region border test compares whole rows of
// regions, kept in a ring of three rows, instead of looking up eight wrapped
// neighbours per cell; CellColour keeps the cell-by-cell form. Both share the
// colour arithmetic, so they agree exactly. With two threads, the colouring
// thread hands rows over through a small ring (see ColourJob).

#include "core/GEO_MakeLand.h"

#include "core/TorusMath.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr uint8_t regionTints[7][3] = {
    {128, 128, 128}, {255, 128, 128}, {128, 128, 255}, {128, 255, 128},
    {192, 192, 128}, {128, 192, 192}, {192, 128, 192},
};

// (channel x tint) div 255 for every channel value, so tinting is a lookup.
struct TintTable {
    uint8_t value[7][3][256];
};
constexpr TintTable MakeTintTable() {
    TintTable t{};
    for (int k = 0; k < 7; ++k)
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 256; ++v)
                t.value[k][c][v] = uint8_t(v * regionTints[k][c] / 255);
    return t;
}
constexpr TintTable tintTable = MakeTintTable();

constexpr uint32_t blackPixel = 0xFF000000u;

struct Rgb {
    uint32_t r, g, b;
};

// Truncation toward zero keeping the low 8 bits. NaN and values outside int32
// give 0, which is what the processor's truncating conversion (INT32_MIN)
// leaves in the low byte; in C++ the conversion itself would be undefined.
inline uint32_t Channel(double v) {
    const double inRange = (v > -2147483649.0 && v < 2147483648.0) ? v : 0.0;
    return static_cast<uint32_t>(static_cast<int32_t>(inRange)) & 0xFFu;
}

// The water level and the half-height of the land bands, fixed for a terrain.
struct Bands {
    explicit Bands(double waterLevel)
        : water(waterLevel), half((1 - waterLevel) * 0.5), lowTop(waterLevel + half) {}
    double water;
    double half;
    double lowTop;
};

// Each band divides once: water a / W, low land (a - W) / m, high land
// (a - W - m) / m; choosing the operands first keeps it to one division per
// cell. With W = 0 only a <= 0 is water, and a / 0 is NaN or -inf there, so
// those cells come out black.
inline Rgb PlainColour(double a, const Bands& b) {
    const double w = b.water;
    const double m = b.half;
    const bool land = a > w;
    const bool high = a > b.lowTop;  // implies land unless the bands are inverted
    const double numerator = !land ? a : high ? a - w - m : a - w;
    const double q = numerator / (land ? m : w);
    if (!land) {
        const uint32_t rg = Channel(q * 64);
        return {rg, rg, Channel(q * 192)};
    }
    if (!high)
        return {Channel(255 - q * 127), 255, Channel(255 - q * 255)};
    return {Channel(q * 127 + 128), Channel(255 - q * 255), 0};
}

using Tint = uint8_t[3][256];

inline const Tint& TintOf(uint16_t region) {
    return tintTable.value[region % 7];
}

inline Rgb Tinted(Rgb c, const Tint& k) {
    return {k[0][c.r], k[1][c.g], k[2][c.b]};
}

template <bool asPixels> constexpr uint32_t Compose(Rgb c) {
    if constexpr (asPixels)
        return blackPixel | c.r << 16 | c.g << 8 | c.b;
    else
        return c.r | c.g << 8 | c.b << 16;
}

// The size the cells form a grid of, when they form one. Otherwise the shape
// is not exact: rows of `w` cells, the last one possibly short, and every
// read is checked against the cell count.
struct Shape {
    int32_t w = 0;
    int32_t h = 0;
    bool exact = false;
};

Shape ShapeOf(const GEO_MakeLand& t) {
    const GEO_MakeLand::GridSize size = t.CellGridSize();
    if (size.formsGrid)
        return {size.width, size.height, true};
    const int64_t n = t.GetSize();
    int32_t w = t.gridWidth > 0 ? t.gridWidth : t.width > 0 ? t.width : 1;
    if (n > 0 && w > n)
        w = static_cast<int32_t>(n);
    return {w, static_cast<int32_t>((n + w - 1) / w), false};
}

// A terrain without cells may have no size to wrap in.
inline int32_t Wrap(int32_t v, int32_t size) {
    return size > 0 ? static_cast<int32_t>(FloorMod(v, size)) : 0;
}

void ReportCells(const ProgressSink& progress, GEO_MakeLand& terrain, int32_t cells) {
    if (progress)
        progress(terrain, {ProgressPhase::Rendering, cells, terrain.GetSize()});
}

// Reports at cell indices that are multiples of 200, throttled.
class CellReporter {
  public:
    CellReporter(GEO_MakeLand& terrain, const ProgressSink& progress)
        : terrain_(terrain), progress_(progress) {}

    // Called once the cells [from, to) are in the picture.
    void Passed(int32_t from, int32_t to) {
        if (!progress_)
            return;
        for (int64_t i = (int64_t{from} + 199) / 200 * 200; i < to; i += 200)
            if (throttle_.Due())
                ReportCells(progress_, terrain_, static_cast<int32_t>(i));
    }

  private:
    GEO_MakeLand& terrain_;
    const ProgressSink& progress_;
    ProgressThrottle throttle_;
};

// Colours whole rows of an exactly shaped grid, in order or not.
class RowColourer {
  public:
    RowColourer(const GEO_MakeLand& t, Shape s, bool showRegions)
        : cells_(t.GetData()), w_(s.w), h_(s.h), bands_(t.waterLevel),
          regions_(showRegions && t.concentrationPoints.GetSize() > 0) {
        altitudes_.resize(size_t(w_) * (regions_ ? 3 : 1));
        if (regions_) {
            ringRegions_.resize(3 * size_t(w_));
            same_.resize(size_t(w_));
            inside_.resize(size_t(w_));
        }
    }

    // Writes the first `count` cells of row y as COLORREF values, or as
    // picture pixels when asPixels is set.
    template <bool asPixels> void Row(int32_t y, uint32_t* out, int32_t count) {
        if (!regions_) {
            // A tight copy first keeps many cache lines in flight; the colour
            // loop then reads from cache instead of stalling on memory.
            const LandCell* row = cells_ + size_t(y) * size_t(w_);
            double* altitude = altitudes_.data();
            for (int32_t x = 0; x < count; ++x)
                altitude[x] = row[x].altitude;
            for (int32_t x = 0; x < count; ++x)
                out[x] = Compose<asPixels>(PlainColour(altitude[x], bands_));
            return;
        }
        LoadRows(y);
        const int32_t midSlot = (upSlot_ + 1) % 3;
        const uint16_t* up = Regions(upSlot_);
        const uint16_t* mid = Regions(midSlot);
        const uint16_t* down = Regions((upSlot_ + 2) % 3);
        const double* altitude = &altitudes_[size_t(midSlot) * size_t(w_)];
        FindInside(up, mid, down);
        const uint8_t* inside = inside_.data();
        constexpr uint32_t white = Compose<asPixels>({255, 255, 255});
        // Regions come in patches: look the tint up again only when the region changes.
        uint16_t tintRegion = mid[0];
        const Tint* tint = &TintOf(tintRegion);
        for (int32_t x = 0; x < count; ++x) {
            if (mid[x] != tintRegion) {
                tintRegion = mid[x];
                tint = &TintOf(tintRegion);
            }
            out[x] = inside[x] ? Compose<asPixels>(Tinted(PlainColour(altitude[x], bands_), *tint))
                               : white;
        }
    }

  private:
    uint16_t* Regions(int32_t slot) { return &ringRegions_[size_t(slot) * size_t(w_)]; }

    // inside[x]: all eight wrapped neighbours share the region of x. A column
    // is "same" when its three rows agree; x is inside when its own and both
    // neighbouring columns are same and the middle row agrees across them.
    void FindInside(const uint16_t* up, const uint16_t* mid, const uint16_t* down) {
        uint8_t* same = same_.data();
        uint8_t* inside = inside_.data();
        const int32_t last = w_ - 1;
        for (int32_t x = 0; x < w_; ++x)
            same[x] = (up[x] == mid[x]) & (down[x] == mid[x]);
        for (int32_t x = 1; x < last; ++x)
            inside[x] = same[x - 1] & same[x] & same[x + 1] & (mid[x - 1] == mid[x]) &
                        (mid[x + 1] == mid[x]);
        for (int32_t x : {int32_t{0}, last}) {
            const int32_t l = x == 0 ? last : x - 1;
            const int32_t r = x == last ? 0 : x + 1;
            inside[x] = same[l] & same[x] & same[r] & (mid[l] == mid[x]) & (mid[r] == mid[x]);
        }
    }

    // One pass over the cells of row y fills both of its ring slots.
    void Extract(int32_t y, int32_t slot) {
        const LandCell* row = cells_ + size_t(y) * size_t(w_);
        uint16_t* region = Regions(slot);
        double* altitude = &altitudes_[size_t(slot) * size_t(w_)];
        for (int32_t x = 0; x < w_; ++x) {
            region[x] = row[x].region;
            altitude[x] = row[x].altitude;
        }
    }

    // Keeps rows y - 1, y, y + 1 (wrapped) in the ring; one new row per step
    // when rows come in order.
    void LoadRows(int32_t y) {
        if (loaded_ >= 0 && y == (loaded_ + 1) % h_) {
            Extract((y + 1) % h_, upSlot_);
            upSlot_ = (upSlot_ + 1) % 3;
        } else if (loaded_ != y) {
            upSlot_ = 0;
            Extract((y + h_ - 1) % h_, 0);
            Extract(y, 1);
            Extract((y + 1) % h_, 2);
        }
        loaded_ = y;
    }

    const LandCell* cells_;
    int32_t w_;
    int32_t h_;
    Bands bands_;
    bool regions_;
    std::vector<double> altitudes_;  // one row, or the ring's three with regions
    std::vector<uint16_t> ringRegions_;
    std::vector<uint8_t> same_;
    std::vector<uint8_t> inside_;
    int32_t upSlot_ = 0;
    int32_t loaded_ = -1;
};

// The colouring thread's share of a two-thread rendering. Colours pass
// through a ring of rows rather than a buffer for every cell: a fresh buffer
// the size of the grid costs more in page faults than the colouring itself.
// `done` (cells coloured) is written only by the colouring thread and
// publishes rows; `copied` (rows taken) is written only by the calling thread
// and frees ring slots for reuse.
struct ColourJob {
    ColourJob(const GEO_MakeLand& terrain, Shape s, bool showRegions)
        : shape(s), colourer(terrain, s, showRegions),
          ringRows(std::clamp<int32_t>(ringCells / s.w, 2, std::max(s.h, 2))),
          ring(new COLORREF[size_t(ringRows) * size_t(s.w)]) {}

    static constexpr int32_t ringCells = 1 << 16;

    COLORREF* Slot(int32_t y) { return ring.get() + size_t(y % ringRows) * size_t(shape.w); }

    void Run() {
        for (int32_t y = 0; y < shape.h; ++y) {
            while (y - copied.load(std::memory_order_acquire) >= ringRows) {
                if (abandoned.load(std::memory_order_relaxed))
                    return;
                std::this_thread::yield();
            }
            colourer.Row<false>(y, Slot(y), shape.w);
            done.store((y + 1) * shape.w, std::memory_order_release);
        }
    }

    Shape shape;
    RowColourer colourer;
    int32_t ringRows;
    std::unique_ptr<COLORREF[]> ring;  // left uninitialised: every row is written before use
    std::atomic<int32_t> done{0};
    std::atomic<int32_t> copied{0};
    std::atomic<bool> abandoned{false};
};

// Joins the colouring thread however the rendering ends; a progress callback
// that throws leaves it waiting for ring slots, so it is told to stop.
struct JoinOnExit {
    std::thread& thread;
    ColourJob& job;
    ~JoinOnExit() {
        job.abandoned.store(true, std::memory_order_relaxed);
        if (thread.joinable())
            thread.join();
    }
};

}  // namespace

Point GEO_MakeLand::WrapCell(int32_t x, int32_t y) const {
    int32_t w = width;
    int32_t h = height;
    if (GetSize() > 0) {
        const Shape s = ShapeOf(*this);
        w = s.w;
        h = s.h;
    }
    return {Wrap(x, w), Wrap(y, h)};
}

COLORREF GEO_MakeLand::CellColour(int32_t i, bool showRegions) const {
    const int32_t n = GetSize();
    if (i < 0 || i >= n)
        return 0;
    const LandCell* cells = GetData();
    const Rgb plain = PlainColour(cells[i].altitude, Bands(waterLevel));
    if (!showRegions || concentrationPoints.GetSize() == 0)
        return Compose<false>(plain);

    const Shape s = ShapeOf(*this);
    const int32_t x = i % s.w;
    const int32_t y = i / s.w;
    const uint16_t r = cells[i].region;
    static constexpr int32_t around[8][2] = {{0, -1},  {0, 1},  {-1, 0}, {1, 0},
                                             {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (const auto& d : around) {
        const int64_t j = Wrap(x + d[0], s.w) + int64_t{s.w} * Wrap(y + d[1], s.h);
        if (j < n && cells[j].region != r)
            return RGB(255, 255, 255);
    }
    return Compose<false>(Tinted(plain, TintOf(r)));
}

void GEO_MakeLand::Render(Picture& picture, bool showRegions, const ProgressSink& progress) {
    picture.Fill(blackPixel);
    ReportCells(progress, *this, 0);
    const int32_t n = GetSize();
    if (n == 0)
        return;

    const Shape s = ShapeOf(*this);
    const int32_t pw = std::max(picture.width, 0);
    const int32_t ph =
        pw == 0 ? 0
                : static_cast<int32_t>(std::min<size_t>(size_t(std::max(picture.height, 0)),
                                                        picture.pixels.size() / size_t(pw)));
    const int32_t visible = std::min(s.w, pw);
    CellReporter reporter(*this, progress);

    auto oneThread = [&] {
        RowColourer colourer(*this, s, showRegions);
        for (int32_t y = 0; y < s.h; ++y) {
            if (y < ph)
                colourer.Row<true>(y, &picture.at(0, y), visible);
            reporter.Passed(y * s.w, (y + 1) * s.w);
        }
    };

    if (!s.exact) {
        // A grid whose size does not match its cells: cell by cell, every read checked.
        for (int32_t i = 0; i < n; ++i) {
            const int32_t x = i % s.w;
            const int32_t y = i / s.w;
            if (x < pw && y < ph)
                picture.at(x, y) = PixelFromColorRef(CellColour(i, showRegions));
            reporter.Passed(i, i + 1);
        }
    } else if (!twoThreads) {
        oneThread();
    } else {
        std::unique_ptr<ColourJob> job;
        std::thread worker;
        try {
            job = std::make_unique<ColourJob>(*this, s, showRegions);
            worker = std::thread([&job] { job->Run(); });
        } catch (const std::exception&) {
            // No memory or no thread to be had: the same picture on this thread.
            oneThread();
            ReportCells(progress, *this, n);
            return;
        }
        JoinOnExit joiner{worker, *job};
        // A row is copied only once the counter covers all of it.
        for (int32_t y = 0; y < s.h; ++y) {
            const int32_t end = (y + 1) * s.w;
            while (job->done.load(std::memory_order_acquire) < end)
                std::this_thread::yield();
            if (y < ph) {
                const COLORREF* src = job->Slot(y);
                uint32_t* dst = &picture.at(0, y);
                for (int32_t x = 0; x < visible; ++x)
                    dst[x] = PixelFromColorRef(src[x]);
            }
            job->copied.store(y + 1, std::memory_order_release);
            reporter.Passed(y * s.w, end);
        }
    }
    ReportCells(progress, *this, n);
}

// Colouring of altitudes and the region picture.
//
// Render works row by row: the region border test compares whole rows of
// regions (held in a ring of three rows) instead of looking up eight wrapped
// neighbours per cell, and the plain colour is the same expression CellColour
// uses, so both give identical colours.

#include "core/GEO_MakeLand.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <thread>
#include <vector>

namespace {

constexpr uint8_t regionTints[7][3] = {
    {128, 128, 128}, {255, 128, 128}, {128, 128, 255}, {128, 255, 128},
    {192, 192, 128}, {128, 192, 192}, {192, 128, 192},
};

constexpr COLORREF white = 0xFFFFFFu;
constexpr uint32_t blackPixel = 0xFF000000u;

// Truncation toward zero keeping the low 8 bits. NaN and values outside int32
// give 0, which is what the processor's truncating conversion (INT32_MIN)
// leaves in the low byte; in C++ the conversion itself would be undefined.
inline uint32_t Channel(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return 0;
    return static_cast<uint32_t>(static_cast<int32_t>(v)) & 0xFFu;
}

// The water level and the half-height of the land bands, fixed for a terrain.
struct Bands {
    explicit Bands(double waterLevel)
        : water(waterLevel), half((1 - waterLevel) * 0.5), lowTop(waterLevel + half) {}
    double water;
    double half;
    double lowTop;
};

inline COLORREF PlainColour(double a, const Bands& b) {
    const double w = b.water;
    if (!(a > w)) {
        if (w == 0) return 0;
        const double f = a / w;
        const uint32_t rg = Channel(f * 64);
        return rg | rg << 8 | Channel(f * 192) << 16;
    }
    const double m = b.half;
    if (a <= b.lowTop) {
        const double t = (a - w) / m;
        return Channel(255 - t * 127) | 0xFF00u | Channel(255 - t * 255) << 16;
    }
    const double t = (a - w - m) / m;
    return Channel(t * 127 + 128) | Channel(255 - t * 255) << 8;
}

inline COLORREF Tinted(COLORREF c, uint16_t region) {
    const uint8_t* k = regionTints[region % 7];
    const uint32_t r = (c & 0xFFu) * k[0] / 255;
    const uint32_t g = ((c >> 8) & 0xFFu) * k[1] / 255;
    const uint32_t b = ((c >> 16) & 0xFFu) * k[2] / 255;
    return r | g << 8 | b << 16;
}

// The grid's own size. A grid whose own size was never recorded but matches
// width x height (cells set up by hand) uses that. Otherwise the shape is not
// exact: rows of `w` cells, the last one possibly short, and every read is
// checked against the cell count.
struct Shape {
    int32_t w = 0;
    int32_t h = 0;
    bool exact = false;
};

Shape ShapeOf(const GEO_MakeLand& t) {
    const int64_t n = t.GetSize();
    if (t.gridWidth > 0 && t.gridHeight > 0 && int64_t{t.gridWidth} * t.gridHeight == n)
        return {t.gridWidth, t.gridHeight, true};
    if (t.width > 0 && t.height > 0 && int64_t{t.width} * t.height == n)
        return {t.width, t.height, true};
    int32_t w = t.gridWidth > 0 ? t.gridWidth : t.width > 0 ? t.width : 1;
    if (n > 0 && w > n) w = static_cast<int32_t>(n);
    return {w, static_cast<int32_t>((n + w - 1) / w), false};
}

inline int32_t Wrap(int32_t v, int32_t size) {
    if (size <= 0) return 0;
    int64_t r = (v < 0 ? -int64_t{v} : int64_t{v}) % size;
    if (v < 0 && r != 0) r = size - r;
    return static_cast<int32_t>(r);
}

uint32_t Tick() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Reports at cell indices that are multiples of 200, at most every 200 ms.
class ProgressThrottle {
public:
    ProgressThrottle(GEO_MakeLand& terrain, ProgressCallback progress)
        : terrain_(terrain), progress_(progress), last_(Tick()) {}

    // Called once the cells [from, to) are in the picture.
    void Passed(int32_t from, int32_t to) {
        if (progress_ == nullptr) return;
        for (int32_t i = (from + 199) / 200 * 200; i < to; i += 200) {
            const uint32_t now = Tick();
            if (now >= static_cast<uint32_t>(last_ + 200u)) {
                last_ = now;
                progress_(terrain_, i);
            }
        }
    }

private:
    GEO_MakeLand& terrain_;
    ProgressCallback progress_;
    uint32_t last_;
};

// Colours whole rows of an exactly shaped grid, in order or not.
class RowColourer {
public:
    RowColourer(const GEO_MakeLand& t, Shape s, bool showRegions)
        : cells_(t.GetData()), w_(s.w), h_(s.h), bands_(t.waterLevel),
          regions_(showRegions && t.concentrationPoints.GetSize() > 0) {
        if (regions_) {
            ring_.resize(3 * size_t(w_));
            same_.resize(size_t(w_));
        }
    }

    // Writes row y as COLORREF values, or as picture pixels when asPixels is set.
    template <bool asPixels>
    void Row(int32_t y, uint32_t* out, int32_t count) {
        const LandCell* row = cells_ + size_t(y) * size_t(w_);
        if (!regions_) {
            for (int32_t x = 0; x < count; ++x) out[x] = Out<asPixels>(PlainColour(row[x].altitude, bands_));
            return;
        }
        LoadRegionRows(y);
        const uint16_t* up = &ring_[size_t(upSlot_) * size_t(w_)];
        const uint16_t* mid = &ring_[size_t((upSlot_ + 1) % 3) * size_t(w_)];
        const uint16_t* down = &ring_[size_t((upSlot_ + 2) % 3) * size_t(w_)];
        uint8_t* same = same_.data();
        for (int32_t x = 0; x < w_; ++x) same[x] = (up[x] == mid[x]) & (down[x] == mid[x]);
        for (int32_t x = 0; x < count; ++x) {
            const int32_t l = x == 0 ? w_ - 1 : x - 1;
            const int32_t r = x == w_ - 1 ? 0 : x + 1;
            const uint16_t c = mid[x];
            const bool inside = same[l] & same[x] & same[r] & (mid[l] == c) & (mid[r] == c);
            out[x] = Out<asPixels>(inside ? Tinted(PlainColour(row[x].altitude, bands_), c) : white);
        }
    }

private:
    template <bool asPixels>
    static uint32_t Out(COLORREF c) {
        if constexpr (asPixels) return PixelFromColorRef(c);
        else return c;
    }

    void Extract(int32_t y, int32_t slot) {
        const LandCell* row = cells_ + size_t(y) * size_t(w_);
        uint16_t* dst = &ring_[size_t(slot) * size_t(w_)];
        for (int32_t x = 0; x < w_; ++x) dst[x] = row[x].region;
    }

    // Keeps rows y - 1, y, y + 1 (wrapped) in the ring; one new row per step
    // when rows come in order.
    void LoadRegionRows(int32_t y) {
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
    std::vector<uint16_t> ring_;
    std::vector<uint8_t> same_;
    int32_t upSlot_ = 0;
    int32_t loaded_ = -1;
};

// Joins the colouring thread however the rendering ends.
struct JoinOnExit {
    std::thread& thread;
    ~JoinOnExit() {
        if (thread.joinable()) thread.join();
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
    if (i < 0 || i >= n) return 0;
    const LandCell* cells = GetData();
    const COLORREF plain = PlainColour(cells[i].altitude, Bands(waterLevel));
    if (!showRegions || concentrationPoints.GetSize() == 0) return plain;

    const Shape s = ShapeOf(*this);
    const int32_t x = i % s.w;
    const int32_t y = i / s.w;
    const uint16_t r = cells[i].region;
    static constexpr int32_t around[8][2] = {{0, -1}, {0, 1},  {-1, 0}, {1, 0},
                                             {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (const auto& d : around) {
        const int64_t j = Wrap(x + d[0], s.w) + int64_t{s.w} * Wrap(y + d[1], s.h);
        if (j < n && cells[j].region != r) return white;
    }
    return Tinted(plain, r);
}

void GEO_MakeLand::Render(Picture& picture, bool showRegions, ProgressCallback progress) {
    picture.Fill(blackPixel);
    if (progress) progress(*this, 0);
    const int32_t n = GetSize();
    if (n == 0) return;

    const Shape s = ShapeOf(*this);
    const int32_t pw = std::max(picture.width, 0);
    const int32_t ph = pw == 0 ? 0
                               : static_cast<int32_t>(std::min<size_t>(
                                     size_t(std::max(picture.height, 0)), picture.pixels.size() / size_t(pw)));
    const int32_t visible = std::min(s.w, pw);
    ProgressThrottle throttle(*this, progress);

    auto oneThread = [&] {
        RowColourer colourer(*this, s, showRegions);
        for (int32_t y = 0; y < s.h; ++y) {
            if (y < ph) colourer.Row<true>(y, &picture.at(0, y), visible);
            throttle.Passed(y * s.w, (y + 1) * s.w);
        }
    };

    if (!s.exact) {
        // A grid whose size does not match its cells: cell by cell, every read checked.
        for (int32_t i = 0; i < n; ++i) {
            const int32_t x = i % s.w;
            const int32_t y = i / s.w;
            if (x < pw && y < ph) picture.at(x, y) = PixelFromColorRef(CellColour(i, showRegions));
            throttle.Passed(i, i + 1);
        }
    } else if (!twoThreads) {
        oneThread();
    } else {
        // The colouring thread publishes whole rows; this thread copies a row only
        // once the counter covers all of it.
        std::vector<COLORREF> colours;
        std::atomic<int32_t> done{0};
        std::thread worker;
        JoinOnExit joiner{worker};
        try {
            colours.resize(static_cast<size_t>(n));
            worker = std::thread([this, s, showRegions, &colours, &done] {
                RowColourer colourer(*this, s, showRegions);
                for (int32_t y = 0; y < s.h; ++y) {
                    colourer.Row<false>(y, colours.data() + size_t(y) * size_t(s.w), s.w);
                    done.store((y + 1) * s.w, std::memory_order_release);
                }
            });
        } catch (const std::exception&) {
            // No memory for the buffer or no thread to be had: the same picture on this thread.
            oneThread();
            if (progress) progress(*this, n);
            return;
        }
        for (int32_t y = 0; y < s.h; ++y) {
            const int32_t end = (y + 1) * s.w;
            while (done.load(std::memory_order_acquire) < end) std::this_thread::yield();
            if (y < ph) {
                const COLORREF* src = colours.data() + size_t(y) * size_t(s.w);
                uint32_t* dst = &picture.at(0, y);
                for (int32_t x = 0; x < visible; ++x) dst[x] = PixelFromColorRef(src[x]);
            }
            throttle.Passed(y * s.w, end);
        }
    }
    if (progress) progress(*this, n);
}

#include "landform/DropletErosion.h"

#include "core/RandomDraws.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Beyer's constants, the rates and the least slope lowered for maps whose
// cells climb a thousandth of the height range or less; a brush of
// radius 2 (13 cells) rather than 3 keeps a million droplets on 1024 x 1024
// within two seconds.
constexpr double inertia = 0.05;
constexpr double capacityFactor = 4;
constexpr double minSlope = 0.0001;
constexpr double erodeRate = 0.1;
constexpr double depositRate = 0.1;
constexpr double evaporation = 0.01;
constexpr double gravity = 4;
constexpr int32_t lifetime = 30;
constexpr int32_t brushRadius = 2;
constexpr int32_t reportEvery = 65536;

struct BrushCell {
    int32_t dx, dy;
    double weight;
};

std::vector<BrushCell> Brush() {
    std::vector<BrushCell> cells;
    double sum = 0;
    for (int32_t dy = -brushRadius; dy <= brushRadius; ++dy)
        for (int32_t dx = -brushRadius; dx <= brushRadius; ++dx) {
            const double d = std::sqrt(double(dx * dx + dy * dy));
            if (d < brushRadius) {
                cells.push_back({dx, dy, brushRadius - d});
                sum += brushRadius - d;
            }
        }
    for (BrushCell& c : cells)
        c.weight /= sum;
    return cells;
}

class Droplets {
  public:
    Droplets(AltitudeGrid& grid, double waterLevel)
        : h_(grid.altitudes), w_(grid.width), hgt_(grid.height),
          open_(grid.boundary == Boundary::Open), brush_(Brush()), held_(h_.size()) {
        for (const BrushCell& b : brush_)
            offsets_.push_back(int64_t(b.dy) * w_ + b.dx);
        for (size_t c = 0; c < h_.size(); ++c)
            held_[c] = !(h_[c] > waterLevel) || (!grid.noData.empty() && grid.noData[c]);
        if (open_)
            for (int32_t y = 0; y < hgt_; ++y)
                for (int32_t x = 0; x < w_; ++x)
                    if (OnBorder(x, y, w_, hgt_))
                        held_[Cell(x, y)] = 1;
    }

    void Run(double px, double py);

  private:
    size_t Cell(int32_t x, int32_t y) const { return size_t(y) * size_t(w_) + size_t(x); }
    int32_t WrapX(int32_t x) const { return x < 0 ? x + w_ : x >= w_ ? x - w_ : x; }
    int32_t WrapY(int32_t y) const { return y < 0 ? y + hgt_ : y >= hgt_ ? y - hgt_ : y; }

    // The four corners of the cell at (x, y): the cell, east, south, south-east.
    void Corners(int32_t x, int32_t y, size_t (&c)[4]) const {
        const int32_t x1 = WrapX(x + 1), y1 = WrapY(y + 1);
        c[0] = Cell(x, y), c[1] = Cell(x1, y), c[2] = Cell(x, y1), c[3] = Cell(x1, y1);
    }
    double Height(const size_t (&c)[4], double u, double v) const {
        return (h_[c[0]] * (1 - u) + h_[c[1]] * u) * (1 - v) +
               (h_[c[2]] * (1 - u) + h_[c[3]] * u) * v;
    }
    // A held corner's share goes with the water.
    void Drop(const size_t (&c)[4], double u, double v, double amount) {
        const double share[4] = {amount * (1 - u) * (1 - v), amount * u * (1 - v),
                                 amount * (1 - u) * v, amount * u * v};
        for (int k = 0; k < 4; ++k)
            if (!held_[c[k]])
                h_[c[k]] += share[k];
    }
    // Takes up to `amount` from the brush around (x, y), never from a held
    // cell nor below 0; returns what was taken.
    double Take(int32_t x, int32_t y, double amount) {
        double taken = 0;
        if (x >= brushRadius && y >= brushRadius && x < w_ - brushRadius &&
            y < hgt_ - brushRadius) {
            // Inside: the brush's cells at fixed offsets, the same order.
            const size_t at = Cell(x, y);
            for (size_t k = 0; k < brush_.size(); ++k) {
                const size_t c = at + size_t(offsets_[k]);
                if (held_[c])
                    continue;
                const double take = std::min(h_[c], amount * brush_[k].weight);
                h_[c] -= take;
                taken += take;
            }
            return taken;
        }
        for (const BrushCell& b : brush_) {
            int32_t bx = x + b.dx, by = y + b.dy;
            if (open_ && (bx < 0 || by < 0 || bx >= w_ || by >= hgt_))
                continue;
            // One wrap is enough unless the grid is narrower than the brush.
            bx = w_ > brushRadius ? WrapX(bx) : (bx % w_ + w_) % w_;
            by = hgt_ > brushRadius ? WrapY(by) : (by % hgt_ + hgt_) % hgt_;
            const size_t c = Cell(bx, by);
            if (held_[c])
                continue;
            const double take = std::min(h_[c], amount * b.weight);
            h_[c] -= take;
            taken += take;
        }
        return taken;
    }

    std::vector<double>& h_;
    int32_t w_, hgt_;
    bool open_;
    std::vector<BrushCell> brush_;
    std::vector<int64_t> offsets_;  // of the brush's cells, inside the grid
    std::vector<uint8_t> held_;
};

void Droplets::Run(double px, double py) {
    double dx = 0, dy = 0, speed = 1, water = 1, sediment = 0;
    for (int32_t step = 0; step < lifetime; ++step) {
        const int32_t x = int32_t(px), y = int32_t(py);
        if (held_[Cell(x, y)])
            return;  // into the water or over the edge: the sediment leaves
        const double u = px - x, v = py - y;
        size_t c[4];
        Corners(x, y, c);
        const double here = Height(c, u, v);
        const double gx = (h_[c[1]] - h_[c[0]]) * (1 - v) + (h_[c[3]] - h_[c[2]]) * v;
        const double gy = (h_[c[2]] - h_[c[0]]) * (1 - u) + (h_[c[3]] - h_[c[1]]) * u;
        dx = dx * inertia - gx * (1 - inertia);
        dy = dy * inertia - gy * (1 - inertia);
        const double length = std::sqrt(dx * dx + dy * dy);
        if (length == 0)
            break;  // a flat pit: it stops here
        const double unit = 1 / length;
        dx *= unit;
        dy *= unit;
        double nx = px + dx, ny = py + dy;
        if (open_ && (nx < 0 || ny < 0 || nx >= w_ || ny >= hgt_))
            return;
        // A step a hair below 0 wraps round to the width itself: cell 0.
        nx = nx < 0 ? nx + w_ : nx >= w_ ? nx - w_ : nx;
        ny = ny < 0 ? ny + hgt_ : ny >= hgt_ ? ny - hgt_ : ny;
        nx = nx < w_ ? nx : 0.0;
        ny = ny < hgt_ ? ny : 0.0;
        const int32_t tx = int32_t(nx), ty = int32_t(ny);
        size_t t[4];
        Corners(tx, ty, t);
        const double drop = Height(t, nx - tx, ny - ty) - here;  // > 0: uphill
        const double capacity = std::max(-drop, minSlope) * speed * water * capacityFactor;
        if (sediment > capacity || drop > 0) {
            const double amount =
                drop > 0 ? std::min(drop, sediment) : (sediment - capacity) * depositRate;
            sediment -= amount;
            Drop(c, u, v, amount);
        } else {
            sediment += Take(x, y, std::min((capacity - sediment) * erodeRate, -drop));
        }
        speed = std::sqrt(std::max(0.0, speed * speed - drop * gravity));
        water *= 1 - evaporation;
        px = nx;
        py = ny;
    }
    // What it still carries is laid where it stopped.
    const int32_t x = int32_t(px), y = int32_t(py);
    if (held_[Cell(x, y)])
        return;
    size_t c[4];
    Corners(x, y, c);
    Drop(c, px - x, py - y, sediment);
}

}  // namespace

void ErodeDroplets(AltitudeGrid& grid, int32_t droplets, uint64_t seed, double waterLevel,
                   const StageSink& progress) {
    if (droplets <= 0 || grid.altitudes.empty())
        return;
    const int32_t reports = (droplets + reportEvery - 1) / reportEvery;
    ReportOrStop(progress, {ProgressPhase::Eroding, 0, reports});
    Droplets run(grid, waterLevel);
    // Its own stream, apart from the generator's draws of the same seed.
    uint64_t state = (seed ^ lcgMultiplier ^ 0xD809'1E75ULL) & lcgMask;
    const auto next = [&state](int32_t bits) { return LcgNext(state, bits); };
    // Droplets run in batches, each in the order of its start cells, so
    // that the next droplet finds its neighbourhood still in the cache;
    // equal cells keep the order they were drawn in.
    std::vector<uint64_t> order;
    std::vector<double> starts;
    for (int32_t first = 0, batch = 0; first < droplets; first += reportEvery, ++batch) {
        const int32_t count = std::min(reportEvery, droplets - first);
        order.clear();
        starts.clear();
        for (int32_t i = 0; i < count; ++i) {
            double px = DrawUnit(next) * grid.width;
            double py = DrawUnit(next) * grid.height;
            // A draw a hair below 1 can round up to the width: the cell wraps.
            px = px < grid.width ? px : 0.0;
            py = py < grid.height ? py : 0.0;
            const uint64_t cell = uint64_t(py) * uint64_t(grid.width) + uint64_t(px);
            order.push_back(cell << 16 | uint64_t(i));
            starts.push_back(px);
            starts.push_back(py);
        }
        std::sort(order.begin(), order.end());
        for (const uint64_t key : order) {
            const size_t i = size_t(key & 0xFFFF);
            run.Run(starts[2 * i], starts[2 * i + 1]);
        }
        ReportOrStop(progress, {ProgressPhase::Eroding, batch + 1, reports});
    }
}

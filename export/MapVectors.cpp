#include "export/MapVectors.h"

#include <algorithm>
#include <cmath>

namespace {

// Directions along the cells' sides, clockwise on the grid (rows downwards):
// an outline runs with its cells on its right.
constexpr int32_t stepX[4] = {1, 0, -1, 0};
constexpr int32_t stepY[4] = {0, 1, 0, -1};
enum Direction { East, South, West, North };

// How far a ring's corner is cut back, in cells, where two cells touch
// only there.
constexpr double cornerCut = 0.25;

class OutlineTracer {
  public:
    OutlineTracer(int32_t width, int32_t height, const std::vector<uint8_t>& mask)
        : w_(width), h_(height), mask_(mask), traced_(size_t(width + 1) * size_t(height + 1), 0) {}

    bool Cell(int64_t x, int64_t y) const {
        return x >= 0 && y >= 0 && x < w_ && y < h_ && mask_[size_t(y) * size_t(w_) + size_t(x)];
    }

    // Whether a side leaves the corner (x, y) in direction d.
    bool Leaves(int64_t x, int64_t y, int d) const {
        switch (d) {
        case East:
            return Cell(x, y) && !Cell(x, y - 1);
        case South:
            return Cell(x - 1, y) && !Cell(x, y);
        case West:
            return Cell(x - 1, y - 1) && !Cell(x - 1, y);
        default:
            return Cell(x, y - 1) && !Cell(x - 1, y - 1);
        }
    }

    bool Traced(int64_t x, int64_t y, int d) const {
        return traced_[size_t(y) * size_t(w_ + 1) + size_t(x)] & (1 << d);
    }

    // The cell on the right of the side leaving (x, y) in direction d.
    size_t CellRightOf(int64_t x, int64_t y, int d) const {
        const int64_t cx = d == East || d == North ? x : x - 1;
        const int64_t cy = d == East || d == South ? y : y - 1;
        return size_t(cy) * size_t(w_) + size_t(cx);
    }

    // The ring from the side leaving (x0, y0) in direction d0, in grid units;
    // `onEdge` when a side lies along the map's edge.
    std::vector<VectorPoint> Ring(int64_t x0, int64_t y0, int d0, bool& onEdge) {
        std::vector<VectorPoint> ring;
        int64_t x = x0, y = y0;
        int d = d0;
        do {
            traced_[size_t(y) * size_t(w_ + 1) + size_t(x)] |= uint8_t(1 << d);
            onEdge = onEdge || (d == East && y == 0) || (d == West && y == h_) ||
                     (d == North && x == 0) || (d == South && x == w_);
            x += stepX[d];
            y += stepY[d];
            const int right = (d + 1) % 4;
            const int left = (d + 3) % 4;
            int next = d;
            if (Leaves(x, y, right) && Leaves(x, y, left)) {
                // Two cells meet at this corner alone: turning right keeps to
                // this one, and cutting the corner keeps the rings apart.
                next = right;
                ring.push_back({x - stepX[d] * cornerCut, y - stepY[d] * cornerCut});
                ring.push_back({x + stepX[next] * cornerCut, y + stepY[next] * cornerCut});
            } else {
                if (!Leaves(x, y, d))
                    next = Leaves(x, y, right) ? right : left;
                if (next != d)
                    ring.push_back({double(x), double(y)});
            }
            d = next;
        } while (x != x0 || y != y0 || d != d0);
        ring.push_back(ring.front());
        return ring;
    }

  private:
    int32_t w_, h_;
    const std::vector<uint8_t>& mask_;
    std::vector<uint8_t> traced_;  // a bit a direction, a corner
};

// Groups of cells joined by their sides, numbered in the order of their first cell.
std::vector<int32_t> SideGroups(int32_t w, int32_t h, const std::vector<uint8_t>& mask,
                                int32_t& count) {
    std::vector<int32_t> group(mask.size(), -1);
    std::vector<size_t> stack;
    count = 0;
    for (size_t start = 0; start < mask.size(); ++start) {
        if (!mask[start] || group[start] >= 0)
            continue;
        group[start] = count;
        stack.push_back(start);
        while (!stack.empty()) {
            const size_t i = stack.back();
            stack.pop_back();
            const int64_t x = int64_t(i % size_t(w)), y = int64_t(i / size_t(w));
            for (int d = 0; d < 4; ++d) {
                const int64_t nx = x + stepX[d], ny = y + stepY[d];
                if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                    continue;
                const size_t n = size_t(ny) * size_t(w) + size_t(nx);
                if (mask[n] && group[n] < 0) {
                    group[n] = count;
                    stack.push_back(n);
                }
            }
        }
        ++count;
    }
    return group;
}

// Twice the area, positive for an outline (clockwise with rows downwards).
double TwiceArea(const std::vector<VectorPoint>& ring) {
    double sum = 0;
    for (size_t i = 0; i + 1 < ring.size(); ++i)
        sum += ring[i].x * ring[i + 1].y - ring[i + 1].x * ring[i].y;
    return sum;
}

// Grid units (rows downwards) to metres, north up.
void ToMetres(std::vector<VectorPoint>& points, int32_t height, double cellMetres) {
    for (VectorPoint& p : points)
        p = {p.x * cellMetres, (double(height) - p.y) * cellMetres};
}

}  // namespace

std::vector<VectorPolygon> MaskPolygons(int32_t width, int32_t height,
                                        const std::vector<uint8_t>& mask, double cellMetres,
                                        bool wraps) {
    int32_t count = 0;
    const std::vector<int32_t> group = SideGroups(width, height, mask, count);
    std::vector<VectorPolygon> polygons(static_cast<size_t>(count));
    std::vector<std::vector<std::vector<VectorPoint>>> holes(static_cast<size_t>(count));
    OutlineTracer tracer(width, height, mask);
    for (int64_t y = 0; y <= height; ++y)
        for (int64_t x = 0; x <= width; ++x)
            for (int d = 0; d < 4; ++d) {
                if (!tracer.Leaves(x, y, d) || tracer.Traced(x, y, d))
                    continue;
                const size_t owner = size_t(group[tracer.CellRightOf(x, y, d)]);
                bool onEdge = false;
                std::vector<VectorPoint> ring = tracer.Ring(x, y, d, onEdge);
                polygons[owner].cutAtMapEdge |= wraps && onEdge;
                const bool outline = TwiceArea(ring) > 0;
                ToMetres(ring, height, cellMetres);
                // North up turns the tracing's clockwise round: outlines run
                // counter-clockwise, as GeoJSON's right-hand rule asks.
                std::reverse(ring.begin(), ring.end());
                if (outline)
                    polygons[owner].rings.insert(polygons[owner].rings.begin(), std::move(ring));
                else
                    holes[owner].push_back(std::move(ring));
            }
    for (size_t g = 0; g < polygons.size(); ++g)
        for (auto& hole : holes[g])
            polygons[g].rings.push_back(std::move(hole));
    return polygons;
}

namespace {

// Strahler's order of every river cell: 1 at a source, one more below where
// two of the highest order meet. Donors come before their receiver when the
// stack is read backwards.
std::vector<int32_t> StrahlerOrders(const FlowGraph& flow, const std::vector<uint8_t>& rivers) {
    const std::vector<uint32_t>& receivers = flow.Receivers();
    std::vector<int32_t> order(rivers.size(), 0), highest(rivers.size(), 0);
    std::vector<uint8_t> atHighest(rivers.size(), 0);
    const std::vector<uint32_t>& stack = flow.Stack();
    for (auto k = stack.rbegin(); k != stack.rend(); ++k) {
        const uint32_t i = *k;
        if (!rivers[i])
            continue;
        order[i] = highest[i] == 0 ? 1 : highest[i] + (atHighest[i] >= 2 ? 1 : 0);
        const uint32_t r = receivers[i];
        if (r == i || !rivers[r])
            continue;
        if (order[i] > highest[r]) {
            highest[r] = order[i];
            atHighest[r] = 1;
        } else if (order[i] == highest[r] && atHighest[r] < 2) {
            ++atHighest[r];
        }
    }
    return order;
}

// A reach's line in grid units, built step by step without wrapping and
// cut into pieces where it leaves the map.
class ReachLine {
  public:
    ReachLine(int32_t w, int32_t h, VectorPoint start) : w_(w), h_(h) {
        pieces_.push_back({start});
    }

    void StepTo(double dx, double dy) {
        const VectorPoint p = pieces_.back().back();
        VectorPoint q{p.x + dx, p.y + dy};
        // Where the step leaves the map, if it does: the first edge it crosses.
        double t = 1;
        const auto cross = [&t](double from, double to, double edge) {
            if ((to - edge) * (from - edge) < 0)
                t = std::min(t, (edge - from) / (to - from));
        };
        cross(p.x, q.x, 0);
        cross(p.x, q.x, w_);
        cross(p.y, q.y, 0);
        cross(p.y, q.y, h_);
        if (t == 1) {
            pieces_.back().push_back(q);
            return;
        }
        VectorPoint at{p.x + t * dx, p.y + t * dy};
        pieces_.back().push_back(at);
        // The same point at the opposite edge begins the next piece.
        const double shiftX = q.x < 0 ? w_ : q.x > w_ ? -w_ : 0;
        const double shiftY = q.y < 0 ? h_ : q.y > h_ ? -h_ : 0;
        pieces_.push_back({{at.x + shiftX, at.y + shiftY}});
        pieces_.back().push_back({q.x + shiftX, q.y + shiftY});
    }

    std::vector<std::vector<VectorPoint>>& Pieces() { return pieces_; }

  private:
    int32_t w_, h_;
    std::vector<std::vector<VectorPoint>> pieces_;
};

double Length(const std::vector<VectorPoint>& line) {
    double sum = 0;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        const double dx = line[i + 1].x - line[i].x, dy = line[i + 1].y - line[i].y;
        sum += std::sqrt(dx * dx + dy * dy);
    }
    return sum;
}

// The shortest step from one cell to a neighbour across the wrap.
int64_t WrappedStep(int64_t from, int64_t to, int64_t size) {
    int64_t step = to - from;
    if (step > 1)
        step -= size;
    if (step < -1)
        step += size;
    return step;
}

}  // namespace

std::vector<RiverReach> RiverReaches(const FlowGraph& flow, const std::vector<uint8_t>& rivers,
                                     double cellMetres) {
    const int32_t w = flow.Width(), h = flow.Height();
    const std::vector<uint32_t>& receivers = flow.Receivers();
    std::vector<uint8_t> donors(rivers.size(), 0);  // river donors, counted to 2
    for (size_t i = 0; i < rivers.size(); ++i) {
        const uint32_t r = receivers[i];
        if (rivers[i] && r != i && rivers[r] && donors[r] < 2)
            ++donors[r];
    }
    const std::vector<int32_t> order = StrahlerOrders(flow, rivers);
    std::vector<RiverReach> reaches;
    for (uint32_t start = 0; start < rivers.size(); ++start) {
        if (!rivers[start] || donors[start] == 1)
            continue;
        const auto centre = [w](uint32_t i) {
            return VectorPoint{double(i % uint32_t(w)) + 0.5, double(i / uint32_t(w)) + 0.5};
        };
        ReachLine line(w, h, centre(start));
        uint32_t cell = start;
        for (;;) {
            const uint32_t r = receivers[cell];
            if (r == cell)
                break;
            const VectorPoint a = centre(cell), b = centre(r);
            const double dx = double(WrappedStep(int64_t(a.x), int64_t(b.x), w));
            const double dy = double(WrappedStep(int64_t(a.y), int64_t(b.y), h));
            // Into a confluence, or half a step on to the shore.
            const bool continues = rivers[r] && donors[r] == 1;
            line.StepTo(rivers[r] ? dx : dx / 2, rivers[r] ? dy : dy / 2);
            if (!continues)
                break;
            cell = r;
        }
        for (std::vector<VectorPoint>& piece : line.Pieces()) {
            if (piece.size() < 2)
                continue;
            RiverReach reach;
            reach.strahler = order[start];
            reach.drainedCells = flow.Area()[cell];
            reach.lengthMetres = Length(piece) * cellMetres;
            reach.cutAtMapEdge = line.Pieces().size() > 1;
            ToMetres(piece, h, cellMetres);
            reach.line = std::move(piece);
            reaches.push_back(std::move(reach));
        }
    }
    return reaches;
}

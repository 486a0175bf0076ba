#include "core/StencilSpans.h"

#include "core/TorusMath.h"
#include "data/GEO_LandCircle.h"

#include <algorithm>

namespace {
// Offsets beyond this take the general path, where 64-bit arithmetic is safe.
constexpr int64_t simpleLimit = int64_t{1} << 30;

bool StrictlyRowOrdered(const Point* p, int32_t n) {
    for (int32_t i = 1; i < n; ++i) {
        if (p[i].y < p[i - 1].y)
            return false;
        if (p[i].y == p[i - 1].y && p[i].x <= p[i - 1].x)
            return false;
    }
    return true;
}
}  // namespace

StencilSpans::StencilSpans(const GEO_LandCircleArray& circles, int32_t count) {
    stencils_.reserve(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k)
        AddStencil(circles[k].GetData(), circles[k].GetSize());
}

void StencilSpans::AddStencil(const Point* points, int32_t n) {
    Stencil s;
    s.firstRow = static_cast<uint32_t>(rows_.size());
    s.firstRun = static_cast<uint32_t>(runs_.size());
    if (StrictlyRowOrdered(points, n))
        AddOrderedRows(points, n);
    else
        AddSortedRows(points, n);
    s.endRow = static_cast<uint32_t>(rows_.size());
    MeasureStencil(s);
    if (IsSimpleForm(s)) {
        for (uint32_t r = s.firstRow; r < s.endRow; ++r) {
            runs_.push_back(static_cast<int32_t>(events_[rows_[r].firstEvent].pos));
            runs_.push_back(static_cast<int32_t>(events_[rows_[r].firstEvent + 1].pos));
        }
    } else {
        s.simple = false;
    }
    stencils_.push_back(s);
}

// Tables built here come row by row in ascending order: each run of adjacent
// columns is +1 at its start and -1 just past its end.
void StencilSpans::AddOrderedRows(const Point* points, int32_t n) {
    for (int32_t i = 0; i < n;) {
        const int32_t dy = points[i].y;
        Row row{dy, static_cast<uint32_t>(events_.size()), 0};
        while (i < n && points[i].y == dy) {
            const int64_t start = points[i].x;
            int64_t end = start + 1;
            for (++i; i < n && points[i].y == dy && points[i].x == end; ++i)
                ++end;
            events_.push_back({start, 1});
            events_.push_back({end, -1});
        }
        row.endEvent = static_cast<uint32_t>(events_.size());
        rows_.push_back(row);
    }
}

// Anything else (a cache file from elsewhere) is sorted first, duplicates
// kept: a column with multiplicity m adds +m at x and -m at x + 1,
// coinciding positions merge and cancelled ones vanish.
void StencilSpans::AddSortedRows(const Point* points, int32_t n) {
    std::vector<Point> sorted(points, points + n);
    std::sort(sorted.begin(), sorted.end(),
              [](const Point& a, const Point& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    for (int32_t i = 0; i < n;) {
        const int32_t dy = sorted[size_t(i)].y;
        Row row{dy, static_cast<uint32_t>(events_.size()), 0};
        while (i < n && sorted[size_t(i)].y == dy) {
            const int64_t x = sorted[size_t(i)].x;
            int32_t m = 0;
            for (; i < n && sorted[size_t(i)].y == dy && sorted[size_t(i)].x == x; ++i)
                ++m;
            if (events_.size() > row.firstEvent && events_.back().pos == x) {
                events_.back().delta += m;
                if (events_.back().delta == 0)
                    events_.pop_back();
            } else {
                events_.push_back({x, m});
            }
            events_.push_back({x + 1, -m});
        }
        row.endEvent = static_cast<uint32_t>(events_.size());
        rows_.push_back(row);
    }
}

// The stencil's extent in rows and columns.
void StencilSpans::MeasureStencil(Stencil& s) const {
    for (uint32_t r = s.firstRow; r < s.endRow; ++r) {
        const Row& row = rows_[r];
        for (uint32_t e = row.firstEvent; e < row.endEvent; ++e) {
            s.posMin = std::min(s.posMin, events_[e].pos);
            s.posMax = std::max(s.posMax, events_[e].pos);
        }
    }
    // Both forms of adding make rows in ascending order of dy.
    if (s.endRow > s.firstRow) {
        s.dyMin = rows_[s.firstRow].dy;
        s.dyMax = rows_[s.endRow - 1].dy;
    }
}

// Simple: consecutive rows, each a single run, offsets small.
bool StencilSpans::IsSimpleForm(const Stencil& s) const {
    bool simple = s.dyMin >= -simpleLimit && s.dyMax <= simpleLimit && s.posMin >= -simpleLimit &&
                  s.posMax <= simpleLimit;
    for (uint32_t r = s.firstRow; simple && r < s.endRow; ++r) {
        const Row& row = rows_[r];
        simple = row.endEvent - row.firstEvent == 2 && events_[row.firstEvent].delta == 1 &&
                 events_[row.firstEvent + 1].delta == -1 &&
                 row.dy == rows_[s.firstRow].dy + (r - s.firstRow);
    }
    return simple;
}

void StencilSpans::Stamp(const CounterGrid& grid, int32_t circle, int32_t x, int32_t y) const {
    const Stencil& s = stencils_[circle];
    if (!s.simple) {
        StampGeneral(grid, s, x, y);
        return;
    }
    const int64_t w = grid.width, h = grid.height, stride = grid.stride;
    const int32_t* run = runs_.data() + s.firstRun;
    const auto rows = static_cast<int32_t>(s.endRow - s.firstRow);
    const bool columnsInside = x + s.posMin >= 0 && x + s.posMax < w;
    if (columnsInside && y + s.dyMin >= 0 && y + s.dyMax < h) {
        // Inside the grid: no wrapping, and every run ends before the row does.
        uint32_t* line = grid.words + (y + s.dyMin) * stride + x;
        for (int32_t j = 0; j < rows; ++j, run += 2, line += stride) {
            line[run[0]] += 1u;
            line[run[1]] -= 1u;
        }
        return;
    }
    // Across an edge: rows wrap one by one, and a run that leaves the row
    // owes its whole turns to the row (see StampGeneral).
    int64_t row = FloorMod(y + s.dyMin, h);
    for (int32_t j = 0; j < rows; ++j, run += 2) {
        uint32_t* line = grid.words + row * stride;
        if (columnsInside) {
            line[x + run[0]] += 1u;
            line[x + run[1]] -= 1u;
        } else {
            int64_t turns;
            const int64_t start = WrapCounted(int64_t{x} + run[0], w, turns);
            line[start] += 1u;
            grid.rowExtra[row] -= static_cast<uint32_t>(turns);
            const int64_t end = WrapCounted(int64_t{x} + run[1], w, turns);
            line[end] -= 1u;
            grid.rowExtra[row] += static_cast<uint32_t>(turns);
        }
        if (++row == h)
            row = 0;
    }
}

void StencilSpans::StampGeneral(const CounterGrid& grid, const Stencil& s, int64_t x,
                                int64_t y) const {
    // An event at absolute column q lands on column q mod w; each whole turn
    // round the row (the floor quotient) is owed to every cell of the row.
    for (uint32_t r = s.firstRow; r < s.endRow; ++r) {
        const Row& row = rows_[r];
        int64_t turns;
        const int64_t line = WrapCounted(y + row.dy, grid.height, turns);
        uint32_t* words = grid.words + line * grid.stride;
        for (uint32_t e = row.firstEvent; e < row.endEvent; ++e) {
            const int64_t column = WrapCounted(x + events_[e].pos, grid.width, turns);
            const uint32_t delta = static_cast<uint32_t>(events_[e].delta);
            words[column] += delta;
            if (turns != 0)
                grid.rowExtra[line] -= delta * static_cast<uint32_t>(turns);
        }
    }
}

#pragma once
// Stencils as per-row difference events. Stamping a disc then costs two
// counter updates per row instead of one per cell, and running sums along each
// row give the hit counts. Exact for any offset list: duplicates, gaps, rows
// in any order, spans wider than the grid.

#include "data/PointArray.h"

#include <cstdint>
#include <vector>

class GEO_LandCircleArray;

// The counters being stamped: one uint32 word per cell, row by row, `stride`
// words from one row to the next (at least the width; the words beyond it are
// never touched), plus one word per row for what spans wrapping round the
// whole row add to every cell of it. Arithmetic wraps modulo 2^32, as int32
// hit counts do.
struct CounterGrid {
    uint32_t* words = nullptr;
    uint32_t* rowExtra = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int64_t stride = 0;
};

// A row stride for counters of the given width: whole cache lines, an odd
// number of them. A stamp touches the same columns of up to 200 rows in a
// row; rows a power of two apart in bytes (8192 or 16384 words) would all
// fall into the same few cache sets and evict each other.
inline int64_t CounterStride(int32_t width) {
    const int64_t lines = (int64_t{width} + 15) / 16;
    return 16 * (lines % 2 == 0 ? lines + 1 : lines);
}

class StencilSpans {
  public:
    // Turns circles 0..count-1 of the table into events, each once.
    StencilSpans(const GEO_LandCircleArray& circles, int32_t count);

    // Adds one stamp of `circle` centred on cell (x, y) of the grid.
    void Stamp(const CounterGrid& grid, int32_t circle, int32_t x, int32_t y) const;

  private:
    struct Event {
        int64_t pos;    // column offset from the centre
        int32_t delta;  // change of the multiplicity from this column on
    };
    struct Row {
        int64_t dy;
        uint32_t firstEvent;
        uint32_t endEvent;
    };
    struct Stencil {
        uint32_t firstRow = 0;
        uint32_t endRow = 0;
        bool simple = true;
        uint32_t firstRun = 0;  // into runs_, two entries (start, end) per row
        int64_t dyMin = 0;
        int64_t dyMax = -1;
        int64_t posMin = 0;
        int64_t posMax = 0;
    };

    void AddStencil(const Point* points, int32_t n);
    void AddOrderedRows(const Point* points, int32_t n);
    void AddSortedRows(const Point* points, int32_t n);
    void MeasureStencil(Stencil& s) const;
    bool IsSimpleForm(const Stencil& s) const;
    void StampGeneral(const CounterGrid& grid, const Stencil& s, int64_t x, int64_t y) const;

    std::vector<Stencil> stencils_;
    std::vector<Row> rows_;
    std::vector<Event> events_;
    std::vector<int32_t> runs_;
};

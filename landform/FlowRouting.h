#pragma once
// Flow over an altitude grid that wraps at all four edges, as Braun and
// Willett (2013) route it: one receiver per cell among its eight neighbours,
// then the cells stacked so that every receiver comes before its donors.
//
// Neighbours are taken in reading order: NW, N, NE, W, E, SW, S, SE. That
// order breaks every tie, so a map routes the same way on any machine.

#include "core/ChunkShare.h"
#include "core/RandomDraws.h"
#include "landform/Boundary.h"

#include <cstdint>
#include <vector>

constexpr uint32_t noReceiver = UINT32_MAX;

// Row y's eight neighbour indices of cell x in reading order, wrapping. With
// open edges a neighbour past the border is the cell itself: no lower, no
// higher, never unvisited, so the loops over neighbours need no test of their own.
struct TorusRow {
    TorusRow(int32_t width, int32_t height, int32_t y, Boundary boundary = Boundary::Wrap)
        : w(uint32_t(width)), up(uint32_t(y == 0 ? height - 1 : y - 1) * w), mid(uint32_t(y) * w),
          down(uint32_t(y == height - 1 ? 0 : y + 1) * w), open(boundary == Boundary::Open),
          top(y == 0), bottom(y == height - 1) {}

    void Neighbours(int32_t x, uint32_t out[8]) const {
        const uint32_t l = x == 0 ? w - 1 : uint32_t(x) - 1;
        const uint32_t c = uint32_t(x);
        const uint32_t r = c + 1 == w ? 0 : c + 1;
        out[0] = up + l, out[1] = up + c, out[2] = up + r;
        out[3] = mid + l, out[4] = mid + r;
        out[5] = down + l, out[6] = down + c, out[7] = down + r;
        if (open)
            CloseEdges(x, out);
    }

    uint32_t w, up, mid, down;
    bool open, top, bottom;

  private:
    void CloseEdges(int32_t x, uint32_t out[8]) const {
        const uint32_t self = mid + uint32_t(x);
        if (top)
            out[0] = out[1] = out[2] = self;
        if (bottom)
            out[5] = out[6] = out[7] = self;
        if (x == 0)
            out[0] = out[3] = out[5] = self;
        if (uint32_t(x) + 1 == w)
            out[2] = out[4] = out[7] = self;
    }
};

// The same for any cell, found by its index.
class TorusCells {
  public:
    TorusCells(int32_t width, int32_t height, Boundary boundary = Boundary::Wrap)
        : width_(width), height_(height), boundary_(boundary), byWidth_(uint32_t(width)) {}

    void Neighbours(uint32_t c, uint32_t out[8]) const {
        const uint32_t y = byWidth_.Quotient(c);
        TorusRow(width_, height_, int32_t(y), boundary_)
            .Neighbours(int32_t(c - y * uint32_t(width_)), out);
    }

  private:
    int32_t width_, height_;
    Boundary boundary_;
    Divisor byWidth_;
};

constexpr bool diagonalNeighbour[8] = {true, false, true, false, false, true, false, true};

// What a cell without a strictly lower neighbour gets: noReceiver (a flat
// for the drainage to resolve) or itself (a sink, as erosion treats pits).
enum class Pits { Unrouted, Sinks };

// Receivers by steepest descent on `surface`: cells at or below the water
// level and those `outlets` marks (landform/EdgeOutlets.h; nullptr: none) are
// outlets (their own receivers); every other cell drains to the
// neighbour of largest drop / distance, the distance 1 or sqrt(2). When
// `diagonal` is given it receives 1 where the receiver is a diagonal
// neighbour. Rows are shared with the worker; the result does not depend on it.
void RouteSteepest(int32_t width, int32_t height, const double* surface, double waterLevel,
                   Pits pits, uint32_t* receivers, uint8_t* diagonal, ChunkWorker& worker,
                   const uint8_t* outlets = nullptr);

// Drained area (cells that flow through a cell, itself included) from the
// receivers. When `stack` is given it receives every cell once, each
// receiver before its donors: the stack of Braun and Willett (2013), from
// the outlets upwards. False when the receivers hold a cycle (its cells then
// keep partial areas and are missing from the stack, whose first entries
// are left as they were).
bool Accumulate(const std::vector<uint32_t>& receivers, std::vector<uint32_t>& area,
                std::vector<uint32_t>* stack);

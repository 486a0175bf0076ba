#include "landform/FlowRouting.h"

#include "landform/RowShare.h"

#include <cmath>

namespace {

void RouteRows(int32_t width, int32_t height, const double* surface, double waterLevel, bool sinks,
               const uint8_t* outlets, uint32_t* receivers, uint8_t* diagonal, int32_t first,
               int32_t end) {
    // Division by the diagonal distance, not multiplication by its inverse:
    // the slope is then the quotient a reader of this file would compute.
    const double diagonalDistance = std::sqrt(2.0);
    uint32_t n[8];
    for (int32_t y = first; y < end; ++y) {
        const TorusRow row(width, height, y);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t c = row.mid + uint32_t(x);
            const double s = surface[c];
            uint32_t receiver = c;
            int best = -1;
            if (s > waterLevel && !(outlets && outlets[c])) {
                row.Neighbours(x, n);
                double steepest = 0;
                for (int k = 0; k < 8; ++k) {
                    const double drop = s - surface[n[k]];
                    const double slope = diagonalNeighbour[k] ? drop / diagonalDistance : drop;
                    if (slope > steepest) {
                        steepest = slope;
                        best = k;
                    }
                }
                receiver = best >= 0 ? n[best] : sinks ? c : noReceiver;
            }
            receivers[c] = receiver;
            if (diagonal)
                diagonal[c] = best >= 0 && diagonalNeighbour[best];
        }
    }
}

}  // namespace

void RouteSteepest(int32_t width, int32_t height, const double* surface, double waterLevel,
                   Pits pits, uint32_t* receivers, uint8_t* diagonal, ChunkWorker& worker,
                   const uint8_t* outlets) {
    const bool sinks = pits == Pits::Sinks;
    ShareRows(worker, width, height, [&](int32_t first, int32_t end) {
        RouteRows(width, height, surface, waterLevel, sinks, outlets, receivers, diagonal, first,
                  end);
    });
}

bool Accumulate(const std::vector<uint32_t>& receivers, std::vector<uint32_t>& area,
                std::vector<uint32_t>* stack) {
    const size_t cells = receivers.size();
    // Donor counts fit a byte: a cell has at most eight neighbours.
    std::vector<uint8_t> donors(cells, 0);
    for (size_t i = 0; i < cells; ++i)
        if (receivers[i] != i)
            ++donors[receivers[i]];
    area.assign(cells, 1);
    if (stack)
        stack->resize(cells);
    // From every source, walk down while the next cell has had all its
    // donors: integer sums, so the walking order cannot change an area. The
    // walk meets donors first, so the stack fills from its end.
    size_t placed = 0;
    for (size_t i = 0; i < cells; ++i) {
        if (donors[i] != 0)
            continue;
        for (uint32_t c = uint32_t(i);;) {
            donors[c] = 1;  // never a source again
            ++placed;
            if (stack)
                (*stack)[cells - placed] = c;
            const uint32_t r = receivers[c];
            if (r == c)
                break;
            area[r] += area[c];
            if (--donors[r] != 0)
                break;
            c = r;
        }
    }
    return placed == cells;
}

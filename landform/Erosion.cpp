#include "landform/Erosion.h"

#include "landform/FlowRouting.h"
#include "landform/RowShare.h"

#include <algorithm>
#include <cmath>

void StreamPowerStep(const FlowGraph& graph, std::vector<double>& altitudes, double erodibility) {
    // Receivers first: each cell reads its receiver's height of this step.
    // Any such order gives the same heights, as each depends on its receiver
    // alone.
    const std::vector<uint32_t>& receivers = graph.Receivers();
    const std::vector<uint32_t>& area = graph.Area();
    const std::vector<uint8_t>& diagonalReceiver = graph.Diagonal();
    const double straight = erodibility;
    const double diagonal = erodibility / std::sqrt(2.0);
    double* h = altitudes.data();
    for (const uint32_t c : graph.Stack()) {
        const uint32_t r = receivers[c];
        if (r == c)
            continue;
        const double f = (diagonalReceiver[c] ? diagonal : straight) * std::sqrt(double(area[c]));
        h[c] -= (h[c] - h[r]) * (f / (1 + f));
    }
}

void ErodeStreamPower(int32_t width, int32_t height, std::vector<double>& altitudes,
                      double waterLevel, int32_t steps, double erodibility, bool twoThreads,
                      const StageSink& progress, const std::vector<uint8_t>& outlets) {
    if (steps <= 0 || altitudes.empty())
        return;
    ReportOrStop(progress, {ProgressPhase::Eroding, 0, steps});
    ChunkWorker worker(twoThreads);
    FlowGraph graph(width, height);
    for (int32_t s = 0; s < steps; ++s) {
        graph.RouteSteepest(altitudes, waterLevel, worker, outlets);
        StreamPowerStep(graph, altitudes, erodibility);
        ReportOrStop(progress, {ProgressPhase::Eroding, s + 1, steps});
    }
}

namespace {

// What a cell gains from a neighbour d above it (d < 0: below) across a
// talus t: the excess beyond the talus, signed. One of the two terms is
// zero, so the sum is that excess exactly, without a branch to mispredict.
inline double Excess(double d, double t) {
    return std::max(d - t, 0.0) + std::min(d + t, 0.0);
}

// Cell c of row `row`, neighbours as listed; the sum in reading order, the
// same on every thread.
inline double Slumped(double s, const double (&n)[8], double talus, double talusDiagonal) {
    double gained = 0;
    for (int k = 0; k < 8; ++k)
        gained += Excess(n[k] - s, diagonalNeighbour[k] ? talusDiagonal : talus);
    return std::clamp(s + gained * 0.0625, 0.0, 1.0);
}

void SlumpRows(int32_t width, int32_t height, const double* before, double* after, double talus,
               int32_t first, int32_t end) {
    // Wrapped neighbours: an open grid's border cells are outlets, whose
    // slumping KeepOutlets undoes, and no other cell reaches across its edge.
    const double talusDiagonal = talus * std::sqrt(2.0);
    uint32_t at[8];
    double n[8];
    const auto edgeCell = [&](const TorusRow& row, int32_t x) {
        row.Neighbours(x, at);
        for (int k = 0; k < 8; ++k)
            n[k] = before[at[k]];
        const uint32_t c = row.mid + uint32_t(x);
        after[c] = Slumped(before[c], n, talus, talusDiagonal);
    };
    for (int32_t y = first; y < end; ++y) {
        const TorusRow row(width, height, y);
        edgeCell(row, 0);
        const double* u = before + row.up;
        const double* m = before + row.mid;
        const double* d = before + row.down;
        for (int32_t x = 1; x < width - 1; ++x) {
            const double v[8] = {u[x - 1], u[x],     u[x + 1], m[x - 1],
                                 m[x + 1], d[x - 1], d[x],     d[x + 1]};
            after[row.mid + uint32_t(x)] = Slumped(m[x], v, talus, talusDiagonal);
        }
        if (width > 1)
            edgeCell(row, width - 1);
    }
}

void KeepOutlets(const double* before, double* after, const std::vector<uint8_t>& outlets,
                 size_t first, size_t end) {
    for (size_t c = first; c < end; ++c)
        if (outlets[c])
            after[c] = before[c];
}

}  // namespace

void ErodeThermal(int32_t width, int32_t height, std::vector<double>& altitudes, int32_t steps,
                  double talus, bool twoThreads, const StageSink& progress,
                  const std::vector<uint8_t>& outlets) {
    if (steps <= 0 || altitudes.empty())
        return;
    ReportOrStop(progress, {ProgressPhase::Slumping, 0, steps});
    ChunkWorker worker(twoThreads);
    std::vector<double> next(altitudes.size());
    for (int32_t s = 0; s < steps; ++s) {
        ShareRows(worker, width, height, [&](int32_t first, int32_t end) {
            SlumpRows(width, height, altitudes.data(), next.data(), talus, first, end);
            if (!outlets.empty())
                KeepOutlets(altitudes.data(), next.data(), outlets, size_t(first) * size_t(width),
                            size_t(end) * size_t(width));
        });
        altitudes.swap(next);
        ReportOrStop(progress, {ProgressPhase::Slumping, s + 1, steps});
    }
}

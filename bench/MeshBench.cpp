// A 4096 x 4096 mesh simplified within 1 m and encoded as .glb, against the
// float TIFF of the same heights: nanoseconds per cell, and the ratio in
// the mesh's counters. The heights are rolling noise smoothed as a map's
// would be, 1 m cells and a 1000 m range, as glenvar-cli's defaults give.

#include "export/GlbFile.h"
#include "export/HeightWindow.h"
#include "export/HeightmapFile.h"
#include "landform/AltitudeGrid.h"
#include "landform/Smoothing.h"
#include "mesh/SimplifiedMesh.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>

namespace {

constexpr int32_t side = 4096;

const AltitudeGrid& SmoothedGrid() {
    static const AltitudeGrid grid = [] {
        // Coarse random heights on a 64-cell lattice, smoothed twice.
        AltitudeGrid g(side, side);
        std::mt19937_64 random(11);
        std::vector<double> lattice(65 * 65);
        for (double& v : lattice)
            v = double(random() % 1000) / 999.0;
        for (int32_t y = 0; y < side; ++y)
            for (int32_t x = 0; x < side; ++x)
                g.altitudes[size_t(y) * side + size_t(x)] =
                    lattice[size_t(y / 64) * 65 + size_t(x / 64)];
        Smooth(g, 32, false);
        Smooth(g, 8, false);
        return g;
    }();
    return grid;
}

double tiffNanoseconds = 0;

void BM_FloatTiff(benchmark::State& state) {
    const HeightWindow window = HeightWindow::OfGrid(SmoothedGrid());
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(EncodeHeightmapTiff(window).data());
        const std::chrono::duration<double, std::nano> took =
            std::chrono::steady_clock::now() - start;
        tiffNanoseconds = took.count() / (double(side) * side);
        state.SetIterationTime(took.count() * 1e-9);
    }
    state.counters["ns_per_cell"] = tiffNanoseconds;
}
BENCHMARK(BM_FloatTiff)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_MeshGlb(benchmark::State& state) {
    const HeightWindow window = HeightWindow::OfGrid(SmoothedGrid());
    size_t triangles = 0;
    double nanoseconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const TerrainMesh mesh =
            SimplifiedGridMesh(window, {0, 0, 0, 0, side, side}, {1, 1000}, 1.0);
        benchmark::DoNotOptimize(EncodeGlb(mesh, nullptr, {}).data());
        const std::chrono::duration<double, std::nano> took =
            std::chrono::steady_clock::now() - start;
        triangles = mesh.TriangleCount();
        nanoseconds = took.count() / (double(side) * side);
        state.SetIterationTime(took.count() * 1e-9);
    }
    state.counters["ns_per_cell"] = nanoseconds;
    state.counters["x_tiff"] = tiffNanoseconds > 0 ? nanoseconds / tiffNanoseconds : 0;
    state.counters["fewer_triangles"] = double(GridTriangles(side, side)) / double(triangles);
}
BENCHMARK(BM_MeshGlb)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

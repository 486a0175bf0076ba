// Imported heights against grown ones: reading an elevation model from a
// Float32 GeoTIFF and draining it with open edges, next to draining a grown
// map of the same size, each in nanoseconds per cell. The model is the grown
// map's heights in metres (0..2000, the sea at 1000), so both drain the same
// land; their ratio is the import's cost. GLENVAR_IMPORT_SIDE sets the side
// (default 8192).

#include "BenchSupport.h"

#include "export/HeightWindow.h"
#include "geo/GeoTiffFile.h"
#include "geo/HeightReader.h"
#include "landform/FlowGraph.h"
#include "pipeline/MapPipeline.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

int32_t Side() {
    const char* text = std::getenv("GLENVAR_IMPORT_SIDE");
    return text ? int32_t(std::atoi(text)) : 8192;
}

const GEO_MakeLand& Grown() {
    static const GEO_MakeLand map = [] {
        GEO_MakeLand t;
        t.width = t.height = Side();
        t.twoThreads = 1;
        t.Generate(DiscTable());
        return t;
    }();
    return map;
}

// The grown map as an elevation model in EPSG:32633, written once.
const std::string& ModelPath() {
    static const std::string path = [] {
        const std::string file =
            (std::filesystem::temp_directory_path() / "glenvar-import-bench.tif").string();
        const GEO_MakeLand& t = Grown();
        TiffPlacement placement;
        const double transform[6] = {500000, 30, 0, 5200000, 0, -30};
        for (int i = 0; i < 6; ++i)
            placement.transform[i] = transform[i];
        placement.crs = CrsWkt("EPSG:32633", "bench");
        placement.span = 2000;
        const std::vector<unsigned char> bytes =
            EncodeGeoTiff(HeightWindow::OfCells(t), {}, placement);
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return file;
    }();
    return path;
}

void PerCell(benchmark::State& state) {
    const double cells = double(Side()) * Side();
    state.counters["per_cell"] = benchmark::Counter(
        cells, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DrainGrownMap(benchmark::State& state) {
    const AltitudeGrid grid = AltitudesOf(Grown());
    for (auto _ : state) {
        const FlowGraph d = FlowGraph::Drained(grid, 0.5, state.range(0) == 2);
        benchmark::DoNotOptimize(d.Area().data());
    }
    PerCell(state);
}
BENCHMARK(BM_DrainGrownMap)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ImportAndDrainGeoTiff(benchmark::State& state) {
    const std::string& path = ModelPath();
    for (auto _ : state) {
        PipelineSettings settings;
        settings.threads = int32_t(state.range(0));
        MapPipeline pipeline =
            MapPipeline::Imported(ReadHeights(path), std::optional<double>(1000.0), settings);
        const AltitudeGrid& grid = pipeline.ShapedHeights();
        const FlowGraph d =
            FlowGraph::Drained(grid, pipeline.Seed().waterLevel, state.range(0) == 2);
        benchmark::DoNotOptimize(d.Area().data());
    }
    PerCell(state);
}
BENCHMARK(BM_ImportAndDrainGeoTiff)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

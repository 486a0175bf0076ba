// The import path over arbitrary bytes, as shape and glenvar.load take a
// file: the first byte picks the form (GeoTIFF, PNG, .r16, EXR, ASCII grid),
// the rest is the file. Beyond "no crash": a refusal is a CommandFailure
// naming the file; accepted heights are within the size limits, finite
// wherever they are not NoData, and drain: every cell that is no outlet
// reaches one, on one thread as on two.

#include "FuzzCheck.h"
#include "data/Failures.h"
#include "geo/HeightReader.h"
#include "landform/EdgeOutlets.h"
#include "landform/FlowGraph.h"
#include "pipeline/MapPipeline.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Large enough for every form's header, small enough for many runs a second.
constexpr int64_t maxFuzzCells = 1 << 16;

std::string ScratchPath(uint8_t form) {
    static const char* const endings[] = {".tif", ".png", ".r16", ".exr", ".asc"};
    return std::filesystem::temp_directory_path().string() + "/glenvar-fuzz-" +
           std::to_string(getpid()) + endings[form % 5];
}

void CheckDrains(const ImportedHeights& imported) {
    MapPipeline pipeline = MapPipeline::Imported(imported, std::nullopt, {});
    const AltitudeGrid& grid = pipeline.ShapedHeights();
    FUZZ_CHECK(grid.width == imported.heights.width && grid.height == imported.heights.height);
    const FlowGraph one = FlowGraph::Drained(grid, pipeline.Seed().waterLevel, false);
    const FlowGraph two = FlowGraph::Drained(grid, pipeline.Seed().waterLevel, true);
    FUZZ_CHECK(one.Receivers() == two.Receivers());
    const std::vector<uint8_t> outlets = EdgeOutlets(grid);
    for (size_t c = 0; c < one.Receivers().size(); ++c)
        if (!outlets.empty() && outlets[c])
            FUZZ_CHECK(one.Receivers()[c] == c);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string path = ScratchPath(data[0]);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), std::streamsize(size - 1));
    }
    HeightReadOptions options;
    options.rawWidth = 4;
    options.rawHeight = int32_t(std::max<size_t>(2, (size - 1) / 8));
    options.checkSize = [](int32_t w, int32_t h) {
        if (int64_t(w) * h > maxFuzzCells)
            throw CommandFailure("too large for the fuzzer", FailureKind::File);
    };
    ImportedHeights imported;
    try {
        imported = ReadHeights(path, options);
    } catch (const CommandFailure& failure) {
        const std::string text = failure.what();
        FUZZ_CHECK(text.rfind(path, 0) == 0 || text == "too large for the fuzzer");
        std::remove(path.c_str());
        return 0;
    }
    std::remove(path.c_str());
    const AltitudeGrid& g = imported.heights;
    FUZZ_CHECK(g.width >= 2 && g.height >= 2 && int64_t(g.width) * g.height <= maxFuzzCells);
    FUZZ_CHECK(g.altitudes.size() == size_t(g.width) * size_t(g.height));
    bool any = false;
    for (size_t i = 0; i < g.altitudes.size(); ++i) {
        if (!g.noData.empty() && g.noData[i])
            continue;
        FUZZ_CHECK(std::isfinite(g.altitudes[i]));
        any = true;
    }
    FUZZ_CHECK(any);
    CheckDrains(imported);
    return 0;
}

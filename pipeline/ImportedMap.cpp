// MapPipeline::Imported: imported heights as the seed's map. The cells hold
// 0..1 altitudes, as the colours, the stages' constants and the 16-bit
// heightmaps expect; the source keeps how they map back to their units.

#include "pipeline/MapPipeline.h"

#include "core/HeightSample.h"
#include "core/MapFile.h"

#include <algorithm>
#include <cmath>

namespace {

GEO_MakeLand SeedOf(const AltitudeGrid& g, const HeightSource& source, double waterLevel) {
    GEO_MakeLand seed;
    seed.width = seed.gridWidth = g.width;
    seed.height = seed.gridHeight = g.height;
    seed.concentrationPointCount = 0;
    seed.waterLevel = waterLevel;
    seed.SetSize(g.width * g.height);
    // Fresh cells are zeroed: region 0, reserved bytes 0. A hole lies at the
    // lowest height: no stage reads it, and it must not raise a heightmap's range.
    LandCell* cells = seed.GetData();
    const bool holes = !source.noData.empty();
    for (size_t i = 0; i < g.altitudes.size(); ++i)
        cells[i].altitude =
            holes && source.noData[i] ? 0.0 : (g.altitudes[i] - source.base) / source.span;
    return seed;
}

// The level as the file would hold it: a cell written at the level reads back
// at this, not above it.
double HeldAs(double level, int32_t sampleBits) {
    if (sampleBits == 32)
        return double(static_cast<float>(level));
    if (sampleBits == 16)
        return double(HeightSample(level)) / 65535.0;
    if (sampleBits == 8) {
        const double v = level * 255.0;
        return !(v > 0) ? 0.0 : v >= 255.0 ? 1.0 : double(std::lround(v)) / 255.0;
    }
    return level;
}

}  // namespace

MapPipeline MapPipeline::Imported(ImportedHeights heights, std::optional<double> waterLevel,
                                  const PipelineSettings& settings) {
    const auto [low, high] = CheckImported(heights);
    auto source = std::make_shared<HeightSource>();
    source->path = heights.path;
    source->sampleType = heights.sampleType;
    source->units = heights.units;
    source->geo = heights.geo;
    const AltitudeGrid& g = heights.heights;
    if (std::find(g.noData.begin(), g.noData.end(), uint8_t{1}) != g.noData.end())
        source->noData = g.noData;
    double level = HeldAs(waterLevel.value_or(0.5), heights.sampleBits);
    if (heights.units != HeightUnits::Unitless) {
        source->base = low;
        source->span = high - low;
        level = (waterLevel.value_or(0.0) - low) / source->span;
    }
    MapPipeline pipeline(SeedOf(g, *source, level), MapFileKind::Raw, settings);
    pipeline.source_ = std::move(source);
    return pipeline;
}

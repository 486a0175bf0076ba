// The climate's files: its layers (floats with their units, biomes as an
// indexed picture with its palette and names) and the engines' material
// masks, each with a sidecar. Part of the encoding half, as
// MapPipelineOutputs.cpp.

#include "pipeline/MapPipeline.h"

#include "data/Archive.h"
#include "data/OutputBatch.h"
#include "export/EngineMasks.h"
#include "export/HeightWindow.h"
#include "export/HeightmapFile.h"
#include "export/MaskRules.h"
#include "export/PngFile.h"
#include "export/Sidecar.h"

#include <memory>

namespace {

void AddBytes(OutputBatch& batch, const std::string& path, std::vector<unsigned char> bytes) {
    batch.Add(path, [&bytes](Archive& archive) { archive.Write(bytes.data(), bytes.size()); });
}

// Floats through the heightmap TIFF writer, so they are written as every
// float TIFF of ours is.
std::vector<unsigned char> EncodedFloats(const AltitudeGrid& grid, const std::vector<float>& values,
                                         const std::string& recipe) {
    AltitudeGrid layer(grid.width, grid.height);
    for (size_t i = 0; i < values.size(); ++i)
        layer.altitudes[i] = double(values[i]);
    return EncodeHeightmapTiff(HeightWindow::OfGrid(layer), recipe);
}

std::string LayerSidecar(std::string_view layer, std::string_view units, const AltitudeGrid& grid,
                         const ClimateSettings& c, const std::string& recipe) {
    std::string j = "{\n  \"layer\": \"" + std::string(layer) + "\"";
    j += ",\n  \"width\": " + std::to_string(grid.width);
    j += ",\n  \"height\": " + std::to_string(grid.height);
    if (!units.empty())
        j += ",\n  \"units\": \"" + std::string(units) + "\",\n  \"noData\": \"NaN\"";
    j += ",\n  \"latitudes\": [" + std::to_string(c.north) + ", " + std::to_string(c.south) + "]";
    j += ",\n  \"lapseRateCPerKm\": " + std::to_string(c.lapseRate);
    j += ",\n  \"heightRangeMetres\": " + std::to_string(c.heightRangeMetres);
    if (layer == "biomes") {
        j += ",\n  \"palette\": [";
        for (const BiomeInfo& b : BiomeTable()) {
            char rgb[8];
            std::snprintf(rgb, sizeof rgb, "#%06X", unsigned(b.rgb));
            j += std::string(b.biome == Biome::Water ? "" : ",") +
                 "\n    {\"index\": " + std::to_string(int(b.biome)) + ", \"biome\": \"" +
                 std::string(b.key) + "\", \"name\": " + JsonQuoted(std::string(b.english)) +
                 ", \"nameJa\": " + JsonQuoted(std::string(b.japanese)) + ", \"colour\": \"" + rgb +
                 "\"}";
        }
        j += "\n  ]";
    }
    if (!recipe.empty())
        j += ",\n  \"recipe\": " + JsonQuoted(recipe);
    return j + "\n}\n";
}

MaskLayout MaskLayoutOf(const PipelineSettings& s) {
    return {s.recipe.edge, s.tileColumns, s.tileRows};
}

}  // namespace

void MapPipeline::AddClimateLayers(OutputBatch& batch, const PipelineOutputs& outputs,
                                   const PipelineProgress& progress) {
    if (!outputs.Climate())
        return;
    const std::string recipe = Recipe();
    const ClimateSettings settings = settings_.recipe.Climate();
    for (const LayerOutput& layer : outputs.layers) {
        if (WaterLayer(layer.kind))
            continue;
        if (progress.step)
            progress.step("layer");
        const auto climate = MapClimate(progress.stages);
        const AltitudeGrid& grid = *shaped_;
        if (layer.kind == LayerKind::Biomes) {
            std::vector<uint8_t> ids(climate->biomes.size());
            for (size_t i = 0; i < ids.size(); ++i)
                ids[i] = uint8_t(climate->biomes[i]);
            std::vector<uint32_t> palette;
            for (const BiomeInfo& b : BiomeTable())
                palette.push_back(b.rgb);
            AddBytes(batch, layer.path,
                     EncodeIndexedPng(grid.width, grid.height, ids, palette, recipe));
            const std::string json = LayerSidecar("biomes", "", grid, settings, recipe);
            AddBytes(batch, SidecarPath(layer.path), {json.begin(), json.end()});
            continue;
        }
        const bool temperature = layer.kind == LayerKind::Temperature;
        AddBytes(batch, layer.path,
                 EncodedFloats(grid, temperature ? climate->temperatures : climate->precipitation,
                               recipe));
        const std::string json =
            temperature
                ? LayerSidecar("temperature", "degrees Celsius", grid, settings, recipe)
                : LayerSidecar("precipitation", "millimetres per year", grid, settings, recipe);
        AddBytes(batch, SidecarPath(layer.path), {json.begin(), json.end()});
    }
}

std::string MapPipeline::MaskLayoutRefusal(const PipelineOutputs& outputs) const {
    const GEO_MakeLand::GridSize size = seed_.CellGridSize();
    for (const MaskRequest& request : outputs.masks) {
        const std::string refusal =
            MaskRefusal(request.engine, size.width, size.height, MaskLayoutOf(settings_));
        if (!refusal.empty())
            return refusal;
    }
    return {};
}

void MapPipeline::AddMasks(OutputBatch& batch, const PipelineOutputs& outputs,
                           const PipelineProgress& progress) {
    if (outputs.masks.empty())
        return;
    if (progress.step)
        progress.step("masks");
    const MapWaters w = Waters(progress.stages);
    const auto climate = MapClimate(progress.stages);
    const AltitudeGrid& grid = *shaped_;
    const auto weights = std::make_shared<const std::vector<uint8_t>>(
        MaskWeights({grid, seed_.waterLevel, settings_.recipe.heightRangeMetres,
                     w.drained->flow.Area(), w.drained->lakes, climate->biomes}));
    const auto noData = std::make_shared<const std::vector<uint8_t>>(grid.noData);
    const std::string recipe = Recipe();
    for (const MaskRequest& request : outputs.masks)
        for (const HeightmapPart& part : MaskParts(request, MaskLayoutOf(settings_), grid.width,
                                                   grid.height, weights, noData, recipe))
            batch.Add(part.path, part.write);
}

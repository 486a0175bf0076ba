// The encoding half of MapPipeline: the files and the JSON report. Apart, so
// that the page, which encodes its own files, builds the rest without
// libpng, libtiff, OpenEXR or a float-to-text conversion of its library.

#include "pipeline/MapPipeline.h"

#include "core/LandReport.h"
#include "data/Archive.h"
#include "data/OutputBatch.h"
#include "export/HeightWindow.h"
#include "export/HeightmapFile.h"
#include "export/HeightmapSet.h"
#include "export/PngFile.h"
#include "export/SaveForm.h"
#include "export/Sidecar.h"
#include "export/TiffPlacement.h"
#include "landform/MultipleFlow.h"
#include "landform/Waters.h"
#include "pipeline/InfoJson.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

void Step(const PipelineProgress& progress, std::string_view step) {
    if (progress.step)
        progress.step(step);
}

// A mask as a black and white picture, one pixel per cell.
std::vector<unsigned char> EncodedMask(const AltitudeGrid& grid, const std::vector<uint8_t>& mask,
                                       const std::string& recipe) {
    Picture picture(grid.width, grid.height);
    for (size_t i = 0; i < mask.size(); ++i)
        picture.pixels[i] = mask[i] ? 0xFFFFFFFFu : 0xFF000000u;
    return EncodePicturePng(picture, recipe);
}

// The drained areas as 32-bit floats, through the heightmap TIFF writer,
// placed as the heights are but in cells, not metres.
std::vector<unsigned char> EncodedFlow(const AltitudeGrid& grid, const FlowGraph& flow,
                                       bool multipleFlow, const std::string& recipe,
                                       TiffPlacement placement, const uint8_t* holes) {
    AltitudeGrid area(grid.width, grid.height);
    if (multipleFlow)
        area.altitudes =
            MultipleFlowArea(flow, GridNeighbours(grid.width, grid.height, grid.boundary));
    else
        for (size_t i = 0; i < flow.Area().size(); ++i)
            area.altitudes[i] = double(flow.Area()[i]);
    placement.base = 0;
    placement.span = 1;
    placement.scale = 1;
    placement.unit.clear();
    placement.unitHeights = false;
    return EncodeHeightmapTiff(HeightWindow::OfGrid(area).WithHoles(holes), recipe, &placement);
}

// A grown map lies with its lower left corner at the origin, a cell the
// settings' metres a side, its 0..1 heights scaled to metres by the band; an
// imported one where its file placed it, its heights back in their units.
TiffPlacement PlacementOf(const PipelineSettings& s, const HeightSource* source, int32_t height) {
    TiffPlacement p;
    if (source) {
        for (int i = 0; i < 6; ++i)
            p.transform[i] = source->geo.transform[i];
        p.crs = source->geo.crs;
        p.base = source->base;
        p.span = source->span;
        p.noData = source->geo.noData;
        if (source->units == HeightUnits::Unitless)
            p.unitHeights = true;
        else
            p.unit = source->units == HeightUnits::Feet ? "ft" : "m";
        return p;
    }
    const double cell = s.recipe.cellSizeMetres;
    const double transform[6] = {0, cell, 0, cell * height, 0, -cell};
    for (int i = 0; i < 6; ++i)
        p.transform[i] = transform[i];
    p.crs = s.crs;
    p.scale = s.recipe.heightRangeMetres;
    p.unit = "m";
    p.unitHeights = true;
    return p;
}

}  // namespace

TiffPlacement MapPipeline::Placement() const {
    return PlacementOf(settings_, source_.get(), seed_.CellGridSize().height);
}

namespace {

HeightmapLayout LayoutOf(const PipelineSettings& s, const std::string& recipe) {
    HeightmapLayout layout;
    layout.edge = s.recipe.edge;
    layout.tileColumns = s.tileColumns;
    layout.tileRows = s.tileRows;
    layout.engine = s.recipe.engine;
    layout.heightRangeMetres = s.recipe.heightRangeMetres;
    layout.recipe = recipe;
    return layout;
}

}  // namespace

std::vector<unsigned char> MapPipeline::PicturePng(const PipelineProgress& progress) {
    const Picture picture = Render(progress);
    Step(progress, "encoding");
    return EncodePicturePng(picture, Recipe());
}

void MapPipeline::AddLayers(OutputBatch& batch, const PipelineOutputs& outputs,
                            const PipelineProgress& progress) {
    bool water = false;
    for (const LayerOutput& layer : outputs.layers)
        water = water || WaterLayer(layer.kind);
    if (!water)
        return;
    const MapWaters w = Waters(progress.stages);
    const std::string recipe = Recipe();
    for (const LayerOutput& layer : outputs.layers) {
        if (!WaterLayer(layer.kind))
            continue;
        Step(progress, "layer");
        const std::vector<unsigned char> bytes =
            layer.kind == LayerKind::Flow
                ? EncodedFlow(*shaped_, w.drained->flow, settings_.recipe.stages.multipleFlow,
                              recipe, PlacementOf(settings_, source_.get(), shaped_->height),
                              source_ && !source_->noData.empty() ? source_->noData.data()
                                                                  : nullptr)
                : EncodedMask(*shaped_,
                              layer.kind == LayerKind::Lakes ? w.drained->lakes : *w.rivers,
                              recipe);
        batch.Add(layer.path,
                  [&bytes](Archive& archive) { archive.Write(bytes.data(), bytes.size()); });
    }
}

void MapPipeline::Write(const PipelineOutputs& outputs, const PipelineProgress& progress) {
    HeightmapLayout layout = LayoutOf(settings_, Recipe());
    layout.placement = PlacementOf(settings_, source_.get(), seed_.CellGridSize().height);
    if (source_ && !source_->noData.empty())
        layout.holes = source_->noData.data();
    if (source_)
        layout.imported = ImportedSource{
            source_->path, source_->sampleType, HeightUnitsName(source_->units),
            source_->base, source_->span,       Edges() == Boundary::Open ? "open" : "wrap"};
    if (!outputs.heightmaps.empty()) {
        const std::string refusal = LayoutRefusal(seed_, layout);
        if (!refusal.empty())
            throw PipelineFailure(refusal);
    }
    if (const std::string refusal = MaskLayoutRefusal(outputs); !refusal.empty())
        throw PipelineFailure(refusal);
    CheckMeshes(outputs);
    OutputBatch batch;  // each file is written as it is added
    const auto isMapFile = [](const FileOutput& out) {
        return FormOf(out.form).group == FormGroup::MapFile;
    };
    for (const FileOutput& out : outputs.files) {
        if (!isMapFile(out))
            continue;
        Step(progress, "saving");
        batch.Add(out.path, [this, &out](Archive& archive) {
            WriteForm(FormOf(out.form), {seed_}, archive);
        });
    }
    std::optional<std::vector<unsigned char>> png;  // encoded once however many files take it
    for (const FileOutput& out : outputs.files) {
        if (isMapFile(out))
            continue;
        if (!png)
            png = PicturePng(progress);
        Step(progress, "saving");
        batch.Add(out.path, [&png](Archive& archive) { archive.Write(png->data(), png->size()); });
    }
    for (const FileOutput& out : outputs.heightmaps) {
        const GEO_MakeLand& map = Shown(progress.stages);
        for (const std::string& warning : EngineWarnings(FormOf(out.form), map, layout))
            if (progress.warning)
                progress.warning(out.path, warning);
        Step(progress, "heightmap");
        for (const HeightmapPart& part : HeightmapParts(FormOf(out.form), map, layout, out.path))
            batch.Add(part.path, part.write);
    }
    AddLayers(batch, outputs, progress);
    AddClimateLayers(batch, outputs, progress);
    AddMasks(batch, outputs, progress);
    const bool textured =
        std::any_of(outputs.meshes.begin(), outputs.meshes.end(),
                    [](const FileOutput& m) { return m.form != FileFormId::MeshStl; });
    if (textured && !png)
        png = PicturePng(progress);
    AddMeshes(batch, outputs, textured ? *png : std::vector<unsigned char>(), progress);
    AddVectors(batch, outputs, progress);
    batch.CommitAll();
}

namespace {

// An imported map's source as the report's last member: "source": {...}.
std::string SourceJson(const HeightSource& s, Boundary edges) {
    const auto number = [](double v) {
        char digits[32];
        return std::string(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
    };
    size_t holes = 0;
    for (const uint8_t hole : s.noData)
        holes += hole;
    std::string json = ",\"source\":{\"file\":" + JsonQuoted(s.path);
    json += ",\"sampleType\":" + JsonQuoted(s.sampleType);
    json += ",\"units\":\"" + std::string(HeightUnitsName(s.units)) + "\"";
    json += ",\"boundary\":\"" + std::string(edges == Boundary::Open ? "open" : "wrap") + "\"";
    json += ",\"heightBase\":" + number(s.base) + ",\"heightSpan\":" + number(s.span);
    json += ",\"noDataCells\":" + std::to_string(holes);
    json += ",\"georeferenced\":" + std::string(s.geo.placed ? "true" : "false");
    json += ",\"coordinateSystem\":" + std::string(s.geo.crs.empty() ? "false" : "true") + "}";
    return json;
}

}  // namespace

std::string MapPipeline::InfoJsonText(const StageSink& progress) {
    std::string json = InfoJsonOfShaped(progress);
    if (source_ && json.size() >= 2 && json.compare(json.size() - 2, 2, "}\n") == 0)
        json.insert(json.size() - 2, SourceJson(*source_, Edges()));
    return json;
}

std::string MapPipeline::InfoJsonOfShaped(const StageSink& progress) {
    const GEO_MakeLand& map = Shown(progress);
    const std::vector<LandCell> present = CellsWithHeights(map);
    const LandFigures figures =
        present.empty() ? CountLand(map.GetData(), size_t(map.GetSize()), map.waterLevel)
                        : CountLand(present.data(), present.size(), map.waterLevel);
    const std::vector<uint64_t> biomes = BiomeCounts(MapClimate(progress)->biomes);
    const uint32_t threshold = settings_.recipe.riverThreshold;
    if (threshold == 0)
        return InfoJson(map, kind_, figures, nullptr, 0, &biomes);
    const MapWaters w = Waters(progress);
    const AltitudeGrid& grid = *shaped_;
    const WaterFigures waters =
        CountWaters(grid.width, grid.height, grid.altitudes, w.drained->flow, w.drained->lakes,
                    *w.rivers, w.drained->level, grid.boundary);
    const RiverFigures laws =
        MeasureRivers(grid.altitudes, w.drained->flow, *w.rivers, w.drained->level, threshold);
    return InfoJson(map, kind_, figures, &waters, threshold, &biomes, &laws);
}

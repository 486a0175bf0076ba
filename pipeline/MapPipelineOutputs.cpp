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
#include "landform/Waters.h"
#include "pipeline/InfoJson.h"

#include <algorithm>
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

// The drained areas as 32-bit floats, through the heightmap TIFF writer.
std::vector<unsigned char> EncodedFlow(const AltitudeGrid& grid, const FlowGraph& flow,
                                       const std::string& recipe) {
    AltitudeGrid area(grid.width, grid.height);
    for (size_t i = 0; i < flow.Area().size(); ++i)
        area.altitudes[i] = double(flow.Area()[i]);
    return EncodeHeightmapTiff(HeightWindow::OfGrid(area), recipe);
}

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
    if (outputs.layers.empty())
        return;
    const MapWaters w = Waters(progress.stages);
    const std::string recipe = Recipe();
    for (const LayerOutput& layer : outputs.layers) {
        Step(progress, "layer");
        const std::vector<unsigned char> bytes =
            layer.kind == LayerKind::Flow
                ? EncodedFlow(*shaped_, w.drained->flow, recipe)
                : EncodedMask(*shaped_,
                              layer.kind == LayerKind::Lakes ? w.drained->lakes : *w.rivers,
                              recipe);
        batch.Add(layer.path,
                  [&bytes](Archive& archive) { archive.Write(bytes.data(), bytes.size()); });
    }
}

void MapPipeline::Write(const PipelineOutputs& outputs, const PipelineProgress& progress) {
    const HeightmapLayout layout = LayoutOf(settings_, Recipe());
    if (!outputs.heightmaps.empty()) {
        const std::string refusal = LayoutRefusal(seed_, layout);
        if (!refusal.empty())
            throw PipelineFailure(refusal);
    }
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
    const bool textured =
        std::any_of(outputs.meshes.begin(), outputs.meshes.end(),
                    [](const FileOutput& m) { return m.form != FileFormId::MeshStl; });
    if (textured && !png)
        png = PicturePng(progress);
    AddMeshes(batch, outputs, textured ? *png : std::vector<unsigned char>(), progress);
    AddVectors(batch, outputs, progress);
    batch.CommitAll();
}

std::string MapPipeline::InfoJsonText(const StageSink& progress) {
    const GEO_MakeLand& map = Shown(progress);
    const LandFigures figures = CountLand(map.GetData(), size_t(map.GetSize()), map.waterLevel);
    const uint32_t threshold = settings_.recipe.riverThreshold;
    if (threshold == 0)
        return InfoJson(map, kind_, figures);
    const MapWaters w = Waters(progress);
    const AltitudeGrid& grid = *shaped_;
    const WaterFigures waters =
        CountWaters(grid.width, grid.height, grid.altitudes, w.drained->flow, w.drained->lakes,
                    *w.rivers, w.drained->level);
    return InfoJson(map, kind_, figures, &waters, threshold);
}

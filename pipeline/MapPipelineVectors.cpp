// The shapes of MapPipeline: land, lakes and rivers of the shaped heights at
// the map's water level, traced from the same drainage the pictures and
// layers draw.

#include "pipeline/MapPipeline.h"

#include "data/Archive.h"
#include "data/OutputBatch.h"
#include "export/GeoJsonFile.h"

void MapPipeline::AddVectors(OutputBatch& batch, const PipelineOutputs& outputs,
                             const PipelineProgress& progress) {
    if (outputs.vectors.empty())
        return;
    if (progress.step)
        progress.step("vectors");
    const MapWaters w = Waters(progress.stages);
    const AltitudeGrid& grid = *shaped_;
    const std::vector<uint8_t>& lakes = w.drained->lakes;
    std::vector<uint8_t> land(lakes.size());
    for (size_t i = 0; i < land.size(); ++i)
        land[i] = grid.altitudes[i] > w.drained->level && !lakes[i];
    MapShapes shapes;
    shapes.cellMetres = settings_.recipe.cellSizeMetres;
    // A grown map wraps round: what reaches its edge goes on at the other.
    const bool wraps = grid.boundary == Boundary::Wrap;
    shapes.land = MaskPolygons(grid.width, grid.height, land, shapes.cellMetres, wraps);
    shapes.lakes = MaskPolygons(grid.width, grid.height, lakes, shapes.cellMetres, wraps);
    shapes.rivers = RiverReaches(w.drained->flow, *w.rivers, shapes.cellMetres);
    const std::string text = GeoJsonText(shapes);
    for (const FileOutput& out : outputs.vectors)
        batch.Add(out.path, [&text](Archive& archive) { archive.Write(text.data(), text.size()); });
}

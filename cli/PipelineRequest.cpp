#include "cli/PipelineRequest.h"

namespace cli {

PipelineSettings PipelineSettingsOf(const Options& o) {
    PipelineSettings s;
    s.recipe.stages = o.stages;
    s.recipe.riverThreshold = o.riverThreshold;
    s.recipe.regions = o.regions;
    s.recipe.shade = o.shade;
    s.recipe.edge = o.edge;
    s.recipe.engine = o.engine;
    s.recipe.heightRangeMetres = o.heightRangeMetres;
    s.recipe.climate = o.climate;
    s.recipe.biomeColours = o.biomeColours;
    s.recipe.boundary = o.boundary;
    s.recipe.cellSizeMetres = o.cellSizeMetres;
    s.recipe.meshErrorMetres = o.meshErrorMetres;
    s.recipe.baseMm = o.baseMm;
    s.recipe.printSizeMm = o.printSizeMm;
    s.tileColumns = o.tileColumns;
    s.tileRows = o.tileRows;
    s.threads = o.threads;
    return s;
}

PipelineOutputs PipelineOutputsOf(const Options& o) {
    PipelineOutputs outputs;
    for (const Output& out : o.outputs)
        outputs.files.push_back({out.path, out.kind});
    for (const Heightmap& map : o.heightmaps)
        outputs.heightmaps.push_back({map.path, map.kind});
    // The two lists name the same kinds in the same order.
    for (const Layer& layer : o.layers)
        outputs.layers.push_back({::LayerKind(int(layer.kind)), layer.path});
    outputs.masks = o.masks;
    for (const Output& mesh : o.meshes)
        outputs.meshes.push_back({mesh.path, mesh.kind});
    for (const Output& shapes : o.vectors)
        outputs.vectors.push_back({shapes.path, shapes.kind});
    return outputs;
}

}  // namespace cli

// The meshes of MapPipeline: built from the shaped heights (the closed grid
// with --edge repeat), simplified and written with the other outputs.

#include "pipeline/MapPipeline.h"

#include "data/Archive.h"
#include "data/FileDevices.h"
#include "data/OutputBatch.h"
#include "export/HeightWindow.h"
#include "mesh/MeshSet.h"

namespace {

MeshLayout MeshLayoutOf(const PipelineSettings& s, double waterLevel) {
    const RecipeOptions& r = s.recipe;
    MeshLayout layout;
    layout.scale = {r.cellSizeMetres, r.heightRangeMetres};
    layout.errorMetres = r.meshErrorMetres;
    layout.baseMm = r.baseMm;
    layout.printSizeMm = r.printSizeMm;
    layout.tileColumns = s.tileColumns;
    layout.tileRows = s.tileRows;
    layout.waterLevel = waterLevel;
    layout.twoThreads = s.threads == 2;
    return layout;
}

HeightWindow MeshWindow(const GEO_MakeLand& map, HeightEdge edge) {
    const HeightWindow cells = HeightWindow::OfCells(map);
    return edge == HeightEdge::Repeat ? cells.Closed() : cells;
}

}  // namespace

std::string MeshesRefusal(int32_t width, int32_t height, const PipelineSettings& settings) {
    const int32_t closing = settings.recipe.edge == HeightEdge::Repeat ? 1 : 0;
    return MeshRefusal(width + closing, height + closing, MeshLayoutOf(settings, 0));
}

void MapPipeline::CheckMeshes(const PipelineOutputs& outputs) {
    if (outputs.meshes.empty())
        return;
    const GEO_MakeLand::GridSize size = seed_.CellGridSize();
    if (!size.formsGrid)
        throw PipelineFailure("the map's cells do not form a grid of its size");
    const std::string refusal = MeshesRefusal(size.width, size.height, settings_);
    if (!refusal.empty())
        throw PipelineFailure(refusal);
}

void MapPipeline::AddMeshes(OutputBatch& batch, const PipelineOutputs& outputs,
                            const std::vector<unsigned char>& picturePng,
                            const PipelineProgress& progress) {
    if (outputs.meshes.empty())
        return;
    const HeightWindow window =
        MeshWindow(Shown(progress.stages), settings_.recipe.edge).WithHoles(Holes());
    const MeshLayout layout = MeshLayoutOf(settings_, seed_.waterLevel);
    for (const FileOutput& out : outputs.meshes) {
        if (progress.step)
            progress.step("mesh");
        for (const MeshPart& part :
             MeshParts(FormOf(out.form), window, layout, picturePng, out.path))
            batch.Add(part.path, part.write);
    }
}

TerrainMesh MapPipeline::Mesh(const StageSink& progress) {
    PipelineSettings whole = settings_;
    whole.tileColumns = whole.tileRows = 1;
    const MeshLayout layout = MeshLayoutOf(whole, seed_.waterLevel);
    const std::string refusal =
        MeshRefusal(MeshWindow(seed_, settings_.recipe.edge).Width(),
                    MeshWindow(seed_, settings_.recipe.edge).Height(), layout);
    if (!refusal.empty())
        throw PipelineFailure(refusal);
    const HeightWindow window =
        MeshWindow(Shown(progress), settings_.recipe.edge).WithHoles(Holes());
    return SurfaceMesh(window, {0, 0, 0, 0, window.Width(), window.Height()}, layout);
}

std::vector<unsigned char> MapPipeline::MeshFileBytes(FileFormId form,
                                                      const std::vector<unsigned char>& picturePng,
                                                      const StageSink& progress) {
    const GEO_MakeLand::GridSize size = seed_.CellGridSize();
    if (!size.formsGrid)
        throw PipelineFailure("the map's cells do not form a grid of its size");
    PipelineSettings whole = settings_;
    whole.tileColumns = whole.tileRows = 1;
    const std::string refusal = MeshesRefusal(size.width, size.height, whole);
    if (!refusal.empty())
        throw PipelineFailure(refusal);
    const HeightWindow window =
        MeshWindow(Shown(progress), settings_.recipe.edge).WithHoles(Holes());
    const MeshLayout layout = MeshLayoutOf(whole, seed_.waterLevel);
    MemorySink sink;
    Archive archive(sink);
    // Untiled, a .glb or .stl is a single part; the path only names it.
    for (const MeshPart& part : MeshParts(FormOf(form), window, layout, picturePng, "mesh"))
        part.write(archive);
    archive.Close();
    return sink.bytes();
}

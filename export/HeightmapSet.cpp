#include "export/HeightmapSet.h"

#include "core/GEO_MakeLand.h"
#include "data/Archive.h"
#include "data/Failures.h"
#include "data/OutputBatch.h"
#include "export/HeightWindow.h"
#include "export/SaveForm.h"
#include "export/Sidecar.h"

#include <filesystem>

namespace {

HeightWindow WindowOf(const GEO_MakeLand& terrain, const HeightmapLayout& layout) {
    const HeightWindow cells = HeightWindow::OfCells(terrain);
    return layout.edge == HeightEdge::Repeat ? cells.Closed() : cells;
}

bool FloatSamples(const FileForm& form) {
    return form.id == FileFormId::HeightmapTiff || form.id == FileFormId::HeightmapExr;
}

}  // namespace

void HeightmapSize(const GEO_MakeLand& terrain, const HeightmapLayout& layout, int32_t& width,
                   int32_t& height) {
    const HeightWindow window = WindowOf(terrain, layout);
    width = window.Width();
    height = window.Height();
}

std::string LayoutRefusal(const GEO_MakeLand& terrain, const HeightmapLayout& layout) {
    int32_t w = 0, h = 0;
    HeightmapSize(terrain, layout, w, h);
    if (TilesOf(w, h, layout.tileColumns, layout.tileRows).empty())
        return "--tiles: " + std::to_string(layout.tileColumns) + "x" +
               std::to_string(layout.tileRows) + " tiles of a " + std::to_string(w) + " x " +
               std::to_string(h) + " heightmap would have fewer than two samples a side";
    return {};
}

std::vector<std::string> EngineWarnings(const FileForm& form, const GEO_MakeLand& terrain,
                                        const HeightmapLayout& layout) {
    std::vector<std::string> warnings;
    if (layout.engine == nullptr)
        return warnings;
    int32_t w = 0, h = 0;
    HeightmapSize(terrain, layout, w, h);
    const std::vector<HeightTile> tiles = TilesOf(w, h, layout.tileColumns, layout.tileRows);
    // Engines take tiles one by one: the first tile has the largest sides.
    const int32_t tileW = tiles.empty() ? w : tiles.front().width;
    const int32_t tileH = tiles.empty() ? h : tiles.front().height;
    std::string size = SizeWarning(*layout.engine, tileW, tileH);
    if (!size.empty())
        warnings.push_back(size + (layout.edge == HeightEdge::Wrap
                                       ? "; --edge repeat adds the closing row and column"
                                       : ""));
    if (form.extension != layout.engine->preferredExtension &&
        !(layout.engine->engine == Engine::Unreal && form.id == FileFormId::HeightmapR16))
        warnings.push_back(std::string(layout.engine->displayName) + " reads " +
                           std::string(layout.engine->preferredExtension) +
                           " heightmaps best: " + std::string(layout.engine->note));
    return warnings;
}

std::vector<HeightmapPart> HeightmapParts(const FileForm& form, const GEO_MakeLand& terrain,
                                          const HeightmapLayout& layout, const std::string& path) {
    const std::string refusal = LayoutRefusal(terrain, layout);
    if (!refusal.empty())
        throw CommandFailure(refusal, FailureKind::Layout);
    const HeightWindow whole = WindowOf(terrain, layout);
    HeightmapSidecar sidecar;
    sidecar.width = whole.Width();
    sidecar.height = whole.Height();
    sidecar.floatSamples = FloatSamples(form);
    sidecar.bigEndian = form.id == FileFormId::HeightmapPng;
    sidecar.edge = layout.edge;
    sidecar.waterLevel = terrain.waterLevel;
    sidecar.heightRangeMetres = layout.heightRangeMetres;
    sidecar.engine = layout.engine;
    sidecar.recipe = layout.recipe;
    sidecar.imported = layout.imported;
    sidecar.samplesInUnits = layout.imported && layout.placement &&
                             form.id == FileFormId::HeightmapTiff &&
                             layout.imported->units != "unitless";

    std::vector<HeightmapPart> parts;
    auto add = [&](const std::string& file, const HeightWindow& window) {
        parts.push_back(
            {file, [&form, &terrain, window = window.WithHoles(layout.holes),
                    recipe = layout.recipe, placement = layout.placement](Archive& a) {
                 WriteForm(form,
                           {terrain, nullptr, &window, recipe, placement ? &*placement : nullptr},
                           a);
             }});
    };
    if (layout.tileColumns == 1 && layout.tileRows == 1) {
        add(path, whole);
    } else {
        for (const HeightTile& tile :
             TilesOf(whole.Width(), whole.Height(), layout.tileColumns, layout.tileRows)) {
            const std::string tilePath = TilePath(path, tile);
            add(tilePath, whole.Tile(tile));
            sidecar.tiles.push_back({std::filesystem::path(tilePath).filename().string(), tile});
        }
    }
    parts.push_back({SidecarPath(path), [json = SidecarJson(sidecar)](Archive& a) {
                         a.Write(json.data(), json.size());
                     }});
    return parts;
}

std::vector<std::string> HeightmapPaths(const std::string& path, int32_t tileColumns,
                                        int32_t tileRows) {
    std::vector<std::string> paths = TilePaths(path, tileColumns, tileRows);
    paths.push_back(SidecarPath(path));
    return paths;
}

void SaveHeightmapSet(const FileForm& form, const GEO_MakeLand& terrain,
                      const HeightmapLayout& layout, const std::string& path) {
    OutputBatch batch;
    for (const HeightmapPart& part : HeightmapParts(form, terrain, layout, path))
        batch.Add(part.path, part.write);
    batch.CommitAll();
}

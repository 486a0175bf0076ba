#pragma once
// A heightmap as the command line and the bindings ask for it: one file or
// K x L tiles of the map's altitudes, wrapped or closed, with the sidecar
// NAME.json beside it.

#include "export/EngineProfile.h"
#include "export/FileForm.h"
#include "export/HeightLayout.h"
#include "export/Sidecar.h"
#include "export/TiffPlacement.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Archive;
class GEO_MakeLand;

struct HeightmapLayout {
    HeightEdge edge = HeightEdge::Wrap;
    int32_t tileColumns = 1;
    int32_t tileRows = 1;
    const EngineProfile* engine = nullptr;
    double heightRangeMetres = 1000;
    std::string recipe;  // empty when the map's making is not known
    // Float TIFFs as GeoTIFFs (export/TiffPlacement.h); the holes, when
    // given, are the grid's NoData cells.
    std::optional<TiffPlacement> placement;
    const uint8_t* holes = nullptr;
    std::optional<ImportedSource> imported;  // for the sidecar
};

// The samples a side the heightmap (all tiles stitched) has for the terrain.
void HeightmapSize(const GEO_MakeLand& terrain, const HeightmapLayout& layout, int32_t& width,
                   int32_t& height);

// Why the layout cannot be written for the terrain (tiles too small), or empty.
std::string LayoutRefusal(const GEO_MakeLand& terrain, const HeightmapLayout& layout);

// Warnings for the engine: a size it does not recommend, a form it reads poorly.
std::vector<std::string> EngineWarnings(const FileForm& form, const GEO_MakeLand& terrain,
                                        const HeightmapLayout& layout);

// One file of a heightmap: the whole or a tile, or the sidecar.
struct HeightmapPart {
    std::string path;
    std::function<void(Archive&)> write;  // reads the terrain's cells when called
};

// The files of the heightmap of the terrain's cells: the heightmap or its
// tiles (named by TilePath), then the sidecar. Throws a CommandFailure of
// FailureKind::Layout for a layout LayoutRefusal refuses; the writers throw
// what WriteForm does.
std::vector<HeightmapPart> HeightmapParts(const FileForm& form, const GEO_MakeLand& terrain,
                                          const HeightmapLayout& layout, const std::string& path);

// The paths of the parts, in the same order, known from the layout's tile
// counts alone: a run checks every name before it makes the map.
std::vector<std::string> HeightmapPaths(const std::string& path, int32_t tileColumns,
                                        int32_t tileRows);

// Every part, all or none (data/OutputBatch.h).
void SaveHeightmapSet(const FileForm& form, const GEO_MakeLand& terrain,
                      const HeightmapLayout& layout, const std::string& path);

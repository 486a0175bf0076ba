#pragma once
// The command line of glenvar-cli, parsed without touching the file system so
// that tests and fuzzers can drive it directly.

#include "data/PointArray.h"
#include "data/StencilCacheFile.h"

#include "core/GEO_MakeLand.h"
#include "core/ParameterTable.h"
#include "export/EngineMasks.h"
#include "export/EngineProfile.h"
#include "export/FileForm.h"
#include "export/HeightLayout.h"
#include "landform/ClimateSettings.h"
#include "landform/LandformStages.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum class Command { Help, Version, Generate, Render, Info, Shape };

// A file to write and its form (export/FileForm.h), known by its extension.
struct Output {
    std::string path;
    FileFormId kind = FileFormId::Picture;
    bool operator==(const Output&) const = default;
};

// The same for a --heightmap.
using Heightmap = Output;

// A --layer: a mask of the rivers or the lakes (a black and white PNG), or
// the drained area of every cell (a 32-bit floating-point TIFF); the
// climate's temperatures or precipitation (TIFFs likewise), or its biomes
// (an indexed PNG).
enum class LayerKind { Rivers, Lakes, Flow, Temperature, Precipitation, Biomes };

struct Layer {
    LayerKind kind = LayerKind::Rivers;
    std::string path;
    bool operator==(const Layer&) const = default;
};

struct Options {
    Command command = Command::Help;
    Command helpTopic = Command::Help;  // with Command::Help: which usage to print

    // generate: every parameter (core/ParameterTable.h); hand-placed points
    // with manual placement. render: the loaded map takes those given.
    GEO_MakeLand terrain;
    std::vector<const ParameterRow*> given;  // in the order given, repeats included
    std::string stencils = stencilCacheFile;

    // generate and render
    int32_t threads = 1;
    bool regions = false;
    std::vector<Output> outputs;
    std::vector<Heightmap> heightmaps;

    // generate, render and info: stages reshaping a copy of the map's altitudes
    LandformStages stages;
    // generate, render and info: land draining at least this many cells is
    // river (0: no rivers drawn or counted)
    uint32_t riverThreshold = 0;

    // generate and render: river and lake masks, drained areas, climate layers
    std::vector<Layer> layers;
    // generate and render: engines' material masks (--masks ENGINE:PREFIX)
    std::vector<MaskRequest> masks;

    // generate, render and info: the climate and pictures coloured by biome
    ClimateSettings climate;
    bool biomeColours = false;

    // generate and render: relief pictures and how heightmaps are laid out
    bool shade = false;
    HeightEdge edge = HeightEdge::Wrap;
    const EngineProfile* engine = nullptr;
    double heightRangeMetres = 1000;
    std::optional<Boundary> boundary;  // unset: the map's own (open for imported heights)
    double cellSizeMetres = 1;
    std::string crs;  // as given; main turns it into WKT through GDAL
    int32_t tileColumns = 1;
    int32_t tileRows = 1;

    // generate and render: meshes (export/TerrainMesh.h), their tiles as the heightmaps'
    std::vector<Output> meshes;
    double meshErrorMetres = 0;
    double baseMm = 2;
    double printSizeMm = 100;

    // generate and render: land, lakes and rivers as shapes (.geojson)
    std::vector<Output> vectors;

    // generate: the file whose recipe gives every parameter and stage
    std::string recipe;

    // render, info and shape
    std::string input;

    // shape: an elevation model's sea level in its units (default 0); a raw
    // .r16's size when no sidecar tells it (0 x 0: none given)
    std::optional<double> waterLevelUnits;
    int32_t rawWidth = 0;
    int32_t rawHeight = 0;

    // info
    bool json = false;
};

struct ParseResult {
    std::optional<Options> options;
    std::string error;  // one line, set when options is empty
};

// args excludes the program name.
ParseResult Parse(const std::vector<std::string>& args);

std::string UsageText(Command topic);
std::string VersionText();

// The extensions a file option of the command takes ("-o", "--heightmap", "--mesh"; ""
// for the map file that render and info read), in the order messages list them.
std::vector<std::string_view> AcceptedExtensions(Command command, std::string_view option);

}  // namespace cli

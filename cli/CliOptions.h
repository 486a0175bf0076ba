#pragma once
// The command line of glenvar-cli, parsed without touching the file system so
// that tests and fuzzers can drive it directly.

#include "data/PointArray.h"
#include "data/StencilCacheFile.h"

#include "core/GEO_MakeLand.h"
#include "core/ParameterLimits.h"
#include "export/EngineProfile.h"
#include "export/FileForm.h"
#include "export/HeightLayout.h"
#include "landform/LandformStages.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum class Command { Help, Generate, Render, Info };

// A file to write and its form (export/FileForm.h), known by its extension.
struct Output {
    std::string path;
    FileFormId kind = FileFormId::Picture;
    bool operator==(const Output&) const = default;
};

// The same for a --heightmap.
using Heightmap = Output;

// A terrain as it is made, whose parameters are the defaults.
inline const GEO_MakeLand& NewTerrain() {
    static const GEO_MakeLand terrain;
    return terrain;
}

// Ranges: core/ParameterLimits.h (sizes up to limits::maxCliSize).
struct Options {
    Command command = Command::Help;
    Command helpTopic = Command::Help;  // with Command::Help: which usage to print

    // generate
    uint64_t seed = NewTerrain().seed;
    int32_t width = NewTerrain().width;
    int32_t height = NewTerrain().height;
    int32_t unitAmount = NewTerrain().unitAmount;
    double processAmount = NewTerrain().processAmount;
    double concentrationRate = NewTerrain().concentrationRate;
    double concentrationAmount = NewTerrain().concentrationAmount;
    int32_t pointCount = NewTerrain().concentrationPointCount;
    std::vector<Point> points;  // placed by hand when not empty
    bool keepRandomState = false;
    std::string stencils = stencilCacheFile;

    // generate and render
    std::optional<double> waterLevel;  // without it, the new or loaded terrain's
    int32_t threads = 1;
    bool regions = false;
    std::vector<Output> outputs;
    std::vector<Heightmap> heightmaps;

    // generate, render and info: stages reshaping a copy of the map's altitudes
    LandformStages stages;

    // generate and render: relief pictures and how heightmaps are laid out
    bool shade = false;
    HeightEdge edge = HeightEdge::Wrap;
    const EngineProfile* engine = nullptr;
    double heightRangeMetres = 1000;
    int32_t tileColumns = 1;
    int32_t tileRows = 1;

    // generate: the file whose recipe gives every parameter and stage
    std::string recipe;

    // render and info
    std::string input;

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

// The extensions a file option of the command takes ("-o", "--heightmap"; ""
// for the map file that render and info read), in the order messages list them.
std::vector<std::string_view> AcceptedExtensions(Command command, std::string_view option);

}  // namespace cli

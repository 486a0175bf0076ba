#pragma once
// The command line of glenvar-cli, parsed without touching the file system so
// that tests and fuzzers can drive it directly.

#include "data/PointArray.h"
#include "data/StencilCacheFile.h"

#include "core/GEO_MakeLand.h"
#include "core/ParameterTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { Help, Version, Generate, Render, Info };

enum class OutputKind { Map, Raw, Png };

struct Output {
    std::string path;
    OutputKind kind = OutputKind::Png;
};

// .png 16-bit greyscale, .r16 raw little-endian 16-bit, .tif 32-bit float.
enum class HeightmapKind { Png, R16, Tiff };

struct Heightmap {
    std::string path;
    HeightmapKind kind = HeightmapKind::Png;
    bool operator==(const Heightmap&) const = default;
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
std::string VersionText();

}  // namespace cli

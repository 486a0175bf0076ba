#pragma once
// The command line of glenvar-cli, parsed without touching the file system so
// that tests and fuzzers can drive it directly.

#include "data/PointArray.h"

#include "core/ParameterLimits.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Command { Help, Generate, Render, Info };

enum class OutputKind { Map, Raw, Png };

struct Output {
    std::string path;
    OutputKind kind = OutputKind::Png;
};

// The defaults are a new terrain's; the fractional ones are single-precision
// values widened, as the terrain stores them. Ranges: core/ParameterLimits.h.

struct Options {
    Command command = Command::Help;
    Command helpTopic = Command::Help;  // with Command::Help: which usage to print

    // generate
    uint64_t seed = 0;
    int32_t width = 1280;
    int32_t height = 1024;
    int32_t unitAmount = 150;
    double processAmount = 0.009999999776482582;
    double concentrationRate = 0.20000000298023224;
    double concentrationAmount = 0.4000000059604645;
    int32_t pointCount = 4;
    std::vector<Point> points;  // placed by hand when not empty
    bool keepRandomState = false;
    std::string stencils = "makeland.bin";

    // generate and render
    std::optional<double> waterLevel;  // generate stores 0.5 without it; render keeps the map's
    int32_t threads = 1;
    bool regions = false;
    std::vector<Output> outputs;
    std::vector<std::string> heightmaps;

    // render and info
    std::string input;
};

struct ParseResult {
    std::optional<Options> options;
    std::string error;  // one line, set when options is empty
};

// args excludes the program name.
ParseResult Parse(const std::vector<std::string>& args);

std::string UsageText(Command topic);

}  // namespace cli

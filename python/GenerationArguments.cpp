#include "python/GenerationArguments.h"

#include "core/GEO_MakeLand.h"

namespace glenvar_python {

namespace {

// The parser wants an output and, for render, an input; they are named only
// to complete the line and nothing is read or written.
const std::string unusedInput = "python-input.ld";
const std::string unusedOutput = "python-output.png";

cli::Options Parse(std::vector<std::string> line) {
    const cli::ParseResult parsed = cli::Parse(line);
    if (!parsed.options)
        throw ArgumentError(parsed.error);
    return *parsed.options;
}

}  // namespace

const std::vector<Parameter>& GenerationParameters() {
    const GEO_MakeLand& d = cli::NewTerrain();
    static const std::vector<Parameter> parameters = {
        {"seed", "--seed", ValueKind::Integer, d.seed},
        {"width", "--width", ValueKind::Integer, d.width},
        {"height", "--height", ValueKind::Integer, d.height},
        {"unit_amount", "--unit-amount", ValueKind::Integer, d.unitAmount},
        {"process_amount", "--process-amount", ValueKind::Number, d.processAmount},
        {"concentration_rate", "--concentration-rate", ValueKind::Number, d.concentrationRate},
        {"concentration_amount", "--concentration-amount", ValueKind::Number,
         d.concentrationAmount},
        {"concentration_point_count", "--points", ValueKind::Integer, d.concentrationPointCount},
        {"water_level", "--water-level", ValueKind::Number, d.waterLevel},
        {"keep_random_state", "--keep-random-state", ValueKind::Flag, d.keepRandomState != 0},
    };
    return parameters;
}

cli::Options ParseGenerate(const std::vector<std::string>& arguments) {
    std::vector<std::string> line{"generate"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    line.insert(line.end(), {"-o", unusedOutput});
    return Parse(std::move(line));
}

double ParseWaterLevel(const std::string& text) {
    return *Parse({"render", unusedInput, "--water-level", text, "-o", unusedOutput}).waterLevel;
}

}  // namespace glenvar_python

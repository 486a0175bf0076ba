#include "python/GenerationArguments.h"

#include <cctype>

namespace glenvar_python {

namespace {

// The parser wants an output and, for render, an input; they are named only
// to complete the line and nothing is read or written. A map file output
// adds nothing to the memory a generation is checked for.
const std::string unusedInput = "python-input.ld";
const std::string unusedMap = "python-output.ld";
const std::string unusedPicture = "python-output.png";

cli::Options Parse(std::vector<std::string> line) {
    const cli::ParseResult parsed = cli::Parse(line);
    if (!parsed.options)
        throw ArgumentError(parsed.error);
    return *parsed.options;
}

}  // namespace

const std::vector<Parameter>& GenerationParameters() {
    static const std::vector<Parameter> parameters = [] {
        std::vector<Parameter> list;
        for (const ParameterRow& row : ParameterTable()) {
            if (row.option.empty())
                continue;
            std::string keyword;
            for (const char c : row.name) {
                if (std::isupper(static_cast<unsigned char>(c)))
                    keyword += '_';
                keyword += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            list.push_back({keyword, &row});
        }
        return list;
    }();
    return parameters;
}

cli::Options ParseGenerate(const std::vector<std::string>& arguments) {
    std::vector<std::string> line{"generate"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    line.insert(line.end(), {"-o", unusedMap});
    return Parse(std::move(line));
}

double ParseWaterLevel(const std::string& text) {
    return Parse({"render", unusedInput, "--water-level", text, "-o", unusedPicture})
        .terrain.waterLevel;
}

int32_t ParseSmoothRadius(const std::string& text) {
    return Parse({"render", unusedInput, "--smooth", text, "-o", unusedPicture})
        .stages.smoothRadius;
}

LandformStages ParseErosion(const std::string& steps, const std::string& erodibility,
                            const std::string& thermal) {
    return Parse({"render", unusedInput, "--erode", steps, "--erodibility", erodibility,
                  "--thermal", thermal, "-o", unusedPicture})
        .stages;
}

uint32_t ParseRiverThreshold(const std::string& text) {
    return Parse({"render", unusedInput, "--rivers", text, "-o", unusedPicture}).riverThreshold;
}

}  // namespace glenvar_python

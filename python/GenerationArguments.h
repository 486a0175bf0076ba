#pragma once
// The generation parameters Python takes as keywords, and their checks. The
// keywords are the parameter table's names in Python's spelling; their values
// go through glenvar-cli's parser as its options, so the ranges and the
// refusals' messages are the command line's own.

#include "cli/CliOptions.h"
#include "core/ParameterTable.h"
#include "landform/LandformStages.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace glenvar_python {

// A value the command line refuses; the text is its message.
class ArgumentError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

struct Parameter {
    std::string keyword;  // "pointCount" as point_count
    const ParameterRow* row;
};

// Every parameter glenvar-cli takes an option for, in the table's order. Hand
// placement and two threads come from generate's `points` and `threads`.
const std::vector<Parameter>& GenerationParameters();

// Parses `arguments` (options and their values) as `glenvar-cli generate`
// would; throws ArgumentError with its message.
cli::Options ParseGenerate(const std::vector<std::string>& arguments);

// Checks a water level as `glenvar-cli render --water-level` does.
double ParseWaterLevel(const std::string& text);

// Checks a smoothing radius as `glenvar-cli render --smooth` does.
int32_t ParseSmoothRadius(const std::string& text);

// Checks erosion's steps, erodibility and talus steps as `glenvar-cli render
// --erode N --erodibility K --thermal N` does.
LandformStages ParseErosion(const std::string& steps, const std::string& erodibility,
                            const std::string& thermal);

// Checks a river threshold as `glenvar-cli render --rivers` does.
uint32_t ParseRiverThreshold(const std::string& text);

}  // namespace glenvar_python

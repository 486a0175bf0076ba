#pragma once
// The land report and the map's parameters as one JSON object, for scripts.

#include "core/LandReport.h"
#include "core/MapFile.h"

#include <string>

class GEO_MakeLand;

namespace cli {

// One line, ending in a newline. Shares are percents of the cells, unrounded
// (the text report rounds them to one decimal); a number that is not finite
// (possible only in a damaged file) is written as null.
std::string InfoJson(const GEO_MakeLand& terrain, MapFileKind kind, const LandFigures& figures);

}  // namespace cli

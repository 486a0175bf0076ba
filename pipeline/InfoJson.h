#pragma once
// The land report and the map's parameters as one JSON object, for scripts.

#include "core/LandReport.h"
#include "core/MapFile.h"
#include "landform/RiverFigures.h"
#include "landform/Waters.h"

#include <cstdint>
#include <string>
#include <vector>

class GEO_MakeLand;

// One line, ending in a newline. Shares are percents of the cells, unrounded
// (the text report rounds them to one decimal); a number that is not finite
// (possible only in a damaged file) is written as null. With `waters` (after
// --rivers A): the threshold, river cells, lake count and cells, and the
// largest basin's share, a percent of the land cells; with `laws` too, the
// slope-area fit, Hack's exponent and the drainage density (null when too
// few channels make a fit). With `biomes` (land cells by biome id,
// landform/Biomes.h): each biome's cells and share, a percent of the land
// cells, under "biomes".
std::string InfoJson(const GEO_MakeLand& terrain, MapFileKind kind, const LandFigures& figures,
                     const WaterFigures* waters = nullptr, uint32_t riverThreshold = 0,
                     const std::vector<uint64_t>* biomes = nullptr,
                     const RiverFigures* laws = nullptr);

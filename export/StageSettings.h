#pragma once
// The settings beside the generation parameters (core/ParameterTable.h) that
// a recipe carries: hand-placed points, the stages, and how pictures and
// heightmaps are drawn and laid out. One row each, read by glenvar-cli's
// parser, by the recipe's writer and reader, and by the page's address, so
// that none of them spells or checks a setting its own way. Outputs, file
// names and run options (threads, stencils, tiles, layers) are no rows here.

#include "export/EngineProfile.h"
#include "export/HeightLayout.h"
#include "landform/LandformStages.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class GEO_MakeLand;

// The values the rows set beside the map's parameters.
struct RecipeOptions {
    LandformStages stages;
    uint32_t riverThreshold = 0;  // --rivers A; 0: none drawn
    bool regions = false;
    bool shade = false;
    HeightEdge edge = HeightEdge::Wrap;
    const EngineProfile* engine = nullptr;
    double heightRangeMetres = 1000;
};

enum class StageSettingId {
    Point,
    Smooth,
    Erode,
    Erodibility,
    Thermal,
    Rivers,
    Regions,
    Shade,
    Edge,
    Engine,
    HeightRange,
};

struct StageSetting {
    StageSettingId id;
    std::string_view option;  // glenvar-cli's and the recipe's spelling
    std::string_view link;    // the page address's key; "" when the page leaves it out
    bool takesValue = true;   // false for a switch
};

std::span<const StageSetting> StageSettings();
// The row of the option; nullptr if none.
const StageSetting* FindStageSetting(std::string_view option);
// The option of the row, as the recipe's writer spells it.
std::string StageOption(StageSettingId id);

// The setting's value read from text into the options (a point into the
// terrain's hand-placed points, placing them by hand). Throws SettingRefusal
// with the command line's words.
void SetStageSetting(const StageSetting& setting, const std::string& text, GEO_MakeLand& terrain,
                     RecipeOptions& options);

#pragma once
// The settings beside the generation parameters (core/ParameterTable.h):
// hand-placed points, the stages, how pictures and heightmaps are drawn, and
// the heightmaps' tiles. One row each names the setting in every front end
// (glenvar-cli, Python, `info --json`, the page's address), gives its range,
// default and description, and checks a value; glenvar-cli's parser and
// help, the recipe's writer and reader, Python's keywords and the page's
// form all read the rows, so that none of them spells or checks a setting
// its own way. Outputs and file names (-o, --heightmap, --layer) are no rows.

#include "data/PointArray.h"
#include "export/EngineProfile.h"
#include "export/HeightLayout.h"
#include "landform/ClimateSettings.h"
#include "landform/LandformStages.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

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
    // Climate and biomes: the latitudes, lapse rate and wind (its height
    // range is heightRangeMetres), and pictures coloured by biome.
    ClimateSettings climate;
    bool biomeColours = false;

    // The climate's settings with the heights' metres.
    ClimateSettings Climate() const {
        ClimateSettings c = climate;
        c.heightRangeMetres = heightRangeMetres;
        return c;
    }
    // Own heights: the edges (unset: open for imported heights, wrap for a
    // grown map) and the metres a cell spans.
    std::optional<Boundary> boundary;
    double cellSizeMetres = 1;
    // Meshes: run options, no recipe carries them.
    double meshErrorMetres = 0;
    double baseMm = 2;
    double printSizeMm = 100;
};

enum class StageSettingId {
    Point,
    Smooth,
    Erode,
    ErosionK,  // the erosion's K
    Thermal,
    Rivers,
    Regions,
    Shade,
    Edge,
    Engine,
    HeightRange,
    Tiles,
    // Climate and biomes
    Latitudes,
    LapseRate,
    WindFrom,
    Colours,
    // Own heights
    Boundary,
    CellSize,
    // Erosion's further laws
    Uplift,
    Deposition,
    Diffusion,
    CrossLakes,
    Droplets,
    FlowDirections,
    // Meshes
    MeshError,
    BaseMm,
    PrintSizeMm,
};

// Where a setting lives: the map file holds it (the points), a recipe
// carries it beside the map, or it shapes one run only.
enum class SettingKind { MapFile, Recipe, RunOption };

enum class SettingType {
    Integer,  // whole decimal text in [low, high]
    Number,   // finite decimal text in [low, high], or (low, high] when lowOpen
    Switch,   // present or not; takes no value
    Choice,   // one of `choices`
    Point,    // X,Y on the grid
    Tiles,    // KxL, each in [low, high]
    Span,     // N,S: two numbers in [low, high], the first not below the second
};

// "integer", "number", "switch", "choice", "point" or "tiles": the type as
// scripts and other languages receive it.
const char* SettingTypeName(SettingType type);

struct StageSetting {
    StageSettingId id;
    std::string_view option;  // glenvar-cli's and the recipe's spelling
    std::string_view link;    // the page address's key; "" when the page leaves it out
    bool takesValue = true;   // false for a switch
    SettingKind kind = SettingKind::Recipe;
    SettingType type = SettingType::Integer;
    std::string_view metavar = "";  // the value's name in glenvar-cli's help; "" for a switch
    std::string_view keyword = "";  // Python's keyword; "" when Python has none
    std::string_view json = "";     // `info --json`'s key; "" when the report leaves it out
    double low = 0, high = 0;
    bool lowOpen = false;
    std::string_view choices = "";   // a Choice's words, '|' between them, the default first
    std::string_view noun = "";      // "a cell count", "metres": the refusal's word for the value
    std::string_view fallback = "";  // the default as glenvar-cli's help writes it
    std::string_view description = "";  // one line, for Python's docstrings and the page's hints
    // glenvar-cli's help lines; {range} and {default} are filled in from the row.
    std::string_view help = "";
    // The page's stage field: its label (Japanese, as the page's own texts),
    // the label in English mode and the English line beside it; "" for a
    // setting the page has no field for.
    std::string_view japanese = "";
    std::string_view englishLabel = "";
    std::string_view gloss = "";
    double step = 0;      // a number field's step; 0: none
    bool slider = false;  // the page shows it as a slider with its value beside it
};

std::span<const StageSetting> StageSettings();
// The row of the option; nullptr if none.
const StageSetting* FindStageSetting(std::string_view option);
const StageSetting& StageRow(StageSettingId id);
// The option of the row, as the recipe's writer spells it.
std::string StageOption(StageSettingId id);

// A value a row refuses, for each front end to word: glenvar-cli as
// "--smooth: expected an integer from 0 to 32, got \"40\"", Python as
// "smooth must be an integer from 0 to 32, got 40".
struct StageRefusal {
    const StageSetting* row;
    std::string expected;  // "an integer from 0 to 32"
    std::string got;       // the text as given, quoted, or the number typed in
};

// A checked value: an Integer's or a Number's; a Choice's index; a Point's
// or a Tiles' two parts; a Span's two numbers (number, then other).
struct StageValue {
    double number = 0;
    int32_t first = 0, second = 0;
    double other = 0;
};
using StageReading = std::variant<StageValue, StageRefusal>;

// What the row expects, as every refusal words it.
std::string ExpectedText(const StageSetting& row);
// The row's range as glenvar-cli's help writes it ("0..32").
std::string StageRangeText(const StageSetting& row);
// Text as glenvar-cli and recipes give it: whole-text decimal, no hex, no
// blanks, no words such as NaN.
StageReading ReadStageText(const StageSetting& row, std::string_view text);
// A number a front end holds typed (Python's int or float, the page's field),
// checked against the same range; NaN and fractions of integers are refused.
StageReading CheckStageNumber(const StageSetting& row, double value);
// The default of an Integer or Number row as a number; 0 for the others.
double StageDefault(const StageSetting& row);
// "--smooth: expected …, got …", glenvar-cli's words.
std::string CommandLineWords(const StageRefusal& refusal);

// The setting's value read from text into the options (a point into the
// terrain's hand-placed points, placing them by hand). Throws SettingRefusal
// with the command line's words. Not for run options (Tiles).
void SetStageSetting(const StageSetting& setting, const std::string& text, GEO_MakeLand& terrain,
                     RecipeOptions& options);

// A checked value (ReadStageText, CheckStageNumber) into the options; a
// point or the tiles change nothing here.
void SetStageValue(const StageSetting& setting, const StageValue& value, RecipeOptions& options);

// The values a recipe writes for the row, in order: none when the setting is
// at its default or means nothing (erosion's K without erosion), one empty
// text for a switch that is on, one text per hand-placed point.
std::vector<std::string> StageTexts(const StageSetting& setting, const GEO_MakeLand& terrain,
                                    const RecipeOptions& options);

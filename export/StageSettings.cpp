#include "export/StageSettings.h"

#include "core/GEO_MakeLand.h"
#include "export/SettingText.h"
#include "landform/DropletErosion.h"
#include "landform/Smoothing.h"

#include <algorithm>
#include <cmath>

namespace {

using Id = StageSettingId;
using Type = SettingType;

constexpr StageSetting rows[] = {
    {.id = Id::Point,
     .option = "--point",
     .link = "point",
     .kind = SettingKind::MapFile,
     .type = Type::Point,
     .metavar = "X,Y",
     .keyword = "points",
     .description = "a concentration point placed by hand, X,Y on the grid (repeatable)",
     .help = "place a concentration point by hand (repeatable, in order)"},
    {.id = Id::Smooth,
     .option = "--smooth",
     .link = "smooth",
     .metavar = "R",
     .keyword = "smooth",
     .high = maxSmoothRadius,
     .fallback = "0",
     .description = "radius of the box blur that smooths the heights (0: off)",
     .help = "smooth the heights: three passes of a box blur of\n"
             "radius R, wrapping like the map, {range} (default {default},\n"
             "off); pictures, heightmaps and reports show the\n"
             "smoothed heights, .ld and .dat files keep the\n"
             "seed's map (they have no field for stages)",
     .japanese = "平滑化",
     .englishLabel = "Smoothing",
     .gloss = "smoothing radius, 0 = off",
     .slider = true},
    {.id = Id::Erode,
     .option = "--erode",
     .link = "erode",
     .metavar = "N",
     .keyword = "erode",
     .high = maxErosionSteps,
     .fallback = "0",
     .description = "steps of stream-power erosion down to the water level",
     .help = "N steps of stream-power erosion, {range}\n"
             "(default {default}): each routes the water down the\n"
             "steepest slope, then lowers every cell towards\n"
             "the one it drains into, the more the more it\n"
             "drains (Braun and Willett's implicit scheme,\n"
             "m = 1/2, n = 1); water is the base level",
     .japanese = "侵食",
     .englishLabel = "Erosion",
     .gloss = "stream-power erosion steps, 0 = off",
     .step = 1},
    {.id = Id::ErosionK,
     .option = "--erodibility",
     .link = "erodibility",
     .type = Type::Number,
     .metavar = "K",
     .keyword = "erodibility",
     .high = 1,
     .fallback = "0.01",
     .description = "the erosion's K: the share of a drop closed per step grows with it",
     .help = "the erosion's K, {range} (default {default}): a cell\n"
             "draining A cells closes K sqrt(A) / (1 + K\n"
             "sqrt(A)) of its drop to the cell below per\n"
             "step (at 0.01: half at 10000 cells)",
     .japanese = "侵食率",
     .englishLabel = "Erodibility",
     .gloss = "erodibility K",
     .step = 0.001},
    {.id = Id::Thermal,
     .option = "--thermal",
     .link = "thermal",
     .metavar = "N",
     .keyword = "thermal",
     .high = maxErosionSteps,
     .fallback = "0",
     .description = "steps of talus erosion after the stream-power erosion",
     .help = "N steps of talus erosion after it, {range}\n"
             "(default {default}): slopes steeper than 1 % of the\n"
             "height range per cell slump, a sixteenth of\n"
             "the excess per step",
     .japanese = "崩落",
     .englishLabel = "Talus",
     .gloss = "talus erosion steps, 0 = off",
     .step = 1},
    {.id = Id::Rivers,
     .option = "--rivers",
     .link = "rivers",
     .metavar = "A",
     .keyword = "rivers",
     .json = "riverThreshold",
     .high = double(int64_t{1} << 28),
     .noun = "a cell count",
     .fallback = "0",
     .description = "land draining at least this many cells is river (0: none)",
     .help = "land draining at least A cells is river\n"
             "(default {default}, off): pictures draw rivers, the\n"
             "wider the more they drain, and lakes\n"
             "(depressions filled to their spill height)",
     .japanese = "河川と湖",
     .englishLabel = "Rivers and lakes",
     .gloss = "river cells drain at least this many cells; 0 = no rivers or lakes drawn",
     .step = 100},
    {.id = Id::Regions,
     .option = "--regions",
     .link = "regions",
     .takesValue = false,
     .type = Type::Switch,
     .keyword = "regions",
     .description = "pictures show regions and concentration points",
     .help = "pictures show regions and concentration points"},
    {.id = Id::Shade,
     .option = "--shade",
     .link = "shade",
     .takesValue = false,
     .type = Type::Switch,
     .keyword = "shade",
     .description = "pictures lit from the north-west at 45 degrees",
     .help = "pictures lit from the north-west at 45 degrees",
     .japanese = "陰影",
     .englishLabel = "Relief",
     .gloss = "relief shading"},
    {.id = Id::Edge,
     .option = "--edge",
     .link = "edge",
     .type = Type::Choice,
     .metavar = "wrap|repeat",
     .keyword = "edge",
     .choices = "wrap|repeat",
     .fallback = "wrap",
     .description = "heightmaps as the wrapped grid, or one row and column larger, repeating "
                    "the first",
     .help = "heightmaps as the wrapped grid (default), or one row\n"
             "and column larger, repeating the first: N x N cells\n"
             "give the (N+1) x (N+1) samples engines want",
     .japanese = "端を閉じる",
     .englishLabel = "Engine edge",
     .gloss = "heightmaps one row and column larger, for engines"},
    // The sidecar's numbers: they change no sample, and the page writes no engine's.
    {.id = Id::Engine,
     .option = "--engine",
     .link = "",
     .type = Type::Choice,
     .metavar = "NAME",
     .keyword = "engine",
     .choices = "unreal|unity|godot",
     .description = "the game engine whose heightmap advice is checked and whose numbers "
                    "sidecars carry",
     .help = "unreal, unity or godot: warn when the heightmaps'\n"
             "size or form is not one the engine recommends, and\n"
             "write its numbers (Z scale, sea level) into sidecars"},
    {.id = Id::HeightRange,
     .option = "--height-range-m",
     .link = "",
     .type = Type::Number,
     .metavar = "M",
     .keyword = "height_range_m",
     .high = 1e6,
     .lowOpen = true,
     .noun = "metres",
     .fallback = "1000",
     .description = "metres the altitudes 0..1 span, for the sidecars",
     .help = "metres the altitudes 0..1 span, for the sidecars\n"
             "(default {default})"},
    {.id = Id::Tiles,
     .option = "--tiles",
     .link = "",
     .kind = SettingKind::RunOption,
     .type = Type::Tiles,
     .metavar = "KxL",
     .keyword = "tiles",
     .low = 1,
     .high = 64,
     .fallback = "1x1",
     .description = "each heightmap as K x L tiles sharing their edge rows and columns",
     .help = "write each heightmap as K x L tiles NAME_x{i}_y{j},\n"
             "sharing their edge rows and columns"},
    // Climate and biomes
    {.id = Id::Latitudes,
     .option = "--latitudes",
     .link = "latitudes",
     .type = Type::Span,
     .metavar = "N,S",
     .keyword = "latitudes",
     .json = "latitudes",
     .low = minLatitude,
     .high = maxLatitude,
     .fallback = "90,-90",
     .description = "latitudes of the top and bottom rows in degrees, for the climate",
     .help = "latitudes of the top and bottom rows in degrees,\n"
             "north first, each -90..90 (default {default}: pole\n"
             "to pole); a wrapping map's temperatures still meet\n"
             "across its top and bottom",
     .japanese = "緯度",
     .englishLabel = "Latitudes",
     .gloss = "of the top and bottom rows, north,south in degrees"},
    {.id = Id::LapseRate,
     .option = "--lapse-rate",
     .link = "lapse-rate",
     .type = Type::Number,
     .metavar = "C",
     .keyword = "lapse_rate",
     .json = "lapseRate",
     .high = maxLapseRate,
     .noun = "degrees Celsius per km",
     .fallback = "6.5",
     .description = "degrees Celsius the air cools per km of height (--height-range-m)",
     .help = "degrees Celsius the air cools per km of height,\n"
             "{range} (default {default}); heights in metres by\n"
             "--height-range-m",
     .japanese = "気温減率",
     .englishLabel = "Lapse rate",
     .gloss = "°C cooler per km of height",
     .step = 0.1},
    {.id = Id::WindFrom,
     .option = "--wind-from",
     .link = "wind-from",
     .type = Type::Choice,
     .metavar = "DIR",
     .keyword = "wind_from",
     .json = "windFrom",
     .choices = "bands|N|NE|E|SE|S|SW|W|NW|north|north-east|east|south-east|south|south-west|"
                "west|north-west",
     .fallback = "bands",
     .description = "where the prevailing wind comes from: Earth-like bands by latitude, or one "
                    "direction (north at the top)",
     .help = "where the wind comes from: bands (default: trade\n"
             "winds, westerlies, polar easterlies by latitude)\n"
             "or N, NE, E, SE, S, SW, W, NW (or north, west...)\n"
             "over the whole map, north at the top",
     .japanese = "風向",
     .englishLabel = "Wind from",
     .gloss = "bands by latitude, or one direction (north at the top)"},
    {.id = Id::Colours,
     .option = "--colours",
     .link = "colours",
     .type = Type::Choice,
     .metavar = "heights|biomes",
     .keyword = "colours",
     .json = "colours",
     .choices = "heights|biomes",
     .fallback = "heights",
     .description = "pictures coloured by height, or by biome (with relief and rivers when asked)",
     .help = "pictures coloured by height (default), or by biome\n"
             "(with --shade and --rivers as asked)",
     .japanese = "植生図",
     .englishLabel = "Biomes",
     .gloss = "colour the map by biome (temperature and rain)"},
    // Own heights
    {.id = Id::Boundary,
     .option = "--boundary",
     .link = "",
     .type = Type::Choice,
     .metavar = "wrap|open",
     .keyword = "boundary",
     .choices = "wrap|open",
     .description = "what lies past the map's edges: wrap (a torus, as grown maps) or open "
                    "(water leaves over the border, which erosion keeps)",
     .help = "open: water leaves over the border, whose cells\n"
             "erosion keeps, and no stage reaches across it;\n"
             "wrap: the edges join as on a grown map (default:\n"
             "open for imported heights, wrap for grown maps)"},
    {.id = Id::CellSize,
     .option = "--cell-size-m",
     .link = "",
     .type = Type::Number,
     .metavar = "M",
     .keyword = "cell_size_m",
     .high = 1e6,
     .lowOpen = true,
     .noun = "metres",
     .fallback = "1",
     .description = "metres a cell spans, for the georeference of TIFFs",
     .help = "metres a cell spans, for the georeference of the\n"
             "TIFFs written (default {default})"},
    // Erosion's further laws: each means something only with --erode.
    {.id = Id::Uplift,
     .option = "--uplift",
     .link = "uplift",
     .type = Type::Number,
     .metavar = "U",
     .keyword = "uplift",
     .high = 0.01,
     .fallback = "0",
     .description = "height the land rises each erosion step, the water staying the base level",
     .help = "each erosion step raises the land by U, {range}\n"
             "(default {default}): the water stays the base level,\n"
             "so enough steps reach a steady state; water\n"
             "then crosses lakes while eroding",
     .japanese = "隆起",
     .englishLabel = "Uplift",
     .gloss = "height the land rises each erosion step",
     .step = 0.0001},
    {.id = Id::Deposition,
     .option = "--deposition",
     .link = "deposition",
     .type = Type::Number,
     .metavar = "G",
     .keyword = "deposition",
     .high = 10,
     .fallback = "0",
     .description = "sediment deposition G of the stream-power law (0: detachment only)",
     .help = "rivers drop sediment, G times what they carry\n"
             "over what they drain, {range} (default {default}):\n"
             "Yuan et al.'s law, so valleys fill and plains\n"
             "form; water then crosses lakes while eroding",
     .japanese = "堆積",
     .englishLabel = "Deposition",
     .gloss = "sediment the rivers drop, G; 0 = none",
     .step = 0.1},
    {.id = Id::Diffusion,
     .option = "--diffusion",
     .link = "diffusion",
     .type = Type::Number,
     .metavar = "D",
     .keyword = "diffusion",
     .high = 1000,
     .fallback = "0",
     .description = "hillslope diffusivity D in cells squared per erosion step (0: none)",
     .help = "hillslopes diffuse by D cells squared each erosion\n"
             "step, {range} (default {default}), implicitly, so any D\n"
             "is stable; water then crosses lakes while eroding",
     .japanese = "斜面拡散",
     .englishLabel = "Hillslope diffusion",
     .gloss = "diffusivity D in cells² per erosion step; 0 = none",
     .step = 0.1},
    {.id = Id::CrossLakes,
     .option = "--cross-lakes",
     .link = "cross-lakes",
     .takesValue = false,
     .type = Type::Switch,
     .keyword = "cross_lakes",
     .description = "water crosses lakes to their outlets while eroding",
     .help = "while eroding, water crosses lakes to their\n"
             "outlets instead of stopping in every pit",
     .japanese = "湖を越える流れ",
     .englishLabel = "Flow across lakes",
     .gloss = "while eroding, water crosses lakes to their outlets"},
    {.id = Id::Droplets,
     .option = "--droplets",
     .link = "droplets",
     .metavar = "N",
     .keyword = "droplets",
     .high = maxDroplets,
     .fallback = "0",
     .description = "water droplets that erode the map after the stream-power erosion",
     .help = "N water droplets run downhill after the erosion,\n"
             "{range} (default {default}), taking up sediment and\n"
             "dropping it where they slow (Beyer's scheme);\n"
             "their starts follow from the map's seed",
     .japanese = "水滴侵食",
     .englishLabel = "Droplets",
     .gloss = "water droplets eroding after the erosion; 0 = none",
     .step = 1000},
    {.id = Id::FlowDirections,
     .option = "--flow-directions",
     .link = "flow-directions",
     .type = Type::Choice,
     .metavar = "d8|mfd",
     .keyword = "flow_directions",
     .choices = "d8|mfd",
     .fallback = "d8",
     .description = "drained areas for erosion and the flow layer down the steepest slope "
                    "only, or shared among every lower neighbour",
     .help = "drained areas, for erosion and the flow layer,\n"
             "down the steepest slope only (d8, default), or\n"
             "shared among every lower neighbour by slope (mfd,\n"
             "Quinn et al.), so hillslopes show no grid; rivers\n"
             "and lakes stay d8; erosion then crosses lakes",
     .japanese = "多方向流",
     .englishLabel = "Multiple flow directions",
     .gloss = "drained areas shared among every lower neighbour, so slopes show no grid"},
    {.id = Id::MeshError,
     .option = "--mesh-error",
     .link = "",
     .kind = SettingKind::RunOption,
     .type = Type::Number,
     .metavar = "M",
     .high = 1e6,
     .noun = "metres",
     .fallback = "0",
     .description = "metres a mesh's surface may stray from any cell's height (0: every cell)",
     .help = "simplify meshes: every cell's height stays within M\n"
             "metres of the surface (default {default}, every cell\n"
             "a vertex)"},
    {.id = Id::BaseMm,
     .option = "--base-mm",
     .link = "",
     .kind = SettingKind::RunOption,
     .type = Type::Number,
     .metavar = "MM",
     .high = 1000,
     .lowOpen = true,
     .noun = "millimetres",
     .fallback = "2",
     .description = "an STL solid's base below its lowest point, in millimetres",
     .help = ".stl meshes: the base below the lowest point, in\n"
             "millimetres (default {default})"},
    {.id = Id::PrintSizeMm,
     .option = "--print-size-mm",
     .link = "",
     .kind = SettingKind::RunOption,
     .type = Type::Number,
     .metavar = "MM",
     .high = 10000,
     .lowOpen = true,
     .noun = "millimetres",
     .fallback = "100",
     .description = "an STL solid's longer side, in millimetres",
     .help = ".stl meshes: the longer side in millimetres, every\n"
             "axis scaled alike (default {default})"},
};

constexpr bool InIdOrder() {
    for (size_t i = 0; i < std::size(rows); ++i)
        if (rows[i].id != Id(i))
            return false;
    return true;
}
static_assert(InIdOrder(), "StageRow finds a row by its id's position");

// A bound as the messages write it: whole numbers in full ("1000000", not "1e+06").
std::string BoundText(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return std::to_string(int64_t(value));
    return ShortestText(value);
}

std::vector<std::string_view> Choices(const StageSetting& row) {
    std::vector<std::string_view> words;
    for (size_t start = 0; start <= row.choices.size();) {
        const size_t bar = std::min(row.choices.find('|', start), row.choices.size());
        words.push_back(row.choices.substr(start, bar - start));
        start = bar + 1;
    }
    return words;
}

bool InRange(const StageSetting& row, double value) {
    const bool aboveLow = row.lowOpen ? value > row.low : value >= row.low;
    return aboveLow && value <= row.high;  // false for NaN
}

StageRefusal Refused(const StageSetting& row, std::string got) {
    return {&row, ExpectedText(row), std::move(got)};
}

StageReading ReadTiles(const StageSetting& row, std::string_view text) {
    const auto x = text.find('x');
    std::optional<int32_t> k, l;
    if (x != std::string_view::npos) {
        k = WholeInteger<int32_t>(text.substr(0, x));
        l = WholeInteger<int32_t>(text.substr(x + 1));
    }
    if (!k || !l || !InRange(row, *k) || !InRange(row, *l))
        return Refused(row, QuotedText(text));
    return StageValue{0, *k, *l};
}

// Two numbers N,S in range, N not below S (latitudes north first).
StageReading ReadSpan(const StageSetting& row, std::string_view text) {
    const auto comma = text.find(',');
    std::optional<double> n, s;
    if (comma != std::string_view::npos) {
        n = WholeNumber(text.substr(0, comma));
        s = WholeNumber(text.substr(comma + 1));
    }
    if (!n || !s || !InRange(row, *n) || !InRange(row, *s) || *n < *s)
        return Refused(row, QuotedText(text));
    StageValue value;
    value.number = *n == 0.0 ? 0.0 : *n;
    value.other = *s == 0.0 ? 0.0 : *s;
    return value;
}

// Erosion's K and the height range: no negative zero reaches a recipe.
double Unsigned(double value) {
    return value == 0.0 ? 0.0 : value;
}

}  // namespace

const char* SettingTypeName(SettingType type) {
    switch (type) {
    case SettingType::Integer:
        return "integer";
    case SettingType::Number:
        return "number";
    case SettingType::Switch:
        return "switch";
    case SettingType::Choice:
        return "choice";
    case SettingType::Point:
        return "point";
    case SettingType::Tiles:
        return "tiles";
    case SettingType::Span:
        break;
    }
    return "span";
}

std::span<const StageSetting> StageSettings() {
    return rows;
}

const StageSetting* FindStageSetting(std::string_view option) {
    for (const StageSetting& row : rows)
        if (row.option == option)
            return &row;
    return nullptr;
}

const StageSetting& StageRow(StageSettingId id) {
    return rows[static_cast<size_t>(id)];
}

std::string StageOption(StageSettingId id) {
    return std::string(StageRow(id).option);
}

std::string ExpectedText(const StageSetting& row) {
    const std::string low = BoundText(row.low), high = BoundText(row.high);
    switch (row.type) {
    case Type::Integer:
    case Type::Number: {
        const std::string noun(
            row.noun.empty() ? (row.type == Type::Integer ? "an integer" : "a number") : row.noun);
        if (row.lowOpen)
            return noun + " greater than " + low + " and at most " + high;
        return noun + " from " + low + " to " + high;
    }
    case Type::Choice: {
        const auto words = Choices(row);
        std::string text;
        for (size_t i = 0; i < words.size(); ++i)
            text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + std::string(words[i]);
        return text;
    }
    case Type::Point:
        return "X,Y with 0 <= X < width and 0 <= Y < height";
    case Type::Tiles:
        return "KxL with K and L from " + low + " to " + high;
    case Type::Span:
        return "N,S with " + low + " <= S <= N <= " + high;
    case Type::Switch:
        break;
    }
    return "no value";
}

std::string StageRangeText(const StageSetting& row) {
    return BoundText(row.low) + ".." + BoundText(row.high);
}

StageReading ReadStageText(const StageSetting& row, std::string_view text) {
    switch (row.type) {
    case Type::Integer: {
        const auto value = WholeInteger<int64_t>(text);
        if (!value || !InRange(row, double(*value)))
            return Refused(row, QuotedText(text));
        return StageValue{double(*value)};
    }
    case Type::Number: {
        const auto value = WholeNumber(text);
        if (!value || !InRange(row, *value))
            return Refused(row, QuotedText(text));
        return StageValue{Unsigned(*value)};
    }
    case Type::Choice: {
        const auto words = Choices(row);
        for (size_t i = 0; i < words.size(); ++i)
            if (words[i] == text)
                return StageValue{double(i)};
        return Refused(row, QuotedText(text));
    }
    case Type::Point: {
        try {
            const Point p = PointText(text);
            return StageValue{0, p.x, p.y};
        } catch (const SettingRefusal&) {
            return Refused(row, QuotedText(text));
        }
    }
    case Type::Tiles:
        return ReadTiles(row, text);
    case Type::Span:
        return ReadSpan(row, text);
    case Type::Switch:
        break;
    }
    return StageValue{1};
}

StageReading CheckStageNumber(const StageSetting& row, double value) {
    const bool whole = value == std::floor(value);  // false for NaN and infinities
    if (row.type == Type::Integer && whole && InRange(row, value))
        return StageValue{value};
    if (row.type == Type::Number && std::isfinite(value) && InRange(row, value))
        return StageValue{Unsigned(value)};
    if (row.type == Type::Integer && whole && std::fabs(value) < 1e15)
        return Refused(row, std::to_string(int64_t(value)));
    return Refused(row, std::isnan(value) ? "nan" : ShortestText(value));
}

double StageDefault(const StageSetting& row) {
    const bool number = row.type == Type::Integer || row.type == Type::Number;
    return number ? WholeNumber(row.fallback).value_or(0) : 0;
}

std::string CommandLineWords(const StageRefusal& refusal) {
    return std::string(refusal.row->option) + ": expected " + refusal.expected + ", got " +
           refusal.got;
}

void SetStageSetting(const StageSetting& setting, const std::string& text, GEO_MakeLand& terrain,
                     RecipeOptions& o) {
    const StageReading reading = ReadStageText(setting, text);
    if (const auto* refusal = std::get_if<StageRefusal>(&reading))
        throw SettingRefusal(CommandLineWords(*refusal));
    const StageValue value = std::get<StageValue>(reading);
    if (setting.id == Id::Point) {
        terrain.concentrationPoints.Add(Point{value.first, value.second});
        // Hand placement keeps the random point count as it was, as the desktop program does.
        terrain.manualPlacement = 1;
    }
    SetStageValue(setting, value, o);
}

void SetStageValue(const StageSetting& setting, const StageValue& value, RecipeOptions& o) {
    switch (setting.id) {
    case Id::Smooth:
        o.stages.smoothRadius = int32_t(value.number);
        break;
    case Id::Erode:
        o.stages.erodeSteps = int32_t(value.number);
        break;
    case Id::Thermal:
        o.stages.thermalSteps = int32_t(value.number);
        break;
    case Id::ErosionK:
        o.stages.erodibility = value.number;
        break;
    case Id::Rivers:
        o.riverThreshold = uint32_t(value.number);
        break;
    case Id::Regions:
        o.regions = true;
        break;
    case Id::Shade:
        o.shade = true;
        break;
    case Id::Edge:
        o.edge = value.number != 0 ? HeightEdge::Repeat : HeightEdge::Wrap;
        break;
    case Id::Engine:
        o.engine = EngineNamed(Choices(setting)[size_t(value.number)]);
        break;
    case Id::HeightRange:
        o.heightRangeMetres = value.number;
        break;
    // Climate and biomes
    case Id::Latitudes:
        o.climate.north = value.number;
        o.climate.south = value.other;
        break;
    case Id::LapseRate:
        o.climate.lapseRate = value.number;
        break;
    case Id::WindFrom: {
        // The words after the letters name the same eight directions.
        const size_t index = size_t(value.number);
        o.climate.wind = index == 0 ? WindFrom::Bands : WindFrom((index - 1) % 8 + 1);
        break;
    }
    case Id::Colours:
        o.biomeColours = value.number != 0;
        break;
    case Id::Point:
    case Id::Tiles:
        break;  // the terrain's points; the tiles are the front end's run option
    // Own heights
    case Id::Boundary:
        o.boundary = value.number != 0 ? Boundary::Open : Boundary::Wrap;
        break;
    case Id::CellSize:
        o.cellSizeMetres = value.number;
        break;
    // Erosion's further laws
    case Id::Uplift:
        o.stages.uplift = value.number;
        break;
    case Id::Deposition:
        o.stages.deposition = value.number;
        break;
    case Id::Diffusion:
        o.stages.diffusion = value.number;
        break;
    case Id::CrossLakes:
        o.stages.crossLakes = true;
        break;
    case Id::Droplets:
        o.stages.droplets = int32_t(value.number);
        break;
    case Id::FlowDirections:
        o.stages.multipleFlow = value.number != 0;
        break;
    // Meshes
    case Id::MeshError:
        o.meshErrorMetres = value.number;
        break;
    case Id::BaseMm:
        o.baseMm = value.number;
        break;
    case Id::PrintSizeMm:
        o.printSizeMm = value.number;
        break;
    }
}

std::vector<std::string> StageTexts(const StageSetting& setting, const GEO_MakeLand& t,
                                    const RecipeOptions& o) {
    const auto whole = [](int64_t value) {
        return value > 0 ? std::vector{std::to_string(value)} : std::vector<std::string>{};
    };
    const auto on = [](bool set) {
        return set ? std::vector<std::string>{std::string()} : std::vector<std::string>{};
    };
    std::vector<std::string> texts;
    switch (setting.id) {
    case Id::Point:
        if (t.manualPlacement != 0)
            for (const Point& p : t.concentrationPoints)
                texts.push_back(std::to_string(p.x) + "," + std::to_string(p.y));
        return texts;
    case Id::Smooth:
        return whole(o.stages.smoothRadius);
    case Id::Erode:
        return whole(o.stages.erodeSteps);
    case Id::ErosionK:
        // K means nothing without erosion, and a recipe names only what shapes the map.
        if (o.stages.erodeSteps > 0)
            texts.push_back(ShortestText(o.stages.erodibility));
        return texts;
    case Id::Thermal:
        return whole(o.stages.thermalSteps);
    case Id::Rivers:
        return whole(o.riverThreshold);
    case Id::Regions:
        return on(o.regions);
    case Id::Shade:
        return on(o.shade);
    case Id::Edge:
        if (o.edge == HeightEdge::Repeat)
            texts.push_back("repeat");
        return texts;
    case Id::Engine:
        if (o.engine)
            texts.push_back(std::string(o.engine->name));
        return texts;
    case Id::HeightRange:
        if (o.heightRangeMetres != RecipeOptions().heightRangeMetres)
            texts.push_back(ShortestText(o.heightRangeMetres));
        return texts;
    case Id::Tiles:
    // Meshes
    case Id::MeshError:
    case Id::BaseMm:
    case Id::PrintSizeMm:
        break;
    // Climate and biomes
    case Id::Latitudes:
        if (o.climate.north != 90 || o.climate.south != -90)
            texts.push_back(ShortestText(o.climate.north) + "," + ShortestText(o.climate.south));
        break;
    case Id::LapseRate:
        if (o.climate.lapseRate != ClimateSettings().lapseRate)
            texts.push_back(ShortestText(o.climate.lapseRate));
        break;
    case Id::WindFrom:
        if (o.climate.wind != WindFrom::Bands)
            texts.push_back(std::string(Choices(setting)[size_t(o.climate.wind)]));
        break;
    case Id::Colours:
        if (o.biomeColours)
            texts.push_back("biomes");
        break;
    // Own heights
    case Id::Boundary:
        if (o.boundary)
            texts.push_back(*o.boundary == Boundary::Open ? "open" : "wrap");
        return texts;
    case Id::CellSize:
        if (o.cellSizeMetres != RecipeOptions().cellSizeMetres)
            texts.push_back(ShortestText(o.cellSizeMetres));
        return texts;
    // Erosion's further laws, named only with erosion, as K is.
    case Id::Uplift:
    case Id::Deposition:
    case Id::Diffusion: {
        const double value = setting.id == Id::Uplift       ? o.stages.uplift
                             : setting.id == Id::Deposition ? o.stages.deposition
                                                            : o.stages.diffusion;
        if (o.stages.erodeSteps > 0 && value != 0)
            texts.push_back(ShortestText(value));
        return texts;
    }
    case Id::CrossLakes:
        return on(o.stages.erodeSteps > 0 && o.stages.crossLakes);
    case Id::Droplets:
        return whole(o.stages.droplets);
    case Id::FlowDirections:
        if (o.stages.multipleFlow)
            texts.push_back("mfd");
        return texts;
    }
    return texts;
}

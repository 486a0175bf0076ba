#include "cli/CommandRegistry.h"

#include "core/ParameterTable.h"
#include "data/StencilCacheFile.h"

#include <limits>

namespace cli {

namespace {

// The stages and the picture and heightmap layout generate and render share.
constexpr CommandOption smoothOption = {.name = "--smooth",
                                        .metavar = "R",
                                        .help =
                                            "smooth the heights: three passes of a box blur of\n"
                                            "radius R, wrapping like the map, 0..32 (default 0,\n"
                                            "off); pictures, heightmaps and reports show the\n"
                                            "smoothed heights, .ld and .dat files keep the\n"
                                            "seed's map (they have no field for stages)"};
constexpr CommandOption erodeOption = {"--erode", "N",
                                       "N steps of stream-power erosion, 0..1000\n"
                                       "(default 0): each routes the water down the\n"
                                       "steepest slope, then lowers every cell towards\n"
                                       "the one it drains into, the more the more it\n"
                                       "drains (Braun and Willett's implicit scheme,\n"
                                       "m = 1/2, n = 1); water is the base level"};
constexpr CommandOption erodibilityOption = {"--erodibility", "K",
                                             "the erosion's K, 0..1 (default 0.01): a cell\n"
                                             "draining A cells closes K sqrt(A) / (1 + K\n"
                                             "sqrt(A)) of its drop to the cell below per\n"
                                             "step (at 0.01: half at 10000 cells)"};
constexpr CommandOption thermalOption = {"--thermal", "N",
                                         "N steps of talus erosion after it, 0..1000\n"
                                         "(default 0): slopes steeper than 1 % of the\n"
                                         "height range per cell slump, a sixteenth of\n"
                                         "the excess per step"};
constexpr CommandOption riversOption = {"--rivers", "A",
                                        "land draining at least A cells is river\n"
                                        "(default 0, off): pictures draw rivers, the\n"
                                        "wider the more they drain, and lakes\n"
                                        "(depressions filled to their spill height)"};
constexpr CommandOption layerOption = {.name = "--layer",
                                       .metavar = "KIND=FILE",
                                       .help = "also write rivers=FILE.png or lakes=FILE.png\n"
                                               "(white where rivers or lakes are, after\n"
                                               "--rivers A), or flow=FILE.tif, each cell's\n"
                                               "drained area as 32-bit floats (repeatable)",
                                       .words = "rivers= lakes= flow="};
constexpr CommandOption shadeOption = {"--shade", "",
                                       "pictures lit from the north-west at 45 degrees"};
constexpr CommandOption edgeOption = {.name = "--edge",
                                      .metavar = "wrap|repeat",
                                      .help =
                                          "heightmaps as the wrapped grid (default), or one row\n"
                                          "and column larger, repeating the first: N x N cells\n"
                                          "give the (N+1) x (N+1) samples engines want",
                                      .words = "wrap repeat"};
constexpr CommandOption engineOption = {.name = "--engine",
                                        .metavar = "NAME",
                                        .help =
                                            "unreal, unity or godot: warn when the heightmaps'\n"
                                            "size or form is not one the engine recommends, and\n"
                                            "write its numbers (Z scale, sea level) into sidecars",
                                        .words = "unreal unity godot"};
constexpr CommandOption rangeOption = {"--height-range-m", "M",
                                       "metres the altitudes 0..1 span, for the sidecars\n"
                                       "(default 1000)"};
constexpr CommandOption tilesOption = {"--tiles", "KxL",
                                       "write each heightmap as K x L tiles NAME_x{i}_y{j},\n"
                                       "sharing their edge rows and columns"};

constexpr CommandOption generateOptions[] = {
    {.name = "-o", .metavar = "FILE", .hidden = true, .extensions = "ld|dat|png"},
    {"--seed", "N", "seed, {range} (default {default})"},
    {"--width", "N", ""},
    {"--height", "N",
     "grid size, {range} (default {default};\n"
     "the desktop dialog's largest is {dialogMax}); the memory\n"
     "the map needs is checked before any work starts"},
    {"--unit-amount", "N", "largest disc diameter, {range} (default {default})"},
    {"--process-amount", "X",
     "stamps per cell, {range}, the\ndialog's largest (default {default})"},
    {"--concentration-rate", "X", "share of stamps pulled, {range} (default {default})"},
    {"--concentration-amount", "X", "how far they are pulled, {range} (default {default})"},
    {"--points", "N", "concentration points placed at random, {range} (default {default})"},
    {"--point", "X,Y", "place a concentration point by hand (repeatable, in order)"},
    {"--keep-random-state", "",
     "do not seed: draw on from the source's state, which\n"
     "is 0 for the first generation of a process"},
    {"--water-level", "X",
     "water level stored in the map and used for pictures,\n{range} (default {default})"},
    {.name = "--threads", .metavar = "N", .help = "1 or 2 (default 1)", .words = "1 2"},
    {.name = "--stencils",
     .metavar = "FILE",
     .help = "disc stencil cache (default {stencils}; built when\nmissing or unusable)",
     .extensions = "bin"},
    {"--regions", "", "pictures show regions and concentration points"},
    {.name = "--heightmap",
     .metavar = "FILE",
     .help = "also write the altitudes, one sample per cell, rows\n"
             "from the top (repeatable); the form by extension:\n"
             ".png 16-bit greyscale PNG, altitude x 65535 rounded\n"
             "to nearest; .r16 the same samples as raw\n"
             "little-endian 16-bit words, no header; .tif 32-bit\n"
             "floating-point greyscale TIFF of the altitudes (0..1);\n"
             ".exr the same floats as a one-channel OpenEXR file.\n"
             "Beside each a sidecar FILE.json: size, sample form,\n"
             "byte order, altitude range, sea level, recipe",
     .extensions = "png|r16|tif|exr"},
    smoothOption,
    erodeOption,
    erodibilityOption,
    thermalOption,
    riversOption,
    layerOption,
    shadeOption,
    edgeOption,
    engineOption,
    rangeOption,
    tilesOption,
    {.name = "--recipe",
     .metavar = "FILE",
     .help = "take the seed, every parameter and every stage from\n"
             "the recipe in FILE (a picture or heightmap this tool\n"
             "wrote, or its sidecar); options after it override\n"
             "the recipe's, --point adds to its points; a recipe\n"
             "naming anything but settings is refused",
     .extensions = "png|tif|exr|json"},
};

constexpr CommandOption renderOptions[] = {
    {.name = "-o", .metavar = "FILE", .hidden = true, .extensions = "png"},
    {"--regions", "", "show regions and concentration points"},
    {"--water-level", "X", "water level for the picture, {range} (default: the map's)"},
    {.name = "--threads", .metavar = "N", .help = "1 or 2 (default 1)", .words = "1 2"},
    {.name = "--heightmap",
     .metavar = "FILE",
     .help = "also write the altitudes (.png, .r16, .tif or .exr, as\nfor generate; repeatable)",
     .extensions = "png|r16|tif|exr"},
    smoothOption,
    erodeOption,
    erodibilityOption,
    thermalOption,
    riversOption,
    layerOption,
    shadeOption,
    edgeOption,
    engineOption,
    rangeOption,
    tilesOption,
};

constexpr CommandOption infoOptions[] = {
    {"--json", "", "print them with the map's parameters as one JSON\nobject instead"},
    {.name = "--smooth",
     .metavar = "R",
     .help = "the statistics of the smoothed heights (see generate)"},
    {"--erode", "N", "after N steps of erosion (see generate)"},
    {"--erodibility", "K", "the erosion's K (see generate)"},
    {"--thermal", "N", "after N steps of talus erosion (see generate)"},
    {"--rivers", "A",
     "with --json: river cells, lakes and the largest\nbasin's share (see generate)"},
};

constexpr CommandEntry commands[] = {
    {Command::Generate, "generate", "generate [options] -o FILE [-o FILE ...]",
     "Grows a terrain map and writes it; FILE by extension: .ld map file,\n"
     ".dat raw data file, .png picture (one pixel per cell).",
     generateOptions},
    {Command::Render, "render", "render IN -o OUT.png [options]",
     "Draws a map file or raw data file as a picture.", renderOptions, "ld|dat"},
    {Command::Info, "info", "info IN [--json] [--smooth R] [--erode N] [--rivers A]",
     "Prints the land statistics of a map file or raw data file.", infoOptions, "ld|dat"},
};

constexpr size_t descriptionColumn = 30;

// The parameter's range as the parser's messages and the help write it.
std::string RangeText(const ParameterRow& row) {
    switch (row.kind) {
    case ParameterKind::Seed:
        return "0.." + std::to_string(std::numeric_limits<uint64_t>::max());
    case ParameterKind::Integer:
        return std::to_string(int32_t(row.low)) + ".." + std::to_string(int32_t(row.high));
    case ParameterKind::Fraction:
    case ParameterKind::Flag:
        break;
    }
    if (row.lowOpen)
        return ShortestText(row.low) + " < X <= " + ShortestText(row.high);
    return ShortestText(row.low) + ".." + ShortestText(row.high);
}

void Replace(std::string& text, std::string_view field, const std::string& value) {
    for (size_t at = text.find(field); at != std::string::npos;
         at = text.find(field, at + value.size()))
        text.replace(at, field.size(), value);
}

// The description with its fields filled in; `rows` are the parameters sharing the line.
std::string Described(std::string_view help, const std::vector<const ParameterRow*>& rows) {
    std::string text(help);
    if (!rows.empty()) {
        std::string defaults;
        for (const ParameterRow* row : rows)
            defaults += (defaults.empty() ? "" : ", ") + row->DefaultText();
        Replace(text, "{range}", RangeText(*rows.front()));
        Replace(text, "{default}", defaults);
        Replace(text, "{dialogMax}", ShortestText(rows.front()->editHigh));
    }
    Replace(text, "{stencils}", std::string(stencilCacheFile));
    Replace(text, "\n", "\n" + std::string(descriptionColumn, ' '));
    return text;
}

}  // namespace

std::span<const CommandEntry> Commands() {
    return commands;
}

const CommandEntry* CommandNamed(std::string_view name) {
    for (const CommandEntry& entry : commands)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

const CommandEntry* EntryOf(Command command) {
    for (const CommandEntry& entry : commands)
        if (entry.command == command)
            return &entry;
    return nullptr;
}

const CommandOption* OptionOf(const CommandEntry& entry, std::string_view option) {
    for (const CommandOption& o : entry.options)
        if (o.name == option)
            return &o;
    return nullptr;
}

std::string UsageOf(const CommandEntry& entry) {
    std::string text = "glenvar-cli " + std::string(entry.synopsis) + "\n";
    std::string summary = "  " + std::string(entry.summary);
    Replace(summary, "\n", "\n  ");
    text += summary + "\n";
    std::string column;
    std::vector<const ParameterRow*> rows;
    for (const CommandOption& o : entry.options) {
        if (o.hidden)
            continue;
        column += (column.empty() ? "" : ", ") + std::string(o.name);
        if (!o.metavar.empty())
            column += " " + std::string(o.metavar);
        if (const ParameterRow* row = FindParameter(o.name))
            rows.push_back(row);
        if (o.help.empty())
            continue;
        column.resize(std::max(column.size() + 1, descriptionColumn - 2), ' ');
        text += "  " + column + Described(o.help, rows) + "\n";
        column.clear();
        rows.clear();
    }
    return text;
}

}  // namespace cli

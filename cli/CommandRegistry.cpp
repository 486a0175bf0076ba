#include "cli/CommandRegistry.h"

#include "core/ParameterTable.h"
#include "data/StencilCacheFile.h"

#include "export/StageSettings.h"

#include <limits>
#include <vector>

namespace cli {

namespace {

using Id = StageSettingId;

// A setting's option as its row spells and describes it, or with a help line of its own.
CommandOption Stage(Id id, std::string_view help = {}) {
    const StageSetting& row = StageRow(id);
    const bool choice = row.type == SettingType::Choice;
    return {.name = row.option,
            .metavar = row.metavar,
            .help = help.empty() ? row.help : help,
            .words = choice ? row.choices : ""};
}

const CommandOption layerOption = {.name = "--layer",
                                   .metavar = "KIND=FILE",
                                   .help = "also write rivers=FILE.png or lakes=FILE.png\n"
                                           "(white where rivers or lakes are, after\n"
                                           "--rivers A), or flow=FILE.tif, each cell's\n"
                                           "drained area as 32-bit floats; temperature=FILE.tif\n"
                                           "(degrees Celsius) or precipitation=FILE.tif (mm a\n"
                                           "year) as 32-bit floats, biomes=FILE.png (palette\n"
                                           "indices), each with FILE.json giving units or the\n"
                                           "palette and names (repeatable)",
                                   .words =
                                       "rivers=|lakes=|flow=|temperature=|precipitation=|biomes="};

const CommandOption masksOption = {.name = "--masks",
                                   .metavar = "ENGINE:PREFIX",
                                   .help = "also write material masks (sand, grass, forest,\n"
                                           "dirt, rock, snow, mud) for unreal (a weight map\n"
                                           "PREFIX<layer>.png each), unity (RGBA splatmaps\n"
                                           "PREFIXsplat<k>.png, a power of two a side) or godot\n"
                                           "(Terrain3D's PREFIXcontrol.exr and RGBA splatmaps),\n"
                                           "laid out as the heightmaps (--edge, --tiles), with\n"
                                           "PREFIXlayers.json listing the layers (repeatable)",
                                   .words = "unreal:|unity:|godot:"};

const CommandOption crsOption = {.name = "--crs",
                                 .metavar = "DEF",
                                 .help = "the coordinate system of a grown map's TIFFs, any\n"
                                         "definition GDAL accepts (EPSG:32633, WKT); an\n"
                                         "imported map keeps its own"};

const CommandOption meshOption = {.name = "--mesh",
                                  .metavar = "FILE",
                                  .help = "also write the heights as a mesh (repeatable), one\n"
                                          "per tile with --tiles: .glb binary glTF in metres\n"
                                          "(--cell-size-m, --height-range-m) with normals, the\n"
                                          "picture as texture and the water as its own mesh;\n"
                                          ".stl a closed solid with a base for printing;\n"
                                          ".obj with FILE.mtl and FILE_texture.png beside it",
                                  .extensions = "glb|stl|obj"};

const CommandOption vectorsOption = {.name = "--vectors",
                                     .metavar = "FILE",
                                     .help = "also write land, lakes and rivers as .geojson or\n"
                                             ".gpkg shapes in metres (--cell-size-m), or in an\n"
                                             "imported map's own georeference: polygons along the\n"
                                             "cells' sides, lakes as holes; rivers (--rivers A)\n"
                                             "as lines with drained area, Strahler order and\n"
                                             "length; cut where the map wraps (cutAtMapEdge)",
                                     .extensions = "geojson|gpkg"};

// The stages and the picture and heightmap layout generate and render share.
std::vector<CommandOption> StagesAndLayout() {
    return {Stage(Id::Smooth),
            Stage(Id::Erode),
            Stage(Id::ErosionK),
            Stage(Id::Thermal),
            Stage(Id::Rivers),
            layerOption,
            Stage(Id::Shade),
            Stage(Id::Edge),
            Stage(Id::Engine),
            Stage(Id::HeightRange),
            Stage(Id::Tiles),
            masksOption,
            Stage(Id::Latitudes),
            Stage(Id::LapseRate),
            Stage(Id::WindFrom),
            Stage(Id::Colours),
            Stage(Id::Boundary),
            Stage(Id::CellSize),
            crsOption,
            meshOption,
            Stage(Id::MeshError),
            Stage(Id::BaseMm),
            Stage(Id::PrintSizeMm),
            vectorsOption};
}

// Erosion's further laws, after the rest.
std::vector<CommandOption> ErosionLaws() {
    return {Stage(Id::Uplift),     Stage(Id::Deposition), Stage(Id::Diffusion),
            Stage(Id::CrossLakes), Stage(Id::Droplets),   Stage(Id::FlowDirections)};
}

std::vector<CommandOption> Joined(std::vector<CommandOption> head,
                                  const std::vector<CommandOption>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

std::vector<CommandOption> SharedStages() {
    return Joined(StagesAndLayout(), ErosionLaws());
}

std::vector<CommandOption> GenerateOptions() {
    return Joined(
        {{.name = "-o", .metavar = "FILE", .hidden = true, .extensions = "ld|dat|png"},
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
         Stage(Id::Point),
         {"--keep-random-state", "",
          "do not seed: draw on from the source's state, which\n"
          "is 0 for the first generation of a process"},
         {"--water-level", "X",
          "water level stored in the map and used for pictures,\n{range} (default {default})"},
         {.name = "--threads", .metavar = "N", .help = "1 or 2 (default 1)", .words = "1|2"},
         {.name = "--stencils",
          .metavar = "FILE",
          .help = "disc stencil cache (default {stencils}; built when\nmissing or unusable)",
          .extensions = "bin"},
         Stage(Id::Regions),
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
          .extensions = "png|r16|tif|exr"}},
        Joined(SharedStages(), {{.name = "--recipe",
                                 .metavar = "FILE",
                                 .help = "take the seed, every parameter and every stage from\n"
                                         "the recipe in FILE (a picture or heightmap this tool\n"
                                         "wrote, or its sidecar); options after it override\n"
                                         "the recipe's, --point adds to its points; a recipe\n"
                                         "naming anything but settings is refused",
                                 .extensions = "png|tif|exr|json"}}));
}

std::vector<CommandOption> RenderOptions() {
    return Joined(
        {{.name = "-o", .metavar = "FILE", .hidden = true, .extensions = "png"},
         Stage(Id::Regions, "show regions and concentration points"),
         {"--water-level", "X", "water level for the picture, {range} (default: the map's)"},
         {.name = "--threads", .metavar = "N", .help = "1 or 2 (default 1)", .words = "1|2"},
         {.name = "--heightmap",
          .metavar = "FILE",
          .help =
              "also write the altitudes (.png, .r16, .tif or .exr, as\nfor generate; repeatable)",
          .extensions = "png|r16|tif|exr"}},
        SharedStages());
}

// The forms shape reads: Glenvar's maps and heightmaps, and rasters through GDAL.
constexpr std::string_view shapeInputs = "ld|dat|png|r16|tif|tiff|exr|asc|hgt|dem|img|bil|flt";

std::vector<CommandOption> ShapeOptions() {
    return Joined(
        {{.name = "-o", .metavar = "FILE", .hidden = true, .extensions = "png"},
         Stage(Id::Regions, "show regions (a map file's)"),
         {"--water-level", "X",
          "water level of 0..1 heights (Glenvar's heightmaps,\n"
          "maps), {range} (default: the map's, 0.5 for heightmaps)"},
         {"--water-level-m", "M",
          "water level of an elevation model in its own units\n"
          "(metres or feet; default 0, the sea)"},
         {"--size", "WxH", "the size of a .r16 file without its sidecar"},
         {.name = "--threads", .metavar = "N", .help = "1 or 2 (default 1)", .words = "1|2"},
         {.name = "--heightmap",
          .metavar = "FILE",
          .help = "also write the shaped heights (.png, .r16, .tif or\n"
                  ".exr, as for generate; repeatable); an elevation\n"
                  "model's .tif keeps its units, NoData and georeference",
          .extensions = "png|r16|tif|exr"}},
        SharedStages());
}

std::vector<CommandOption> InfoOptions() {
    return {
        {"--json", "", "print them with the map's parameters as one JSON\nobject instead"},
        Stage(Id::Smooth, "the statistics of the smoothed heights (see generate)"),
        Stage(Id::Erode, "after N steps of erosion (see generate)"),
        Stage(Id::ErosionK, "the erosion's K (see generate)"),
        Stage(Id::Thermal, "after N steps of talus erosion (see generate)"),
        Stage(Id::Rivers,
              "with --json: river cells, lakes and the largest\nbasin's share (see generate)"),
        Stage(Id::Latitudes, "with --json: the biomes' shares of the land\n(see generate)"),
        Stage(Id::LapseRate),
        Stage(Id::WindFrom),
        Stage(Id::HeightRange),
        Stage(Id::Boundary, "the edges of the heights (see shape)"),
        {"--water-level-m", "M", "an elevation model's water level (see shape)"},
        {"--size", "WxH", "the size of a .r16 file without its sidecar"},
        // Erosion's further laws
        Stage(Id::Uplift, "erosion's uplift (see generate)"),
        Stage(Id::Deposition, "erosion's deposition (see generate)"),
        Stage(Id::Diffusion, "erosion's hillslope diffusion (see generate)"),
        Stage(Id::CrossLakes, "erosion's water crosses lakes (see generate)"),
        Stage(Id::Droplets, "after N droplets (see generate)"),
        Stage(Id::FlowDirections, "erosion's drained areas (see generate)"),
    };
}

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
std::string Described(std::string_view help, const std::vector<const ParameterRow*>& rows,
                      const StageSetting* stage) {
    std::string text(help);
    if (stage) {
        Replace(text, "{range}", StageRangeText(*stage));
        Replace(text, "{default}", std::string(stage->fallback));
    }
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
    // Built on first use: the rows' texts live in another library's constants.
    static const std::vector<CommandOption> generate = GenerateOptions(), render = RenderOptions(),
                                            info = InfoOptions(), shape = ShapeOptions();
    static const CommandEntry commands[] = {
        {Command::Generate, "generate", "generate [options] -o FILE [-o FILE ...]",
         "Grows a terrain map and writes it; FILE by extension: .ld map file,\n"
         ".dat raw data file, .png picture (one pixel per cell).",
         generate},
        {Command::Render, "render", "render IN -o OUT.png [options]",
         "Draws a map file or raw data file as a picture.", render, "ld|dat"},
        {Command::Info, "info", "info IN [--json] [--smooth R] [--erode N] [--rivers A]",
         "Prints the land statistics of a map file, raw data file or any\n"
         "heights shape reads.",
         info, shapeInputs},
        {Command::Shape, "shape", "shape IN -o OUT.png [options]",
         "Runs the stages and outputs of generate on heights read from IN:\n"
         "a map file, a heightmap (16-bit .png, .r16, float .tif, .exr) or\n"
         "any single-band raster GDAL reads (an elevation model in metres or\n"
         "feet, with NoData). Edges are open unless --boundary wrap.",
         shape, shapeInputs},
    };
    return commands;
}

const CommandEntry* CommandNamed(std::string_view name) {
    for (const CommandEntry& entry : Commands())
        if (entry.name == name)
            return &entry;
    return nullptr;
}

const CommandEntry* EntryOf(Command command) {
    for (const CommandEntry& entry : Commands())
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
        text += "  " + column + Described(o.help, rows, FindStageSetting(o.name)) + "\n";
        column.clear();
        rows.clear();
    }
    return text;
}

}  // namespace cli

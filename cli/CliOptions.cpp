#include "cli/CliOptions.h"

#include "cli/CommandRegistry.h"

#include "core/ParameterLimits.h"
#include "export/SettingText.h"
#include "export/StageSettings.h"
#include "pipeline/ImportedHeights.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace cli {

namespace {

struct Failure {
    std::string message;
};

std::string Quoted(std::string_view s) {
    std::string quoted(1, '"');
    quoted.append(s);
    quoted += '"';
    return quoted;
}

// The endings the option takes as the registry lists them, as ".a, .b or .c".
std::string EndingsText(std::string_view endings) {
    std::string text;
    for (size_t start = 0; start <= endings.size();) {
        const size_t bar = std::min(endings.find('|', start), endings.size());
        const bool last = bar == endings.size();
        if (!text.empty())
            text += last ? " or " : ", ";
        text += "." + std::string(endings.substr(start, bar - start));
        start = bar + 1;
    }
    return text;
}

// The forms each file option takes; a loaded map is only rendered.
std::initializer_list<FormGroup> GroupsOf(Command command, std::string_view option) {
    static constexpr std::initializer_list<FormGroup> generated = {FormGroup::MapFile,
                                                                   FormGroup::Picture};
    static constexpr std::initializer_list<FormGroup> rendered = {FormGroup::Picture};
    static constexpr std::initializer_list<FormGroup> heightmaps = {FormGroup::Heightmap};
    static constexpr std::initializer_list<FormGroup> inputs = {FormGroup::MapFile};
    static constexpr std::initializer_list<FormGroup> meshes = {FormGroup::Mesh};
    if (option == "--heightmap")
        return heightmaps;
    if (option == "--mesh")
        return meshes;
    static constexpr std::initializer_list<FormGroup> vectors = {FormGroup::Vectors};
    if (option == "--vectors")
        return vectors;
    if (option == "-o")
        return command == Command::Generate ? generated : rendered;
    return option.empty() && command != Command::Generate ? inputs
                                                          : std::initializer_list<FormGroup>{};
}

// The file and the form that owns its ending (in any case).
Output OutputFor(const CommandOption& option, const std::string& path, Command command) {
    const FileForm* form = FormForPath(path, GroupsOf(command, option.name));
    if (form == nullptr)
        throw Failure{std::string(option.name) + ": FILE must end in " +
                      EndingsText(option.extensions) + ", got " + Quoted(path)};
    return {path, form->id};
}

// A generation parameter's value, checked as every reader checks it.
void SetParameter(Options& o, const ParameterRow& row, std::string_view option,
                  const std::string& text) {
    SetParameterText(o.terrain, row, option, text);
    o.given.push_back(&row);
}

// A setting a recipe may carry too, read by its row (export/StageSettings.h).
void SetStage(Options& o, const StageSetting& setting, const std::string& text) {
    if (setting.id == StageSettingId::Tiles) {  // this run's alone, two numbers
        const StageReading tiles = ReadStageText(setting, text);
        if (const auto* refusal = std::get_if<StageRefusal>(&tiles))
            throw Failure{CommandLineWords(*refusal)};
        o.tileColumns = std::get<StageValue>(tiles).first;
        o.tileRows = std::get<StageValue>(tiles).second;
        return;
    }
    RecipeOptions r{o.stages,         o.riverThreshold,    o.regions, o.shade,        o.edge,
                    o.engine,         o.heightRangeMetres, o.climate, o.biomeColours, o.boundary,
                    o.cellSizeMetres, o.meshErrorMetres,   o.baseMm,  o.printSizeMm};
    SetStageSetting(setting, text, o.terrain, r);
    o.boundary = r.boundary;
    o.cellSizeMetres = r.cellSizeMetres;
    o.meshErrorMetres = r.meshErrorMetres;
    o.baseMm = r.baseMm;
    o.printSizeMm = r.printSizeMm;
    o.stages = r.stages;
    o.riverThreshold = r.riverThreshold;
    o.regions = r.regions;
    o.shade = r.shade;
    o.edge = r.edge;
    o.engine = r.engine;
    o.heightRangeMetres = r.heightRangeMetres;
    o.climate = r.climate;
    o.biomeColours = r.biomeColours;
}

// --layer KIND=FILE, the file's form fixed by the kind.
Layer LayerFrom(const std::string& text) {
    static constexpr struct {
        std::string_view name, extension;
        LayerKind kind;
    } kinds[] = {{"rivers", ".png", LayerKind::Rivers},
                 {"lakes", ".png", LayerKind::Lakes},
                 {"flow", ".tif", LayerKind::Flow},
                 {"temperature", ".tif", LayerKind::Temperature},
                 {"precipitation", ".tif", LayerKind::Precipitation},
                 {"biomes", ".png", LayerKind::Biomes}};
    const auto equals = text.find('=');
    const std::string_view name = std::string_view(text).substr(0, equals);
    for (const auto& k : kinds) {
        if (equals == std::string::npos || name != k.name)
            continue;
        const std::string path = text.substr(equals + 1);
        if (path.size() <= k.extension.size() ||
            path.compare(path.size() - k.extension.size(), k.extension.size(), k.extension) != 0)
            throw Failure{"--layer: " + std::string(k.name) + " takes a " +
                          std::string(k.extension.substr(1)) + " file, got " + Quoted(text)};
        return {k.kind, path};
    }
    throw Failure{"--layer: expected rivers=FILE.png, lakes=FILE.png, flow=FILE.tif, "
                  "temperature=FILE.tif, precipitation=FILE.tif or biomes=FILE.png, got " +
                  Quoted(text)};
}

// --masks ENGINE:PREFIX; the prefix names a folder's files, so it needs a name.
MaskRequest MasksFrom(const std::string& text) {
    const auto colon = text.find(':');
    const auto engine =
        colon == std::string::npos ? std::nullopt : MaskEngineNamed(text.substr(0, colon));
    if (!engine || colon + 1 >= text.size())
        throw Failure{"--masks: expected unreal:PREFIX, unity:PREFIX or godot:PREFIX, got " +
                      Quoted(text)};
    return {*engine, text.substr(colon + 1)};
}

// The layers and the recipe: run options no recipe holds.
void SetLayoutOrRecipe(Options& o, std::string_view name, const std::string& text) {
    const auto refuse = [&](const std::string& expected) {
        return Failure{std::string(name) + ": expected " + expected + ", got " + Quoted(text)};
    };
    if (name == "--layer") {
        o.layers.push_back(LayerFrom(text));
    } else if (name == "--masks") {
        o.masks.push_back(MasksFrom(text));
    } else if (name == "--recipe") {
        if (text.empty())
            throw refuse("a file name");
        o.recipe = text;
    }
}

// How shape reads its heights: an elevation model's sea level, a raw file's size.
void SetImportOption(Options& o, std::string_view name, const std::string& text) {
    if (name == "--water-level-m") {
        const std::optional<double> level = WholeNumber(text);
        if (!level || std::fabs(*level) > 1e6)
            throw Failure{"--water-level-m: expected metres from -1000000 to 1000000, got " +
                          Quoted(text)};
        o.waterLevelUnits = *level;
        return;
    }
    const auto x = text.find('x');
    std::optional<int32_t> w, h;
    if (x != std::string::npos) {
        w = WholeInteger<int32_t>(std::string_view(text).substr(0, x));
        h = WholeInteger<int32_t>(std::string_view(text).substr(x + 1));
    }
    if (!w || !h || *w < 2 || *h < 2 || *w > maxImportSide || *h > maxImportSide)
        throw Failure{"--size: expected WxH, each from 2 to " + std::to_string(maxImportSide) +
                      ", got " + Quoted(text)};
    o.rawWidth = *w;
    o.rawHeight = *h;
}

// The options that are not generation parameters.
void SetOther(Options& o, const CommandOption& option, const std::string& text) {
    const std::string_view name = option.name;
    if (const StageSetting* setting = FindStageSetting(name)) {
        SetStage(o, *setting, text);
    } else if (name == "--stencils") {
        if (text.empty())
            throw Failure{"--stencils: expected a file name, got \"\""};
        o.stencils = text;
    } else if (name == "--threads") {
        const auto value = WholeInteger<int64_t>(text);
        if (!value || *value < 1 || *value > 2)
            throw Failure{"--threads: expected an integer from 1 to 2, got " + Quoted(text)};
        o.threads = int32_t(*value);
    } else if (name == "-o") {
        o.outputs.push_back(OutputFor(option, text, o.command));
    } else if (name == "--heightmap") {
        o.heightmaps.push_back(OutputFor(option, text, o.command));
    } else if (name == "--mesh") {
        o.meshes.push_back(OutputFor(option, text, o.command));
    } else if (name == "--vectors") {
        o.vectors.push_back(OutputFor(option, text, o.command));
    } else if (name == "--json") {
        o.json = true;
    } else if (name == "--crs") {
        if (text.empty())
            throw Failure{"--crs: expected a coordinate system such as EPSG:32633, got \"\""};
        o.crs = text;
    } else if (name == "--water-level-m" || name == "--size") {
        SetImportOption(o, name, text);
    } else {
        SetLayoutOrRecipe(o, name, text);
    }
}

void RefuseRepeatedPaths(const Options& o) {
    std::vector<std::string> seen;
    auto check = [&seen](std::string_view option, const std::string& path) {
        const std::string key = std::filesystem::path(path).lexically_normal().string();
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            throw Failure{std::string(option) + ": " + Quoted(path) +
                          " is named as an output more than once"};
        seen.push_back(key);
    };
    for (const Output& out : o.outputs)
        check("-o", out.path);
    for (const Heightmap& map : o.heightmaps)
        check("--heightmap", map.path);
    for (const Layer& layer : o.layers)
        check("--layer", layer.path);
    for (const MaskRequest& masks : o.masks)
        for (const std::string& path : MaskPaths(masks, {o.edge, o.tileColumns, o.tileRows}))
            check("--masks", path);
    for (const Output& mesh : o.meshes)
        check("--mesh", mesh.path);
    for (const Output& shapes : o.vectors)
        check("--vectors", shapes.path);
}

// What holds only for the whole line: an input or outputs, points on the grid.
void CheckComplete(const Options& o, bool inputSeen) {
    const std::string name(EntryOf(o.command)->name);
    if (o.command != Command::Generate && !inputSeen)
        throw Failure{name + ": no input file given; see glenvar-cli " + name + " --help"};
    // A heightmap is an output too.
    const bool noOutput = o.outputs.empty() && o.heightmaps.empty() && o.layers.empty() &&
                          o.masks.empty() && o.meshes.empty() && o.vectors.empty();
    if (o.command == Command::Generate && noOutput)
        throw Failure{"generate: no output given; add -o FILE (.ld, .dat or .png)"};
    if (o.command == Command::Render && noOutput)
        throw Failure{"render: no output given; add -o FILE.png"};
    if (o.command == Command::Shape && noOutput)
        throw Failure{"shape: no output given; add -o FILE.png or --heightmap FILE"};
    const GEO_MakeLand& t = o.terrain;
    const size_t handPoints = static_cast<size_t>(t.concentrationPoints.GetSize());
    // A cell records its point's index in 16 bits: a further point would share label 0.
    if (handPoints > limits::maxHandPoints)
        throw Failure{"--point: expected 1 to " + std::to_string(limits::maxHandPoints) +
                      " points (region labels 0.." + std::to_string(limits::maxHandPoints - 1) +
                      "), got " + std::to_string(handPoints)};
    for (const Point& p : t.concentrationPoints) {
        // Points off the grid would push the generator's wrapped arithmetic out of range.
        if (p.x < 0 || p.x >= t.width || p.y < 0 || p.y >= t.height)
            throw Failure{"--point: expected X,Y with 0 <= X < " + std::to_string(t.width) +
                          " and 0 <= Y < " + std::to_string(t.height) + ", got " +
                          Quoted(std::to_string(p.x) + "," + std::to_string(p.y))};
    }
    RefuseRepeatedPaths(o);
}

Options ParseCommand(const CommandEntry& entry, const std::vector<std::string>& args) {
    Options o;
    o.command = entry.command;
    const std::string name(entry.name);
    bool inputSeen = false;

    for (size_t i = 1; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg.empty() || arg[0] != '-' || arg == "-") {
            if (entry.inputExtensions.empty() || inputSeen)
                throw Failure{name + ": unexpected argument " + Quoted(arg) + "; see glenvar-cli " +
                              name + " --help"};
            o.input = std::string(arg);
            inputSeen = true;
            continue;
        }
        std::string option(arg);
        std::optional<std::string> value;
        if (const auto eq = arg.find('=');
            arg.substr(0, 2) == "--" && eq != std::string_view::npos) {
            option = std::string(arg.substr(0, eq));
            value = std::string(arg.substr(eq + 1));
        }
        const CommandOption* known = OptionOf(entry, option);
        if (known == nullptr)
            throw Failure{name + ": unknown option " + Quoted(option) + "; see glenvar-cli " +
                          name + " --help"};
        const bool takesValue = !known->metavar.empty();
        if (!takesValue && value)
            throw Failure{option + ": takes no value, got " + Quoted(*value)};
        if (takesValue && !value) {
            if (i + 1 >= args.size())
                throw Failure{option + ": missing value"};
            value = args[++i];
        }
        if (const ParameterRow* row = FindParameter(option))
            SetParameter(o, *row, option, value.value_or(std::string()));
        else
            SetOther(o, *known, value.value_or(std::string()));
    }
    CheckComplete(o, inputSeen);
    return o;
}

}  // namespace

ParseResult Parse(const std::vector<std::string>& args) {
    ParseResult result;
    Options help;
    if (args.empty()) {
        result.error = "no command given; see glenvar-cli --help";
        return result;
    }
    const std::string& first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        result.options = help;
        return result;
    }
    if (first == "--version") {
        help.command = Command::Version;
        result.options = help;
        return result;
    }
    const CommandEntry* entry = CommandNamed(first);
    if (entry == nullptr) {
        result.error = "unknown command " + Quoted(first) + "; see glenvar-cli --help";
        return result;
    }
    // Help wins over everything else on the line, malformed values included.
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            help.helpTopic = entry->command;
            result.options = help;
            return result;
        }
    }
    try {
        result.options = ParseCommand(*entry, args);
    } catch (const Failure& f) {
        result.error = f.message;
    } catch (const SettingRefusal& refusal) {
        result.error = refusal.what();
    }
    return result;
}

std::string UsageText(Command topic) {
    if (const CommandEntry* entry = EntryOf(topic))
        return "Usage: " + UsageOf(*entry);
    std::string text = "Usage:\n";
    for (const CommandEntry& entry : Commands())
        text += UsageOf(entry) + "\n";
    return text + "glenvar-cli --help, glenvar-cli COMMAND --help, glenvar-cli --version\n"
                  "Exit status: 0 done, 1 a file could not be read or written, 2 bad arguments.\n";
}

std::vector<std::string_view> AcceptedExtensions(Command command, std::string_view option) {
    return ExtensionsOf(GroupsOf(command, option));
}

std::string VersionText() {
    return "glenvar-cli " GLENVAR_VERSION "\n";
}

}  // namespace cli

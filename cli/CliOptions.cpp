#include "cli/CliOptions.h"

#include "cli/CommandRegistry.h"

#include "core/ParameterLimits.h"
#include "landform/Smoothing.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
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

// Whole text as a decimal integer: no sign other than '-', no blanks, no junk.
template <class T> std::optional<T> ToInteger(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// Whole text as a finite decimal number; from_chars reads it exactly, so the
// defaults written out in full give back their exact bit patterns.
std::optional<double> ToNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
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
    if (option == "--heightmap")
        return heightmaps;
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

Point PointFrom(std::string_view text) {
    const auto comma = text.find(',');
    std::optional<int32_t> x, y;
    if (comma != std::string_view::npos) {
        x = ToInteger<int32_t>(text.substr(0, comma));
        y = ToInteger<int32_t>(text.substr(comma + 1));
    }
    if (!x || !y)
        throw Failure{"--point: expected X,Y with 0 <= X < width and 0 <= Y < height, got " +
                      Quoted(text)};
    return {*x, *y};
}

// A generation parameter's value, checked against the table's range; the
// messages name that range as the help does.
void SetParameter(Options& o, const ParameterRow& row, std::string_view option,
                  const std::string& text) {
    const auto refuse = [&](const std::string& expected) {
        return Failure{std::string(option) + ": expected " + expected + ", got " + Quoted(text)};
    };
    switch (row.kind) {
    case ParameterKind::Seed: {
        const auto seed = ToInteger<uint64_t>(text);
        if (!seed)
            throw refuse("an integer from 0 to " + std::to_string(UINT64_MAX));
        o.terrain.*std::get<uint64_t GEO_MakeLand::*>(row.field) = *seed;
        break;
    }
    case ParameterKind::Integer: {
        const auto value = ToInteger<int64_t>(text);
        if (!value || *value < row.low || *value > row.high)
            throw refuse("an integer from " + std::to_string(int64_t(row.low)) + " to " +
                         std::to_string(int64_t(row.high)));
        row.SetNumber(o.terrain, double(*value));
        break;
    }
    case ParameterKind::Fraction: {
        const auto value = ToNumber(text);
        const bool aboveLow = value && (row.lowOpen ? *value > row.low : *value >= row.low);
        if (!aboveLow || !(*value <= row.high))
            throw refuse(row.lowOpen ? "a number greater than " + ShortestText(row.low) +
                                           " and at most " + ShortestText(row.high)
                                     : "a number from " + ShortestText(row.low) + " to " +
                                           ShortestText(row.high));
        row.SetNumber(o.terrain, *value == 0.0 ? 0.0 : *value);  // no negative zero
        break;
    }
    case ParameterKind::Flag:
        row.SetNumber(o.terrain, 1);
        break;
    }
    o.given.push_back(&row);
}

std::optional<std::pair<int32_t, int32_t>> TilesFrom(std::string_view text) {
    const auto x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    const auto k = ToInteger<int32_t>(text.substr(0, x));
    const auto l = ToInteger<int32_t>(text.substr(x + 1));
    if (!k || !l || *k < 1 || *l < 1 || *k > 64 || *l > 64)
        return std::nullopt;
    return std::pair{*k, *l};
}

// --layer KIND=FILE, the file's form fixed by the kind.
Layer LayerFrom(const std::string& text) {
    static constexpr struct {
        std::string_view name, extension;
        LayerKind kind;
    } kinds[] = {{"rivers", ".png", LayerKind::Rivers},
                 {"lakes", ".png", LayerKind::Lakes},
                 {"flow", ".tif", LayerKind::Flow}};
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
    throw Failure{"--layer: expected rivers=FILE.png, lakes=FILE.png or flow=FILE.tif, got " +
                  Quoted(text)};
}

// The stages and how pictures and heightmaps are laid out.
void SetStageOrLayout(Options& o, std::string_view name, const std::string& text) {
    const auto refuse = [&](const std::string& expected) {
        return Failure{std::string(name) + ": expected " + expected + ", got " + Quoted(text)};
    };
    if (name == "--smooth") {
        const auto radius = ToInteger<int64_t>(text);
        if (!radius || *radius < 0 || *radius > maxSmoothRadius)
            throw refuse("an integer from 0 to " + std::to_string(maxSmoothRadius));
        o.stages.smoothRadius = int32_t(*radius);
    } else if (name == "--erode" || name == "--thermal") {
        const auto steps = ToInteger<int64_t>(text);
        if (!steps || *steps < 0 || *steps > maxErosionSteps)
            throw refuse("an integer from 0 to " + std::to_string(maxErosionSteps));
        (name == "--erode" ? o.stages.erodeSteps : o.stages.thermalSteps) = int32_t(*steps);
    } else if (name == "--erodibility") {
        const auto k = ToNumber(text);
        if (!k || !(*k >= 0.0 && *k <= 1.0))
            throw refuse("a number from 0 to 1");
        o.stages.erodibility = *k == 0.0 ? 0.0 : *k;
    } else if (name == "--rivers") {
        const auto cells = ToInteger<int64_t>(text);
        if (!cells || *cells < 0 || *cells > int64_t{1} << 28)
            throw refuse("a cell count from 0 to 268435456");
        o.riverThreshold = uint32_t(*cells);
    } else if (name == "--layer") {
        o.layers.push_back(LayerFrom(text));
    } else if (name == "--shade") {
        o.shade = true;
    } else if (name == "--edge") {
        if (text != "wrap" && text != "repeat")
            throw refuse("wrap or repeat");
        o.edge = text == "repeat" ? HeightEdge::Repeat : HeightEdge::Wrap;
    } else if (name == "--engine") {
        o.engine = EngineNamed(text);
        if (o.engine == nullptr)
            throw refuse("unreal, unity or godot");
    } else if (name == "--height-range-m") {
        const auto metres = ToNumber(text);
        if (!metres || !(*metres > 0.0 && *metres <= 1e6))
            throw refuse("metres greater than 0 and at most 1000000");
        o.heightRangeMetres = *metres;
    } else if (name == "--tiles") {
        const auto tiles = TilesFrom(text);
        if (!tiles)
            throw refuse("KxL with K and L from 1 to 64");
        o.tileColumns = tiles->first;
        o.tileRows = tiles->second;
    } else if (name == "--recipe") {
        if (text.empty())
            throw refuse("a file name");
        o.recipe = text;
    }
}

// The options that are not generation parameters.
void SetOther(Options& o, const CommandOption& option, const std::string& text) {
    const std::string_view name = option.name;
    if (name == "--point") {
        o.terrain.concentrationPoints.Add(PointFrom(text));
        // Hand placement keeps the random point count as it was, as the desktop program does.
        o.terrain.manualPlacement = 1;
    } else if (name == "--stencils") {
        if (text.empty())
            throw Failure{"--stencils: expected a file name, got \"\""};
        o.stencils = text;
    } else if (name == "--threads") {
        const auto value = ToInteger<int64_t>(text);
        if (!value || *value < 1 || *value > 2)
            throw Failure{"--threads: expected an integer from 1 to 2, got " + Quoted(text)};
        o.threads = int32_t(*value);
    } else if (name == "--regions") {
        o.regions = true;
    } else if (name == "-o") {
        o.outputs.push_back(OutputFor(option, text, o.command));
    } else if (name == "--heightmap") {
        o.heightmaps.push_back(OutputFor(option, text, o.command));
    } else if (name == "--json") {
        o.json = true;
    } else {
        SetStageOrLayout(o, name, text);
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
}

// What holds only for the whole line: an input or outputs, points on the grid.
void CheckComplete(const Options& o, bool inputSeen) {
    const std::string name(EntryOf(o.command)->name);
    if (o.command != Command::Generate && !inputSeen)
        throw Failure{name + ": no input file given; see glenvar-cli " + name + " --help"};
    // A heightmap is an output too.
    const bool noOutput = o.outputs.empty() && o.heightmaps.empty() && o.layers.empty();
    if (o.command == Command::Generate && noOutput)
        throw Failure{"generate: no output given; add -o FILE (.ld, .dat or .png)"};
    if (o.command == Command::Render && noOutput)
        throw Failure{"render: no output given; add -o FILE.png"};
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

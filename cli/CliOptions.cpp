#include "cli/CliOptions.h"

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

int32_t IntegerIn(std::string_view option, std::string_view text, int32_t low, int32_t high) {
    const auto value = ToInteger<int64_t>(text);
    if (!value || *value < low || *value > high)
        throw Failure{std::string(option) + ": expected an integer from " + std::to_string(low) +
                      " to " + std::to_string(high) + ", got " + Quoted(text)};
    return static_cast<int32_t>(*value);
}

double FractionIn(std::string_view option, std::string_view text) {
    const auto value = ToNumber(text);
    if (!value || !(*value >= 0.0 && *value <= 1.0))
        throw Failure{std::string(option) + ": expected a number from 0 to 1, got " + Quoted(text)};
    return *value == 0.0 ? 0.0 : *value;  // no negative zero
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

Output OutputFor(std::string_view option, const std::string& path, Command command) {
    const auto groups = GroupsOf(command, option);
    if (const FileForm* form = FormForPath(path, groups))
        return {path, form->id};
    throw Failure{std::string(option) + ": FILE must end in " + ExtensionChoice(groups) + ", got " +
                  Quoted(path)};
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

// One table for both directions, so the parser and its messages cannot drift apart.
struct CommandWord {
    std::string_view name;
    Command command;
};
constexpr CommandWord commandWords[] = {
    {"generate", Command::Generate}, {"render", Command::Render}, {"info", Command::Info}};

std::string_view CommandName(Command c) {
    for (const CommandWord& w : commandWords)
        if (w.command == c)
            return w.name;
    return "glenvar-cli";
}

std::optional<Command> CommandNamed(std::string_view name) {
    for (const CommandWord& w : commandWords)
        if (w.name == name)
            return w.command;
    return std::nullopt;
}

std::string SeedMax() {
    return std::to_string(std::numeric_limits<uint64_t>::max());
}

std::string Range(int32_t low, int32_t high) {
    return std::to_string(low) + ".." + std::to_string(high);
}

// The commands an option belongs to, as bits.
constexpr unsigned generateOnly = 1u << int(Command::Generate);
constexpr unsigned pictures = generateOnly | 1u << int(Command::Render);
constexpr unsigned infoOnly = 1u << int(Command::Info);

enum class Argument { None, Integer, Fraction, Text };

// What a setter gets: the option as written, its text and, by the argument
// kind, the integer already checked against the range or the fraction.
struct Value {
    std::string_view option;
    const std::string& text;
    Command command;
    int32_t integer = 0;
    double fraction = 0;
};

struct OptionRule {
    std::string_view name;
    unsigned commands;
    Argument argument;
    int32_t low = 0, high = 0;  // an Integer's range
    void (*set)(Options&, const Value&);
};

void SetSeed(Options& o, const Value& v) {
    const auto seed = ToInteger<uint64_t>(v.text);
    if (!seed)
        throw Failure{"--seed: expected an integer from 0 to " + SeedMax() + ", got " +
                      Quoted(v.text)};
    o.seed = *seed;
}

void SetProcessAmount(Options& o, const Value& v) {
    const auto x = ToNumber(v.text);
    if (!x || !(*x > 0.0 && *x <= limits::maxProcessAmount))
        throw Failure{
            std::string("--process-amount: expected a number greater than 0 and at most ") +
            limits::maxProcessAmountText + ", got " + Quoted(v.text)};
    o.processAmount = *x;
}

void SetStencils(Options& o, const Value& v) {
    if (v.text.empty())
        throw Failure{"--stencils: expected a file name, got \"\""};
    o.stencils = v.text;
}

void SetEdge(Options& o, const Value& v) {
    if (v.text != "wrap" && v.text != "repeat")
        throw Failure{"--edge: expected wrap or repeat, got " + Quoted(v.text)};
    o.edge = v.text == "repeat" ? HeightEdge::Repeat : HeightEdge::Wrap;
}

void SetEngine(Options& o, const Value& v) {
    o.engine = EngineNamed(v.text);
    if (o.engine == nullptr)
        throw Failure{"--engine: expected unreal, unity or godot, got " + Quoted(v.text)};
}

void SetHeightRange(Options& o, const Value& v) {
    const auto metres = ToNumber(v.text);
    if (!metres || !(*metres > 0.0 && *metres <= 1e6))
        throw Failure{"--height-range-m: expected metres greater than 0 and at most 1000000, got " +
                      Quoted(v.text)};
    o.heightRangeMetres = *metres;
}

void SetTiles(Options& o, const Value& v) {
    const auto x = v.text.find('x');
    std::optional<int32_t> k, l;
    if (x != std::string::npos) {
        k = ToInteger<int32_t>(std::string_view(v.text).substr(0, x));
        l = ToInteger<int32_t>(std::string_view(v.text).substr(x + 1));
    }
    if (!k || !l || *k < 1 || *l < 1 || *k > 64 || *l > 64)
        throw Failure{"--tiles: expected KxL with K and L from 1 to 64, got " + Quoted(v.text)};
    o.tileColumns = *k;
    o.tileRows = *l;
}

void SetRecipe(Options& o, const Value& v) {
    if (v.text.empty())
        throw Failure{"--recipe: expected a file name, got \"\""};
    o.recipe = v.text;
}

constexpr unsigned everyCommand = pictures | infoOnly;

constexpr OptionRule optionRules[] = {
    {"--seed", generateOnly, Argument::Text, 0, 0, &SetSeed},
    {"--width", generateOnly, Argument::Integer, limits::minSize, limits::maxCliSize,
     [](Options& o, const Value& v) { o.width = v.integer; }},
    {"--height", generateOnly, Argument::Integer, limits::minSize, limits::maxCliSize,
     [](Options& o, const Value& v) { o.height = v.integer; }},
    {"--unit-amount", generateOnly, Argument::Integer, limits::minUnitAmount, limits::maxUnitAmount,
     [](Options& o, const Value& v) { o.unitAmount = v.integer; }},
    {"--process-amount", generateOnly, Argument::Text, 0, 0, &SetProcessAmount},
    {"--concentration-rate", generateOnly, Argument::Fraction, 0, 0,
     [](Options& o, const Value& v) { o.concentrationRate = v.fraction; }},
    {"--concentration-amount", generateOnly, Argument::Fraction, 0, 0,
     [](Options& o, const Value& v) { o.concentrationAmount = v.fraction; }},
    {"--points", generateOnly, Argument::Integer, limits::minPoints, limits::maxPoints,
     [](Options& o, const Value& v) { o.pointCount = v.integer; }},
    {"--point", generateOnly, Argument::Text, 0, 0,
     [](Options& o, const Value& v) { o.points.push_back(PointFrom(v.text)); }},
    {"--keep-random-state", generateOnly, Argument::None, 0, 0,
     [](Options& o, const Value&) { o.keepRandomState = true; }},
    {"--stencils", generateOnly, Argument::Text, 0, 0, &SetStencils},
    {"--water-level", pictures, Argument::Fraction, 0, 0,
     [](Options& o, const Value& v) { o.waterLevel = v.fraction; }},
    {"--threads", pictures, Argument::Integer, 1, 2,
     [](Options& o, const Value& v) { o.threads = v.integer; }},
    {"--regions", pictures, Argument::None, 0, 0,
     [](Options& o, const Value&) { o.regions = true; }},
    {"-o", pictures, Argument::Text, 0, 0,
     [](Options& o, const Value& v) {
         o.outputs.push_back(OutputFor(v.option, v.text, v.command));
     }},
    {"--heightmap", pictures, Argument::Text, 0, 0,
     [](Options& o, const Value& v) {
         o.heightmaps.push_back(OutputFor(v.option, v.text, v.command));
     }},
    {"--json", infoOnly, Argument::None, 0, 0, [](Options& o, const Value&) { o.json = true; }},
    {"--smooth", everyCommand, Argument::Integer, 0, maxSmoothRadius,
     [](Options& o, const Value& v) { o.stages.smoothRadius = v.integer; }},
    {"--shade", pictures, Argument::None, 0, 0, [](Options& o, const Value&) { o.shade = true; }},
    {"--edge", pictures, Argument::Text, 0, 0, &SetEdge},
    {"--engine", pictures, Argument::Text, 0, 0, &SetEngine},
    {"--height-range-m", pictures, Argument::Text, 0, 0, &SetHeightRange},
    {"--tiles", pictures, Argument::Text, 0, 0, &SetTiles},
    {"--recipe", generateOnly, Argument::Text, 0, 0, &SetRecipe},
};

const OptionRule* RuleFor(Command c, std::string_view option) {
    for (const OptionRule& rule : optionRules)
        if (rule.name == option && (rule.commands & (1u << int(c))) != 0)
            return &rule;
    return nullptr;
}

void Apply(const OptionRule& rule, Options& o, std::string_view option, const std::string& text) {
    Value v{option, text, o.command};
    if (rule.argument == Argument::Integer)
        v.integer = IntegerIn(option, text, rule.low, rule.high);
    if (rule.argument == Argument::Fraction)
        v.fraction = FractionIn(option, text);
    rule.set(o, v);
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
}

// What holds only for the whole line: an input or outputs, points on the grid.
void CheckComplete(const Options& o, bool inputSeen) {
    const std::string name(CommandName(o.command));
    if (o.command != Command::Generate && !inputSeen)
        throw Failure{name + ": no input file given; see glenvar-cli " + name + " --help"};
    if (o.command == Command::Generate && o.outputs.empty())
        throw Failure{"generate: no output given; add -o FILE (.ld, .dat or .png)"};
    if (o.command == Command::Render && o.outputs.empty())
        throw Failure{"render: no output given; add -o FILE.png"};
    for (const Point& p : o.points) {
        // Points off the grid would push the generator's wrapped arithmetic out of range.
        if (p.x < 0 || p.x >= o.width || p.y < 0 || p.y >= o.height)
            throw Failure{"--point: expected X,Y with 0 <= X < " + std::to_string(o.width) +
                          " and 0 <= Y < " + std::to_string(o.height) + ", got " +
                          Quoted(std::to_string(p.x) + "," + std::to_string(p.y))};
    }
    RefuseRepeatedPaths(o);
}

Options ParseCommand(Command command, const std::vector<std::string>& args) {
    Options o;
    o.command = command;
    const std::string name(CommandName(command));
    bool inputSeen = false;

    for (size_t i = 1; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg.empty() || arg[0] != '-' || arg == "-") {
            if (command == Command::Generate || inputSeen)
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
        const OptionRule* rule = RuleFor(command, option);
        if (rule == nullptr)
            throw Failure{name + ": unknown option " + Quoted(option) + "; see glenvar-cli " +
                          name + " --help"};
        if (rule->argument == Argument::None && value)
            throw Failure{option + ": takes no value, got " + Quoted(*value)};
        if (rule->argument != Argument::None && !value) {
            if (i + 1 >= args.size())
                throw Failure{option + ": missing value"};
            value = args[++i];
        }
        Apply(*rule, o, option, value.value_or(std::string()));
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
    const std::optional<Command> named = CommandNamed(first);
    if (!named) {
        result.error = "unknown command " + Quoted(first) + "; see glenvar-cli --help";
        return result;
    }
    const Command command = *named;
    // Help wins over everything else on the line, malformed values included.
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            help.helpTopic = command;
            result.options = help;
            return result;
        }
    }
    try {
        result.options = ParseCommand(command, args);
    } catch (const Failure& f) {
        result.error = f.message;
    }
    return result;
}

std::vector<std::string_view> AcceptedExtensions(Command command, std::string_view option) {
    return ExtensionsOf(GroupsOf(command, option));
}

namespace {

// The stages and heightmap layout options generate and render share.
std::string StageAndLayoutHelp() {
    return "  --smooth R                  smooth the heights: three passes of a box blur of\n"
           "                              radius R, wrapping like the map, 0.." +
           std::to_string(maxSmoothRadius) +
           " (default 0,\n"
           "                              off); pictures, heightmaps and reports show the\n"
           "                              smoothed heights, .ld and .dat files keep the\n"
           "                              seed's map (they have no field for stages)\n"
           "  --shade                     pictures lit from the north-west at 45 degrees\n"
           "  --edge wrap|repeat          heightmaps as the wrapped grid (default), or one row\n"
           "                              and column larger, repeating the first: N x N cells\n"
           "                              give the (N+1) x (N+1) samples engines want\n"
           "  --engine unreal|unity|godot warn when the heightmaps' size or form is not one\n"
           "                              the engine recommends, and write its numbers (Z\n"
           "                              scale, sea level) into the sidecars\n"
           "  --height-range-m M          metres the altitudes 0..1 span, for the sidecars\n"
           "                              (default 1000)\n"
           "  --tiles KxL                 write each heightmap as K x L tiles NAME_x{i}_y{j},\n"
           "                              sharing their edge rows and columns\n"
           "  Every heightmap NAME gets a sidecar NAME.json (size, sample form, byte order,\n"
           "  altitude range, sea level, recipe); pictures and heightmaps carry the recipe\n"
           "  (the command that rebuilds them) in their metadata.\n";
}

}  // namespace

std::string UsageText(Command topic) {
    // The ranges come from the parser's own limits, so the text cannot promise others.
    static const std::string generate =
        "glenvar-cli generate [options] -o FILE [-o FILE ...]\n"
        "  Grows a terrain map and writes it; FILE by extension: .ld map file,\n"
        "  .dat raw data file, .png picture (one pixel per cell).\n"
        "  --seed N                    seed, 0.." +
        SeedMax() +
        " (default 0)\n"
        "  --width N, --height N       grid size, " +
        Range(limits::minSize, limits::maxCliSize) +
        " (default 1280, 1024;\n"
        "                              the desktop dialog's largest is " +
        std::to_string(limits::maxSize) +
        "); the memory\n"
        "                              the map needs is checked before any work starts\n"
        "  --unit-amount N             largest disc diameter, " +
        Range(limits::minUnitAmount, limits::maxUnitAmount) +
        " (default 150)\n"
        "  --process-amount X          stamps per cell, 0 < X <= " +
        limits::maxProcessAmountText +
        ", the\n"
        "                              dialog's largest (default 0.009999999776482582)\n"
        "  --concentration-rate X      share of stamps pulled, 0..1 (default 0.20000000298023224)\n"
        "  --concentration-amount X    how far they are pulled, 0..1 (default 0.4000000059604645)\n"
        "  --points N                  concentration points placed at random, " +
        Range(limits::minPoints, limits::maxPoints) +
        " (default 4)\n"
        "  --point X,Y                 place a concentration point by hand (repeatable, in order)\n"
        "  --keep-random-state         do not seed: draw on from the source's state, which\n"
        "                              is 0 for the first generation of a process\n"
        "  --water-level X             water level stored in the map and used for pictures,\n"
        "                              0..1 (default 0.5)\n"
        "  --threads N                 1 or 2 (default 1)\n"
        "  --stencils FILE             disc stencil cache (default " +
        std::string(stencilCacheFile) +
        "; built when\n"
        "                              missing or unusable)\n"
        "  --regions                   pictures show regions and concentration points\n"
        "  --heightmap FILE            also write the altitudes, one sample per cell, rows\n"
        "                              from the top (repeatable); the form by extension:\n"
        "                              .png 16-bit greyscale PNG, altitude x 65535 rounded\n"
        "                              to nearest; .r16 the same samples as raw\n"
        "                              little-endian 16-bit words, no header; .tif 32-bit\n"
        "                              floating-point greyscale TIFF of the altitudes (0..1);\n"
        "                              .exr the same floats as a one-channel OpenEXR file\n" +
        StageAndLayoutHelp() +
        "  --recipe FILE               take the seed, every parameter and every stage from\n"
        "                              the recipe in FILE (a picture or heightmap this tool\n"
        "                              wrote, or its sidecar); options after it override\n"
        "                              the recipe's, --point adds to its points\n";
    static const std::string render =
        "glenvar-cli render IN -o OUT.png [options]\n"
        "  Draws a map file or raw data file as a picture.\n"
        "  --regions                   show regions and concentration points\n"
        "  --water-level X             water level for the picture, 0..1 (default: the map's)\n"
        "  --threads N                 1 or 2 (default 1)\n"
        "  --heightmap FILE            also write the altitudes (.png, .r16, .tif or .exr, as\n"
        "                              for generate; repeatable)\n" +
        StageAndLayoutHelp();
    static const std::string info =
        "glenvar-cli info IN [--json]\n"
        "  Prints the land statistics of a map file or raw data file.\n"
        "  --json                      print them with the map's parameters as one JSON\n"
        "                              object instead\n"
        "  --smooth R                  the statistics of the smoothed heights (see generate)\n";
    switch (topic) {
    case Command::Generate:
        return "Usage: " + generate;
    case Command::Render:
        return "Usage: " + render;
    case Command::Info:
        return "Usage: " + info;
    case Command::Help:
        break;
    }
    return "Usage:\n" + generate + "\n" + render + "\n" + info +
           "\nglenvar-cli --help, glenvar-cli COMMAND --help\n"
           "Exit status: 0 done, 1 a file could not be read or written, 2 bad arguments.\n";
}

}  // namespace cli

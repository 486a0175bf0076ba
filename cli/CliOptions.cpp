#include "cli/CliOptions.h"

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

std::string Quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// Whole text as a decimal integer: no sign other than '-', no blanks, no junk.
template <class T>
std::optional<T> ToInteger(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// Whole text as a finite decimal number; from_chars reads it exactly, so the
// defaults written out in full give back their exact bit patterns.
std::optional<double> ToNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                              std::chars_format::general);
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

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Extension(const std::string& path) {
    return Lower(std::filesystem::path(path).extension().string());
}

Output OutputFor(std::string_view option, const std::string& path, bool pngOnly) {
    const std::string ext = Extension(path);
    if (ext == ".png") return {path, OutputKind::Png};
    if (!pngOnly && ext == ".ld") return {path, OutputKind::Map};
    if (!pngOnly && ext == ".dat") return {path, OutputKind::Raw};
    throw Failure{std::string(option) + ": FILE must end in " +
                  (pngOnly ? std::string(".png") : std::string(".ld, .dat or .png")) + ", got " +
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
        if (w.command == c) return w.name;
    return "glenvar-cli";
}

std::optional<Command> CommandNamed(std::string_view name) {
    for (const CommandWord& w : commandWords)
        if (w.name == name) return w.command;
    return std::nullopt;
}

std::string SeedMax() { return std::to_string(std::numeric_limits<uint64_t>::max()); }

std::string Range(int32_t low, int32_t high) {
    return std::to_string(low) + ".." + std::to_string(high);
}

// Which options each command takes; anything else is unknown to it.
bool Accepts(Command c, std::string_view option) {
    static constexpr std::string_view generateOnly[] = {
        "--seed",   "--width",  "--height",             "--unit-amount", "--process-amount",
        "--concentration-rate", "--concentration-amount", "--points",    "--point",
        "--keep-random-state",  "--stencils"};
    static constexpr std::string_view pictures[] = {"--water-level", "--threads", "--regions", "-o",
                                                    "--heightmap"};
    if (c == Command::Info) return false;
    if (std::find(std::begin(pictures), std::end(pictures), option) != std::end(pictures))
        return true;
    return c == Command::Generate &&
           std::find(std::begin(generateOnly), std::end(generateOnly), option) !=
               std::end(generateOnly);
}

bool TakesValue(std::string_view option) {
    return option != "--keep-random-state" && option != "--regions";
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
    for (const Output& out : o.outputs) check("-o", out.path);
    for (const std::string& path : o.heightmaps) check("--heightmap", path);
}

Options ParseCommand(Command command, const std::vector<std::string>& args) {
    Options o;
    o.command = command;
    const std::string name(CommandName(command));
    bool inputSeen = false;

    for (size_t i = 1; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::string option(arg);
        std::optional<std::string> value;
        if (arg.size() > 2 && arg.substr(0, 2) == "--") {
            const auto eq = arg.find('=');
            if (eq != std::string_view::npos) {
                option = std::string(arg.substr(0, eq));
                value = std::string(arg.substr(eq + 1));
            }
        }

        if (arg.empty() || arg[0] != '-' || arg == "-") {
            if (command == Command::Generate || inputSeen)
                throw Failure{name + ": unexpected argument " + Quoted(arg) + "; see glenvar-cli " +
                              name + " --help"};
            o.input = std::string(arg);
            inputSeen = true;
            continue;
        }
        if (!Accepts(command, option))
            throw Failure{name + ": unknown option " + Quoted(option) + "; see glenvar-cli " + name +
                          " --help"};
        if (!TakesValue(option)) {
            if (value) throw Failure{option + ": takes no value, got " + Quoted(*value)};
            if (option == "--regions") o.regions = true;
            else o.keepRandomState = true;
            continue;
        }
        if (!value) {
            if (i + 1 >= args.size()) throw Failure{option + ": missing value"};
            value = args[++i];
        }
        const std::string& v = *value;

        if (option == "--seed") {
            const auto seed = ToInteger<uint64_t>(v);
            if (!seed)
                throw Failure{"--seed: expected an integer from 0 to " + SeedMax() + ", got " +
                              Quoted(v)};
            o.seed = *seed;
        } else if (option == "--width") {
            o.width = IntegerIn(option, v, limits::minSize, limits::maxSize);
        } else if (option == "--height") {
            o.height = IntegerIn(option, v, limits::minSize, limits::maxSize);
        } else if (option == "--unit-amount") {
            o.unitAmount = IntegerIn(option, v, limits::minUnitAmount, limits::maxUnitAmount);
        } else if (option == "--points") {
            o.pointCount = IntegerIn(option, v, limits::minPoints, limits::maxPoints);
        } else if (option == "--process-amount") {
            const auto x = ToNumber(v);
            if (!x || !(*x > 0.0 && *x <= limits::maxProcessAmount))
                throw Failure{std::string("--process-amount: expected a number greater than 0 and at most ") +
                              limits::maxProcessAmountText + ", got " + Quoted(v)};
            o.processAmount = *x;
        } else if (option == "--concentration-rate") {
            o.concentrationRate = FractionIn(option, v);
        } else if (option == "--concentration-amount") {
            o.concentrationAmount = FractionIn(option, v);
        } else if (option == "--water-level") {
            o.waterLevel = FractionIn(option, v);
        } else if (option == "--point") {
            o.points.push_back(PointFrom(v));
        } else if (option == "--threads") {
            o.threads = IntegerIn(option, v, 1, 2);
        } else if (option == "--stencils") {
            if (v.empty()) throw Failure{"--stencils: expected a file name, got \"\""};
            o.stencils = v;
        } else if (option == "-o") {
            o.outputs.push_back(OutputFor(option, v, command != Command::Generate));
        } else if (option == "--heightmap") {
            OutputFor(option, v, true);
            o.heightmaps.push_back(v);
        }
    }

    if (command != Command::Generate && !inputSeen)
        throw Failure{name + ": no input file given; see glenvar-cli " + name + " --help"};
    if (command == Command::Generate && o.outputs.empty())
        throw Failure{"generate: no output given; add -o FILE (.ld, .dat or .png)"};
    if (command == Command::Render && o.outputs.empty())
        throw Failure{"render: no output given; add -o FILE.png"};
    for (const Point& p : o.points) {
        // Points off the grid would push the generator's wrapped arithmetic out of range.
        if (p.x < 0 || p.x >= o.width || p.y < 0 || p.y >= o.height)
            throw Failure{"--point: expected X,Y with 0 <= X < " + std::to_string(o.width) +
                          " and 0 <= Y < " + std::to_string(o.height) + ", got " +
                          Quoted(std::to_string(p.x) + "," + std::to_string(p.y))};
    }
    RefuseRepeatedPaths(o);
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

std::string UsageText(Command topic) {
    // The ranges come from the parser's own limits, so the text cannot promise others.
    static const std::string generate =
        "glenvar-cli generate [options] -o FILE [-o FILE ...]\n"
        "  Grows a terrain map and writes it; FILE by extension: .ld map file,\n"
        "  .dat raw data file, .png picture (one pixel per cell).\n"
        "  --seed N                    seed, 0.." + SeedMax() + " (default 0)\n"
        "  --width N, --height N       grid size, " + Range(limits::minSize, limits::maxSize) +
        " (default 1280, 1024)\n"
        "  --unit-amount N             largest disc diameter, " +
        Range(limits::minUnitAmount, limits::maxUnitAmount) + " (default 150)\n"
        "  --process-amount X          stamps per cell, 0 < X <= " + limits::maxProcessAmountText +
        ", the\n"
        "                              dialog's largest (default 0.009999999776482582)\n"
        "  --concentration-rate X      share of stamps pulled, 0..1 (default 0.20000000298023224)\n"
        "  --concentration-amount X    how far they are pulled, 0..1 (default 0.4000000059604645)\n"
        "  --points N                  concentration points placed at random, " +
        Range(limits::minPoints, limits::maxPoints) + " (default 4)\n"
        "  --point X,Y                 place a concentration point by hand (repeatable, in order)\n"
        "  --keep-random-state         do not seed: draw on from the source's state, which\n"
        "                              is 0 for the first generation of a process\n"
        "  --water-level X             water level stored in the map and used for pictures,\n"
        "                              0..1 (default 0.5)\n"
        "  --threads N                 1 or 2 (default 1)\n"
        "  --stencils FILE             disc stencil cache (default makeland.bin; built when\n"
        "                              missing or unusable)\n"
        "  --regions                   pictures show regions and concentration points\n"
        "  --heightmap FILE.png        also write the altitudes as a 16-bit greyscale PNG\n"
        "                              (altitude x 65535, rounded to nearest)\n";
    static const std::string render =
        "glenvar-cli render IN -o OUT.png [options]\n"
        "  Draws a map file or raw data file as a picture.\n"
        "  --regions                   show regions and concentration points\n"
        "  --water-level X             water level for the picture, 0..1 (default: the map's)\n"
        "  --threads N                 1 or 2 (default 1)\n"
        "  --heightmap FILE.png        also write the altitudes as a 16-bit greyscale PNG\n";
    static const std::string info =
        "glenvar-cli info IN\n"
        "  Prints the land statistics of a map file or raw data file.\n";
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

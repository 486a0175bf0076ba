// The glenvar-cli command line over arbitrary arguments (the input split at
// NUL bytes). A line is either refused with a message or gives options that
// the commands can run on without further checks.

#include "FuzzCheck.h"
#include "cli/CliOptions.h"
#include "core/ParameterLimits.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace cli;

std::string Lower(std::string s) {
    for (char& c : s)
        c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    return s;
}

bool Fraction(double v) {
    return std::isfinite(v) && v >= 0.0 && v <= 1.0;
}

void CheckOptions(const Options& o) {
    if (o.command == Command::Help || o.command == Command::Version)
        return;
    FUZZ_CHECK(o.threads == 1 || o.threads == 2);
    const GEO_MakeLand& t = o.terrain;
    FUZZ_CHECK(Fraction(t.waterLevel));
    for (const Output& out : o.outputs) {
        const std::string ext = Lower(std::filesystem::path(out.path).extension().string());
        const FileForm& form = FormOf(out.kind);
        FUZZ_CHECK(ext == form.extension && form.group != FormGroup::Heightmap);
        FUZZ_CHECK(o.command == Command::Generate || form.group == FormGroup::Picture);
    }
    for (const cli::Heightmap& map : o.heightmaps) {
        const std::string ext = Lower(std::filesystem::path(map.path).extension().string());
        FUZZ_CHECK(ext == FormOf(map.kind).extension &&
                   FormOf(map.kind).group == FormGroup::Heightmap);
    }
    FUZZ_CHECK(!o.json || o.command == Command::Info);
    // The climate within what its model is made for; masks name an engine and a prefix.
    FUZZ_CHECK(o.climate.south >= -90 && o.climate.south <= o.climate.north &&
               o.climate.north <= 90);
    FUZZ_CHECK(o.climate.lapseRate >= 0 && o.climate.lapseRate <= 15);
    FUZZ_CHECK(o.climate.wind >= WindFrom::Bands && o.climate.wind <= WindFrom::NW);
    for (const MaskRequest& masks : o.masks)
        FUZZ_CHECK(!masks.prefix.empty() && o.command != Command::Info);

    if (o.command != Command::Generate) {
        FUZZ_CHECK(o.command == Command::Info || !o.outputs.empty() || !o.heightmaps.empty() ||
                   !o.layers.empty() || !o.masks.empty());
        return;
    }
    // Within what the generator accepts and the dialog offers (sizes: the tool's own).
    FUZZ_CHECK(!o.outputs.empty() || !o.heightmaps.empty() || !o.layers.empty() ||
               !o.masks.empty());
    FUZZ_CHECK(size_t(o.terrain.concentrationPoints.GetSize()) <= limits::maxHandPoints);
    FUZZ_CHECK(t.width >= limits::minSize && t.width <= limits::maxCliSize);
    FUZZ_CHECK(t.height >= limits::minSize && t.height <= limits::maxCliSize);
    FUZZ_CHECK(t.unitAmount >= limits::minUnitAmount && t.unitAmount <= limits::maxUnitAmount);
    FUZZ_CHECK(t.concentrationPointCount >= limits::minPoints &&
               t.concentrationPointCount <= limits::maxPoints);
    FUZZ_CHECK(std::isfinite(t.processAmount) && t.processAmount > 0 &&
               t.processAmount <= limits::maxProcessAmount);
    FUZZ_CHECK(Fraction(t.concentrationRate) && Fraction(t.concentrationAmount));
    for (const Point& p : t.concentrationPoints)
        FUZZ_CHECK(p.x >= 0 && p.x < t.width && p.y >= 0 && p.y < t.height);
    FUZZ_CHECK(t.manualPlacement == (t.concentrationPoints.GetSize() > 0 ? 1 : 0));
    FUZZ_CHECK(!o.stencils.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (size > 0)
        args.push_back(current);

    const ParseResult result = Parse(args);
    FUZZ_CHECK(result.options.has_value() != !result.error.empty());
    if (result.options) {
        CheckOptions(*result.options);
        FUZZ_CHECK(!UsageText(result.options->helpTopic).empty());
    }
    return 0;
}

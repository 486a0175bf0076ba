// The glenvar-cli command line over arbitrary arguments (the input split at
// NUL bytes). A line is either refused with a message or gives options that
// the commands can run on without further checks.

#include "FuzzCheck.h"
#include "cli/CliOptions.h"

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
    if (o.command == Command::Help)
        return;
    FUZZ_CHECK(o.threads == 1 || o.threads == 2);
    if (o.waterLevel)
        FUZZ_CHECK(Fraction(*o.waterLevel));
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

    if (o.command != Command::Generate) {
        FUZZ_CHECK(o.command == Command::Info || !o.outputs.empty());
        return;
    }
    // Within what the generator accepts and the dialog offers (sizes: the tool's own).
    FUZZ_CHECK(!o.outputs.empty());
    FUZZ_CHECK(o.width >= limits::minSize && o.width <= limits::maxCliSize);
    FUZZ_CHECK(o.height >= limits::minSize && o.height <= limits::maxCliSize);
    FUZZ_CHECK(o.unitAmount >= limits::minUnitAmount && o.unitAmount <= limits::maxUnitAmount);
    FUZZ_CHECK(o.pointCount >= limits::minPoints && o.pointCount <= limits::maxPoints);
    FUZZ_CHECK(std::isfinite(o.processAmount) && o.processAmount > 0 &&
               o.processAmount <= limits::maxProcessAmount);
    FUZZ_CHECK(Fraction(o.concentrationRate) && Fraction(o.concentrationAmount));
    for (const Point& p : o.points)
        FUZZ_CHECK(p.x >= 0 && p.x < o.width && p.y >= 0 && p.y < o.height);
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

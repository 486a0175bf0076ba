// glenvar-cli: generates, renders and reports on terrain maps without a window.
// Exit status: 0 done, 1 a file could not be read or written, 2 bad arguments,
// 128 + N after signal N (SIGINT, SIGTERM, SIGHUP; see Signals.h).

#include "cli/CliOptions.h"
#include "cli/PipelineRequest.h"
#include "cli/ProgressBar.h"
#include "cli/RecipeArguments.h"
#include "cli/SameFile.h"
#include "cli/Signals.h"
#include "core/GEO_MakeLand.h"
#include "core/MapFile.h"
#include "data/FailureText.h"
#include "data/Failures.h"
#include "data/GEO_LandCircle.h"
#include "data/SaveTarget.h"
#include "export/HeightmapSet.h"
#include "export/RecipeFile.h"
#include "export/Sidecar.h"
#include "geo/GeoPackageFile.h"
#include "geo/GeoTiffFile.h"
#include "geo/HeightReader.h"
#include "mesh/MeshSet.h"
#include "pipeline/MapPipeline.h"
#include "pipeline/MemoryNeed.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using cli::Options;

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// A failure of our own (the model's failures carry the desktop program's texts).
class CliFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Arguments that the file system shows to be wrong: exit status 2, as for the parser's.
class UsageFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

void Report(cli::ProgressBar& bar, const std::string& line) {
    bar.Finish();
    std::fprintf(stderr, "%s\n", line.c_str());
}

// Every file the run writes, under the option that asks for it, a
// heightmap's tiles and sidecar included.
std::vector<cli::NamedFile> OutputFiles(const Options& o) {
    std::vector<cli::NamedFile> files;
    for (const cli::Output& out : o.outputs)
        files.push_back({"-o", out.path});
    for (const cli::Heightmap& map : o.heightmaps) {
        const std::vector<std::string> paths = HeightmapPaths(map.path, o.tileColumns, o.tileRows);
        for (size_t k = 0; k < paths.size(); ++k) {
            const bool sidecar = k + 1 == paths.size();
            files.push_back({paths[k] == map.path
                                 ? "--heightmap"
                                 : "--heightmap " + map.path + (sidecar ? "'s sidecar" : "'s tile"),
                             paths[k]});
        }
    }
    for (const cli::Layer& layer : o.layers) {
        files.push_back({"--layer", layer.path});
        if (!WaterLayer(::LayerKind(int(layer.kind))))
            files.push_back({"--layer " + layer.path + "'s sidecar", SidecarPath(layer.path)});
    }
    for (const MaskRequest& masks : o.masks)
        for (const std::string& path : MaskPaths(masks, {o.edge, o.tileColumns, o.tileRows}))
            files.push_back({"--masks", path});
    for (const cli::Output& mesh : o.meshes)
        for (const std::string& path :
             MeshPaths(FormOf(mesh.kind), mesh.path, o.tileColumns, o.tileRows))
            files.push_back(
                {path == mesh.path ? "--mesh" : "--mesh " + mesh.path + "'s part", path});
    for (const cli::Output& shapes : o.vectors)
        files.push_back({"--vectors", shapes.path});
    return files;
}

// No output may replace an input or another output, whatever names they go by.
void RefuseSameFiles(const Options& o, const std::vector<cli::NamedFile>& outputs) {
    std::vector<cli::NamedFile> files;
    if (!o.input.empty())
        files.push_back({"input", o.input});
    if (o.command == cli::Command::Generate)
        files.push_back({"--stencils", o.stencils});
    // A tiled heightmap's own name stays reserved, as a single file's is.
    if (o.tileColumns != 1 || o.tileRows != 1)
        for (const cli::Heightmap& map : o.heightmaps)
            files.push_back({"--heightmap", map.path});
    if (o.tileColumns != 1 || o.tileRows != 1)
        for (const cli::Output& mesh : o.meshes)
            files.push_back({"--mesh", mesh.path});
    files.insert(files.end(), outputs.begin(), outputs.end());
    if (const auto same = cli::FindSameFile(files))
        throw UsageFailure(
            same->second.option + " " + same->second.path + ": the same file as " +
            (same->first.option == "input" ? "the input " : same->first.option + " ") +
            same->first.path);
}

// Every name, before minutes of work and before anything is written: a
// name the file system would refuse at the end would otherwise leave
// the run's other outputs written for nothing.
void CheckOutputs(const Options& o) {
    const std::vector<cli::NamedFile> outputs = OutputFiles(o);
    for (const cli::NamedFile& file : outputs)
        if (const int problem = SaveTargetProblem(file.path); problem != 0)
            throw UsageFailure(file.option + " " + file.path + ": " +
                               (problem == EINVAL ? "not a regular file" : std::strerror(problem)));
    RefuseSameFiles(o, outputs);
}

MapFileKind LoadInput(GEO_MakeLand& terrain, const std::string& path) {
    MapFileKind kind = MapFileKind::None;
    try {
        kind = LoadMapFile(terrain, fs::path(path));
    } catch (const CommandFailure& failure) {
        // The archive knows no file name: the failures that come from it get this one.
        if (failure.kind() == FailureKind::EndOfFile || failure.kind() == FailureKind::Format)
            throw CliFailure(path + ": " + FailureText(failure));
        throw;
    }
    if (kind == MapFileKind::None)
        throw CliFailure(path + ": not a map file or raw data file");
    if (terrain.GetSize() == 0)
        throw CliFailure(path + ": the map holds no cells");
    return kind;
}

// The bar shows every step; a warning takes its own line.
PipelineProgress ProgressOf(cli::ProgressBar& bar) {
    PipelineProgress progress;
    progress.render = bar.Sink();
    progress.stages = bar.Stages();
    progress.step = [&bar](std::string_view step) { bar.Show(std::string(step), -1); };
    progress.warning = [&bar](const std::string& path, const std::string& warning) {
        Report(bar, "glenvar-cli: warning: " + path + ": " + warning);
    };
    return progress;
}

// The settings with --crs as the WKT GDAL makes of it, refused when unknown.
PipelineSettings SettingsOf(const Options& o) {
    PipelineSettings settings = cli::PipelineSettingsOf(o);
    if (!o.crs.empty())
        settings.crs = CrsWkt(o.crs, "--crs");
    return settings;
}

int RunGenerate(const Options& o, cli::ProgressBar& bar) {
    CheckOutputs(o);
    const PipelineSettings settings = SettingsOf(o);
    const PipelineOutputs outputs = cli::PipelineOutputsOf(o);
    if (!outputs.meshes.empty())
        if (const std::string mesh = MeshesRefusal(o.terrain.width, o.terrain.height, settings);
            !mesh.empty())
            throw UsageFailure(mesh);
    const std::string refusal =
        MemoryRefusal(o.terrain.width, o.terrain.height,
                      GenerationBytes(o.terrain, settings, outputs), AvailableBytes());
    if (!refusal.empty())
        throw CliFailure(refusal);
    // Before minutes of growing: the grid's size is known already.
    for (const MaskRequest& masks : o.masks)
        if (const std::string size = MaskRefusal(masks.engine, o.terrain.width, o.terrain.height,
                                                 {o.edge, o.tileColumns, o.tileRows});
            !size.empty())
            throw CliFailure(size);
    GEO_LandCircleArray circles;
    if (circles.LoadOrBuild(fs::path(o.stencils)) == GEO_LandCircleArray::CacheUse::NotACache)
        Report(bar, "glenvar-cli: warning: " + o.stencils +
                        ": not a stencil cache; left as it is, the table is used from memory");

    GEO_MakeLand parameters = o.terrain;
    parameters.twoThreads = o.threads == 2 ? 1 : 0;
    MapPipeline pipeline =
        MapPipeline::Generated(parameters, circles, nullptr, settings, bar.Sink());
    pipeline.Write(outputs, ProgressOf(bar));
    bar.Finish();
    return 0;
}

int RunRender(const Options& o, cli::ProgressBar& bar) {
    CheckOutputs(o);
    GEO_MakeLand terrain;
    const MapFileKind kind = LoadInput(terrain, o.input);
    for (const ParameterRow* given : o.given)
        given->Copy(o.terrain, terrain);
    terrain.twoThreads = o.threads == 2 ? 1 : 0;
    MapPipeline pipeline(std::move(terrain), kind, SettingsOf(o));
    pipeline.Write(cli::PipelineOutputsOf(o), ProgressOf(bar));
    bar.Finish();
    return 0;
}

// The heights of shape's input: a map file as render loads it, anything else
// through the importers, checked for memory before its cells are read.
MapPipeline ShapedInput(const Options& o) {
    const PipelineSettings settings = SettingsOf(o);
    if (IsMapFilePath(o.input)) {
        GEO_MakeLand terrain;
        const MapFileKind kind = LoadInput(terrain, o.input);
        for (const ParameterRow* given : o.given)
            given->Copy(o.terrain, terrain);
        return MapPipeline(std::move(terrain), kind, settings);
    }
    const PipelineOutputs outputs = cli::PipelineOutputsOf(o);
    HeightReadOptions read;
    read.rawWidth = o.rawWidth;
    read.rawHeight = o.rawHeight;
    read.checkSize = [&](int32_t w, int32_t h) {
        const std::string refusal =
            MemoryRefusal(w, h, ImportBytes(w, h, settings, outputs), AvailableBytes());
        if (!refusal.empty())
            throw CliFailure(o.input + ": " + refusal);
    };
    ImportedHeights heights = ReadHeights(o.input, read);
    const bool levelGiven = !o.given.empty();  // --water-level is shape's only parameter
    std::optional<double> level = o.waterLevelUnits;
    if (heights.units == HeightUnits::Unitless)
        level = levelGiven ? std::optional<double>(o.terrain.waterLevel) : std::nullopt;
    return MapPipeline::Imported(std::move(heights), level, settings);
}

int RunShape(const Options& o, cli::ProgressBar& bar) {
    CheckOutputs(o);
    MapPipeline pipeline = ShapedInput(o);
    pipeline.Write(cli::PipelineOutputsOf(o), ProgressOf(bar));
    bar.Finish();
    return 0;
}

int RunInfo(const Options& o, cli::ProgressBar& bar) {
    MapPipeline pipeline = ShapedInput(o);
    std::string text =
        o.json ? pipeline.InfoJsonText(bar.Stages()) : pipeline.LandReportText(bar.Stages());
    bar.Finish();
    std::string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        lines += text[i];
    }
    if (std::fputs(lines.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
        throw CliFailure(std::string("the report could not be written: ") + std::strerror(errno));
    return 0;
}

int Run(const Options& o, cli::ProgressBar& bar) {
    switch (o.command) {
    case cli::Command::Help:
        std::fputs(cli::UsageText(o.helpTopic).c_str(), stdout);
        return 0;
    case cli::Command::Version:
        std::fputs(cli::VersionText().c_str(), stdout);
        return 0;
    case cli::Command::Generate:
        return RunGenerate(o, bar);
    case cli::Command::Render:
        return RunRender(o, bar);
    case cli::Command::Info:
        return RunInfo(o, bar);
    case cli::Command::Shape:
        return RunShape(o, bar);
    }
    return exitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    cli::ParseResult parsed = cli::Parse(args);
    if (!parsed.options) {
        std::fprintf(stderr, "glenvar-cli: %s\n", parsed.error.c_str());
        return exitUsage;
    }
    cli::InstallSignalHandlers();
    UseGeoTiffs();
    UseGeoPackages();
    cli::ProgressBar bar;
    try {
        if (const std::string file = parsed.options->recipe; !file.empty()) {
            parsed = cli::Parse(cli::ArgumentsWithRecipe(args, RecipeSettingsOfFile(file)));
            if (!parsed.options) {
                std::fprintf(stderr, "glenvar-cli: %s: %s\n", file.c_str(), parsed.error.c_str());
                return exitUsage;
            }
        }
        return Run(*parsed.options, bar);
    } catch (const UsageFailure& failure) {
        Report(bar, std::string("glenvar-cli: ") + failure.what());
        return exitUsage;
    } catch (const CommandFailure& failure) {
        Report(bar, "glenvar-cli: " + FailureText(failure));
        // A refused recipe or setting is a bad argument, as a bad option is.
        if (failure.kind() == FailureKind::Recipe || failure.kind() == FailureKind::Setting)
            return exitUsage;
    } catch (const std::bad_alloc&) {
        Report(bar, "glenvar-cli: " + FailureText(MemoryFailure()));
    } catch (const std::exception& failure) {
        Report(bar, std::string("glenvar-cli: ") + failure.what());
    }
    return exitFailure;
}

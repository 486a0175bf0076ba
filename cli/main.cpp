// glenvar-cli: generates, renders and reports on terrain maps without a window.
// Exit status: 0 done, 1 a file could not be read or written, 2 bad arguments,
// 128 + N after signal N (SIGINT, SIGTERM, SIGHUP; see Signals.h).

#include "cli/CliOptions.h"
#include "cli/InfoJson.h"
#include "cli/MemoryNeed.h"
#include "cli/ProgressBar.h"
#include "cli/Recipe.h"
#include "cli/SameFile.h"
#include "cli/Signals.h"
#include "core/GEO_MakeLand.h"
#include "core/LandReport.h"
#include "core/MapFile.h"
#include "core/PointMarks.h"
#include "data/FailureText.h"
#include "data/Failures.h"
#include "data/GEO_LandCircle.h"
#include "data/OutputBatch.h"
#include "data/SaveTarget.h"
#include "export/HeightWindow.h"
#include "export/HeightmapFile.h"
#include "export/HeightmapSet.h"
#include "export/PngFile.h"
#include "export/RecipeFile.h"
#include "export/SaveForm.h"
#include "landform/AltitudeGrid.h"
#include "landform/LandformStages.h"
#include "landform/ReliefShading.h"
#include "landform/WaterOverlay.h"
#include "landform/Waters.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
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
    for (const cli::Layer& layer : o.layers)
        files.push_back({"--layer", layer.path});
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

// The grid's own size, as the renderer uses it.
GEO_MakeLand::GridSize ConsistentGridSize(const GEO_MakeLand& terrain) {
    const GEO_MakeLand::GridSize size = terrain.CellGridSize();
    if (!size.formsGrid)
        throw CliFailure("the map's cells do not form a grid of its size");
    return size;
}

// The shaped altitudes, and where their water goes when rivers or layers
// are asked for.
struct Shaped {
    AltitudeGrid grid;
    std::optional<FlowGraph> flow;
    std::vector<uint8_t> lakes, rivers;
};

bool WantsDrainage(const Options& o) {
    return o.riverThreshold > 0 || !o.layers.empty();
}

// With stages, the terrain's altitudes become the shaped ones once the map
// files are written, so that the pictures, heightmaps and reports below show
// them while every map file holds the seed's map. The shaped grid is kept for
// relief shading and the drainage.
std::optional<Shaped> ShapeAltitudes(GEO_MakeLand& terrain, const Options& o,
                                     const StageSink& progress) {
    if (!o.stages.Active() && !o.shade && !WantsDrainage(o))
        return std::nullopt;
    Shaped shaped{AltitudesOf(terrain), std::nullopt, {}, {}};
    RunStages(shaped.grid, o.stages, terrain.waterLevel, o.threads == 2, progress);
    if (o.stages.Active())
        ApplyAltitudes(terrain, shaped.grid);
    if (!o.shade && !WantsDrainage(o))
        return std::nullopt;  // the terrain holds all the outputs need
    if (WantsDrainage(o)) {
        const AltitudeGrid& g = shaped.grid;
        shaped.flow = FlowGraph::Drained(g.width, g.height, g.altitudes, terrain.waterLevel,
                                         o.threads == 2, progress);
        shaped.lakes = LakeMask(g.altitudes, *shaped.flow);
        if (o.riverThreshold > 0)
            shaped.rivers = RiverMask(g.altitudes, *shaped.flow, shaped.lakes, terrain.waterLevel,
                                      o.riverThreshold);
        else
            shaped.rivers.assign(g.altitudes.size(), 0);
    }
    return shaped;
}

HeightmapLayout LayoutOf(const Options& o, const std::string& recipe) {
    HeightmapLayout layout;
    layout.edge = o.edge;
    layout.tileColumns = o.tileColumns;
    layout.tileRows = o.tileRows;
    layout.engine = o.engine;
    layout.heightRangeMetres = o.heightRangeMetres;
    layout.recipe = recipe;
    return layout;
}

// The picture, rendered and encoded once however many files take it.
std::vector<unsigned char> EncodedPicture(GEO_MakeLand& terrain, const Options& o,
                                          const std::optional<Shaped>& shaped,
                                          const std::string& recipe, cli::ProgressBar& bar) {
    const GEO_MakeLand::GridSize size = ConsistentGridSize(terrain);
    Picture picture(size.width, size.height);
    terrain.Render(picture, o.regions, bar.Sink());
    if (shaped && o.shade)
        ShadeRelief(picture, shaped->grid, terrain.waterLevel);
    if (shaped && o.riverThreshold > 0)
        DrawWaters(picture, shaped->grid.altitudes, *shaped->flow, shaped->lakes, shaped->rivers,
                   terrain.waterLevel, o.riverThreshold);
    if (o.regions)
        DrawPointMarks(picture, terrain.concentrationPoints);
    bar.Show("encoding", -1);
    return EncodePicturePng(picture, recipe);
}

void AddHeightmaps(OutputBatch& batch, const GEO_MakeLand& terrain, const Options& o,
                   const HeightmapLayout& layout, cli::ProgressBar& bar) {
    for (const cli::Heightmap& map : o.heightmaps) {
        for (const std::string& warning : EngineWarnings(FormOf(map.kind), terrain, layout))
            Report(bar, "glenvar-cli: warning: " + map.path + ": " + warning);
        bar.Show("heightmap", -1);
        for (const HeightmapPart& part :
             HeightmapParts(FormOf(map.kind), terrain, layout, map.path))
            batch.Add(part.path, part.write);
    }
}

// A mask as a black and white picture, one pixel per cell.
std::vector<unsigned char> EncodedMask(const AltitudeGrid& grid, const std::vector<uint8_t>& mask,
                                       const std::string& recipe) {
    Picture picture(grid.width, grid.height);
    for (size_t i = 0; i < mask.size(); ++i)
        picture.pixels[i] = mask[i] ? 0xFFFFFFFFu : 0xFF000000u;
    return EncodePicturePng(picture, recipe);
}

// The drained areas as 32-bit floats, through the heightmap TIFF writer.
std::vector<unsigned char> EncodedFlow(const AltitudeGrid& grid, const FlowGraph& flow,
                                       const std::string& recipe) {
    AltitudeGrid area(grid.width, grid.height);
    for (size_t i = 0; i < flow.Area().size(); ++i)
        area.altitudes[i] = double(flow.Area()[i]);
    return EncodeHeightmapTiff(HeightWindow::OfGrid(area), recipe);
}

void AddLayers(OutputBatch& batch, const Shaped& shaped, const Options& o,
               const std::string& recipe, cli::ProgressBar& bar) {
    for (const cli::Layer& layer : o.layers) {
        bar.Show("layer", -1);
        const std::vector<unsigned char> bytes =
            layer.kind == cli::LayerKind::Flow
                ? EncodedFlow(shaped.grid, *shaped.flow, recipe)
                : EncodedMask(shaped.grid,
                              layer.kind == cli::LayerKind::Lakes ? shaped.lakes : shaped.rivers,
                              recipe);
        batch.Add(layer.path,
                  [&bytes](Archive& archive) { archive.Write(bytes.data(), bytes.size()); });
    }
}

void WritePictures(GEO_MakeLand& terrain, const Options& o, const std::string& recipe,
                   cli::ProgressBar& bar) {
    const HeightmapLayout layout = LayoutOf(o, recipe);
    if (!o.heightmaps.empty()) {
        const std::string refusal = LayoutRefusal(terrain, layout);
        if (!refusal.empty())
            throw CommandFailure(refusal, FailureKind::Layout);
    }
    OutputBatch batch;
    // The batch writes each file as it is added: the map files take the seed's map.
    const auto isMapFile = [](const cli::Output& out) {
        return FormOf(out.kind).group == FormGroup::MapFile;
    };
    for (const cli::Output& out : o.outputs) {
        if (!isMapFile(out))
            continue;
        bar.Show("saving", -1);
        batch.Add(out.path, [&terrain, &out](Archive& archive) {
            WriteForm(FormOf(out.kind), {terrain}, archive);
        });
    }
    const std::optional<Shaped> shaped = ShapeAltitudes(terrain, o, bar.Stages());
    std::optional<std::vector<unsigned char>> png;
    for (const cli::Output& out : o.outputs) {
        if (isMapFile(out))
            continue;
        if (!png)
            png = EncodedPicture(terrain, o, shaped, recipe, bar);
        bar.Show("saving", -1);
        batch.Add(out.path, [&png](Archive& archive) { archive.Write(png->data(), png->size()); });
    }
    AddHeightmaps(batch, terrain, o, layout, bar);
    if (shaped)
        AddLayers(batch, *shaped, o, recipe, bar);
    batch.CommitAll();
    bar.Finish();
}

int RunGenerate(const Options& o, cli::ProgressBar& bar) {
    CheckOutputs(o);
    const std::string refusal = cli::MemoryRefusal(o.terrain.width, o.terrain.height,
                                                   cli::GenerationBytes(o), cli::AvailableBytes());
    if (!refusal.empty())
        throw CliFailure(refusal);
    GEO_LandCircleArray circles;
    if (circles.LoadOrBuild(fs::path(o.stencils)) == GEO_LandCircleArray::CacheUse::NotACache)
        Report(bar, "glenvar-cli: warning: " + o.stencils +
                        ": not a stencil cache; left as it is, the table is used from memory");

    GEO_MakeLand terrain = o.terrain;
    terrain.twoThreads = o.threads == 2 ? 1 : 0;

    terrain.Generate(circles, nullptr, bar.Sink());
    WritePictures(terrain, o, cli::RecipeOf(terrain, true, o), bar);
    return 0;
}

int RunRender(const Options& o, cli::ProgressBar& bar) {
    CheckOutputs(o);
    GEO_MakeLand terrain;
    const MapFileKind kind = LoadInput(terrain, o.input);
    for (const ParameterRow* given : o.given)
        given->Copy(o.terrain, terrain);
    terrain.twoThreads = o.threads == 2 ? 1 : 0;
    WritePictures(terrain, o, cli::RecipeOf(terrain, kind == MapFileKind::Map, o), bar);
    return 0;
}

int RunInfo(const Options& o, cli::ProgressBar& bar) {
    GEO_MakeLand terrain;
    const MapFileKind kind = LoadInput(terrain, o.input);
    const std::optional<Shaped> shaped = ShapeAltitudes(terrain, o, bar.Stages());
    bar.Finish();
    std::optional<WaterFigures> waters;
    if (shaped && shaped->flow)
        waters = CountWaters(shaped->grid.width, shaped->grid.height, shaped->grid.altitudes,
                             *shaped->flow, shaped->lakes, shaped->rivers, terrain.waterLevel);
    std::string text =
        o.json ? cli::InfoJson(
                     terrain, kind,
                     CountLand(terrain.GetData(), size_t(terrain.GetSize()), terrain.waterLevel),
                     waters ? &*waters : nullptr, o.riverThreshold)
               : BuildLandReport(terrain.GetData(), size_t(terrain.GetSize()), terrain.waterLevel);
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

#include "python/PythonMap.h"

#include "cli/FailureText.h"
#include "cli/InfoJson.h"
#include "cli/MemoryNeed.h"
#include "cli/Recipe.h"
#include "core/LandReport.h"
#include "core/NUM_Random.h"
#include "core/PointMarks.h"
#include "data/Failures.h"
#include "data/GEO_LandCircle.h"
#include "export/HeightmapSet.h"
#include "export/PngFile.h"
#include "export/SaveForm.h"
#include "landform/ReliefShading.h"
#include "landform/WaterOverlay.h"
#include "landform/Waters.h"
#include "python/GenerationArguments.h"

namespace glenvar_python {

namespace {

// Built once per process and only read afterwards, so threads share it. Our
// own rasterization: the maps are those of glenvar-cli with its own cache.
const GEO_LandCircleArray& Stencils() {
    static const GEO_LandCircleArray table = GEO_LandCircleArray::Built();
    return table;
}

// Keeping the random state draws on from one source for the whole process,
// as the command line's does; those generations take turns.
std::mutex sharedRandomLock;
NUM_AdvancedRandom sharedRandom;

}  // namespace

std::unique_ptr<PythonMap> PythonMap::Generate(const cli::Options& o,
                                               const ProgressSink& progress) {
    const std::string refusal = cli::MemoryRefusal(o.terrain.width, o.terrain.height,
                                                   cli::GenerationBytes(o), cli::AvailableBytes());
    if (!refusal.empty())
        throw MemoryShortage(refusal);
    auto map = std::make_unique<PythonMap>();
    GEO_MakeLand& terrain = map->terrain_;
    terrain = o.terrain;
    terrain.twoThreads = o.threads == 2 ? 1 : 0;

    const GEO_LandCircleArray& stencils = Stencils();
    if (terrain.keepRandomState) {
        std::lock_guard<std::mutex> turn(sharedRandomLock);
        terrain.Generate(stencils, &sharedRandom, progress);
    } else {
        NUM_AdvancedRandom source;  // seeded by Generate
        terrain.Generate(stencils, &source, progress);
    }
    return map;
}

std::unique_ptr<PythonMap> PythonMap::Load(const std::filesystem::path& path) {
    auto map = std::make_unique<PythonMap>();
    try {
        map->kind_ = LoadMapFile(map->terrain_, path);
    } catch (const CommandFailure& failure) {
        // As glenvar-cli says it: the archive's failures know no file name.
        if (failure.kind() == FailureKind::EndOfFile || failure.kind() == FailureKind::Format)
            throw ArgumentError(path.string() + ": " + cli::FailureText(failure));
        throw;
    }
    if (map->kind_ == MapFileKind::None)
        throw ArgumentError(path.string() + ": not a map file or raw data file");
    if (map->terrain_.GetSize() == 0)
        throw ArgumentError(path.string() + ": the map holds no cells");
    map->fromParameters_ = map->kind_ == MapFileKind::Map;
    return map;
}

std::unique_ptr<PythonMap> PythonMap::Staged(const LandformStages& added,
                                             const StageSink& progress) {
    auto next = std::make_unique<PythonMap>();
    std::lock_guard<std::mutex> hold(lock_);
    next->terrain_ = terrain_;
    next->kind_ = kind_;
    next->fromParameters_ = fromParameters_;
    // A recipe runs smoothing, erosion and talus once each and in that order;
    // a stage added again, or before one already run, has none.
    const LandformStages& had = stages_;
    const bool inOrder =
        (added.smoothRadius == 0 || !had.Active()) &&
        (added.erodeSteps == 0 || (had.erodeSteps == 0 && had.thermalSteps == 0)) &&
        (added.thermalSteps == 0 || had.thermalSteps == 0);
    next->stagesKnown_ = stagesKnown_ && inOrder;
    next->stages_ = Followed(had, added);
    AltitudeGrid grid = AltitudesOf(terrain_);
    RunStages(grid, added, terrain_.waterLevel, terrain_.twoThreads != 0, progress);
    ApplyAltitudes(next->terrain_, grid);
    return next;
}

const std::vector<double>& PythonMap::Heights() {
    std::lock_guard<std::mutex> hold(lock_);
    if (heights_.empty())
        heights_ = AltitudesOf(terrain_).altitudes;
    return heights_;
}

const std::vector<uint16_t>& PythonMap::Regions() {
    std::lock_guard<std::mutex> hold(lock_);
    if (regions_.empty() && terrain_.GetSize() > 0) {
        const LandCell* cells = terrain_.GetData();
        regions_.resize(size_t(terrain_.GetSize()));
        for (size_t i = 0; i < regions_.size(); ++i)
            regions_[i] = cells[i].region;
    }
    return regions_;
}

std::shared_ptr<const MapWaters> PythonMap::Waters() {
    std::lock_guard<std::mutex> hold(lock_);
    return waters_;
}

std::shared_ptr<const MapWaters> PythonMap::WatersLocked(uint32_t riverThreshold, bool ownLevel,
                                                         const StageSink& progress) {
    const double level = terrain_.waterLevel;
    if (waters_ && waters_->level == level && waters_->threshold == riverThreshold)
        return waters_;
    const AltitudeGrid grid = AltitudesOf(terrain_);
    auto w = std::make_shared<MapWaters>();
    w->level = level;
    w->threshold = riverThreshold;
    w->flow = FlowGraph::Drained(grid.width, grid.height, grid.altitudes, level,
                                 terrain_.twoThreads != 0, progress);
    w->lakes = LakeMask(grid.altitudes, w->flow);
    w->rivers = RiverMask(grid.altitudes, w->flow, w->lakes, level, riverThreshold);
    if (ownLevel)
        waters_ = w;
    return w;
}

Picture PythonMap::RenderLocked(bool regions, bool shade, uint32_t riverThreshold, bool ownLevel,
                                const StageSink& progress) {
    const GEO_MakeLand::GridSize size = Grid();
    Picture picture(size.width, size.height);
    terrain_.Render(picture, regions);
    if (shade || riverThreshold > 0) {
        const AltitudeGrid grid = AltitudesOf(terrain_);
        const double level = terrain_.waterLevel;
        if (shade)
            ShadeRelief(picture, grid, level);
        if (riverThreshold > 0) {
            const auto w = WatersLocked(riverThreshold, ownLevel, progress);
            DrawWaters(picture, grid.altitudes, w->flow, w->lakes, w->rivers, level,
                       riverThreshold);
        }
    }
    if (regions)
        DrawPointMarks(picture, terrain_.concentrationPoints);
    return picture;
}

Picture PythonMap::Render(std::optional<double> waterLevel, bool regions, bool shade,
                          uint32_t riverThreshold, const StageSink& progress) {
    std::lock_guard<std::mutex> hold(lock_);
    const double own = terrain_.waterLevel;
    terrain_.waterLevel = waterLevel.value_or(own);
    try {
        Picture picture = RenderLocked(regions, shade, riverThreshold,
                                       !waterLevel || *waterLevel == own, progress);
        terrain_.waterLevel = own;
        return picture;
    } catch (...) {
        terrain_.waterLevel = own;
        throw;
    }
}

std::string PythonMap::Recipe(bool regions, bool shade, uint32_t riverThreshold) const {
    if (!stagesKnown_)
        return {};
    cli::Options options;
    options.stages = stages_;
    options.regions = regions;
    options.shade = shade;
    options.riverThreshold = riverThreshold;
    return cli::RecipeOf(terrain_, fromParameters_, options);
}

void PythonMap::Save(const std::filesystem::path& path, bool heightmap, bool regions, bool shade,
                     uint32_t riverThreshold, const StageSink& progress) {
    const std::string name = path.string();
    const FileForm* form =
        heightmap
            ? FormForPath(name, {FormGroup::Heightmap})
            : FormForPath(name, {FormGroup::MapFile, FormGroup::Picture, FormGroup::Heightmap});
    if (form == nullptr)
        throw ArgumentError(
            heightmap
                ? "heightmap: FILE must end in " + ExtensionChoice({FormGroup::Heightmap}) +
                      ", got \"" + name + "\""
                : "FILE must end in " + ExtensionChoice({FormGroup::MapFile, FormGroup::Picture}) +
                      ", or a heightmap's " + ExtensionChoice({FormGroup::Heightmap}) + ", got \"" +
                      name + "\"");
    if (form->group == FormGroup::MapFile && (stages_.Active() || !stagesKnown_))
        throw ArgumentError(name + ": a map file holds the seed's map; save it from the map that "
                                   "smooth() or erode() was called on");
    std::lock_guard<std::mutex> hold(lock_);
    if (form->group == FormGroup::Heightmap) {
        HeightmapLayout layout;
        layout.recipe = Recipe(regions, shade, riverThreshold);
        SaveHeightmapSet(*form, terrain_, layout, name);
        return;
    }
    ExportSource source{terrain_};
    std::vector<unsigned char> picture;
    if (form->id == FileFormId::Picture) {
        picture = EncodePicturePng(RenderLocked(regions, shade, riverThreshold, true, progress),
                                   Recipe(regions, shade, riverThreshold));
        source.picturePng = &picture;
    }
    SaveForm(*form, source, path);
}

std::string PythonMap::InfoJson(uint32_t riverThreshold, const StageSink& progress) {
    std::lock_guard<std::mutex> hold(lock_);
    const LandFigures figures =
        CountLand(terrain_.GetData(), size_t(terrain_.GetSize()), terrain_.waterLevel);
    if (riverThreshold == 0)
        return cli::InfoJson(terrain_, kind_, figures);
    const AltitudeGrid grid = AltitudesOf(terrain_);
    const double level = terrain_.waterLevel;
    const auto w = WatersLocked(riverThreshold, true, progress);
    const WaterFigures waters =
        CountWaters(grid.width, grid.height, grid.altitudes, w->flow, w->lakes, w->rivers, level);
    return cli::InfoJson(terrain_, kind_, figures, &waters, riverThreshold);
}

}  // namespace glenvar_python

#include "python/PythonMap.h"

#include "cli/InfoJson.h"
#include "cli/MemoryNeed.h"
#include "cli/Recipe.h"
#include "core/LandReport.h"
#include "core/NUM_Random.h"
#include "core/PointMarks.h"
#include "data/FailureText.h"
#include "data/Failures.h"
#include "data/GEO_LandCircle.h"
#include "data/SafeSave.h"
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

// Where the water of the map's altitudes goes, as glenvar-cli's --rivers A finds it.
struct Waters {
    Drainage drainage;
    std::vector<uint8_t> lakes, rivers;
};

Waters WatersOf(const AltitudeGrid& grid, double level, uint32_t threshold, bool twoThreads) {
    Waters w{Drain(grid.width, grid.height, grid.altitudes, level, twoThreads), {}, {}};
    w.lakes = LakeMask(grid.altitudes, w.drainage);
    w.rivers = RiverMask(grid.altitudes, w.drainage, w.lakes, level, threshold);
    return w;
}

}  // namespace

std::unique_ptr<PythonMap> PythonMap::Generate(const cli::Options& o) {
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
        terrain.Generate(stencils, &sharedRandom);
    } else {
        NUM_AdvancedRandom source;  // seeded by Generate
        terrain.Generate(stencils, &source);
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
            throw ArgumentError(path.string() + ": " + FailureText(failure));
        throw;
    }
    if (map->kind_ == MapFileKind::None)
        throw ArgumentError(path.string() + ": not a map file or raw data file");
    if (map->terrain_.GetSize() == 0)
        throw ArgumentError(path.string() + ": the map holds no cells");
    map->fromParameters_ = map->kind_ == MapFileKind::Map;
    return map;
}

std::unique_ptr<PythonMap> PythonMap::Staged(const LandformStages& added) {
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
    next->stages_ = had;
    if (added.smoothRadius > 0)
        next->stages_.smoothRadius = added.smoothRadius;
    if (added.erodeSteps > 0) {
        next->stages_.erodeSteps = added.erodeSteps;
        next->stages_.erodibility = added.erodibility;
    }
    if (added.thermalSteps > 0)
        next->stages_.thermalSteps = added.thermalSteps;
    AltitudeGrid grid = AltitudesOf(terrain_);
    RunStages(grid, added, terrain_.waterLevel, terrain_.twoThreads != 0);
    ApplyAltitudes(next->terrain_, grid);
    return next;
}

Picture PythonMap::RenderLocked(bool regions, bool shade, uint32_t riverThreshold) {
    const GEO_MakeLand::GridSize size = Grid();
    Picture picture(size.width, size.height);
    terrain_.Render(picture, regions);
    if (shade || riverThreshold > 0) {
        const AltitudeGrid grid = AltitudesOf(terrain_);
        const double level = terrain_.waterLevel;
        if (shade)
            ShadeRelief(picture, grid, level);
        if (riverThreshold > 0) {
            const Waters w = WatersOf(grid, level, riverThreshold, terrain_.twoThreads != 0);
            DrawWaters(picture, grid.altitudes, w.drainage, w.lakes, w.rivers, level,
                       riverThreshold);
        }
    }
    if (regions)
        DrawPointMarks(picture, terrain_.concentrationPoints);
    return picture;
}

Picture PythonMap::Render(std::optional<double> waterLevel, bool regions, bool shade,
                          uint32_t riverThreshold) {
    std::lock_guard<std::mutex> hold(lock_);
    const double own = terrain_.waterLevel;
    terrain_.waterLevel = waterLevel.value_or(own);
    try {
        Picture picture = RenderLocked(regions, shade, riverThreshold);
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
                     uint32_t riverThreshold) {
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
        layout.recipe = Recipe(false, false, 0);
        for (const HeightmapPart& part : HeightmapParts(*form, terrain_, layout, name))
            SaveSafely(part.path, part.write);
        return;
    }
    ExportSource source{terrain_};
    std::vector<unsigned char> picture;
    if (form->id == FileFormId::Picture) {
        picture = EncodePicturePng(RenderLocked(regions, shade, riverThreshold),
                                   Recipe(regions, shade, riverThreshold));
        source.picturePng = &picture;
    }
    SaveForm(*form, source, path);
}

std::string PythonMap::InfoJson(uint32_t riverThreshold) {
    std::lock_guard<std::mutex> hold(lock_);
    const LandFigures figures =
        CountLand(terrain_.GetData(), size_t(terrain_.GetSize()), terrain_.waterLevel);
    if (riverThreshold == 0)
        return cli::InfoJson(terrain_, kind_, figures);
    const AltitudeGrid grid = AltitudesOf(terrain_);
    const double level = terrain_.waterLevel;
    const Waters w = WatersOf(grid, level, riverThreshold, terrain_.twoThreads != 0);
    const WaterFigures waters =
        CountWaters(grid.width, grid.height, grid.altitudes, w.drainage, w.lakes, w.rivers, level);
    return cli::InfoJson(terrain_, kind_, figures, &waters, riverThreshold);
}

}  // namespace glenvar_python

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
#include "data/SafeSave.h"
#include "export/HeightmapSet.h"
#include "export/PngFile.h"
#include "export/SaveForm.h"
#include "landform/ReliefShading.h"
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

std::unique_ptr<PythonMap> PythonMap::Smooth(int32_t radius) {
    auto smoothed = std::make_unique<PythonMap>();
    std::lock_guard<std::mutex> hold(lock_);
    smoothed->terrain_ = terrain_;
    smoothed->kind_ = kind_;
    smoothed->fromParameters_ = fromParameters_;
    smoothed->stages_ = stages_;
    smoothed->stagesKnown_ = stagesKnown_ && !(stages_.Active() && radius > 0);
    if (radius > 0)
        smoothed->stages_.smoothRadius = radius;
    AltitudeGrid grid = AltitudesOf(terrain_);
    RunStages(grid, LandformStages{radius}, terrain_.waterLevel, terrain_.twoThreads != 0);
    ApplyAltitudes(smoothed->terrain_, grid);
    return smoothed;
}

Picture PythonMap::RenderLocked(bool regions, bool shade) {
    const GEO_MakeLand::GridSize size = Grid();
    Picture picture(size.width, size.height);
    terrain_.Render(picture, regions);
    if (shade)
        ShadeRelief(picture, AltitudesOf(terrain_), terrain_.waterLevel);
    if (regions)
        DrawPointMarks(picture, terrain_.concentrationPoints);
    return picture;
}

Picture PythonMap::Render(std::optional<double> waterLevel, bool regions, bool shade) {
    std::lock_guard<std::mutex> hold(lock_);
    const double own = terrain_.waterLevel;
    terrain_.waterLevel = waterLevel.value_or(own);
    try {
        Picture picture = RenderLocked(regions, shade);
        terrain_.waterLevel = own;
        return picture;
    } catch (...) {
        terrain_.waterLevel = own;
        throw;
    }
}

std::string PythonMap::Recipe(bool regions, bool shade) const {
    if (!stagesKnown_)
        return {};
    cli::Options options;
    options.stages = stages_;
    options.regions = regions;
    options.shade = shade;
    return cli::RecipeOf(terrain_, fromParameters_, options);
}

void PythonMap::Save(const std::filesystem::path& path, bool heightmap, bool regions, bool shade) {
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
                                   "smooth() was called on");
    std::lock_guard<std::mutex> hold(lock_);
    if (form->group == FormGroup::Heightmap) {
        HeightmapLayout layout;
        layout.recipe = Recipe(false, false);
        for (const HeightmapPart& part : HeightmapParts(*form, terrain_, layout, name))
            SaveSafely(part.path, part.write);
        return;
    }
    ExportSource source{terrain_};
    std::vector<unsigned char> picture;
    if (form->id == FileFormId::Picture) {
        picture = EncodePicturePng(RenderLocked(regions, shade), Recipe(regions, shade));
        source.picturePng = &picture;
    }
    SaveForm(*form, source, path);
}

std::string PythonMap::InfoJson() {
    std::lock_guard<std::mutex> hold(lock_);
    const LandFigures figures =
        CountLand(terrain_.GetData(), size_t(terrain_.GetSize()), terrain_.waterLevel);
    return cli::InfoJson(terrain_, kind_, figures);
}

}  // namespace glenvar_python

#include "python/PythonMap.h"

#include "core/MapFile.h"
#include "core/NUM_Random.h"
#include "data/FailureText.h"
#include "data/Failures.h"
#include "data/GEO_LandCircle.h"
#include "export/RecipeFile.h"
#include "export/RecipeMap.h"
#include "geo/HeightReader.h"
#include "pipeline/MemoryNeed.h"
#include "python/GenerationArguments.h"
#include "python/ImportedMaps.h"

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

std::unique_ptr<PythonMap> PythonMap::Grown(const GenerationRequest& o, PipelineSettings settings,
                                            NUM_Random* source, const ProgressSink& progress) {
    settings.threads = o.threads;
    // The stages are left out of the peak: they run later, on the grown map.
    PipelineSettings growing;
    growing.threads = o.threads;
    const std::string refusal =
        MemoryRefusal(o.terrain.width, o.terrain.height, GenerationBytes(o.terrain, growing, {}),
                      AvailableBytes());
    if (!refusal.empty())
        throw MemoryShortage(refusal);
    GEO_MakeLand parameters = o.terrain;
    parameters.twoThreads = o.threads == 2 ? 1 : 0;
    return std::make_unique<PythonMap>(
        MapPipeline::Generated(parameters, Stencils(), source, settings, progress));
}

std::unique_ptr<PythonMap> PythonMap::Generate(const GenerationRequest& o,
                                               const ProgressSink& progress) {
    // Python's generations write nothing and shape nothing: only the threads count.
    if (o.terrain.keepRandomState) {
        std::lock_guard<std::mutex> turn(sharedRandomLock);
        return Grown(o, {}, &sharedRandom, progress);
    }
    NUM_AdvancedRandom source;  // seeded by Generate
    return Grown(o, {}, &source, progress);
}

std::unique_ptr<PythonMap> PythonMap::Load(const std::filesystem::path& path,
                                           const ProgressSink& generation,
                                           const StageSink& stages) {
    GEO_MakeLand terrain;
    MapFileKind kind = MapFileKind::None;
    try {
        kind = LoadMapFile(terrain, path);
    } catch (const CommandFailure& failure) {
        // As glenvar-cli says it: the archive's failures know no file name.
        if (failure.kind() == FailureKind::EndOfFile || failure.kind() == FailureKind::Format)
            throw ArgumentError(path.string() + ": " + FailureText(failure));
        throw;
    }
    if (kind == MapFileKind::None)
        return Rebuilt(path, generation, stages);
    if (terrain.GetSize() == 0)
        throw ArgumentError(path.string() + ": the map holds no cells");
    PipelineSettings settings;
    settings.threads = terrain.twoThreads != 0 ? 2 : 1;
    return std::make_unique<PythonMap>(MapPipeline(std::move(terrain), kind, settings));
}

namespace {

// The file's heights; when it holds none either, both reasons in one refusal.
std::unique_ptr<PythonMap> ImportedOrSaid(const std::filesystem::path& path,
                                          const std::string& noRecipe) {
    try {
        return ImportedFile(path);
    } catch (const ArgumentError& failure) {
        std::string reason = failure.what();
        if (reason.rfind(path.string() + ": ", 0) == 0)
            reason.erase(0, path.string().size() + 2);
        throw ArgumentError(noRecipe + "; nor heights: " + reason);
    }
}

}  // namespace

std::unique_ptr<PythonMap> PythonMap::Rebuilt(const std::filesystem::path& path,
                                              const ProgressSink& generation,
                                              const StageSink& stages) {
    RecipeMap recipe;
    try {
        recipe = AppliedRecipe(RecipeSettingsOfFile(path));
    } catch (const NoRecipeForm&) {
        if (IsMapFilePath(path.string()))
            throw ArgumentError(path.string() +
                                ": not a map file or raw data file, nor a picture or heightmap "
                                "that carries a recipe");
        // An elevation model, a heightmap of another tool's: its heights.
        return ImportedOrSaid(path, path.string() +
                                        ": not a map file or raw data file, nor a picture or "
                                        "heightmap that carries a recipe");
    } catch (const RecipeFailure& failure) {
        // The reading names the file; the points' check does not.
        const std::string text = failure.what();
        const std::string named =
            text.rfind(path.string() + ": ", 0) == 0 ? text : path.string() + ": " + text;
        // A heightmap without a recipe: its heights, as glenvar-cli shape reads them.
        if (text.find("holds no recipe") != std::string::npos)
            return ImportedOrSaid(path, named);
        throw RecipeFailure(named);
    }
    PipelineSettings settings;
    settings.recipe = recipe.options;
    // A kept random state draws from a fresh source, as a fresh glenvar-cli does.
    NUM_AdvancedRandom source;
    auto map = Grown({recipe.terrain, 1}, settings, &source, generation);
    map->pipeline_.ShapedHeights(stages);
    return map;
}

std::unique_ptr<PythonMap> PythonMap::Staged(const LandformStages& added,
                                             const StageSink& progress) {
    std::lock_guard<std::mutex> hold(lock_);
    return std::make_unique<PythonMap>(pipeline_.WithStages(added, progress));
}

const std::vector<double>& PythonMap::Heights() {
    std::lock_guard<std::mutex> hold(lock_);
    return pipeline_.ShapedHeights().altitudes;
}

const std::vector<uint16_t>& PythonMap::Regions() {
    std::lock_guard<std::mutex> hold(lock_);
    const GEO_MakeLand& seed = pipeline_.Seed();
    if (regions_.empty() && seed.GetSize() > 0) {
        const LandCell* cells = seed.GetData();
        regions_.resize(size_t(seed.GetSize()));
        for (size_t i = 0; i < regions_.size(); ++i)
            regions_[i] = cells[i].region;
    }
    return regions_;
}

std::shared_ptr<const MapWaters> PythonMap::Waters() {
    std::lock_guard<std::mutex> hold(lock_);
    const std::optional<MapWaters> known = pipeline_.KnownWaters();
    if (!known)
        return nullptr;
    return std::make_shared<const MapWaters>(*known);
}

void PythonMap::PictureOptions(bool regions, bool shade, uint32_t riverThreshold) {
    PipelineSettings settings = pipeline_.Settings();
    settings.recipe.regions = regions;
    settings.recipe.shade = shade;
    settings.recipe.riverThreshold = riverThreshold;
    pipeline_.SetSettings(settings);
}

void PythonMap::ClimateOptions(const ClimateSettings& climate) {
    PipelineSettings settings = pipeline_.Settings();
    settings.recipe.climate = climate;
    settings.recipe.heightRangeMetres = climate.heightRangeMetres;
    pipeline_.SetSettings(settings);
}

namespace {

// The climate's keywords are the call's alone: later pictures, saves and
// reports keep the map's own settings (and their recipes name no climate).
class KeptSettings {
  public:
    explicit KeptSettings(MapPipeline& pipeline)
        : pipeline_(pipeline), settings_(pipeline.Settings()) {}
    ~KeptSettings() { pipeline_.SetSettings(settings_); }
    KeptSettings(const KeptSettings&) = delete;
    KeptSettings& operator=(const KeptSettings&) = delete;

  private:
    MapPipeline& pipeline_;
    PipelineSettings settings_;
};

}  // namespace

std::shared_ptr<const Climate> PythonMap::MapClimate(const ClimateSettings& climate,
                                                     const StageSink& progress) {
    std::lock_guard<std::mutex> hold(lock_);
    KeptSettings kept(pipeline_);
    ClimateOptions(climate);
    return pipeline_.MapClimate(progress);
}

Picture PythonMap::BiomePicture(const ClimateSettings& climate, bool shade, uint32_t riverThreshold,
                                const StageSink& progress) {
    std::lock_guard<std::mutex> hold(lock_);
    KeptSettings kept(pipeline_);
    PictureOptions(false, shade, riverThreshold);
    ClimateOptions(climate);
    PipelineSettings settings = pipeline_.Settings();
    settings.recipe.biomeColours = true;
    pipeline_.SetSettings(settings);
    PipelineProgress sinks;
    sinks.stages = progress;
    return pipeline_.Render(sinks);
}

Picture PythonMap::Render(std::optional<double> waterLevel, bool regions, bool shade,
                          uint32_t riverThreshold, const StageSink& progress) {
    std::lock_guard<std::mutex> hold(lock_);
    PictureOptions(regions, shade, riverThreshold);
    PipelineProgress sinks;
    sinks.stages = progress;
    return pipeline_.Render(sinks, waterLevel);
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
    std::lock_guard<std::mutex> hold(lock_);
    if (form->group == FormGroup::MapFile && pipeline_.Reshaped())
        throw ArgumentError(name + ": a map file holds the seed's map; save it from the map that "
                                   "smooth() or erode() was called on");
    PictureOptions(regions, shade, riverThreshold);
    PipelineOutputs outputs;
    (form->group == FormGroup::Heightmap ? outputs.heightmaps : outputs.files)
        .push_back({name, form->id});
    PipelineProgress sinks;
    sinks.stages = progress;
    pipeline_.Write(outputs, sinks);
}

namespace {

// The settings of `options` that shape a mesh and its texture.
PipelineSettings MeshSettings(PipelineSettings settings, const RecipeOptions& options) {
    RecipeOptions& r = settings.recipe;
    r.regions = options.regions;
    r.shade = options.shade;
    r.riverThreshold = options.riverThreshold;
    r.heightRangeMetres = options.heightRangeMetres;
    r.cellSizeMetres = options.cellSizeMetres;
    r.meshErrorMetres = options.meshErrorMetres;
    r.baseMm = options.baseMm;
    r.printSizeMm = options.printSizeMm;
    return settings;
}

}  // namespace

TerrainMesh PythonMap::Mesh(const RecipeOptions& options, const StageSink& progress) {
    std::lock_guard<std::mutex> hold(lock_);
    pipeline_.SetSettings(MeshSettings(pipeline_.Settings(), options));
    return pipeline_.Mesh(progress);
}

void PythonMap::SaveMesh(const std::filesystem::path& path, const RecipeOptions& options,
                         const StageSink& progress) {
    const std::string name = path.string();
    const FileForm* form = FormForPath(name, {FormGroup::Mesh});
    if (form == nullptr)
        throw ArgumentError("FILE must end in " + ExtensionChoice({FormGroup::Mesh}) + ", got \"" +
                            name + "\"");
    std::lock_guard<std::mutex> hold(lock_);
    pipeline_.SetSettings(MeshSettings(pipeline_.Settings(), options));
    PipelineOutputs outputs;
    outputs.meshes.push_back({name, form->id});
    PipelineProgress sinks;
    sinks.stages = progress;
    pipeline_.Write(outputs, sinks);
}

std::string PythonMap::InfoJson(uint32_t riverThreshold, const StageSink& progress) {
    std::lock_guard<std::mutex> hold(lock_);
    PipelineSettings settings = pipeline_.Settings();
    settings.recipe.riverThreshold = riverThreshold;
    pipeline_.SetSettings(settings);
    return pipeline_.InfoJsonText(progress);
}

}  // namespace glenvar_python

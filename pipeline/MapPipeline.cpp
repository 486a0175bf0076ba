#include "pipeline/MapPipeline.h"

#include "core/LandReport.h"
#include "core/MapFile.h"
#include "core/PointMarks.h"
#include "landform/LandformStages.h"
#include "landform/ReliefShading.h"
#include "landform/WaterOverlay.h"
#include "landform/Waters.h"
#include "pipeline/Recipe.h"

#include <utility>

namespace {

// A recipe runs smoothing, erosion and talus once each and in that order; a
// stage added again, or before one already run, has none.
bool RecipeOrder(const LandformStages& had, const LandformStages& added) {
    return (added.smoothRadius == 0 || !had.Active()) &&
           (added.erodeSteps == 0 || (had.erodeSteps == 0 && had.thermalSteps == 0)) &&
           (added.thermalSteps == 0 || had.thermalSteps == 0) &&
           (added.droplets == 0 || (had.droplets == 0 && had.thermalSteps == 0));
}

// The renderer takes the level and its threads from the map; those asked for
// are put there for the picture only, so the map is as it was however the
// picture ends.
class PictureFields {
  public:
    PictureFields(GEO_MakeLand& map, double level, int32_t threads)
        : map_(map), level_(map.waterLevel), twoThreads_(map.twoThreads) {
        map_.waterLevel = level;
        map_.twoThreads = threads == 2 ? 1 : 0;
    }
    ~PictureFields() {
        map_.waterLevel = level_;
        map_.twoThreads = twoThreads_;
    }
    PictureFields(const PictureFields&) = delete;
    PictureFields& operator=(const PictureFields&) = delete;

  private:
    GEO_MakeLand& map_;
    double level_;
    int32_t twoThreads_;
};

}  // namespace

MapPipeline::MapPipeline(GEO_MakeLand seed, MapFileKind kind, const PipelineSettings& settings)
    : seed_(std::move(seed)), kind_(kind), settings_(settings) {}

MapPipeline MapPipeline::Generated(const GEO_MakeLand& parameters,
                                   const GEO_LandCircleArray& stencils, NUM_Random* source,
                                   const PipelineSettings& settings, const ProgressSink& progress) {
    MapPipeline pipeline(parameters, MapFileKind::Map, settings);
    GEO_MakeLand& seed = pipeline.seed_;
    // The map keeps its own flag; the work runs on the settings' threads.
    seed.twoThreads = settings.threads == 2 ? 1 : 0;
    seed.Generate(stencils, source, progress);
    seed.twoThreads = parameters.twoThreads;
    return pipeline;
}

void MapPipeline::SetSettings(const PipelineSettings& settings) {
    const bool sameStages = SameShaping(settings.recipe.stages, settings_.recipe.stages);
    if (!sameStages && !recipeKnown_)
        throw std::logic_error("these heights cannot be shaped again from the seed");
    settings_ = settings;
}

void MapPipeline::SetWaterLevel(double level) {
    seed_.waterLevel = level;
    if (shapedMap_)
        shapedMap_->waterLevel = level;
}

const AltitudeGrid& MapPipeline::ShapedHeights(const StageSink& progress) {
    const LandformStages& stages = settings_.recipe.stages;
    // Without erosion the level changes no height: a level's slider keeps them.
    const bool current =
        SameShaping(shapedStages_, stages) && shapedEdges_ == Edges() &&
        ((stages.erodeSteps == 0 && stages.droplets == 0) || shapedLevel_ == seed_.waterLevel);
    if (shaped_ && (!recipeKnown_ || current))
        return *shaped_;
    // Dropped first: a stop part-way leaves nothing that looks current.
    shaped_.reset();
    shapedMap_.reset();
    drained_.reset();
    rivers_.reset();
    climate_.reset();
    AltitudeGrid grid = AltitudesOf(seed_);
    grid.boundary = Edges();
    if (source_)
        grid.noData = source_->noData;
    RunStages(grid, stages, seed_.waterLevel, settings_.threads == 2, progress, seed_.seed);
    ++computed_.shapings;
    shaped_ = std::move(grid);
    shapedStages_ = stages;
    shapedEdges_ = grid.boundary;
    shapedLevel_ = seed_.waterLevel;
    return *shaped_;
}

GEO_MakeLand& MapPipeline::Shown(const StageSink& progress) {
    if (!Reshaped())
        return seed_;
    const AltitudeGrid& grid = ShapedHeights(progress);
    if (!shapedMap_) {
        auto map = std::make_unique<GEO_MakeLand>(seed_);
        ApplyAltitudes(*map, grid);
        shapedMap_ = std::move(map);
    }
    return *shapedMap_;
}

MapPipeline MapPipeline::WithStages(const LandformStages& added, const StageSink& progress) {
    AltitudeGrid grid = ShapedHeights(progress);
    RunStages(grid, added, seed_.waterLevel, settings_.threads == 2, progress, seed_.seed);
    MapPipeline next(seed_, kind_, settings_);
    next.source_ = source_;
    next.recipeKnown_ = recipeKnown_ && RecipeOrder(settings_.recipe.stages, added);
    next.settings_.recipe.stages = Followed(settings_.recipe.stages, added);
    next.shapedStages_ = next.settings_.recipe.stages;
    next.shapedLevel_ = seed_.waterLevel;
    next.shapedEdges_ = grid.boundary;
    next.shaped_ = std::move(grid);
    return next;
}

std::shared_ptr<const Climate> MapPipeline::MapClimate(const StageSink& progress) {
    const AltitudeGrid& grid = ShapedHeights(progress);
    const ClimateSettings settings = settings_.recipe.Climate();
    if (climate_ && climateSettings_ == settings && climateLevel_ == seed_.waterLevel)
        return climate_;
    climate_ = std::make_shared<const Climate>(
        ClimateOf(grid, seed_.waterLevel, settings, settings_.threads == 2));
    climateSettings_ = settings;
    climateLevel_ = seed_.waterLevel;
    ++computed_.climates;
    return climate_;
}

std::shared_ptr<const DrainedFlow> MapPipeline::Drained(double level, const StageSink& progress) {
    const bool ownLevel = level == seed_.waterLevel;
    const AltitudeGrid& grid = ShapedHeights(progress);
    if (ownLevel && drained_ && drained_->level == level)
        return drained_;
    auto drained = std::make_shared<DrainedFlow>();
    drained->level = level;
    drained->flow = FlowGraph::Drained(grid, level, settings_.threads == 2, progress);
    drained->lakes = LakeMask(grid.altitudes, drained->flow);
    ++computed_.drainings;
    if (ownLevel) {
        drained_ = drained;
        rivers_.reset();
    }
    return drained;
}

std::shared_ptr<const std::vector<uint8_t>> MapPipeline::Rivers(const DrainedFlow& drained,
                                                                uint32_t threshold) {
    const bool own = &drained == drained_.get();
    if (own && rivers_ && riversThreshold_ == threshold)
        return rivers_;
    const std::vector<double>& altitudes = shaped_->altitudes;
    auto rivers = std::make_shared<std::vector<uint8_t>>();
    if (threshold > 0)
        *rivers = RiverMask(altitudes, drained.flow, drained.lakes, drained.level, threshold);
    else
        rivers->assign(altitudes.size(), 0);
    ++computed_.riverMasks;
    if (own) {
        rivers_ = rivers;
        riversThreshold_ = threshold;
    }
    return rivers;
}

MapWaters MapPipeline::Waters(const StageSink& progress) {
    const auto drained = Drained(seed_.waterLevel, progress);
    const uint32_t threshold = settings_.recipe.riverThreshold;
    return {drained, threshold, Rivers(*drained, threshold)};
}

std::optional<MapWaters> MapPipeline::KnownWaters() const {
    if (!drained_ || !rivers_ || drained_->level != seed_.waterLevel)
        return std::nullopt;
    return MapWaters{drained_, riversThreshold_, rivers_};
}

Picture MapPipeline::Render(const PipelineProgress& progress, std::optional<double> waterLevel) {
    const RecipeOptions& r = settings_.recipe;
    GEO_MakeLand& map = Shown(progress.stages);
    const GEO_MakeLand::GridSize size = map.CellGridSize();
    if (!size.formsGrid)
        throw PipelineFailure("the map's cells do not form a grid of its size");
    const double level = waterLevel.value_or(seed_.waterLevel);
    Picture picture(size.width, size.height);
    {
        PictureFields fields(map, level, settings_.threads);
        map.Render(picture, r.regions, progress.render);
    }
    if (r.biomeColours) {
        // Water at another level is another coast: its climate for this picture only.
        const auto climate =
            level == seed_.waterLevel
                ? MapClimate(progress.stages)
                : std::make_shared<const Climate>(ClimateOf(ShapedHeights(progress.stages), level,
                                                            r.Climate(), settings_.threads == 2));
        PaintBiomes(picture, climate->biomes);
    }
    if (r.shade)
        ShadeRelief(picture, ShapedHeights(progress.stages), level);
    if (r.riverThreshold > 0) {
        const auto drained = Drained(level, progress.stages);
        const auto rivers = Rivers(*drained, r.riverThreshold);
        DrawWaters(picture, shaped_->altitudes, drained->flow, drained->lakes, *rivers, level,
                   r.riverThreshold, shaped_->boundary);
    }
    if (r.regions)
        DrawPointMarks(picture, seed_.concentrationPoints);
    if (source_)
        for (size_t i = 0; i < source_->noData.size(); ++i)
            if (source_->noData[i])
                picture.pixels[i] = 0xFF000000u;
    return picture;
}

Boundary MapPipeline::Edges() const {
    return settings_.recipe.boundary.value_or(source_ ? Boundary::Open : Boundary::Wrap);
}

std::string MapPipeline::Recipe() const {
    if (!recipeKnown_ || source_)
        return {};
    return RecipeOf(seed_, kind_ == MapFileKind::Map, settings_);
}

std::vector<LandCell> MapPipeline::CellsWithHeights(const GEO_MakeLand& map) const {
    std::vector<LandCell> cells;
    if (!source_ || source_->noData.empty())
        return cells;
    for (int32_t i = 0; i < map.GetSize(); ++i)
        if (!source_->noData[size_t(i)])
            cells.push_back(map.GetData()[i]);
    return cells;
}

std::string MapPipeline::LandReportText(const StageSink& progress) {
    const GEO_MakeLand& map = Shown(progress);
    // NoData cells are no land and no sea: the report counts the others.
    const std::vector<LandCell> present = CellsWithHeights(map);
    if (!present.empty())
        return BuildLandReport(present.data(), present.size(), map.waterLevel);
    return BuildLandReport(map.GetData(), size_t(map.GetSize()), map.waterLevel);
}

#pragma once
// One map from its seed to every output, under every front end. It owns the
// seed's terrain as generated or loaded, which no stage changes: the map
// files hold it. Beside it, each computed once per change of what it depends
// on: the shaped heights (the stages, the water level), the map the pictures
// and heightmaps are drawn from (a copy of the seed's with the shaped
// heights), the flow graph with its lakes (the shaped heights, the water
// level) and the rivers (also the threshold). All writing goes through one
// OutputBatch: every file of a run or none.

#include "core/GEO_MakeLand.h"
#include "core/Picture.h"
#include "data/Failures.h"
#include "export/TiffPlacement.h"
#include "landform/AltitudeGrid.h"
#include "landform/Climate.h"
#include "landform/FlowGraph.h"
#include "pipeline/ImportedHeights.h"
#include "pipeline/PipelineSettings.h"

struct TerrainMesh;

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class GEO_LandCircleArray;
class NUM_Random;
// core/MapFile.h; declared only, so that a front end with a function of the
// same name as the map file's own (the page's bindings) keeps it unambiguous.
enum class MapFileKind;

// An output the pipeline cannot make (a tile layout too small for the map, a
// map whose cells form no grid); nothing was written.
class PipelineFailure : public CommandFailure {
  public:
    explicit PipelineFailure(const std::string& text) : CommandFailure(text, FailureKind::Layout) {}
};

// Where the water of the shaped heights goes at one water level.
struct DrainedFlow {
    double level = 0;
    FlowGraph flow;
    std::vector<uint8_t> lakes;  // 1 or 0 a cell
};

// Where an imported map's heights came from, and how its cells' 0..1
// altitudes map back to their units: base + altitude x span.
struct HeightSource {
    std::string path;
    std::string sampleType;
    HeightUnits units = HeightUnits::Unitless;
    Georeference geo;
    std::vector<uint8_t> noData;  // empty: every cell holds a height
    double base = 0;
    double span = 1;
};

// The drained flow with the rivers of one threshold (all 0 for threshold 0).
// Shared, so a front end may keep viewing it after the pipeline moved on.
struct MapWaters {
    std::shared_ptr<const DrainedFlow> drained;
    uint32_t threshold = 0;
    std::shared_ptr<const std::vector<uint8_t>> rivers;
};

// Why the settings' meshes of a width x height map cannot be written (too
// many triangles kept whole, tiles too small), or empty: checked before the
// map is made.
std::string MeshesRefusal(int32_t width, int32_t height, const PipelineSettings& settings);

class MapPipeline {
  public:
    // Takes the seed's map, loaded or generated (kind Map). Its parameters
    // rebuild it when it is a map file's; a raw data file's hold no recipe.
    // They stay as given: the settings' threads do the work, the map's
    // twoThreads flag is only its own to keep.
    MapPipeline(GEO_MakeLand seed, MapFileKind kind, const PipelineSettings& settings = {});
    MapPipeline(MapPipeline&&) = default;
    MapPipeline& operator=(MapPipeline&&) = default;

    // A map of imported heights (pipeline/ImportedHeights.h), refused as
    // CheckImported says. An elevation model's heights are scaled to 0..1
    // over their range and scaled back wherever they are written in their
    // units; its water level is `waterLevel` in those units, else 0 (sea
    // level). Glenvar's own 0..1 heights stay as they are, the water level
    // `waterLevel` or 0.5. Its edges are open unless the settings say wrap.
    // Such a map has no recipe: no setting rebuilds it.
    static MapPipeline Imported(ImportedHeights heights, std::optional<double> waterLevel,
                                const PipelineSettings& settings);
    // The imported map's source; nullptr for a grown or loaded one.
    const HeightSource* Source() const { return source_.get(); }
    // The edges the stages see: the settings', else open for imported heights.
    Boundary Edges() const;
    // Where the map lies for GIS: a grown map in metres from its south-west
    // corner, an imported one in its file's georeference and units.
    TiffPlacement Placement() const;
    // The imported map's NoData cells marked 1, one a cell; nullptr when none.
    const uint8_t* Holes() const {
        return source_ && !source_->noData.empty() ? source_->noData.data() : nullptr;
    }

    // Grows the map the parameters describe on the settings' threads; the
    // sink may stop it (Stopped).
    static MapPipeline Generated(const GEO_MakeLand& parameters,
                                 const GEO_LandCircleArray& stencils, NUM_Random* source,
                                 const PipelineSettings& settings, const ProgressSink& progress);

    const PipelineSettings& Settings() const { return settings_; }
    // What stays valid is kept: new picture options keep the heights and the
    // water; new stages drop both. Throws std::logic_error for new stages on
    // a map whose stages no setting can say (see WithStages).
    void SetSettings(const PipelineSettings& settings);

    const GEO_MakeLand& Seed() const { return seed_; }
    // The map's own water level, which its map files keep too: the colours,
    // the water and erosion's base follow it.
    void SetWaterLevel(double level);
    // The seed's points, for a front end that shows them as they stand.
    PointArray& Points() { return seed_.concentrationPoints; }
    MapFileKind Kind() const { return kind_; }

    // A pipeline of the same seed whose heights are these shaped further by
    // `added` (its active stages replace those given before). When they run
    // in the order a recipe runs them (smoothing, erosion, talus, once each)
    // its settings name all of them; otherwise its outputs carry no recipe.
    MapPipeline WithStages(const LandformStages& added, const StageSink& progress);
    // Whether the heights differ from the seed's: no map file holds them.
    bool Reshaped() const { return settings_.recipe.stages.Active() || !recipeKnown_; }

    const AltitudeGrid& ShapedHeights(const StageSink& progress = {});
    // The seed's map with the shaped heights: the seed itself without stages.
    const GEO_MakeLand& ShapedMap(const StageSink& progress = {}) { return Shown(progress); }
    // The water at the seed's level with the settings' river threshold.
    MapWaters Waters(const StageSink& progress = {});
    // The water last drained at the seed's level with the rivers of the
    // threshold last asked for; none before.
    std::optional<MapWaters> KnownWaters() const;

    // The climate of the shaped heights at the seed's water level, with the
    // settings' latitudes, lapse rate and wind; the same on one thread or two.
    std::shared_ptr<const Climate> MapClimate(const StageSink& progress = {});

    // The picture at one pixel per cell, as the settings draw it (regions,
    // relief, rivers and lakes, point marks), at the seed's water level or
    // another; water at another level is drained for this picture only.
    Picture Render(const PipelineProgress& progress, std::optional<double> waterLevel = {});
    // The recipe every picture and heightmap carries; empty when none can be said.
    std::string Recipe() const;
    // `glenvar-cli info --json`, with the water figures when the settings
    // draw rivers (and an imported map's source), and the land report; both
    // of the shaped heights. The JSON
    // and Write are the encoding half (MapPipelineOutputs.cpp), which the
    // page does not build.
    std::string InfoJsonText(const StageSink& progress = {});
    std::string LandReportText(const StageSink& progress = {});

    // Writes every output, all or none: map files of the seed's map,
    // pictures and heightmaps of the shaped one, layers of its water.
    void Write(const PipelineOutputs& outputs, const PipelineProgress& progress);

    // The shaped heights as one mesh, laid out and simplified as the
    // settings say (MapPipelineMeshes.cpp). Throws PipelineFailure with
    // MeshRefusal's words.
    TerrainMesh Mesh(const StageSink& progress = {});
    // The bytes of the mesh file of `form` (.glb or .stl) as Write gives it
    // untiled, its texture `picturePng`; for front ends that write no files.
    // Throws PipelineFailure with MeshRefusal's words.
    std::vector<unsigned char> MeshFileBytes(FileFormId form,
                                             const std::vector<unsigned char>& picturePng,
                                             const StageSink& progress = {});

    // How often each part was computed, for tests that hold it to once per change.
    struct Computations {
        int shapings = 0;
        int drainings = 0;
        int riverMasks = 0;
        int climates = 0;
    };
    const Computations& Computed() const { return computed_; }

  private:
    GEO_MakeLand& Shown(const StageSink& progress);
    std::shared_ptr<const DrainedFlow> Drained(double level, const StageSink& progress);
    std::shared_ptr<const std::vector<uint8_t>> Rivers(const DrainedFlow& drained,
                                                       uint32_t threshold);
    std::vector<unsigned char> PicturePng(const PipelineProgress& progress);
    std::string InfoJsonOfShaped(const StageSink& progress);
    // The shown map's cells that hold a height, when some hold none; empty otherwise.
    std::vector<LandCell> CellsWithHeights(const GEO_MakeLand& map) const;
    void AddLayers(class OutputBatch& batch, const PipelineOutputs& outputs,
                   const PipelineProgress& progress);
    // The climate's layers and the engines' masks (MapPipelineClimate.cpp).
    void AddClimateLayers(class OutputBatch& batch, const PipelineOutputs& outputs,
                          const PipelineProgress& progress);
    void AddMasks(class OutputBatch& batch, const PipelineOutputs& outputs,
                  const PipelineProgress& progress);
    // Why the masks asked for cannot be written, or empty.
    std::string MaskLayoutRefusal(const PipelineOutputs& outputs) const;
    // Refuses, before anything is written, meshes the settings cannot give.
    void CheckMeshes(const PipelineOutputs& outputs);
    void AddMeshes(OutputBatch& batch, const PipelineOutputs& outputs,
                   const std::vector<unsigned char>& picturePng, const PipelineProgress& progress);
    void AddVectors(OutputBatch& batch, const PipelineOutputs& outputs,
                    const PipelineProgress& progress);

    GEO_MakeLand seed_;
    MapFileKind kind_;
    PipelineSettings settings_;
    // False once stages were stacked in an order no recipe runs: the heights
    // are then kept as they are, never shaped again from the seed.
    bool recipeKnown_ = true;

    std::shared_ptr<const HeightSource> source_;
    std::optional<AltitudeGrid> shaped_;
    LandformStages shapedStages_;
    Boundary shapedEdges_ = Boundary::Wrap;
    double shapedLevel_ = 0;                   // erosion's base
    std::unique_ptr<GEO_MakeLand> shapedMap_;  // only when reshaped
    std::shared_ptr<const DrainedFlow> drained_;
    std::shared_ptr<const std::vector<uint8_t>> rivers_;
    uint32_t riversThreshold_ = 0;
    std::shared_ptr<const Climate> climate_;
    ClimateSettings climateSettings_;
    double climateLevel_ = 0;
    Computations computed_;
};

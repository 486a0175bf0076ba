#pragma once
// A map as Python holds it: a map pipeline (pipeline/MapPipeline.h), whose
// heights, regions, points and water the module's arrays view. Every reader
// takes the lock, so two Python threads may use one map while the GIL is
// released.

#include "core/GEO_MakeLand.h"
#include "core/Picture.h"
#include "export/TerrainMesh.h"
#include "landform/LandformStages.h"
#include "pipeline/MapPipeline.h"
#include "python/GenerationArguments.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class NUM_Random;

namespace glenvar_python {

// The machine lacks the memory a map needs; the text is glenvar-cli's.
class MemoryShortage : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class PythonMap {
  public:
    explicit PythonMap(MapPipeline pipeline) : pipeline_(std::move(pipeline)) {}

    // Grows the map the options describe (as `glenvar-cli generate` does,
    // with the stencil table built in memory). Like it, refuses a map the
    // machine has not the memory for before any work. The sink may stop it
    // (Stopped).
    static std::unique_ptr<PythonMap> Generate(const GenerationRequest& options,
                                               const ProgressSink& progress = {});
    // A map file or raw data file as it is; a picture or heightmap (or its
    // sidecar) by its recipe, grown and shaped again as `glenvar-cli generate
    // --recipe FILE` does. The loader's refusals are thrown as they come; a
    // file of another kind, without cells or with a refused recipe is refused
    // naming it. The sinks may stop the rebuilding (Stopped).
    static std::unique_ptr<PythonMap> Load(const std::filesystem::path& path,
                                           const ProgressSink& generation = {},
                                           const StageSink& stages = {});

    // A new map of this one's altitudes through the stages (smoothing,
    // erosion with the map's water level as its base, talus); no stage gives
    // a copy. This map stays as it is. The sink may stop the stages (Stopped).
    std::unique_ptr<PythonMap> Staged(const LandformStages& added, const StageSink& progress = {});

    // The picture at one pixel per cell, at the map's water level or another,
    // with relief shading, and rivers and lakes (riverThreshold > 0), when asked.
    // Here and below, the sink may stop the drainage (Stopped).
    Picture Render(std::optional<double> waterLevel, bool regions, bool shade,
                   uint32_t riverThreshold, const StageSink& progress = {});
    // In the file form its extension names (export/FileForm.h); with
    // `heightmap`, .png is the 16-bit heightmap instead of the picture.
    // Pictures and heightmaps carry the recipe of glenvar-cli's command line
    // with these options (a heightmap's names them too), heightmaps their
    // sidecar. A reshaped map has no map file: those hold the seed's map.
    void Save(const std::filesystem::path& path, bool heightmap, bool regions, bool shade,
              uint32_t riverThreshold, const StageSink& progress = {});
    // The heights as one mesh (export/TerrainMesh.h), with the mesh settings
    // of `options` (cell size, height range, error), as glenvar-cli's --mesh
    // writes it untiled.
    TerrainMesh Mesh(const RecipeOptions& options, const StageSink& progress = {});
    // A .glb, .stl or .obj (with its .mtl and texture) as glenvar-cli's
    // --mesh writes it with the same options (the texture's picture options
    // and the mesh settings).
    void SaveMesh(const std::filesystem::path& path, const RecipeOptions& options,
                  const StageSink& progress = {});
    // What `glenvar-cli info --json` prints, with the water figures of
    // `--rivers A` when riverThreshold > 0.
    std::string InfoJson(uint32_t riverThreshold, const StageSink& progress = {});

    // The climate of the map's heights with these settings (its height
    // range among them), at the map's water level; kept while they stay.
    std::shared_ptr<const Climate> MapClimate(const ClimateSettings& climate,
                                              const StageSink& progress = {});
    // The picture coloured by biome, with relief and rivers when asked.
    Picture BiomePicture(const ClimateSettings& climate, bool shade, uint32_t riverThreshold,
                         const StageSink& progress = {});

    // Cells form a grid of this size (generated or loaded with a check).
    GEO_MakeLand::GridSize Grid() const { return pipeline_.Seed().CellGridSize(); }
    // The altitudes and region indices row by row, copied out of the cells
    // once, on first use: the map never changes, so they stay valid.
    const std::vector<double>& Heights();
    const std::vector<uint16_t>& Regions();
    // The water of the last picture, report or save that drew rivers at the
    // map's own water level; none before.
    std::shared_ptr<const MapWaters> Waters();
    PointArray& Points() { return pipeline_.Points(); }
    // An imported map's source (pipeline/MapPipeline.h); nullptr otherwise.
    const HeightSource* Source() const { return pipeline_.Source(); }
    std::string Recipe() const { return pipeline_.Recipe(); }
    const GEO_MakeLand& Terrain() const { return pipeline_.Seed(); }

  private:
    static std::unique_ptr<PythonMap> Rebuilt(const std::filesystem::path& path,
                                              const ProgressSink& generation,
                                              const StageSink& stages);
    // Grows the request's map with these settings (stages, picture options).
    static std::unique_ptr<PythonMap> Grown(const GenerationRequest& request,
                                            PipelineSettings settings, NUM_Random* source,
                                            const ProgressSink& progress);

    // The pipeline's settings with this climate and its heights' range.
    void ClimateOptions(const ClimateSettings& climate);
    // The pipeline's settings with these picture options, its stages kept.
    void PictureOptions(bool regions, bool shade, uint32_t riverThreshold);

    MapPipeline pipeline_;
    std::vector<uint16_t> regions_;
    std::mutex lock_;  // a picture at another level changes the map's for the time it draws
};

}  // namespace glenvar_python

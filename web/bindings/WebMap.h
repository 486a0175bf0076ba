#pragma once
// The page's one map, as the worker holds it: generated, loaded, rendered and
// saved through the same model as the desktop program, its stages and water
// through the map pipeline. Failures come back as the texts the desktop
// program shows, never as exceptions.

#include "core/GEO_MakeLand.h"
#include "core/LandReport.h"
#include "core/Picture.h"
#include "data/PointArray.h"
#include "export/HeightLayout.h"
#include "landform/LandformStages.h"
#include "pipeline/MapPipeline.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How the page's meshes are laid out, as glenvar-cli's --mesh-error-m,
// --cell-size-m, --height-range-m, --base-mm and --print-size-mm set them.
struct WebMeshOptions {
    double errorMetres = 0;
    double cellSizeMetres = 1;
    double heightRangeMetres = 1000;
    double baseMm = 2;
    double printSizeMm = 100;
};

enum class LoadResult { Map, Raw, None, Failed };

// What the page does with a map after it is grown: its stages and relief
// shading for every picture and report, the rivers and lakes its pictures
// draw, the heightmaps' edge, the climate and whether pictures show biomes.
struct WebStages {
    LandformStages landform;
    bool shade = false;
    uint32_t riverThreshold = 0;  // as glenvar-cli's --rivers; 0: no waters drawn
    HeightEdge edge = HeightEdge::Wrap;
    ClimateSettings climate;
    bool biomeColours = false;
};

class WebMap {
  public:
    WebMap();

    // Grows a map from what the generation dialog sets, as `settings` holds it
    // (hand-placed points included; its cells are not read). "" when the map
    // was made; otherwise the message, with the old map kept.
    std::string Generate(const GEO_MakeLand& settings, const ProgressSink& progress);
    // Reads a map or raw file; on failure `message` gets the desktop's text.
    LoadResult Load(std::vector<unsigned char> bytes, std::string& message);
    // Heights the page decoded from a heightmap or elevation model, taken as
    // glenvar-cli's `shape` takes them (the same refusals), its edges joined
    // when `wrap`. "" when the map was made; otherwise the message, with the
    // old map and its edges kept.
    std::string Import(ImportedHeights heights, bool wrap);
    // Whether an imported map's edges join (glenvar-cli's --boundary wrap);
    // open by default. A grown map wraps either way.
    void SetImportedWrap(bool wrap);

    // The stages every later picture, report and heightmap shows; the map
    // files keep the seed's map.
    void SetStages(const WebStages& stages);

    // The picture at one pixel per cell as RGBA bytes, regions with point marks.
    // The stages it waits for (smoothing, erosion, drainage...) report to `stages`.
    std::vector<unsigned char> Render(bool regions, const ProgressSink& progress,
                                      const StageSink& stages = {});
    // Black width x height with the marks of the points placed so far.
    static std::vector<unsigned char> PlacementPicture(int32_t width, int32_t height,
                                                       const PointArray& points);
    // Samples of a 16-bit grey heightmap, row by row: the grid, or as a
    // heightmap file has them (closed by the stages' edge) when asFile.
    std::vector<uint16_t> HeightSamples(bool asFile, int32_t& width, int32_t& height);
    // The same heights as altitudes rounded to single precision, as EXR holds them.
    std::vector<float> HeightFloats(bool asFile, int32_t& width, int32_t& height);
    // The sidecar of the heightmap file: 16-bit samples big-endian (PNG) or
    // little-endian (R16), or little-endian floats (EXR).
    std::string Sidecar(bool floatSamples, bool bigEndian, const std::string& recipe);
    // The command that rebuilds what the page shows; empty for a map whose
    // parameters cannot rebuild it.
    std::string Recipe(bool regions) const;

    std::string Report(ReportLanguage language = ReportLanguage::Japanese);
    // The land cells of each biome (by id) when the pictures show biomes;
    // empty otherwise, so a height view never waits for the climate.
    std::vector<double> BiomeCells();
    // The shown map's .glb (glb) or .stl file, as glenvar-cli --mesh writes it
    // untiled with `picturePng` as the picture; on a refusal, empty bytes and
    // `message` the desktop's text.
    std::vector<unsigned char> MeshBytes(bool glb, const WebMeshOptions& options,
                                         const std::vector<unsigned char>& picturePng,
                                         std::string& message);
    std::vector<unsigned char> MapFileBytes() const;
    std::vector<unsigned char> RawFileBytes() const;

    void SetWaterLevel(double level) { pipeline_.SetWaterLevel(level); }
    // The size of the grid the pictures show; 0 x 0 without cells.
    bool GridSize(int32_t& width, int32_t& height) const;
    const GEO_MakeLand& terrain() const { return pipeline_.Seed(); }
    // The last refused generation's or load's message in English.
    const std::string& EnglishFailure() const { return englishFailure_; }

  private:
    // The pipeline's settings: the stages' and these picture options, one thread.
    PipelineSettings Settings(bool regions) const;
    template <class Sample, class Convert>
    std::vector<Sample> Heights(bool asFile, int32_t& width, int32_t& height, Convert convert);

    WebStages stages_;
    bool importedWrap_ = false;
    std::string englishFailure_;
    // The seed's map (none at first) with what the page's redraws share.
    MapPipeline pipeline_;
};

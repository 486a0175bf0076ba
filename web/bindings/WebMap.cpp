#include "web/bindings/WebMap.h"

#include "core/HeightSample.h"
#include "core/MapFile.h"
#include "core/ParameterTable.h"
#include "core/PointMarks.h"
#include "data/FailureText.h"
#include "data/Failures.h"
#include "data/GEO_LandCircle.h"
#include "export/HeightWindow.h"
#include "export/Sidecar.h"
#include "pipeline/Recipe.h"

#include <exception>
#include <new>
#include <utility>

namespace {

// Built on first use: there is no disk for the stencil cache in a browser.
const GEO_LandCircleArray& LandCircles() {
    static const GEO_LandCircleArray circles = GEO_LandCircleArray::Built();
    return circles;
}

// What the desktop program's common handler would show for the failure in
// flight, and the same in English as the other front ends word it.
std::string DesktopFailureText(std::string& english) {
    const CommandFailure failure = FailureInFlight();
    english = ::FailureText(failure);
    return failure.what();
}

std::vector<unsigned char> RgbaBytes(const Picture& picture) {
    std::vector<unsigned char> bytes(picture.pixels.size() * 4);
    for (size_t i = 0; i < picture.pixels.size(); ++i) {
        const uint32_t p = picture.pixels[i];
        bytes[4 * i] = static_cast<unsigned char>(p >> 16);
        bytes[4 * i + 1] = static_cast<unsigned char>(p >> 8);
        bytes[4 * i + 2] = static_cast<unsigned char>(p);
        bytes[4 * i + 3] = 255;
    }
    return bytes;
}

}  // namespace

WebMap::WebMap() : pipeline_(GEO_MakeLand{}, MapFileKind::None) {}

PipelineSettings WebMap::Settings(bool regions) const {
    PipelineSettings settings;  // one thread: the module has no others
    settings.recipe.stages = stages_.landform;
    settings.recipe.riverThreshold = stages_.riverThreshold;
    settings.recipe.regions = regions;
    settings.recipe.shade = stages_.shade;
    settings.recipe.edge = stages_.edge;
    settings.recipe.climate = stages_.climate;
    settings.recipe.biomeColours = stages_.biomeColours;
    // Unset, an imported map's edges are open and a grown map's wrap.
    if (importedWrap_)
        settings.recipe.boundary = Boundary::Wrap;
    return settings;
}

void WebMap::SetStages(const WebStages& stages) {
    stages_ = stages;
    pipeline_.SetSettings(Settings(false));
}

std::string WebMap::Generate(const GEO_MakeLand& settings, const ProgressSink& progress) {
    GEO_MakeLand parameters;
    for (const ParameterRow& row : ParameterTable())
        row.Copy(settings, parameters);
    if (settings.manualPlacement)
        for (const Point& p : settings.concentrationPoints)
            parameters.concentrationPoints.Add(p);
    try {
        pipeline_ =
            MapPipeline::Generated(parameters, LandCircles(), nullptr, Settings(false), progress);
        return "";
    } catch (...) {
        const std::string message = DesktopFailureText(englishFailure_);
        // As the dialog's OK does, every parameter is written before the map
        // is grown: a refused generation keeps the old cells with the new
        // parameters.
        try {
            GEO_MakeLand kept = pipeline_.Seed();
            for (const ParameterRow& row : ParameterTable())
                row.Copy(settings, kept);
            if (settings.manualPlacement) {
                kept.concentrationPoints.RemoveAll();
                for (const Point& p : settings.concentrationPoints)
                    kept.concentrationPoints.Add(p);
            }
            pipeline_ = MapPipeline(std::move(kept), pipeline_.Kind(), Settings(false));
        } catch (...) {
            // No memory for the copy: the old map stays as it was.
        }
        return message;
    }
}

LoadResult WebMap::Load(std::vector<unsigned char> bytes, std::string& message) {
    try {
        // Loaded over a copy, as a raw file keeps the map's parameters.
        GEO_MakeLand next = pipeline_.Seed();
        const MapFileKind kind = LoadMapFileBytes(next, std::move(bytes));
        if (kind != MapFileKind::None)
            pipeline_ = MapPipeline(std::move(next), kind, Settings(false));
        switch (kind) {
        case MapFileKind::Map:
            return LoadResult::Map;
        case MapFileKind::Raw:
            return LoadResult::Raw;
        case MapFileKind::None:
            return LoadResult::None;
        }
    } catch (...) {
        message = DesktopFailureText(englishFailure_);
    }
    return LoadResult::Failed;
}

std::string WebMap::Import(ImportedHeights heights, bool wrap) {
    const bool keptWrap = importedWrap_;
    try {
        importedWrap_ = wrap;
        pipeline_ = MapPipeline::Imported(std::move(heights), std::nullopt, Settings(false));
        return "";
    } catch (...) {
        importedWrap_ = keptWrap;
        return DesktopFailureText(englishFailure_);
    }
}

void WebMap::SetImportedWrap(bool wrap) {
    importedWrap_ = wrap;
    pipeline_.SetSettings(Settings(false));
}

bool WebMap::GridSize(int32_t& width, int32_t& height) const {
    const GEO_MakeLand::GridSize size = pipeline_.Seed().CellGridSize();
    width = size.formsGrid ? size.width : 0;
    height = size.formsGrid ? size.height : 0;
    return size.formsGrid;
}

std::vector<unsigned char> WebMap::Render(bool regions, const ProgressSink& progress,
                                          const StageSink& stages) {
    int32_t w = 0, h = 0;
    if (!GridSize(w, h))
        return {};
    pipeline_.SetSettings(Settings(regions));
    PipelineProgress sinks;
    sinks.render = progress;
    sinks.stages = stages;
    return RgbaBytes(pipeline_.Render(sinks));
}

std::vector<unsigned char> WebMap::PlacementPicture(int32_t width, int32_t height,
                                                    const PointArray& points) {
    Picture picture(width, height);
    DrawPointMarks(picture, points);
    return RgbaBytes(picture);
}

template <class Sample, class Convert>
std::vector<Sample> WebMap::Heights(bool asFile, int32_t& width, int32_t& height, Convert convert) {
    if (!GridSize(width, height))
        return {};
    const HeightWindow grid = pipeline_.Reshaped() ? HeightWindow::OfGrid(pipeline_.ShapedHeights())
                                                   : HeightWindow::OfCells(pipeline_.Seed());
    const HeightWindow window = asFile && stages_.edge == HeightEdge::Repeat ? grid.Closed() : grid;
    width = window.Width();
    height = window.Height();
    std::vector<Sample> samples(size_t(width) * size_t(height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            samples[size_t(y) * size_t(width) + size_t(x)] = convert(window.At(x, y));
    return samples;
}

std::vector<uint16_t> WebMap::HeightSamples(bool asFile, int32_t& width, int32_t& height) {
    return Heights<uint16_t>(asFile, width, height, HeightSample);
}

std::vector<float> WebMap::HeightFloats(bool asFile, int32_t& width, int32_t& height) {
    return Heights<float>(asFile, width, height,
                          [](double altitude) { return static_cast<float>(altitude); });
}

std::vector<unsigned char> WebMap::MeshBytes(bool glb, const WebMeshOptions& options,
                                             const std::vector<unsigned char>& picturePng,
                                             std::string& message) {
    int32_t w = 0, h = 0;
    if (!GridSize(w, h))
        return {};
    PipelineSettings settings = Settings(false);
    settings.recipe.meshErrorMetres = options.errorMetres;
    settings.recipe.cellSizeMetres = options.cellSizeMetres;
    settings.recipe.heightRangeMetres = options.heightRangeMetres;
    settings.recipe.baseMm = options.baseMm;
    settings.recipe.printSizeMm = options.printSizeMm;
    std::vector<unsigned char> bytes;
    try {
        pipeline_.SetSettings(settings);
        bytes =
            pipeline_.MeshFileBytes(glb ? FileFormId::MeshGlb : FileFormId::MeshStl, picturePng);
    } catch (...) {
        message = DesktopFailureText(englishFailure_);
    }
    // Later pictures and heightmaps go on with the page's own settings.
    pipeline_.SetSettings(Settings(false));
    return bytes;
}

std::string WebMap::Sidecar(bool floatSamples, bool bigEndian, const std::string& recipe) {
    int32_t w = 0, h = 0;
    if (!GridSize(w, h))
        return {};
    const int32_t closing = stages_.edge == HeightEdge::Repeat ? 1 : 0;
    HeightmapSidecar sidecar;
    sidecar.width = w + closing;
    sidecar.height = h + closing;
    sidecar.floatSamples = floatSamples;
    sidecar.bigEndian = bigEndian;
    sidecar.edge = stages_.edge;
    sidecar.waterLevel = pipeline_.Seed().waterLevel;
    sidecar.recipe = recipe;
    return SidecarJson(sidecar);
}

std::string WebMap::Recipe(bool regions) const {
    return RecipeOf(pipeline_.Seed(), pipeline_.Kind() == MapFileKind::Map, Settings(regions));
}

std::string WebMap::Report(ReportLanguage language) {
    const GEO_MakeLand& map = pipeline_.ShapedMap();
    return BuildLandReport(map.GetData(), size_t(map.GetSize()), map.waterLevel, language);
}

std::vector<double> WebMap::BiomeCells() {
    int32_t w = 0, h = 0;
    if (!stages_.biomeColours || !GridSize(w, h))
        return {};
    const std::vector<uint64_t> counts = BiomeCounts(pipeline_.MapClimate()->biomes);
    return {counts.begin(), counts.end()};
}

std::vector<unsigned char> WebMap::MapFileBytes() const {
    return ::MapFileBytes(pipeline_.Seed(), MapFileKind::Map);
}

std::vector<unsigned char> WebMap::RawFileBytes() const {
    return ::MapFileBytes(pipeline_.Seed(), MapFileKind::Raw);
}

#include "web/bindings/WebMap.h"

#include "core/HeightSample.h"
#include "core/LandReport.h"
#include "core/MapFile.h"
#include "core/ParameterTable.h"
#include "core/PointMarks.h"
#include "data/Failures.h"
#include "data/GEO_LandCircle.h"
#include "export/HeightWindow.h"
#include "export/RecipeText.h"
#include "export/Sidecar.h"
#include "landform/ReliefShading.h"
#include "landform/WaterOverlay.h"
#include "landform/Waters.h"

#include <exception>
#include <new>
#include <utility>

namespace {

// Built on first use: there is no disk for the stencil cache in a browser.
const GEO_LandCircleArray& LandCircles() {
    static const GEO_LandCircleArray circles = GEO_LandCircleArray::Built();
    return circles;
}

// The module has no threads; the flag goes back once the work is done, so
// saved files and the form still carry it.
class OneThread {
  public:
    explicit OneThread(GEO_MakeLand& terrain) : terrain_(terrain), flag_(terrain.twoThreads) {
        terrain_.twoThreads = 0;
    }
    ~OneThread() { terrain_.twoThreads = flag_; }
    OneThread(const OneThread&) = delete;
    OneThread& operator=(const OneThread&) = delete;

  private:
    GEO_MakeLand& terrain_;
    int32_t flag_;
};

// What the desktop program's common handler would show for the failure in flight.
std::string FailureText() {
    return FailureInFlight().what();
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

// The shaped altitudes in the map's cells while it lives, so that the
// renderer and the report show them; the seed's come back after, for the map
// files and the next stages.
class WebMap::Shaped {
  public:
    explicit Shaped(WebMap& map) : map_(map) {
        if (!map.stages_.landform.Active())
            return;
        seed_ = AltitudesOf(map.terrain_);
        ApplyAltitudes(map.terrain_, map.ShapedGrid());
        active_ = true;
    }
    ~Shaped() {
        if (active_)
            ApplyAltitudes(map_.terrain_, seed_);
    }
    Shaped(const Shaped&) = delete;
    Shaped& operator=(const Shaped&) = delete;

  private:
    WebMap& map_;
    AltitudeGrid seed_;
    bool active_ = false;
};

const AltitudeGrid& WebMap::ShapedGrid() {
    const LandformStages& s = stages_.landform;
    const LandformStages& made = shapedStages_;
    // Without erosion the water level changes nothing; the same map then
    // keeps its copy while the level's slider moves.
    const bool eroded = s.erodeSteps > 0;
    if (!shapedMade_ || !SameShaping(made, s) || (eroded && shapedLevel_ != terrain_.waterLevel)) {
        shapedMade_ = false;
        flow_.reset();
        shaped_ = AltitudesOf(terrain_);
        RunStages(shaped_, s, terrain_.waterLevel, false);
        shapedStages_ = s;
        shapedLevel_ = terrain_.waterLevel;
        shapedMade_ = true;
    }
    return shaped_;
}

const FlowGraph& WebMap::Flow() {
    const AltitudeGrid& g = ShapedGrid();  // first: a new grid forgets the graph
    const double level = terrain_.waterLevel;
    if (!flow_ || flowLevel_ != level) {
        flow_.reset();
        flow_ = FlowGraph::Drained(g.width, g.height, g.altitudes, level, false);
        flowLevel_ = level;
    }
    return *flow_;
}

void WebMap::SetStages(const WebStages& stages) {
    stages_ = stages;
}

std::string WebMap::Generate(const GEO_MakeLand& settings, const ProgressSink& progress) {
    // As the dialog's OK does, every parameter is written before the map is
    // grown; a refused generation keeps the old cells.
    GEO_MakeLand& t = terrain_;
    for (const ParameterRow& row : ParameterTable())
        row.Copy(settings, t);
    try {
        if (settings.manualPlacement) {
            t.concentrationPoints.RemoveAll();
            for (const Point& p : settings.concentrationPoints)
                t.concentrationPoints.Add(p);
        }
        shapedMade_ = false;
        OneThread oneThread(t);
        t.Generate(LandCircles(), nullptr, progress);
    } catch (...) {
        return FailureText();
    }
    fromParameters_ = true;
    return "";
}

LoadResult WebMap::Load(std::vector<unsigned char> bytes, std::string& message) {
    try {
        const MapFileKind kind = LoadMapFileBytes(terrain_, std::move(bytes));
        if (kind != MapFileKind::None) {
            shapedMade_ = false;
            fromParameters_ = kind == MapFileKind::Map;
        }
        switch (kind) {
        case MapFileKind::Map:
            return LoadResult::Map;
        case MapFileKind::Raw:
            return LoadResult::Raw;
        case MapFileKind::None:
            return LoadResult::None;
        }
    } catch (...) {
        message = FailureText();
    }
    return LoadResult::Failed;
}

bool WebMap::GridSize(int32_t& width, int32_t& height) const {
    const GEO_MakeLand::GridSize size = terrain_.CellGridSize();
    width = size.formsGrid ? size.width : 0;
    height = size.formsGrid ? size.height : 0;
    return size.formsGrid;
}

std::vector<unsigned char> WebMap::Render(bool regions, const ProgressSink& progress) {
    int32_t w = 0, h = 0;
    if (!GridSize(w, h))
        return {};
    Picture picture(w, h);
    {
        OneThread oneThread(terrain_);
        Shaped shaped(*this);
        terrain_.Render(picture, regions, progress);
    }
    if (stages_.shade)
        ShadeRelief(picture, ShapedGrid(), terrain_.waterLevel);
    if (stages_.riverThreshold > 0)
        DrawRiversAndLakes(picture);
    if (regions)
        DrawPointMarks(picture, terrain_.concentrationPoints);
    return RgbaBytes(picture);
}

void WebMap::DrawRiversAndLakes(Picture& picture) {
    const FlowGraph& flow = Flow();
    const AltitudeGrid& g = ShapedGrid();
    const double level = terrain_.waterLevel;
    const std::vector<uint8_t> lakes = LakeMask(g.altitudes, flow);
    const std::vector<uint8_t> rivers =
        RiverMask(g.altitudes, flow, lakes, level, stages_.riverThreshold);
    DrawWaters(picture, g.altitudes, flow, lakes, rivers, level, stages_.riverThreshold);
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
    const HeightWindow grid = stages_.landform.Active() ? HeightWindow::OfGrid(ShapedGrid())
                                                        : HeightWindow::OfCells(terrain_);
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
    sidecar.waterLevel = terrain_.waterLevel;
    sidecar.recipe = recipe;
    return SidecarJson(sidecar);
}

std::string WebMap::Recipe(bool regions) const {
    RecipeOptions options;
    options.stages = stages_.landform;
    options.riverThreshold = stages_.riverThreshold;
    options.regions = regions;
    options.shade = stages_.shade;
    options.edge = stages_.edge;
    return RecipeText(terrain_, fromParameters_, options);
}

std::string WebMap::Report() {
    Shaped shaped(*this);
    return BuildLandReport(terrain_.GetData(), size_t(terrain_.GetSize()), terrain_.waterLevel);
}

std::vector<unsigned char> WebMap::MapFileBytes() const {
    return ::MapFileBytes(terrain_, MapFileKind::Map);
}

std::vector<unsigned char> WebMap::RawFileBytes() const {
    return ::MapFileBytes(terrain_, MapFileKind::Raw);
}

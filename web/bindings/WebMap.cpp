#include "web/bindings/WebMap.h"

#include "core/HeightSample.h"
#include "core/LandReport.h"
#include "core/MapFile.h"
#include "core/ParameterTable.h"
#include "core/PointMarks.h"
#include "data/Failures.h"
#include "data/GEO_LandCircle.h"

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
        OneThread oneThread(t);
        t.Generate(LandCircles(), nullptr, progress);
    } catch (...) {
        return FailureText();
    }
    return "";
}

LoadResult WebMap::Load(std::vector<unsigned char> bytes, std::string& message) {
    try {
        switch (LoadMapFileBytes(terrain_, std::move(bytes))) {
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
        terrain_.Render(picture, regions, progress);
    }
    if (regions)
        DrawPointMarks(picture, terrain_.concentrationPoints);
    return RgbaBytes(picture);
}

std::vector<unsigned char> WebMap::PlacementPicture(int32_t width, int32_t height,
                                                    const PointArray& points) {
    Picture picture(width, height);
    DrawPointMarks(picture, points);
    return RgbaBytes(picture);
}

std::vector<uint16_t> WebMap::HeightSamples() const {
    int32_t w = 0, h = 0;
    if (!GridSize(w, h))
        return {};
    std::vector<uint16_t> samples(size_t(w) * size_t(h));
    const LandCell* cells = terrain_.GetData();
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = HeightSample(cells[i].altitude);
    return samples;
}

std::string WebMap::Report() const {
    return BuildLandReport(terrain_.GetData(), size_t(terrain_.GetSize()), terrain_.waterLevel);
}

std::vector<unsigned char> WebMap::MapFileBytes() const {
    return ::MapFileBytes(terrain_, MapFileKind::Map);
}

std::vector<unsigned char> WebMap::RawFileBytes() const {
    return ::MapFileBytes(terrain_, MapFileKind::Raw);
}

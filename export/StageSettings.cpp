#include "export/StageSettings.h"

#include "core/GEO_MakeLand.h"
#include "export/SettingText.h"
#include "landform/Smoothing.h"

namespace {

using Id = StageSettingId;

constexpr StageSetting rows[] = {
    {Id::Point, "--point", "point"},
    {Id::Smooth, "--smooth", "smooth"},
    {Id::Erode, "--erode", "erode"},
    {Id::Erodibility, "--erodibility", "erodibility"},
    {Id::Thermal, "--thermal", "thermal"},
    {Id::Rivers, "--rivers", "rivers"},
    {Id::Regions, "--regions", "regions", false},
    {Id::Shade, "--shade", "shade", false},
    {Id::Edge, "--edge", "edge"},
    // The sidecar's numbers: they change no sample, and the page writes no engine's.
    {Id::Engine, "--engine", ""},
    {Id::HeightRange, "--height-range-m", ""},
};

// Erosion and talus steps share their range.
int32_t Steps(const std::string& text, std::string_view option) {
    const auto steps = WholeInteger<int64_t>(text);
    if (!steps || *steps < 0 || *steps > maxErosionSteps)
        throw SettingRefusal(std::string(option) + ": expected an integer from 0 to " +
                             std::to_string(maxErosionSteps) + ", got " + QuotedText(text));
    return int32_t(*steps);
}

}  // namespace

std::span<const StageSetting> StageSettings() {
    return rows;
}

const StageSetting* FindStageSetting(std::string_view option) {
    for (const StageSetting& row : rows)
        if (row.option == option)
            return &row;
    return nullptr;
}

std::string StageOption(StageSettingId id) {
    for (const StageSetting& row : rows)
        if (row.id == id)
            return std::string(row.option);
    return {};
}

void SetStageSetting(const StageSetting& setting, const std::string& text, GEO_MakeLand& terrain,
                     RecipeOptions& o) {
    const auto refuse = [&](const std::string& expected) {
        return SettingRefusal(std::string(setting.option) + ": expected " + expected + ", got " +
                              QuotedText(text));
    };
    switch (setting.id) {
    case Id::Point:
        terrain.concentrationPoints.Add(PointText(text));
        // Hand placement keeps the random point count as it was, as the desktop program does.
        terrain.manualPlacement = 1;
        break;
    case Id::Smooth: {
        const auto radius = WholeInteger<int64_t>(text);
        if (!radius || *radius < 0 || *radius > maxSmoothRadius)
            throw refuse("an integer from 0 to " + std::to_string(maxSmoothRadius));
        o.stages.smoothRadius = int32_t(*radius);
        break;
    }
    case Id::Erode:
        o.stages.erodeSteps = Steps(text, setting.option);
        break;
    case Id::Thermal:
        o.stages.thermalSteps = Steps(text, setting.option);
        break;
    case Id::Erodibility: {
        const auto k = WholeNumber(text);
        if (!k || !(*k >= 0.0 && *k <= 1.0))
            throw refuse("a number from 0 to 1");
        o.stages.erodibility = *k == 0.0 ? 0.0 : *k;
        break;
    }
    case Id::Rivers: {
        const auto cells = WholeInteger<int64_t>(text);
        if (!cells || *cells < 0 || *cells > int64_t{1} << 28)
            throw refuse("a cell count from 0 to 268435456");
        o.riverThreshold = uint32_t(*cells);
        break;
    }
    case Id::Regions:
        o.regions = true;
        break;
    case Id::Shade:
        o.shade = true;
        break;
    case Id::Edge:
        if (text != "wrap" && text != "repeat")
            throw refuse("wrap or repeat");
        o.edge = text == "repeat" ? HeightEdge::Repeat : HeightEdge::Wrap;
        break;
    case Id::Engine:
        o.engine = EngineNamed(text);
        if (o.engine == nullptr)
            throw refuse("unreal, unity or godot");
        break;
    case Id::HeightRange: {
        const auto metres = WholeNumber(text);
        if (!metres || !(*metres > 0.0 && *metres <= 1e6))
            throw refuse("metres greater than 0 and at most 1000000");
        o.heightRangeMetres = *metres;
        break;
    }
    }
}

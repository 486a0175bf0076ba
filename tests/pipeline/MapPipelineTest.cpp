// The map pipeline: each part computed once per change of what it depends
// on, the seed's map untouched by stages and pictures, and its outputs
// written all or none.

#include "pipeline/MapPipeline.h"

#include "core/MapFile.h"
#include "core/Stopped.h"
#include "export/SaveForm.h"
#include "landform/LandformStages.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using testsupport::Bytes;
using testsupport::ReadBytes;
using testsupport::ScratchDir;
using testsupport::WriteBytes;

// An island with ridges on it and sea around it, so that there are lakes,
// rivers and slopes for every stage to change.
GEO_MakeLand Island(int32_t w = 64, int32_t h = 48) {
    GEO_MakeLand t;
    t.width = t.gridWidth = w;
    t.height = t.gridHeight = h;
    t.seed = 4242;
    t.waterLevel = 0.3;
    t.concentrationPoints.Add({10, 12});
    t.SetSize(w * h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const double dx = double(x - w / 2) / w, dy = double(y - h / 2) / h;
            const double dome = std::max(0.0, 1.0 - 4.0 * (dx * dx + dy * dy));
            const double ridges = double((x * 7 + y * 13) % 29) / 28.0;
            LandCell& cell = t[y * w + x];
            cell.altitude = 0.7 * dome + 0.2 * ridges * dome;
            cell.region = uint16_t((x / 16) % 3);
        }
    return t;
}

Bytes CellBytes(const GEO_MakeLand& t) {
    const auto* p = reinterpret_cast<const unsigned char*>(t.GetData());
    return Bytes(p, p + size_t(t.GetSize()) * sizeof(LandCell));
}

PipelineSettings Stages(int32_t smooth, int32_t erode, uint32_t rivers) {
    PipelineSettings s;
    s.recipe.stages.smoothRadius = smooth;
    s.recipe.stages.erodeSteps = erode;
    s.recipe.riverThreshold = rivers;
    s.recipe.shade = true;
    s.recipe.regions = true;
    return s;
}

PipelineOutputs EveryOutput(const ScratchDir& dir) {
    PipelineOutputs o;
    o.files = {{(dir / "m.ld").string(), FileFormId::Map},
               {(dir / "p.png").string(), FileFormId::Picture},
               {(dir / "q.png").string(), FileFormId::Picture}};
    o.heightmaps = {{(dir / "h.r16").string(), FileFormId::HeightmapR16}};
    o.layers = {{LayerKind::Flow, (dir / "f.tif").string()},
                {LayerKind::Lakes, (dir / "l.png").string()},
                {LayerKind::Rivers, (dir / "r.png").string()}};
    return o;
}

TEST(MapPipeline, EachPartIsComputedOncePerChangeOfWhatItDependsOn) {
    MapPipeline p(Island(), MapFileKind::Map, Stages(2, 0, 20));
    const auto counts = [&p] {
        const auto& c = p.Computed();
        return std::vector<int>{c.shapings, c.drainings, c.riverMasks};
    };
    p.Render({});
    EXPECT_EQ(counts(), (std::vector<int>{1, 1, 1}));
    ScratchDir dir;
    p.Write(EveryOutput(dir), {});
    (void)p.InfoJsonText();
    EXPECT_EQ(counts(), (std::vector<int>{1, 1, 1})) << "pictures, files and report share them";

    PipelineSettings s = p.Settings();
    s.recipe.shade = false;
    s.recipe.regions = false;
    p.SetSettings(s);
    p.Render({});
    EXPECT_EQ(counts(), (std::vector<int>{1, 1, 1})) << "picture options change no part";

    s.recipe.riverThreshold = 40;
    p.SetSettings(s);
    p.Render({});
    EXPECT_EQ(counts(), (std::vector<int>{1, 1, 2})) << "a threshold redraws the rivers only";

    // Water at another level is the picture's alone: the map's own stays.
    p.Render({}, 0.35);
    EXPECT_EQ(counts(), (std::vector<int>{1, 2, 3}));
    p.Render({});
    EXPECT_EQ(counts(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(p.KnownWaters()->drained->level, 0.3);

    s.recipe.stages.erodeSteps = 3;
    p.SetSettings(s);
    p.Render({});
    EXPECT_EQ(counts(), (std::vector<int>{2, 3, 4})) << "new stages reshape and drain again";
}

TEST(MapPipeline, TheClimateIsComputedOncePerChangeOfHeightsLevelOrClimate) {
    PipelineSettings s = Stages(2, 0, 20);
    s.recipe.biomeColours = true;
    MapPipeline p(Island(), MapFileKind::Map, s);
    const auto climates = [&p] { return p.Computed().climates; };
    p.Render({});
    ScratchDir dir;
    PipelineOutputs outputs;
    outputs.layers = {{LayerKind::Biomes, (dir / "b.png").string()},
                      {LayerKind::Temperature, (dir / "t.tif").string()}};
    outputs.masks = {{MaskEngine::Unreal, (dir / "m_").string()}};
    p.Write(outputs, {});
    (void)p.InfoJsonText();
    EXPECT_EQ(climates(), 1) << "pictures, layers, masks and report share it";
    p.Render({}, 0.35);
    EXPECT_EQ(climates(), 1) << "another level's picture keeps the map's climate";
    s.recipe.climate.wind = WindFrom::E;
    p.SetSettings(s);
    p.Render({});
    EXPECT_EQ(climates(), 2);
    p.SetWaterLevel(0.25);
    p.Render({});
    EXPECT_EQ(climates(), 3);
    s.recipe.stages.smoothRadius = 1;
    p.SetSettings(s);
    p.Render({});
    EXPECT_EQ(climates(), 4);
}

TEST(MapPipeline, MasksOfASizeTheEngineRefusesWriteNothing) {
    const Bytes old = {'o', 'l', 'd'};
    ScratchDir dir;
    WriteBytes(dir / "p.png", old);
    PipelineOutputs outputs;
    outputs.files = {{(dir / "p.png").string(), FileFormId::Picture}};
    outputs.masks = {{MaskEngine::Unity, (dir / "u_").string()}};  // 64 x 48: no power of two
    MapPipeline p(Island(), MapFileKind::Map, Stages(0, 0, 0));
    EXPECT_THROW(p.Write(outputs, {}), PipelineFailure);
    EXPECT_EQ(ReadBytes(dir / "p.png"), old);
    EXPECT_EQ(dir.Entries().size(), 1u);
}

TEST(MapPipeline, AMovedWaterLevelReshapesOnlyWhatErosionBasesOnIt) {
    MapPipeline p(Island(), MapFileKind::Map, Stages(2, 0, 20));
    const auto counts = [&p] {
        const auto& c = p.Computed();
        return std::vector<int>{c.shapings, c.drainings, c.riverMasks};
    };
    p.Render({});
    p.SetWaterLevel(0.25);
    p.Render({});
    EXPECT_EQ(counts(), (std::vector<int>{1, 2, 2})) << "smoothing knows no water level";
    EXPECT_EQ(p.KnownWaters()->drained->level, 0.25);

    PipelineSettings s = p.Settings();
    s.recipe.stages.erodeSteps = 2;
    p.SetSettings(s);
    p.Render({});
    const std::vector<double> erodedAtLow = p.ShapedHeights().altitudes;
    p.SetWaterLevel(0.3);
    p.Render({});
    EXPECT_EQ(counts(), (std::vector<int>{3, 4, 4})) << "erosion's base moved";
    EXPECT_NE(p.ShapedHeights().altitudes, erodedAtLow);
}

TEST(MapPipeline, TheSeedsMapIsNeverChangedByStagesPicturesOrWriting) {
    const GEO_MakeLand island = Island();
    ScratchDir dir;
    // The reference: the map file of the island as it was given.
    SaveForm(FormOf(FileFormId::Map), {island}, dir / "reference.ld");

    MapPipeline p(island, MapFileKind::Map, Stages(3, 5, 15));
    const Bytes cells = CellBytes(island);
    p.Render({}, 0.5);
    p.Write(EveryOutput(dir), {});
    MapPipeline stacked = p.WithStages(Stages(0, 0, 0).recipe.stages, {});
    EXPECT_EQ(CellBytes(p.Seed()), cells);
    EXPECT_EQ(CellBytes(stacked.Seed()), cells);
    EXPECT_EQ(p.Seed().waterLevel, 0.3) << "a picture at another level leaves the map's";
    EXPECT_EQ(ReadBytes(dir / "m.ld"), ReadBytes(dir / "reference.ld"));
    // ...while the pictures and heightmaps show the shaped heights.
    EXPECT_NE(CellBytes(p.ShapedMap()), cells);
    const auto& shaped = p.ShapedHeights().altitudes;
    for (size_t i = 0; i < shaped.size(); i += 97)
        EXPECT_EQ(p.ShapedMap().GetData()[i].altitude, shaped[i]);
}

TEST(MapPipeline, StagesStackedAsARecipeRunsThemEqualThemRunAtOnce) {
    MapPipeline smoothed(Island(), MapFileKind::Map, Stages(2, 0, 0));
    LandformStages erosion;
    erosion.erodeSteps = 4;
    erosion.thermalSteps = 2;
    MapPipeline stacked = smoothed.WithStages(erosion, {});

    // The reference: the stages from the seed in one run.
    AltitudeGrid once = AltitudesOf(Island());
    LandformStages both = erosion;
    both.smoothRadius = 2;
    RunStages(once, both, 0.3, false);
    EXPECT_EQ(stacked.ShapedHeights().altitudes, once.altitudes);
    EXPECT_NE(stacked.Recipe().find("--smooth 2"), std::string::npos) << stacked.Recipe();
    EXPECT_NE(stacked.Recipe().find("--erode 4"), std::string::npos) << stacked.Recipe();

    // Smoothing after erosion is no recipe's order: nothing may claim one.
    LandformStages smoothing;
    smoothing.smoothRadius = 1;
    MapPipeline unordered = stacked.WithStages(smoothing, {});
    EXPECT_EQ(unordered.Recipe(), "");
    EXPECT_TRUE(unordered.Reshaped());
    PipelineSettings other = unordered.Settings();
    other.recipe.stages.smoothRadius = 5;
    EXPECT_THROW(unordered.SetSettings(other), std::logic_error);
}

// Every old file as it was, no new file and no temporary one.
void ExpectUntouched(const ScratchDir& dir, const Bytes& old) {
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"h.r16", "m.ld", "p.png"}));
    for (const char* name : {"h.r16", "m.ld", "p.png"})
        EXPECT_EQ(ReadBytes(dir / name), old) << name;
}

TEST(MapPipeline, OutputsAreWrittenAllOrNone) {
    const Bytes old = {'o', 'l', 'd'};
    const auto prepared = [&old](const ScratchDir& dir) {
        for (const char* name : {"h.r16", "m.ld", "p.png"})
            WriteBytes(dir / name, old);
    };
    {
        SCOPED_TRACE("a layer that cannot be written, after every other file was");
        ScratchDir dir;
        prepared(dir);
        PipelineOutputs outputs = EveryOutput(dir);
        outputs.files.resize(2);
        outputs.layers = {{LayerKind::Rivers, (dir / "no-such-folder" / "r.png").string()}};
        MapPipeline p(Island(), MapFileKind::Map, Stages(1, 0, 10));
        EXPECT_ANY_THROW(p.Write(outputs, {}));
        ExpectUntouched(dir, old);
    }
    {
        SCOPED_TRACE("stopped by the stages' sink once the map file was staged");
        ScratchDir dir;
        prepared(dir);
        PipelineOutputs outputs = EveryOutput(dir);
        outputs.files.resize(2);
        outputs.layers.clear();
        MapPipeline p(Island(), MapFileKind::Map, Stages(0, 20, 0));
        PipelineProgress stop;
        stop.stages = [](const ProgressReport& r) { return r.phase != ProgressPhase::Eroding; };
        EXPECT_THROW(p.Write(outputs, stop), Stopped);
        ExpectUntouched(dir, old);
        // Nothing half-shaped is kept: the next run shapes afresh and writes.
        p.Write(outputs, {});
        EXPECT_NE(ReadBytes(dir / "p.png"), old);
    }
    {
        SCOPED_TRACE("tiles too small for the map");
        ScratchDir dir;
        prepared(dir);
        PipelineSettings s = Stages(0, 0, 0);
        s.tileColumns = s.tileRows = 64;
        MapPipeline p(Island(), MapFileKind::Map, s);
        PipelineOutputs outputs = EveryOutput(dir);
        outputs.files.resize(2);
        outputs.layers.clear();
        EXPECT_THROW(p.Write(outputs, {}), PipelineFailure);
        ExpectUntouched(dir, old);
    }
}

}  // namespace

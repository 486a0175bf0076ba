// What an engine gets beside its heightmap: the Unreal numbers that put the
// sea at Z = 0, the warnings about sizes and forms it reads poorly, and
// tile layouts refused before any file is touched.

#include "ExportTerrain.h"
#include "ReadBack.h"

#include "export/EngineProfile.h"
#include "export/FileForm.h"
#include "export/HeightmapSet.h"
#include "export/Sidecar.h"

#include "tests/support/FailureKinds.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using testsupport::ScratchDir;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Unreal reads sample s at Z = locationZ + (s - 32768) * zScale / 128 cm,
// and at scale 100 the 65536 samples span 512 m.
TEST(UnrealSidecar, TheSeaSampleLandsAtZZeroAndTheRangeSpansTheMetres) {
    const ScratchDir dir;
    for (const double water : {0.3, 0.0, 0.731, 1.0}) {
        for (const double metres : {1000.0, 8848.0}) {
            SCOPED_TRACE(testing::Message() << "water " << water << ", " << metres << " m");
            HeightmapSidecar sidecar;
            sidecar.width = sidecar.height = 127;
            sidecar.waterLevel = water;
            sidecar.heightRangeMetres = metres;
            sidecar.engine = EngineNamed("unreal");
            testsupport::WriteBytes(dir.path() / "s.json", [&] {
                const std::string json = SidecarJson(sidecar);
                return testsupport::Bytes(json.begin(), json.end());
            }());
            auto j = readback::JsonFields(dir.path() / "s.json");
            ASSERT_FALSE(j.empty()) << "Python's json refused the sidecar";
            EXPECT_EQ("unreal", j["engine"]);
            const double sea = std::stod(j["seaLevelSample"]);
            EXPECT_EQ(std::round(water * 65535.0), sea);
            const double zScale = std::stod(j["unrealZScale"]);
            EXPECT_NEAR(metres * 100.0, 65536.0 * zScale / 128.0, 1e-9 * metres);
            const double locationZ = std::stod(j["unrealLocationZ"]);
            EXPECT_NEAR(0.0, locationZ + (sea - 32768.0) * zScale / 128.0, 1e-9 * metres);
        }
    }
    // Worked by hand: sample 19661 is 13107 below the landscape's zero, at
    // 1000 / 512 m a step of 128 samples.
    HeightmapSidecar sidecar;
    sidecar.waterLevel = 0.3;
    sidecar.engine = EngineNamed("unreal");
    const std::string json = SidecarJson(sidecar);
    EXPECT_TRUE(Has(json, "\"seaLevelSample\": 19661,")) << json;
    EXPECT_TRUE(Has(json, "\"unrealLocationZ\": 19999.69482421875,")) << json;
}

TEST(UnrealSidecar, OnlyUnrealGetsZNumbers) {
    for (const EngineProfile& engine : EngineProfiles()) {
        HeightmapSidecar sidecar;
        sidecar.engine = &engine;
        const std::string json = SidecarJson(sidecar);
        EXPECT_EQ(engine.engine == Engine::Unreal, Has(json, "unrealZScale")) << engine.name;
        EXPECT_TRUE(Has(json, "\"engine\": \"" + std::string(engine.name) + "\"")) << json;
    }
}

// A recipe holding every character JSON must escape reaches Python intact.
TEST(Sidecar, AnyRecipeTextIsValidJson) {
    const ScratchDir dir;
    HeightmapSidecar sidecar;
    sidecar.recipe = "glenvar-cli generate 'a \"b\"' c\\d\ttab\nline\x01\x1f caf\xc3\xa9";
    sidecar.tiles.push_back({"t \"1\"\\.png", {0, 0, 0, 0, 2, 2}});
    const std::string json = SidecarJson(sidecar);
    testsupport::WriteBytes(dir.path() / "s.json", testsupport::Bytes(json.begin(), json.end()));
    auto j = readback::JsonFields(dir.path() / "s.json");
    ASSERT_FALSE(j.empty()) << json;
    EXPECT_EQ(sidecar.recipe, j["recipe"]);
    EXPECT_EQ(sidecar.tiles[0].file, j["tiles.0.file"]);
}

HeightmapLayout EngineLayout(const char* engine, HeightEdge edge, int32_t columns = 1,
                             int32_t rows = 1) {
    HeightmapLayout layout;
    layout.engine = EngineNamed(engine);
    layout.edge = edge;
    layout.tileColumns = columns;
    layout.tileRows = rows;
    return layout;
}

std::vector<std::string> Warnings(FileFormId form, const GEO_MakeLand& t,
                                  const HeightmapLayout& layout) {
    return EngineWarnings(FormOf(form), t, layout);
}

TEST(EngineWarnings, SizesTheEngineDoesNotRecommend) {
    const GEO_MakeLand t126 = ExportTerrain(126, 126, 0.5);
    EXPECT_TRUE(Warnings(FileFormId::HeightmapPng, t126, HeightmapLayout()).empty())
        << "no engine, no advice";
    EXPECT_TRUE(Warnings(FileFormId::HeightmapPng, t126, EngineLayout("unreal", HeightEdge::Repeat))
                    .empty());

    // Wrapped, 126 samples: the closing column would make the 127 Unreal wants.
    const std::vector<std::string> wrapped =
        Warnings(FileFormId::HeightmapPng, t126, EngineLayout("unreal", HeightEdge::Wrap));
    ASSERT_EQ(1u, wrapped.size());
    EXPECT_TRUE(Has(wrapped[0], "126 x 126")) << wrapped[0];
    EXPECT_TRUE(Has(wrapped[0], "width 127, height 127")) << wrapped[0];
    EXPECT_TRUE(Has(wrapped[0], "--edge repeat")) << wrapped[0];

    // Closed already: no hint to close it.
    const GEO_MakeLand t127 = ExportTerrain(127, 252, 0.5);
    const std::vector<std::string> closed =
        Warnings(FileFormId::HeightmapPng, t127, EngineLayout("unreal", HeightEdge::Repeat));
    ASSERT_EQ(1u, closed.size());
    EXPECT_TRUE(Has(closed[0], "128 x 253")) << closed[0];
    EXPECT_TRUE(Has(closed[0], "width 127 or 253")) << closed[0];
    EXPECT_FALSE(Has(closed[0], ", height")) << closed[0];
    EXPECT_FALSE(Has(closed[0], "--edge")) << closed[0];

    // Engines take tiles one at a time: 2 x 2 tiles of 65 are 33 a side,
    // 3 x 3 tiles 23 (the first, the largest).
    const GEO_MakeLand t64 = ExportTerrain(64, 64, 0.5);
    EXPECT_TRUE(
        Warnings(FileFormId::HeightmapR16, t64, EngineLayout("unity", HeightEdge::Repeat, 2, 2))
            .empty());
    const std::vector<std::string> tiles =
        Warnings(FileFormId::HeightmapR16, t64, EngineLayout("unity", HeightEdge::Repeat, 3, 3));
    ASSERT_EQ(1u, tiles.size());
    EXPECT_TRUE(Has(tiles[0], "23 x 23")) << tiles[0];
    EXPECT_TRUE(Has(tiles[0], "width 33, height 33")) << tiles[0];
}

TEST(EngineWarnings, FormsTheEngineReadsPoorly) {
    // Sizes each engine recommends once closed: 127 for Unreal, 33 for the others.
    const GEO_MakeLand t126 = ExportTerrain(126, 126, 0.5);
    const GEO_MakeLand t32 = ExportTerrain(32, 32, 0.5);
    struct Case {
        const char* engine;
        FileFormId form;
        bool warned;
    };
    const Case cases[] = {
        {"unity", FileFormId::HeightmapR16, false},  {"unity", FileFormId::HeightmapPng, true},
        {"godot", FileFormId::HeightmapR16, false},  {"godot", FileFormId::HeightmapPng, true},
        {"godot", FileFormId::HeightmapExr, true},   {"godot", FileFormId::HeightmapTiff, true},
        {"unreal", FileFormId::HeightmapTiff, true}, {"unreal", FileFormId::HeightmapExr, true},
        {"unity", FileFormId::HeightmapExr, true},
    };
    for (const Case& c : cases) {
        const GEO_MakeLand& t = std::string(c.engine) == "unreal" ? t126 : t32;
        const std::vector<std::string> w =
            Warnings(c.form, t, EngineLayout(c.engine, HeightEdge::Repeat));
        SCOPED_TRACE(testing::Message() << c.engine << " " << FormOf(c.form).extension);
        ASSERT_EQ(c.warned ? 1u : 0u, w.size()) << (w.empty() ? "" : w[0]);
        if (c.warned) {
            const EngineProfile& p = *EngineNamed(c.engine);
            EXPECT_TRUE(Has(w[0], std::string(p.displayName) + " reads " +
                                      std::string(p.preferredExtension)))
                << w[0];
        }
    }
    // Unreal reads .r16 as well as .png.
    for (const FileFormId form : {FileFormId::HeightmapPng, FileFormId::HeightmapR16})
        EXPECT_TRUE(Warnings(form, t126, EngineLayout("unreal", HeightEdge::Repeat)).empty());
}

TEST(LayoutRefusal, TilesBelowTwoSamplesASideAreRefusedBeforeAnythingIsWritten) {
    const GEO_MakeLand t = ExportTerrain(4, 4, 0.5);
    HeightmapLayout layout;
    layout.tileColumns = 4;  // 4 samples a row: 3 steps for 4 tiles
    const std::string refusal = LayoutRefusal(t, layout);
    EXPECT_TRUE(Has(refusal, "--tiles")) << refusal;
    EXPECT_TRUE(Has(refusal, "4x1 tiles of a 4 x 4 heightmap")) << refusal;
    layout.tileColumns = 1;
    layout.tileRows = 0;
    EXPECT_FALSE(LayoutRefusal(t, layout).empty());
    layout.tileRows = 4;
    layout.edge = HeightEdge::Repeat;  // 5 samples a side: 4 tiles of 2
    EXPECT_EQ("", LayoutRefusal(t, layout));
    layout.tileColumns = 3;
    EXPECT_EQ("", LayoutRefusal(t, layout));

    layout.edge = HeightEdge::Wrap;
    const FileForm& png = FormOf(FileFormId::HeightmapPng);
    using testsupport::FailureKindOf;
    EXPECT_EQ(FailureKind::Layout, FailureKindOf([&] { HeightmapParts(png, t, layout, "h.png"); }));
    const ScratchDir dir;
    const std::string path = (dir.path() / "h.png").string();
    const testsupport::Bytes old = {'o', 'l', 'd'};
    testsupport::WriteBytes(path, old);
    EXPECT_EQ(FailureKind::Layout, FailureKindOf([&] { SaveHeightmapSet(png, t, layout, path); }));
    EXPECT_EQ(std::vector<std::string>{"h.png"}, testsupport::Entries(dir.path()));
    EXPECT_EQ(old, testsupport::ReadBytes(path));
}

}  // namespace

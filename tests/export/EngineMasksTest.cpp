// Material masks: weights that add to 255 by largest remainders, the rules
// putting water, snow and rock where they belong, Terrain3D's control value
// as its published bit layout decodes it, and the sizes each engine takes.

#include "export/EngineMasks.h"
#include "ReadBack.h"
#include "data/Archive.h"
#include "data/SafeSave.h"
#include "export/MaskRules.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

namespace {

using Weights = std::array<double, maskLayerCount>;

TEST(MaskWeights, LargestRemainderAddsTo255AndStaysWithinOneOfTheExactShare) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int trial = 0; trial < 2000; ++trial) {
        Weights w{};
        for (double& v : w)
            v = unit(rng) < 0.4 ? 0.0 : unit(rng) * (trial % 3 == 0 ? 1e-9 : 10.0);
        const auto shares = LargestRemainder(w, 255, 6);
        double sum = 0;
        for (const double v : w)
            sum += v;
        int total = 0;
        for (size_t k = 0; k < w.size(); ++k) {
            total += shares[k];
            if (sum > 0) {
                EXPECT_LT(std::fabs(shares[k] - 255 * w[k] / sum), 1.0) << trial;
            }
        }
        EXPECT_EQ(total, 255) << trial;
    }
}

TEST(MaskWeights, TiesGoToTheLowerLayerAndNothingToTheFallback) {
    const auto even = LargestRemainder(Weights{1, 1, 1, 1, 1, 1, 1}, 255, 6);
    // 255 / 7 = 36.43: three layers take the three units left, the first three.
    EXPECT_EQ((std::array<uint8_t, 7>{37, 37, 37, 36, 36, 36, 36}), even);
    EXPECT_EQ((std::array<uint8_t, 7>{0, 0, 0, 0, 0, 0, 255}), LargestRemainder(Weights{}, 255, 6));
}

TEST(MaskWeights, RulesPutMudUnderWaterSnowOnIceAndRockOnCliffs) {
    // Sea, flat land a metre above it, then a cliff of 40 m a cell.
    const std::vector<double> heights = {0.299, 0.301, 0.301, 0.301, 0.301, 0.301,
                                         0.301, 0.34,  0.38,  0.42,  0.42,  0.42};
    AltitudeGrid grid(12, 1);
    grid.altitudes = heights;
    grid.boundary = Boundary::Open;
    const std::vector<uint32_t> area(12, 1);
    const std::vector<uint8_t> lakes(12, 0);
    std::vector<Biome> biomes(12, Biome::TemperateSeasonalForest);
    biomes[0] = Biome::Water;
    biomes[2] = Biome::IceAndSnow;
    const std::vector<uint8_t> w = MaskWeights({grid, 0.3, 1000, area, lakes, biomes});
    const auto at = [&](size_t cell, MaskLayer layer) {
        return int(w[cell * maskLayerCount + size_t(layer)]);
    };
    for (size_t cell = 0; cell < 12; ++cell) {
        int sum = 0;
        for (int k = 0; k < maskLayerCount; ++k)
            sum += w[cell * maskLayerCount + size_t(k)];
        EXPECT_EQ(sum, 255) << cell;
    }
    EXPECT_EQ(at(0, MaskLayer::Mud), 255);
    EXPECT_EQ(at(2, MaskLayer::Snow), 255);
    EXPECT_EQ(at(8, MaskLayer::Rock), 255);
    EXPECT_GT(at(4, MaskLayer::Forest), at(4, MaskLayer::Grass));
    EXPECT_GT(at(4, MaskLayer::Grass), 0);
    EXPECT_EQ(at(4, MaskLayer::Rock), 0);
    EXPECT_EQ(at(1, MaskLayer::Rock), 0);
}

TEST(Terrain3D, ControlValueDecodesAsThePluginReadsIt) {
    uint8_t w[maskLayerCount] = {0, 200, 55, 0, 0, 0, 0};
    uint32_t x = Terrain3DControl(w, false);
    EXPECT_EQ(x >> 27 & 0x1F, 1u);   // base
    EXPECT_EQ(x >> 22 & 0x1F, 2u);   // overlay
    EXPECT_EQ(x >> 14 & 0xFF, 55u);  // blend: the overlay's share
    EXPECT_EQ(x >> 2 & 0x1, 0u);     // hole
    EXPECT_EQ(x & 0x3, 0u);          // navigation and autoshader off
    const uint8_t alone[maskLayerCount] = {0, 0, 0, 0, 0, 255, 0};
    x = Terrain3DControl(alone, true);
    EXPECT_EQ(x >> 27 & 0x1F, 5u);
    EXPECT_EQ(x >> 22 & 0x1F, 5u);
    EXPECT_EQ(x >> 14 & 0xFF, 0u);
    EXPECT_EQ(x >> 2 & 0x1, 1u);
    // A tie: the lower layer is the base, the blend half way.
    const uint8_t tie[maskLayerCount] = {0, 0, 0, 100, 100, 55, 0};
    x = Terrain3DControl(tie, false);
    EXPECT_EQ(x >> 27 & 0x1F, 3u);
    EXPECT_EQ(x >> 22 & 0x1F, 4u);
    EXPECT_EQ(x >> 14 & 0xFF, 128u);  // 127.5 rounded up
}

TEST(MaskLayouts, EachEngineTakesOnlyTheSizesItImports) {
    const MaskLayout one{HeightEdge::Repeat, 1, 1};
    const MaskLayout four{HeightEdge::Repeat, 2, 2};
    EXPECT_EQ(MaskRefusal(MaskEngine::Unity, 256, 256, one), "");
    EXPECT_EQ(MaskRefusal(MaskEngine::Unity, 256, 256, four), "");
    EXPECT_EQ(MaskRefusal(MaskEngine::Unity, 16, 16, one), "");
    EXPECT_EQ(MaskRefusal(MaskEngine::Unity, 4096, 4096, one), "");
    for (const auto& [w, h, layout] :
         {std::tuple{200, 150, one}, std::tuple{256, 128, one}, std::tuple{8, 8, one},
          std::tuple{8192, 8192, one}, std::tuple{24, 24, four}, std::tuple{257, 257, one}})
        EXPECT_NE(MaskRefusal(MaskEngine::Unity, w, h, layout).find("from 16 to 4096"),
                  std::string::npos)
            << w << " x " << h;
    EXPECT_EQ(MaskRefusal(MaskEngine::Unreal, 200, 150, four), "");
    EXPECT_NE(MaskRefusal(MaskEngine::Unreal, 3, 3, MaskLayout{HeightEdge::Wrap, 4, 1}), "");
    EXPECT_EQ(MaskRefusal(MaskEngine::Godot, 200, 150, one), "");
}

TEST(MaskLayouts, PathsNameEveryFileTheWritersMake) {
    const MaskLayout four{HeightEdge::Repeat, 2, 2};
    const auto weights =
        std::make_shared<const std::vector<uint8_t>>(size_t(32 * 32 * maskLayerCount), uint8_t(0));
    const auto noData = std::make_shared<const std::vector<uint8_t>>();
    for (const MaskEngine e : {MaskEngine::Unreal, MaskEngine::Unity, MaskEngine::Godot}) {
        const MaskRequest request{e, "out/m_"};
        std::vector<std::string> written;
        for (const HeightmapPart& part : MaskParts(request, four, 32, 32, weights, noData, ""))
            written.push_back(part.path);
        EXPECT_EQ(written, MaskPaths(request, four)) << MaskEngineName(e);
    }
}

// The control values travel as the bits of floats: OpenEXR must give every
// bit back, holes and high texture ids included.
TEST(Terrain3D, ControlMapReadBackByOpenExrHoldsEveryBit) {
    const testsupport::ScratchDir dir;
    const int32_t w = 8, h = 7;
    auto weights = std::make_shared<std::vector<uint8_t>>(size_t(w * h * maskLayerCount), 0);
    auto noData = std::make_shared<std::vector<uint8_t>>(size_t(w * h), 0);
    for (int32_t i = 0; i < w * h; ++i) {
        uint8_t* cell = weights->data() + size_t(i) * maskLayerCount;
        cell[i % maskLayerCount] = uint8_t(255 - i);
        cell[(i + 3) % maskLayerCount] = uint8_t(i);
        (*noData)[size_t(i)] = i % 5 == 0;
    }
    const MaskRequest request{MaskEngine::Godot, (dir.path() / "g_").string()};
    for (const HeightmapPart& part :
         MaskParts(request, {HeightEdge::Wrap, 1, 1}, w, h, weights, noData, ""))
        SaveSafely(part.path, part.write);
    const readback::Samples control = readback::ReadExr(dir.path() / "g_control.exr");
    ASSERT_TRUE(control.ok);
    ASSERT_EQ(control.width, w);
    for (int32_t i = 0; i < w * h; ++i) {
        const uint32_t bits = std::bit_cast<uint32_t>(float(control.values[size_t(i)]));
        EXPECT_EQ(bits, Terrain3DControl(weights->data() + size_t(i) * maskLayerCount,
                                         (*noData)[size_t(i)] != 0))
            << "cell " << i;
    }
}

}  // namespace

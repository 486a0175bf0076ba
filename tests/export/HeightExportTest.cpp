// Heightmap layouts and forms: closed edges and tiles stitched back equal
// the grid, EXR files read back by OpenEXR's reader and exrheader, and the
// engines' size advice.

#include "export/EngineProfile.h"
#include "export/ExrFile.h"
#include "export/HeightLayout.h"
#include "export/HeightWindow.h"
#include "export/RecipeFile.h"

#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfStringAttribute.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <tuple>

namespace {

AltitudeGrid RandomGrid(int32_t w, int32_t h, uint32_t seed) {
    std::mt19937 random(seed);
    AltitudeGrid g(w, h);
    for (double& v : g.altitudes)
        v = double(random()) / 4294967296.0;
    return g;
}

TEST(HeightLayout, ClosedEdgeAndTilesStitchBackToTheGrid) {
    for (const auto& [w, h, k, l] :
         {std::tuple{5, 4, 1, 1}, {5, 4, 2, 3}, {16, 9, 4, 2}, {1008, 7, 2, 2}, {3, 3, 3, 3}}) {
        SCOPED_TRACE(::testing::Message() << w << "x" << h << " in " << k << "x" << l);
        const AltitudeGrid grid = RandomGrid(w, h, uint32_t(w * 31 + h));
        const HeightWindow closed = HeightWindow::OfGrid(grid).Closed();
        ASSERT_EQ(w + 1, closed.Width());
        ASSERT_EQ(h + 1, closed.Height());
        for (int32_t y = 0; y <= h; ++y)
            for (int32_t x = 0; x <= w; ++x)
                ASSERT_EQ(grid.at(x % w, y % h), closed.At(x, y));

        const std::vector<HeightTile> tiles = TilesOf(w + 1, h + 1, k, l);
        ASSERT_EQ(size_t(k * l), tiles.size());
        AltitudeGrid stitched(w + 1, h + 1, -1.0);
        for (const HeightTile& t : tiles) {
            const HeightWindow piece = closed.Tile(t);
            ASSERT_EQ(t.width, piece.Width());
            for (int32_t y = 0; y < t.height; ++y)
                for (int32_t x = 0; x < t.width; ++x) {
                    double& cell = stitched.at(t.x + x, t.y + y);
                    // Shared edges agree, and every sample is covered.
                    ASSERT_TRUE(cell == -1.0 || cell == piece.At(x, y));
                    cell = piece.At(x, y);
                }
        }
        for (int32_t y = 0; y <= h; ++y)
            for (int32_t x = 0; x <= w; ++x)
                ASSERT_EQ(closed.At(x, y), stitched.at(x, y));
    }
    EXPECT_TRUE(TilesOf(3, 3, 3, 1).empty());  // a tile of one sample a side
    EXPECT_EQ("out/w_x1_y0.png", TilePath("out/w.png", {1, 0, 0, 0, 2, 2}));
}

TEST(ExrHeightmap, ReadBackByOpenExrAndExrheader) {
    AltitudeGrid grid = RandomGrid(7, 5, 3);
    grid.at(6, 4) = 1.0;
    const std::string recipe = "glenvar-cli generate --seed 7 --smooth \"3\"";
    const std::vector<unsigned char> bytes = EncodeHeightmapExr(HeightWindow::OfGrid(grid), recipe);
    EXPECT_EQ(recipe, RecipeOfBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                                     bytes.size())));

    const testsupport::ScratchDir dir;
    const std::string path = (dir.path() / "w.exr").string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    Imf::InputFile file(path.c_str());
    const auto* attribute =
        file.header().findTypedAttribute<Imf::StringAttribute>(exrRecipeAttribute);
    ASSERT_NE(nullptr, attribute);
    EXPECT_EQ(recipe, attribute->value());
    const Imath::Box2i window = file.header().dataWindow();
    ASSERT_EQ(6, window.max.x - window.min.x);
    ASSERT_EQ(4, window.max.y - window.min.y);
    std::vector<float> samples(35);
    Imf::FrameBuffer frame;
    frame.insert("Y", Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(samples.data()), sizeof(float),
                                 sizeof(float) * 7));
    file.setFrameBuffer(frame);
    file.readPixels(window.min.y, window.max.y);
    for (size_t i = 0; i < samples.size(); ++i)
        ASSERT_EQ(static_cast<float>(grid.altitudes[i]), samples[i]) << i;

    const std::string command = std::string(EXRHEADER) + " '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(nullptr, pipe);
    std::string text;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        text += buffer;
    ASSERT_EQ(0, pclose(pipe)) << text;
    EXPECT_NE(std::string::npos, text.find("Y, 32-bit floating-point")) << text;
    EXPECT_NE(std::string::npos, text.find(exrRecipeAttribute)) << text;
}

TEST(EngineProfile, SizeAdviceNamesTheNearestSizes) {
    const EngineProfile& unreal = *EngineNamed("unreal");
    EXPECT_EQ("", SizeWarning(unreal, 1009, 2017));
    const std::string advice = SizeWarning(unreal, 1281, 1009);
    EXPECT_NE(std::string::npos, advice.find("width 1009 or 2017")) << advice;
    EXPECT_EQ(std::string::npos, advice.find(", height")) << advice;
    EXPECT_NE(std::string::npos, SizeWarning(*EngineNamed("godot"), 20, 9000).find("height 4097"));
    EXPECT_EQ("", SizeWarning(*EngineNamed("unity"), 4097, 33));
    EXPECT_DOUBLE_EQ(195.3125, UnrealZScale(1000));
}

}  // namespace

// Every heightmap form as a tool reads it: the file through its own library
// (libpng, libtiff, OpenEXR, plain bytes for .r16) and the sidecar through
// Python's json. The samples are the altitudes, the recipe rides along
// without disturbing them (and --recipe reads it back), and the sidecar's
// numbers describe the file that is really there.

#include "ExportTerrain.h"
#include "ReadBack.h"

#include "export/FileForm.h"
#include "export/HeightmapSet.h"
#include "export/RecipeFile.h"
#include "export/Sidecar.h"

#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using readback::Samples;
using testsupport::ScratchDir;

// Altitude x 65535 rounded to nearest, ties away from zero.
double Sample16(double altitude) {
    return std::round(altitude * 65535.0);
}

double Expected(const Samples& s, double altitude) {
    return s.floats ? double(static_cast<float>(altitude)) : Sample16(altitude);
}

const FileFormId heightmapForms[] = {FileFormId::HeightmapPng, FileFormId::HeightmapR16,
                                     FileFormId::HeightmapTiff, FileFormId::HeightmapExr};

TEST(HeightmapForms, SamplesRecipeAndSidecarAsEveryToolReadsThem) {
    const std::string recipe = "glenvar-cli generate --seed 5 --points '1,2;3,4' --smooth 2";
    for (const FileFormId id : heightmapForms) {
        for (const HeightEdge edge : {HeightEdge::Wrap, HeightEdge::Repeat}) {
            const FileForm& form = FormOf(id);
            SCOPED_TRACE(testing::Message()
                         << form.extension
                         << (edge == HeightEdge::Repeat ? ", closed" : ", wrapped"));
            const GEO_MakeLand t = ExportTerrain(9, 6, 0.3);
            HeightmapLayout layout;
            layout.edge = edge;
            layout.heightRangeMetres = 2500;
            layout.recipe = recipe;
            const ScratchDir dir;
            const std::string path = (dir.path() / "h").string() + std::string(form.extension);
            SaveHeightmapSet(form, t, layout, path);

            const int32_t side = edge == HeightEdge::Repeat ? 1 : 0;
            const Samples s = readback::ReadHeightmap(path, 9 + side);
            ASSERT_TRUE(s.ok);
            ASSERT_EQ(9 + side, s.width);
            ASSERT_EQ(6 + side, s.height);
            for (int32_t y = 0; y < s.height; ++y)
                for (int32_t x = 0; x < s.width; ++x)
                    ASSERT_EQ(Expected(s, t[(y % 6) * 9 + x % 9].altitude), s.at(x, y))
                        << x << ", " << y;
            EXPECT_EQ(id == FileFormId::HeightmapR16 ? "" : recipe, s.recipe);
            // What --recipe reads, from the file whose pixels were just read.
            EXPECT_EQ(recipe,
                      RecipeOfFile(id == FileFormId::HeightmapR16 ? SidecarPath(path) : path));

            auto j = readback::JsonFields(SidecarPath(path));
            ASSERT_FALSE(j.empty()) << "Python's json refused the sidecar";
            EXPECT_EQ(std::to_string(s.width), j["width"]);
            EXPECT_EQ(std::to_string(s.height), j["height"]);
            EXPECT_EQ(s.floats ? "float32" : "uint16", j["sampleForm"]);
            EXPECT_EQ(s.bigEndian ? "big-endian" : "little-endian", j["byteOrder"]);
            EXPECT_EQ(0u, j["edge"].rfind(edge == HeightEdge::Repeat ? "repeat:" : "wrap:", 0))
                << j["edge"];
            EXPECT_EQ("0", j["sampleRange.0"]);
            EXPECT_EQ(s.floats ? "1" : "65535", j["sampleRange.1"]);
            EXPECT_EQ("0", j["altitudeRange.0"]);
            EXPECT_EQ("1", j["altitudeRange.1"]);
            EXPECT_EQ(2500.0, std::stod(j["heightRangeMetres"]));
            EXPECT_EQ(0.3, std::stod(j["seaLevel"]));
            EXPECT_NEAR(750.0, std::stod(j["seaLevelMetres"]), 1e-9);
            // Cell (0, 0) lies exactly at the water level.
            EXPECT_EQ(s.at(0, 0), std::stod(j["seaLevelSample"]));
            EXPECT_EQ(recipe, j["recipe"]);
            EXPECT_EQ(0u, j.count("engine"));
            EXPECT_EQ(0u, j.count("tiles.0.file"));
        }
    }
}

// Tiles read back one by one and put where the sidecar says are the single
// file, every sample covered, shared edges agreeing.
TEST(HeightmapForms, TilesListedInTheSidecarStitchToTheSingleFile) {
    for (const FileFormId id : heightmapForms) {
        const FileForm& form = FormOf(id);
        SCOPED_TRACE(form.extension);
        const GEO_MakeLand t = ExportTerrain(10, 7, 0.5, 9);
        HeightmapLayout layout;
        layout.edge = HeightEdge::Repeat;
        layout.recipe = "glenvar-cli generate --seed 9";
        const ScratchDir dir;
        const std::string whole = (dir.path() / "whole").string() + std::string(form.extension);
        SaveHeightmapSet(form, t, layout, whole);
        const Samples single = readback::ReadHeightmap(whole, 11);
        ASSERT_TRUE(single.ok);

        layout.tileColumns = 3;
        layout.tileRows = 2;
        const std::string tiled = (dir.path() / "t").string() + std::string(form.extension);
        SaveHeightmapSet(form, t, layout, tiled);
        auto j = readback::JsonFields(SidecarPath(tiled));
        ASSERT_FALSE(j.empty()) << "Python's json refused the sidecar";
        EXPECT_EQ("11", j["width"]);
        EXPECT_EQ("8", j["height"]);
        std::vector<int> covered(11 * 8, 0);
        int tiles = 0;
        for (; j.count("tiles." + std::to_string(tiles) + ".file"); ++tiles) {
            const std::string key = "tiles." + std::to_string(tiles) + ".";
            const std::string file = j[key + "file"];
            EXPECT_EQ(std::string::npos, file.find('/')) << "a name, not a path: " << file;
            const int32_t x0 = std::stoi(j[key + "x"]), y0 = std::stoi(j[key + "y"]);
            const int32_t tw = std::stoi(j[key + "width"]);
            const Samples tile = readback::ReadHeightmap(dir.path() / file, tw);
            ASSERT_TRUE(tile.ok) << file;
            EXPECT_EQ(tw, tile.width) << file;
            EXPECT_EQ(std::stoi(j[key + "height"]), tile.height) << file;
            EXPECT_EQ(layout.recipe, id == FileFormId::HeightmapR16 ? layout.recipe : tile.recipe);
            for (int32_t y = 0; y < tile.height; ++y)
                for (int32_t x = 0; x < tile.width; ++x) {
                    ASSERT_EQ(single.at(x0 + x, y0 + y), tile.at(x, y))
                        << file << " " << x << ", " << y;
                    ++covered[size_t((y0 + y) * 11 + x0 + x)];
                }
        }
        EXPECT_EQ(6, tiles);
        for (size_t i = 0; i < covered.size(); ++i)
            ASSERT_GT(covered[i], 0) << "sample " << i << " in no tile";
        EXPECT_EQ(7u, testsupport::Entries(dir.path()).size() - 2) << "six tiles and a sidecar";
    }
}

}  // namespace

// The climate through glenvar-cli: rain shadows on the default map, layers
// and masks read back by libpng and libtiff (weights adding to 255, the
// palette of the biomes), the same bytes on one thread or two, and bad
// climate settings refused with nothing written.

#include "CliHarness.h"
#include "core/GEO_MakeLand.h"
#include "core/MapFile.h"
#include "landform/Biomes.h"
#include "landform/LandformStages.h"

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace clitest;

std::vector<float> TiffFloats(const fs::path& path, uint32_t& width, uint32_t& height) {
    std::vector<float> values;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr)
        return values;
    uint16_t bits = 0, format = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tif, TIFFTAG_SAMPLEFORMAT, &format);
    if (bits == 32 && format == SAMPLEFORMAT_IEEEFP) {
        values.resize(size_t(width) * height);
        for (uint32_t y = 0; y < height; ++y)
            TIFFReadScanline(tif, &values[size_t(y) * width], y);
    }
    TIFFClose(tif);
    return values;
}

// The Done-when figure: on the default map smoothed with radius 3 and the
// wind from the west, land rising eastwards is at least 1.3 times as wet as
// land falling eastwards.
TEST(CliClimate, DefaultMapRisingGroundDownwindWetterThanFalling) {
    ScratchDir dir;
    const RunResult run =
        RunCli({"generate", "--stencils", GLENVAR_TEST_STENCILS, "--smooth", "3", "--wind-from",
                "west", "-o", "m.ld", "--layer", "precipitation=p.tif"},
               dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    GEO_MakeLand map;
    ASSERT_EQ(LoadMapFile(map, dir / "m.ld"), MapFileKind::Map);
    AltitudeGrid grid = AltitudesOf(map);
    RunStages(grid, {3, 0, 0.01, 0}, map.waterLevel, false);
    uint32_t w = 0, h = 0;
    const std::vector<float> rain = TiffFloats(dir / "p.tif", w, h);
    ASSERT_EQ(rain.size(), grid.altitudes.size());
    double rising = 0, falling = 0;
    uint64_t nRising = 0, nFalling = 0;
    for (int32_t y = 0; y < grid.height; ++y)
        for (int32_t x = 0; x < grid.width; ++x) {
            if (grid.at(x, y) <= map.waterLevel)
                continue;
            const double east = grid.at((x + 1) % grid.width, y);
            const double west = grid.at((x + grid.width - 1) % grid.width, y);
            const double p = rain[size_t(y) * w + size_t(x)];
            if (east > west)
                rising += p, ++nRising;
            else if (east < west)
                falling += p, ++nFalling;
        }
    ASSERT_GT(nRising, 0u);
    ASSERT_GT(nFalling, 0u);
    const double ratio = (rising / double(nRising)) / (falling / double(nFalling));
    std::printf("mean precipitation rising eastwards / falling: %.3f\n", ratio);
    RecordProperty("ratio", std::to_string(ratio));
    EXPECT_GE(ratio, 1.3);
}

// Every pixel's weights over the files, channel by channel, add to 255.
void ExpectWeightsAddTo255(const std::vector<fs::path>& files, int channels) {
    std::vector<PngImage> images(files.size());
    for (size_t f = 0; f < files.size(); ++f) {
        ASSERT_TRUE(ReadPng(files[f], images[f])) << files[f];
        ASSERT_EQ(images[f].bitDepth, 8) << files[f];
        ASSERT_EQ(images[f].colourType, channels == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGBA);
        ASSERT_EQ(images[f].data.size(), images[0].data.size()) << files[f];
    }
    const size_t pixels = images[0].data.size() / size_t(channels);
    for (size_t i = 0; i < pixels; ++i) {
        int sum = 0;
        for (const PngImage& image : images)
            for (int c = 0; c < channels; ++c)
                sum += image.data[i * size_t(channels) + size_t(c)];
        ASSERT_EQ(sum, 255) << files[0] << " pixel " << i;
    }
}

TEST(CliClimate, MasksAddTo255InEveryEngineAndMatchTheHeightmapLayout) {
    ScratchDir dir;
    fs::create_directories(dir / "ue");
    fs::create_directories(dir / "un");
    fs::create_directories(dir / "gd");
    const RunResult run = RunCli({"generate",    "--stencils",   GLENVAR_TEST_STENCILS,
                                  "--width",     "256",          "--height",
                                  "256",         "--smooth",     "2",
                                  "--edge",      "repeat",       "--tiles",
                                  "2x2",         "--heightmap",  "h.png",
                                  "--masks",     "unreal:ue/m_", "--masks",
                                  "unity:un/u_", "--masks",      "godot:gd/g_"},
                                 dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<fs::path> unreal;
    for (const char* layer : {"sand", "grass", "forest", "dirt", "rock", "snow", "mud"})
        unreal.push_back(dir / "ue" / (std::string("m_") + layer + "_x1_y0.png"));
    ExpectWeightsAddTo255(unreal, 1);
    ExpectWeightsAddTo255({dir / "un/u_splat0_x0_y1.png", dir / "un/u_splat1_x0_y1.png"}, 4);
    ExpectWeightsAddTo255({dir / "gd/g_splat0_x1_y1.png", dir / "gd/g_splat1_x1_y1.png"}, 4);

    // Unreal's and Godot's tiles are the heightmap's; Unity's the cells cut in four.
    PngImage height, weight, splat;
    ASSERT_TRUE(ReadPng(dir / "h_x1_y0.png", height));
    ASSERT_TRUE(ReadPng(unreal.front(), weight));
    ASSERT_TRUE(ReadPng(dir / "un/u_splat0_x0_y1.png", splat));
    EXPECT_EQ(weight.width, height.width);
    EXPECT_EQ(weight.height, height.height);
    EXPECT_EQ(splat.width, 128u);
    EXPECT_EQ(splat.height, 128u);
    EXPECT_TRUE(fs::exists(dir / "gd/g_control_x0_y0.exr"));
    EXPECT_TRUE(fs::exists(dir / "un/u_layers.json"));
}

TEST(CliClimate, LayersAndMasksTheSameOnOneThreadOrTwo) {
    ScratchDir one, two;
    for (ScratchDir* dir : {&one, &two}) {
        const RunResult run = RunCli(Small({"generate",
                                            "--threads",
                                            dir == &one ? "1" : "2",
                                            "--smooth",
                                            "2",
                                            "--rivers",
                                            "30",
                                            "--colours",
                                            "biomes",
                                            "--shade",
                                            "--wind-from",
                                            "NE",
                                            "-o",
                                            "p.png",
                                            "--layer",
                                            "temperature=t.tif",
                                            "--layer",
                                            "precipitation=r.tif",
                                            "--layer",
                                            "biomes=b.png",
                                            "--masks",
                                            "unreal:m_"}),
                                     dir->path());
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    for (const char* file : {"p.png", "t.tif", "r.tif", "b.png", "m_rock.png", "m_forest.png"})
        EXPECT_EQ(ReadBytes(one / file), ReadBytes(two / file)) << file;
    // The biomes as palette indices, each a biome of the table.
    PngImage biomes;
    ASSERT_TRUE(ReadPng(one / "b.png", biomes));
    EXPECT_EQ(biomes.colourType, PNG_COLOR_TYPE_PALETTE);
    for (const unsigned char id : biomes.data)
        ASSERT_LT(size_t(id), BiomeTable().size());
    const Bytes b = ReadBytes(one / "b.png.json");
    const std::string sidecar(b.begin(), b.end());
    EXPECT_NE(sidecar.find("\"nameJa\": \"ツンドラ\""), std::string::npos) << sidecar;
    const Bytes t = ReadBytes(one / "t.tif.json");
    EXPECT_NE(std::string(t.begin(), t.end()).find("degrees Celsius"), std::string::npos);
}

TEST(CliClimate, BadClimateSettingsRefusedWithTheRangeAndNothingWritten) {
    const struct {
        Args args;
        const char* words;
    } cases[] = {
        {{"--latitudes", "10,20"}, "--latitudes: expected N,S with -90 <= S <= N <= 90"},
        {{"--latitudes", "91,0"}, "-90 <= S <= N <= 90"},
        {{"--latitudes", "45"}, "--latitudes"},
        {{"--lapse-rate", "16"}, "--lapse-rate: expected degrees Celsius per km from 0 to 15"},
        {{"--lapse-rate", "-1"}, "from 0 to 15"},
        {{"--wind-from", "up"}, "--wind-from: expected bands, N, NE"},
        {{"--masks", "cryengine:x_"}, "--masks: expected unreal:PREFIX, unity:PREFIX"},
        {{"--masks", "unity:x_"}, "a power of two from 16 to 4096"},
        {{"--layer", "humidity=h.tif"}, "temperature=FILE.tif"},
        {{"--layer", "biomes=b.tif"}, "--layer: biomes takes a png file"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        Args args = Small({"generate", "-o", "m.png", "--layer", "temperature=t.tif"});
        args.insert(args.end(), c.args.begin(), c.args.end());
        const RunResult r = RunCli(args, dir.path());
        EXPECT_NE(r.exitCode, 0) << c.args[1];
        EXPECT_NE(r.err.find(c.words), std::string::npos) << r.err;
        EXPECT_TRUE(dir.Entries().empty()) << c.args[1];
    }
}

}  // namespace

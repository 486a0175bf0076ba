// Stages and heightmap layouts through glenvar-cli: map files keep the seed's
// map while heightmaps, pictures and reports show the smoothed one; tiles of
// the closed heightmap stitch back into it; the recipe in a picture, a TIFF
// tile or a sidecar rebuilds the same files.

#include "CliHarness.h"
#include "core/GEO_MakeLand.h"
#include "core/HeightSample.h"
#include "core/LandReport.h"
#include "core/MapFile.h"
#include "export/RecipeFile.h"
#include "landform/FlowGraph.h"
#include "landform/LandformStages.h"
#include "landform/Smoothing.h"
#include "landform/Waters.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace clitest;

std::string TiffDescription(const fs::path& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr)
        return "(no TIFF)";
    const char* text = nullptr;
    std::string description =
        TIFFGetField(tif, TIFFTAG_IMAGEDESCRIPTION, &text) == 1 && text ? text : "";
    TIFFClose(tif);
    return description;
}

TEST(CliStages, SmoothedOutputsTilesAndRecipes) {
    ScratchDir dir;
    const RunResult plain = RunCli(Small({"generate", "--seed", "5", "-o", "seed.ld"}), dir.path());
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    const RunResult shaped = RunCli(
        Small({"generate", "--seed",  "5",           "--smooth", "3",           "--shade", "--edge",
               "repeat",   "--tiles", "2x3",         "--engine", "unity",       "-o",      "m.ld",
               "-o",       "p.png",   "--heightmap", "h.r16",    "--heightmap", "h.tif"}),
        dir.path());
    ASSERT_EQ(shaped.exitCode, 0) << shaped.err;
    EXPECT_NE(shaped.err.find("warning: h.r16: Unity's recommended heightmap sides"),
              std::string::npos)
        << shaped.err;
    EXPECT_EQ(ReadBytes(dir / "m.ld"), ReadBytes(dir / "seed.ld"));

    GEO_MakeLand map;
    ASSERT_NE(LoadMapFile(map, dir / "m.ld"), MapFileKind::None);
    AltitudeGrid smooth = AltitudesOf(map);
    Smooth(smooth, 3, false);

    // The raw tiles of the closed 201 x 151 heightmap, stitched back.
    const int32_t w = 201, h = 151;
    std::vector<int> stitched(size_t(w) * h, -1);
    const int32_t xs[] = {0, 100, 200}, ys[] = {0, 50, 100, 150};
    for (int32_t j = 0; j < 3; ++j)
        for (int32_t i = 0; i < 2; ++i) {
            const std::string name = "h_x" + std::to_string(i) + "_y" + std::to_string(j);
            const Bytes raw = ReadBytes(dir / (name + ".r16"));
            const int32_t tw = xs[i + 1] - xs[i] + 1, th = ys[j + 1] - ys[j] + 1;
            ASSERT_EQ(raw.size(), size_t(tw) * th * 2) << name;
            for (int32_t y = 0; y < th; ++y)
                for (int32_t x = 0; x < tw; ++x) {
                    const size_t k = 2 * (size_t(y) * tw + x);
                    int& cell = stitched[size_t(ys[j] + y) * w + size_t(xs[i] + x)];
                    const int sample = raw[k] | raw[k + 1] << 8;
                    ASSERT_TRUE(cell == -1 || cell == sample) << name;
                    cell = sample;
                }
        }
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            ASSERT_EQ(HeightSample(smooth.at(x % 200, y % 150)), stitched[size_t(y) * w + x])
                << x << "," << y;

    // Every form carries the same recipe, and the sidecar is JSON with the closed size.
    const std::string recipe = RecipeOfFile(dir / "p.png");
    EXPECT_EQ(0u, recipe.find("glenvar-cli generate --seed 5 --width 200 --height 150 "));
    EXPECT_NE(recipe.find("--smooth 3 --shade --edge repeat --engine unity"), std::string::npos);
    EXPECT_EQ(recipe, TiffDescription(dir / "h_x1_y2.tif"));
    EXPECT_EQ(recipe, RecipeOfFile(dir / "h.r16.json"));
    const std::string check = "python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); "
                              "sys.exit(not (d[\"width\"]==201 and d[\"height\"]==151 and "
                              "len(d[\"tiles\"])==6 and d[\"byteOrder\"]==\"little-endian\"))' " +
                              (dir / "h.r16.json").string();
    EXPECT_EQ(0, std::system(check.c_str()));

    // The recipe rebuilds the same files; the outputs are the command line's.
    ScratchDir again;
    const RunResult rebuilt =
        RunCli({"generate", "--recipe", (dir / "h.tif.json").string(), "--stencils",
                GLENVAR_TEST_STENCILS, "-o", "p.png", "--heightmap", "h.tif", "--tiles", "2x3"},
               again.path());
    ASSERT_EQ(rebuilt.exitCode, 0) << rebuilt.err;
    EXPECT_EQ(ReadBytes(again / "p.png"), ReadBytes(dir / "p.png"));
    EXPECT_EQ(ReadBytes(again / "h_x0_y1.tif"), ReadBytes(dir / "h_x0_y1.tif"));

    // info reports the smoothed heights.
    const RunResult info = RunCli({"info", "m.ld", "--smooth", "3"}, dir.path());
    ASSERT_EQ(info.exitCode, 0) << info.err;
    for (size_t i = 0; i < smooth.altitudes.size(); ++i)
        map[int32_t(i)].altitude = smooth.altitudes[i];
    std::string report;
    for (char c : BuildLandReport(map.GetData(), size_t(map.GetSize()), map.waterLevel))
        if (c != '\r')
            report += c;
    EXPECT_EQ(info.out, report);
}

// Erosion, rivers and lakes: the same files on one thread or two, masks as
// the library draws them, the recipe rebuilding the picture, the figures in
// info --json.
TEST(CliStages, RiversLakesAndErosionTheSameOnOneThreadOrTwo) {
    const Args stages = {"--smooth", "2",         "--erode", "3",        "--erodibility",
                         "0.01",     "--thermal", "2",       "--rivers", "40"};
    ScratchDir one, two;
    for (ScratchDir* dir : {&one, &two}) {
        Args args = Small({"generate", "--seed", "5", "--threads", dir == &one ? "1" : "2", "-o",
                           "m.ld", "-o", "p.png", "--layer", "rivers=r.png", "--layer",
                           "lakes=l.png", "--layer", "flow=f.tif"});
        args.insert(args.end(), stages.begin(), stages.end());
        const RunResult run = RunCli(args, dir->path());
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    for (const char* file : {"p.png", "r.png", "l.png", "f.tif"})
        EXPECT_EQ(ReadBytes(one / file), ReadBytes(two / file)) << file;

    GEO_MakeLand map;
    ASSERT_NE(LoadMapFile(map, one / "m.ld"), MapFileKind::None);
    AltitudeGrid grid = AltitudesOf(map);
    RunStages(grid, {2, 3, 0.01, 2}, map.waterLevel, false);
    const FlowGraph d =
        FlowGraph::Drained(grid.width, grid.height, grid.altitudes, map.waterLevel, false);
    const std::vector<uint8_t> lakes = LakeMask(grid.altitudes, d);
    const std::vector<uint8_t> rivers = RiverMask(grid.altitudes, d, lakes, map.waterLevel, 40);
    for (const auto& [file, mask] : {std::pair{"r.png", &rivers}, std::pair{"l.png", &lakes}}) {
        PngImage png;
        ASSERT_TRUE(ReadPng(one / file, png));
        ASSERT_EQ(png.data.size(), mask->size() * 3);
        for (size_t i = 0; i < mask->size(); ++i)
            ASSERT_EQ(png.data[3 * i] == 255, (*mask)[i] == 1) << file << " cell " << i;
    }

    const RunResult rebuilt =
        RunCli(Small({"generate", "--recipe", "p.png", "-o", "q.png"}), one.path());
    ASSERT_EQ(rebuilt.exitCode, 0) << rebuilt.err;
    EXPECT_EQ(ReadBytes(one / "q.png"), ReadBytes(one / "p.png"));

    Args info = {"info", "m.ld", "--json"};
    info.insert(info.end(), stages.begin(), stages.end());
    const RunResult report = RunCli(info, one.path());
    ASSERT_EQ(report.exitCode, 0) << report.err;
    const WaterFigures f =
        CountWaters(grid.width, grid.height, grid.altitudes, d, lakes, rivers, map.waterLevel);
    EXPECT_GT(f.riverCells, 0);
    EXPECT_NE(report.out.find("\"riverCells\":" + std::to_string(f.riverCells) +
                              ",\"lakeCount\":" + std::to_string(f.lakeCount) +
                              ",\"lakeCells\":" + std::to_string(f.lakeCells)),
              std::string::npos)
        << report.out;
}

}  // namespace

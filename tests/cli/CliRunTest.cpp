// The built glenvar-cli, run as scripts run it.

#include "CliHarness.h"
#include "core/GEO_MakeLand.h"
#include "core/LandReport.h"
#include "core/MapFile.h"
#include "core/PointMarks.h"
#include "data/Failures.h"
#include "export/PngFile.h"
#include "tests/support/Terrains.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace clitest;
using testsupport::PictureMismatch;

// One stencil cache for every test, built by whichever runs first.
Args WithCache(Args args) {
    args.push_back("--stencils");
    args.push_back(GLENVAR_TEST_STENCILS);
    return args;
}

void Load(GEO_MakeLand& terrain, const fs::path& path) {
    ASSERT_EQ(LoadMapFile(terrain, path) == MapFileKind::None, false) << path;
}

// An 8-bit RGB PNG as picture pixels; an empty picture when it is not one.
Picture PngPicture(const fs::path& png) {
    PngImage image;
    if (!ReadPng(png, image) || image.bitDepth != 8 || image.colourType != 2) {
        ADD_FAILURE() << png << " is no 8-bit RGB PNG";
        return Picture(0, 0);
    }
    Picture picture(int32_t(image.width), int32_t(image.height));
    for (size_t p = 0; p < picture.pixels.size(); ++p)
        picture.pixels[p] = 0xFF000000u | uint32_t(image.data[3 * p]) << 16 |
                            uint32_t(image.data[3 * p + 1]) << 8 | image.data[3 * p + 2];
    return picture;
}

std::vector<float> ReadFloatTiff(const fs::path& path, uint32_t& w, uint32_t& h) {
    std::vector<float> samples;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr)
        return samples;
    uint16_t bits = 0, format = 0, perPixel = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &perPixel);
    if (bits == 32 && format == SAMPLEFORMAT_IEEEFP && perPixel == 1) {
        samples.resize(size_t(w) * h);
        for (uint32_t y = 0; y < h; ++y)
            if (TIFFReadScanline(tif, samples.data() + size_t(y) * w, y, 0) != 1)
                samples.clear();
    }
    TIFFClose(tif);
    return samples;
}

// The three heightmap forms of one map: the PNG's big-endian samples, the
// same samples little-endian in the raw file, and the altitudes as floats.
void ExpectHeightmapsOf(const fs::path& dir, const GEO_MakeLand& map) {
    PngImage heights;
    ASSERT_TRUE(ReadPng(dir / "h.png", heights));
    EXPECT_EQ(heights.bitDepth, 16);
    EXPECT_EQ(heights.colourType, 0);  // greyscale
    EXPECT_EQ(int32_t(heights.width), map.gridWidth);
    const Bytes raw = ReadBytes(dir / "h.r16");
    uint32_t w = 0, h = 0;
    const std::vector<float> floats = ReadFloatTiff(dir / "h.tif", w, h);
    EXPECT_EQ(int32_t(w), map.gridWidth);
    EXPECT_EQ(int32_t(h), map.gridHeight);
    const size_t n = size_t(map.GetSize());
    ASSERT_EQ(heights.data.size(), n * 2);
    ASSERT_EQ(raw.size(), n * 2);
    ASSERT_EQ(floats.size(), n);
    size_t wrongPng = 0, wrongRaw = 0, wrongTiff = 0;
    for (size_t i = 0; i < n; ++i) {
        const unsigned sample = HeightSample(map[int32_t(i)].altitude);
        wrongPng += unsigned(heights.data[2 * i] << 8 | heights.data[2 * i + 1]) != sample;
        wrongRaw += unsigned(raw[2 * i] | raw[2 * i + 1] << 8) != sample;
        wrongTiff += floats[i] != static_cast<float>(map[int32_t(i)].altitude) ||
                     std::abs(double(floats[i]) * 65535 - sample) > 0.5 + 1e-3;
    }
    EXPECT_EQ(wrongPng, 0u);
    EXPECT_EQ(wrongRaw, 0u);
    EXPECT_EQ(wrongTiff, 0u);
}

std::string InfoText(const GEO_MakeLand& terrain) {
    std::string text =
        BuildLandReport(terrain.GetData(), size_t(terrain.GetSize()), terrain.waterLevel);
    std::string lines;
    for (char c : text)
        if (c != '\r')
            lines += c;
    return lines;
}

TEST(CliRun, HelpGoesToStandardOutput) {
    ScratchDir dir;
    const RunResult all = RunCli({"--help"}, dir.path());
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_NE(all.out.find("glenvar-cli generate"), std::string::npos);
    EXPECT_NE(all.out.find("glenvar-cli render"), std::string::npos);
    const RunResult one = RunCli({"info", "--help"}, dir.path());
    EXPECT_EQ(one.exitCode, 0);
    EXPECT_NE(one.out.find("glenvar-cli info IN"), std::string::npos);
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(CliRun, BadArgumentsExitTwoAndWriteNothing) {
    ScratchDir dir;
    WriteBytes(dir / "old.png", {'o', 'l', 'd'});
    const std::vector<Args> refused = {
        {},
        {"generate"},
        {"generate", "--width", "99", "-o", "old.png"},
        {"generate", "--seed", "12x", "-o", "old.png"},
        {"generate", "--process-amount", "nan", "-o", "old.png"},
        {"generate", "--frobnicate", "-o", "old.png"},
        {"generate", "-o", "old.png", "-o", "map.txt"},  // checked before anything is written
        {"render", "old.png"},
        {"render", "missing.ld", "-o", "out.bmp"},
        {"info"},
    };
    for (const Args& args : refused) {
        const RunResult r = RunCli(args, dir.path());
        EXPECT_EQ(r.exitCode, 2) << testing::PrintToString(args);
        EXPECT_TRUE(r.out.empty());
        // One line on stderr, prefixed with the program's name.
        EXPECT_EQ(r.err.rfind("glenvar-cli: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"old.png"});  // no cache, no output
    EXPECT_EQ(ReadBytes(dir / "old.png"), (Bytes{'o', 'l', 'd'}));
}

TEST(CliRun, UnreadableInputIsNamedInEnglish) {
    ScratchDir dir;
    RunResult r = RunCli({"info", "missing.ld"}, dir.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "glenvar-cli: missing.ld: No such file or directory\n");

    // A map cut short: the file is named, not left untitled.
    ASSERT_EQ(RunCli(Small({"generate", "-o", "whole.ld"}), dir.path()).exitCode, 0);
    Bytes whole = ReadBytes(dir / "whole.ld");
    WriteBytes(dir / "cut.ld", Bytes(whole.begin(), whole.begin() + 20));
    for (const char* command : {"info", "render"}) {
        Args args{command, "cut.ld"};
        if (std::string(command) == "render")
            args.insert(args.end(), {"-o", "cut.png"});
        r = RunCli(args, dir.path());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "glenvar-cli: cut.ld: unexpected end of file\n");
    }
    // Cut inside its last block, the second point list, the map is all there.
    WriteBytes(dir / "tail.ld", Bytes(whole.begin(), whole.end() - 5));
    r = RunCli({"info", "tail.ld"}, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, RunCli({"info", "whole.ld"}, dir.path()).out);
    ASSERT_EQ(RunCli({"render", "tail.ld", "-o", "tail.png"}, dir.path()).exitCode, 0);
    ASSERT_EQ(RunCli({"render", "whole.ld", "-o", "whole.png"}, dir.path()).exitCode, 0);
    EXPECT_EQ(ReadBytes(dir / "tail.png"), ReadBytes(dir / "whole.png"));

    // Neither marker, and a map that never held cells: our own words, still exit 1.
    WriteBytes(dir / "text.ld", {'h', 'e', 'l', 'l', 'o'});
    r = RunCli({"render", "text.ld", "-o", "text.png"}, dir.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("not a map file"), std::string::npos) << r.err;
    GEO_MakeLand empty;
    SaveMapFile(empty, dir / "empty.ld");
    r = RunCli({"info", "empty.ld"}, dir.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("holds no cells"), std::string::npos) << r.err;

    for (const char* name : {"cut.png", "text.png"})
        EXPECT_FALSE(fs::exists(dir / name));
}

TEST(CliRun, FailedWritesLeaveNoFileAndTheOldOneIntact) {
    ScratchDir dir;
    // A directory that does not exist is a bad argument, found before the generation starts.
    RunResult r = RunCli(Small({"generate", "-o", "nowhere/map.ld"}), dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "glenvar-cli: -o nowhere/map.ld: No such file or directory\n");
    EXPECT_TRUE(dir.Entries().empty());

    // A write past a file-size limit (SIGXFSZ at its default), as on a full
    // disk: every form keeps the old file.
    const Bytes old{'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};
    for (const char* name : {"m.ld", "m.dat", "m.png"}) {
        WriteBytes(dir / name, old);
        r = RunCli(Small({"generate", "-o", name}), dir.path(), 4096);
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_EQ(ReadBytes(dir / name), old) << name;
        EXPECT_EQ(r.err, "glenvar-cli: " + std::string(name) + ": File too large\n");
    }
    // Outputs change together: the picture fits, the map file does not, and
    // the old picture stays beside the old map.
    r = RunCli(Small({"generate", "-o", "m.png", "-o", "m.ld"}), dir.path(), 200000);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(ReadBytes(dir / "m.png"), old);
    EXPECT_EQ(ReadBytes(dir / "m.ld"), old);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"m.dat", "m.ld", "m.png"}));  // no leftovers
}

TEST(CliRun, GenerateWritesEveryFormOfTheSameMap) {
    ScratchDir dir;
    const RunResult r =
        RunCli(Small({"generate", "--seed", "42", "-o", "m.ld", "-o", "m.dat", "-o", "m.png",
                      "--heightmap", "h.png", "--heightmap", "h.r16", "--heightmap", "h.tif"}),
               dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_TRUE(r.err.empty()) << "no progress bar without a terminal";

    GEO_MakeLand map, raw;
    Load(map, dir / "m.ld");
    Load(raw, dir / "m.dat");
    EXPECT_EQ(map.seed, 42u);
    EXPECT_EQ(map.width, 200);
    EXPECT_EQ(map.height, 150);
    EXPECT_EQ(map.waterLevel, 0.5);
    EXPECT_EQ(map.concentrationPoints.GetSize(), 4);
    EXPECT_EQ(map.manualPlacement, 0);
    ASSERT_EQ(map.GetSize(), 200 * 150);
    ASSERT_EQ(raw.GetSize(), map.GetSize());
    EXPECT_TRUE(testsupport::SameCells(raw, map));
    EXPECT_EQ(PictureMismatch(PngPicture(dir / "m.png"), map, false), "");

    ExpectHeightmapsOf(dir.path(), map);

    const RunResult info = RunCli({"info", "m.ld"}, dir.path());
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_EQ(info.out, InfoText(map));

    // render writes the same heightmaps from the saved map.
    ScratchDir again;
    const RunResult render =
        RunCli({"render", (dir / "m.ld").string(), "-o", "m.png", "--heightmap", "h.tif",
                "--heightmap", "h.r16", "--heightmap", "h.png"},
               again.path());
    ASSERT_EQ(render.exitCode, 0) << render.err;
    for (const char* name : {"m.png", "h.png", "h.r16", "h.tif"})
        EXPECT_EQ(ReadBytes(again / name), ReadBytes(dir / name)) << name;
}

// Sizes beyond the dialog's are the tool's own; the memory they need is
// worked out first, and a machine without it refuses at once and cleanly.
TEST(CliRun, BigMapsAreRefusedWhenTheMemoryIsMissing) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "sanitizers reserve more address space than the limit allows";
#else
    constexpr uint64_t limit = uint64_t{1} << 30;
    ScratchDir dir;
    RunResult r = RunCli({"generate", "--width", "16384", "--height", "16384", "--stencils",
                          "s.bin", "-o", "big.ld", "--heightmap", "big.tif"},
                         dir.path(), 0, limit);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.find("16384 x 16384 map needs about ") != std::string::npos &&
                r.err.find(" GiB of memory, but only ") != std::string::npos)
        << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(dir.Entries().empty()) << "not even the stencil cache";

    // Under the same limit, a map that fits is made.
    r = RunCli(WithCache({"generate", "--width", "1024", "--height", "100", "-o", "m.ld"}),
               dir.path(), 0, limit);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"m.ld"});
#endif
}

TEST(CliRun, OneAndTwoThreadsWriteIdenticalFiles) {
    ScratchDir dir;
    for (const char* threads : {"1", "2"}) {
        const std::string n = threads;
        const RunResult r = RunCli(Small({"generate", "--seed", "7", "--threads", threads, "-o",
                                          "m" + n + ".ld", "-o", "m" + n + ".png"}),
                                   dir.path());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const RunResult regions = RunCli(
            {"render", "m" + n + ".ld", "--regions", "--threads", threads, "-o", "r" + n + ".png"},
            dir.path());
        ASSERT_EQ(regions.exitCode, 0) << regions.err;
    }
    for (const std::string name : {"m.ld", "m.png", "r.png"}) {
        const std::string one = name.substr(0, 1) + "1" + name.substr(1);
        const std::string two = name.substr(0, 1) + "2" + name.substr(1);
        EXPECT_EQ(ReadBytes(dir / one), ReadBytes(dir / two)) << one;
    }
}

TEST(CliRun, RegionPicturesAndWaterLevels) {
    ScratchDir dir;
    ASSERT_EQ(RunCli(Small({"generate", "--seed", "3", "--regions", "--water-level", "0.3", "-o",
                            "m.ld", "-o", "regions.png"}),
                     dir.path())
                  .exitCode,
              0);
    GEO_MakeLand map;
    Load(map, dir / "m.ld");
    EXPECT_EQ(map.waterLevel, 0.3);
    EXPECT_EQ(PictureMismatch(PngPicture(dir / "regions.png"), map, true), "");

    // render: the same picture from the file, and another water level on request.
    ASSERT_EQ(RunCli({"render", "m.ld", "--regions", "-o", "again.png"}, dir.path()).exitCode, 0);
    EXPECT_EQ(ReadBytes(dir / "again.png"), ReadBytes(dir / "regions.png"));
    ASSERT_EQ(
        RunCli({"render", "m.ld", "--water-level", "0.7", "-o", "w.png"}, dir.path()).exitCode, 0);
    map.waterLevel = 0.7;
    EXPECT_EQ(PictureMismatch(PngPicture(dir / "w.png"), map, false), "");

    // Without concentration points, --regions draws the plain colours.
    ASSERT_EQ(RunCli(Small({"generate", "--points", "0", "-o", "none.ld"}), dir.path()).exitCode,
              0);
    ASSERT_EQ(RunCli({"render", "none.ld", "--regions", "-o", "a.png"}, dir.path()).exitCode, 0);
    GEO_MakeLand none;
    Load(none, dir / "none.ld");
    EXPECT_EQ(PictureMismatch(PngPicture(dir / "a.png"), none, false), "");
}

TEST(CliRun, HandPlacedPointsAndTheKeptRandomState) {
    ScratchDir dir;
    ASSERT_EQ(RunCli(Small({"generate", "--points", "7", "--point", "10,20", "--point", "199,0",
                            "-o", "hand.ld"}),
                     dir.path())
                  .exitCode,
              0);
    GEO_MakeLand hand;
    Load(hand, dir / "hand.ld");
    EXPECT_EQ(hand.manualPlacement, 1);
    EXPECT_EQ(hand.concentrationPointCount, 7);  // stored unchanged
    ASSERT_EQ(hand.concentrationPoints.GetSize(), 2);
    EXPECT_EQ(hand.concentrationPoints[0], (Point{10, 20}));
    EXPECT_EQ(hand.concentrationPoints[1], (Point{199, 0}));

    // A fresh process starts from state 0, the state the seed 0x5DEECE66D gives.
    ASSERT_EQ(
        RunCli(Small({"generate", "--keep-random-state", "-o", "kept.ld"}), dir.path()).exitCode,
        0);
    ASSERT_EQ(RunCli(Small({"generate", "--seed", "25214903917", "-o", "seeded.ld"}), dir.path())
                  .exitCode,
              0);
    GEO_MakeLand kept, seeded;
    Load(kept, dir / "kept.ld");
    Load(seeded, dir / "seeded.ld");
    EXPECT_EQ(kept.keepRandomState, 1);
    ASSERT_EQ(kept.GetSize(), seeded.GetSize());
    EXPECT_TRUE(testsupport::SameCells(kept, seeded));
    EXPECT_EQ(kept.concentrationPoints[0], seeded.concentrationPoints[0]);
}

TEST(CliRun, DefaultMapAtFullSize) {
    ScratchDir dir;
    const RunResult r = RunCli(
        WithCache({"generate", "-o", "map.ld", "-o", "map.dat", "-o", "map.png"}), dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(fs::file_size(dir / "map.ld"), 20971660u);
    EXPECT_EQ(fs::file_size(dir / "map.dat"), 20971568u);
    GEO_MakeLand map;
    Load(map, dir / "map.ld");
    ASSERT_EQ(map.concentrationPoints.GetSize(), 4);
    EXPECT_EQ(map.concentrationPoints[0], (Point{668, 748}));
    EXPECT_EQ(map.concentrationPoints[3], (Point{641, 563}));
    EXPECT_EQ(PictureMismatch(PngPicture(dir / "map.png"), map, false), "");
}

// Names of hidden files: the temporary files of saves in progress.
std::vector<std::string> Hidden(const ScratchDir& dir) {
    std::vector<std::string> names;
    for (const std::string& name : dir.Entries())
        if (name[0] == '.')
            names.push_back(name);
    return names;
}

// A signal while the files are written: every temporary file goes, and the
// status says which signal ended the run.
TEST(CliRun, SignalsRemoveTheTemporaryFiles) {
    for (const bool ownCache : {true, false}) {
        SCOPED_TRACE(ownCache ? "while the stencil cache is written" : "while the map is written");
        ScratchDir dir;
        Args args{"generate", "--width", "4096", "--height", "4096", "-o", "m.ld", "-o", "m.png"};
        if (ownCache)
            args.insert(args.end(), {"--stencils", "s.bin"});
        StartedCli cli(ownCache ? args : WithCache(args), dir.path());
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (Hidden(dir).empty() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        ASSERT_FALSE(Hidden(dir).empty()) << "no temporary file appeared";
        ::kill(cli.pid(), SIGTERM);
        const RunResult r = cli.Finish();
        EXPECT_EQ(r.exitCode, 128 + SIGTERM) << r.err;
        EXPECT_TRUE(Hidden(dir).empty()) << testing::PrintToString(Hidden(dir));
        EXPECT_FALSE(fs::exists(dir / "m.ld"));
    }
}

// No output replaces the input or another output under another name.
TEST(CliRun, OneFileUnderTwoNamesIsRefused) {
    ScratchDir dir;
    ASSERT_EQ(RunCli(Small({"generate", "-o", "map.png.ld"}), dir.path()).exitCode, 0);
    fs::rename(dir / "map.png.ld", dir / "map.png");  // a map file under a picture's name
    const Bytes map = ReadBytes(dir / "map.png");
    fs::create_symlink("x.png", dir / "link.png");
    fs::create_symlink("map.png", dir / "map-link.png");
    const std::vector<Args> refused = {
        {"render", "map.png", "-o", "map.png"},
        {"render", "map.png", "-o", "map-link.png"},
        {"render", "map.png", "-o", "out.png", "--heightmap", (dir / "map.png").string()},
        {"render", "map.png", "-o", "x.png", "--heightmap", (dir / "x.png").string()},
        {"render", "map.png", "-o", "link.png", "--heightmap", "x.png"},  // x.png not there yet
    };
    for (const Args& args : refused) {
        const RunResult r = RunCli(args, dir.path());
        EXPECT_EQ(r.exitCode, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find(": the same file as "), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadBytes(dir / "map.png"), map);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"link.png", "map-link.png", "map.png"}));
}

// A file that is no stencil cache is never written over.
TEST(CliRun, TheStencilOptionSparesOtherFiles) {
    ScratchDir dir;
    ASSERT_EQ(RunCli(Small({"generate", "-o", "precious.ld"}), dir.path()).exitCode, 0);
    const Bytes precious = ReadBytes(dir / "precious.ld");
    const RunResult r = RunCli({"generate", "--width", "200", "--height", "150", "--stencils",
                                "precious.ld", "-o", "new.ld"},
                               dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "glenvar-cli: warning: precious.ld: not a stencil cache; left as it is, the "
                     "table is used from memory\n");
    EXPECT_EQ(ReadBytes(dir / "precious.ld"), precious);
    GEO_MakeLand made;
    Load(made, dir / "new.ld");
    EXPECT_EQ(made.GetSize(), 200 * 150);
}

// The longest legal names, whose temporary names would be longer still.
TEST(CliRun, OutputNamesOfTheLongestLegalLength) {
    ScratchDir dir;
    const std::string name = std::string(251, 'n') + ".png";
    const RunResult r = RunCli(Small({"generate", "-o", name}), dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{name});
}

// info --json stays JSON whatever the map holds as its water level.
TEST(CliRun, JsonOfANonFiniteWaterLevel) {
    ScratchDir dir;
    ASSERT_EQ(RunCli(Small({"generate", "-o", "m.ld"}), dir.path()).exitCode, 0);
    GEO_MakeLand map;
    Load(map, dir / "m.ld");
    for (const double level : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        map.waterLevel = level;
        SaveMapFile(map, dir / "odd.ld");
        const RunResult r = RunCli({"info", "--json", "odd.ld"}, dir.path());
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find("\"waterLevel\":null"), std::string::npos) << r.out;
        for (const char* word : {"nan", "inf", "NaN", "Infinity"})
            EXPECT_EQ(r.out.find(word), std::string::npos) << r.out;
    }
}

}  // namespace

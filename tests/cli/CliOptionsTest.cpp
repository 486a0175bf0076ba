#include "cli/CliOptions.h"
#include "core/GEO_MakeLand.h"
#include "core/ParameterLimits.h"
#include "tests/support/Bits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using cli::Parse;
using Args = std::vector<std::string>;

std::string ErrorOf(const Args& args) {
    const cli::ParseResult r = Parse(args);
    EXPECT_FALSE(r.options.has_value()) << "accepted";
    EXPECT_EQ(r.error.find('\n'), std::string::npos) << "one line";
    return r.error;
}

cli::Options OptionsOf(const Args& args) {
    const cli::ParseResult r = Parse(args);
    EXPECT_TRUE(r.options.has_value()) << r.error;
    return r.options.value_or(cli::Options{});
}

using testsupport::Bits;

TEST(CliOptions, DefaultsAreTheTerrainDefaultsBitForBit) {
    const cli::Options o = OptionsOf({"generate", "-o", "m.ld"});
    const GEO_MakeLand t;
    for (const ParameterRow& row : ParameterTable())
        EXPECT_EQ(row.Text(o.terrain), row.Text(t)) << row.name;
    EXPECT_TRUE(o.given.empty());
    EXPECT_EQ(o.threads, 1);
    EXPECT_EQ(o.stencils, "makeland.bin");
    EXPECT_EQ(o.terrain.concentrationPoints.GetSize(), 0);
}

TEST(CliOptions, DecimalDefaultsParseToTheirExactBitPatterns) {
    const cli::Options o = OptionsOf({"generate", "--process-amount", "0.009999999776482582",
                                      "--concentration-rate", "0.20000000298023224",
                                      "--concentration-amount=0.4000000059604645", "-o", "m.ld"});
    EXPECT_EQ(Bits(o.terrain.processAmount), 0x3F847AE140000000u);
    EXPECT_EQ(Bits(o.terrain.concentrationRate), 0x3FC99999A0000000u);
    EXPECT_EQ(Bits(o.terrain.concentrationAmount), 0x3FD99999A0000000u);
}

// The parameters dialog's largest processing amount, 500 x 0.001f, is a hair
// above 0.5; a map made with it must be reproducible here.
TEST(CliOptions, AcceptsTheDialogsLargestProcessAmount) {
    const cli::Options o =
        OptionsOf({"generate", "--process-amount", "0.5000000237487257", "-o", "m.ld"});
    EXPECT_EQ(Bits(o.terrain.processAmount), 0x3FE000000CC00000u);
    EXPECT_EQ(o.terrain.processAmount, 500 * static_cast<double>(0.001f));
    EXPECT_NE(cli::UsageText(cli::Command::Generate).find("0 < X <= 0.5000000237487257"),
              std::string::npos);
}

TEST(CliOptions, EveryGenerateOptionLandsInItsField) {
    const cli::Options o = OptionsOf({"generate",
                                      "--seed",
                                      "18446744073709551615",
                                      "--width",
                                      "100",
                                      "--height=16384",
                                      "--unit-amount",
                                      "200",
                                      "--points",
                                      "0",
                                      "--point",
                                      "5,7",
                                      "--point",
                                      "99,16383",
                                      "--keep-random-state",
                                      "--water-level",
                                      "1",
                                      "--threads",
                                      "2",
                                      "--stencils",
                                      "s.bin",
                                      "--regions",
                                      "-o",
                                      "a.LD",
                                      "-o",
                                      "b.dat",
                                      "-o",
                                      "c.Png",
                                      "--heightmap",
                                      "h.png",
                                      "--heightmap",
                                      "h.R16",
                                      "--heightmap",
                                      "h.tif"});
    EXPECT_EQ(o.command, cli::Command::Generate);
    const GEO_MakeLand& t = o.terrain;
    EXPECT_EQ(t.seed, UINT64_MAX);
    EXPECT_EQ(t.width, 100);
    EXPECT_EQ(t.height, 16384);
    EXPECT_EQ(t.unitAmount, 200);
    EXPECT_EQ(t.concentrationPointCount, 0);
    ASSERT_EQ(t.concentrationPoints.GetSize(), 2);
    EXPECT_EQ(t.concentrationPoints[0], (Point{5, 7}));
    EXPECT_EQ(t.concentrationPoints[1], (Point{99, 16383}));
    EXPECT_EQ(t.manualPlacement, 1);
    EXPECT_EQ(t.keepRandomState, 1);
    EXPECT_EQ(t.waterLevel, 1.0);
    EXPECT_EQ(o.threads, 2);
    EXPECT_EQ(o.stencils, "s.bin");
    EXPECT_TRUE(o.regions);
    ASSERT_EQ(o.outputs.size(), 3u);
    EXPECT_EQ(o.outputs[0].kind, FileFormId::Map);
    EXPECT_EQ(o.outputs[1].kind, FileFormId::Raw);
    EXPECT_EQ(o.outputs[2].kind, FileFormId::Picture);
    EXPECT_EQ(o.heightmaps, (std::vector<cli::Heightmap>{{"h.png", FileFormId::HeightmapPng},
                                                         {"h.R16", FileFormId::HeightmapR16},
                                                         {"h.tif", FileFormId::HeightmapTiff}}));
}

TEST(CliOptions, InfoPrintsJsonOnRequest) {
    EXPECT_FALSE(OptionsOf({"info", "a.ld"}).json);
    const cli::Options o = OptionsOf({"info", "--json", "a.ld"});
    EXPECT_TRUE(o.json);
    EXPECT_EQ(o.input, "a.ld");
}

TEST(CliOptions, VersionNamesTheProgram) {
    EXPECT_EQ(OptionsOf({"--version"}).command, cli::Command::Version);
    EXPECT_EQ(cli::VersionText().rfind("glenvar-cli ", 0), 0u);
}

TEST(CliOptions, HelpWinsOverEverythingElse) {
    EXPECT_EQ(OptionsOf({"--help"}).command, cli::Command::Help);
    const cli::Options o = OptionsOf({"generate", "--width", "7", "--help"});
    EXPECT_EQ(o.command, cli::Command::Help);
    EXPECT_EQ(o.helpTopic, cli::Command::Generate);
    EXPECT_NE(cli::UsageText(cli::Command::Generate).find("--concentration-amount"),
              std::string::npos);
}

struct Refusal {
    Args args;
    const char* mentions;  // the option and, for numbers, the range
};

TEST(CliOptions, RefusalsNameTheOptionAndItsRange) {
    const Refusal refusals[] = {
        {{}, "no command"},
        {{"grow"}, "unknown command"},
        {{"generate"}, "-o"},
        {{"generate", "-o", "m.txt"}, ".ld, .dat or .png"},
        {{"generate", "-o", "m"}, ".ld, .dat or .png"},
        {{"generate", "-o"}, "-o: missing value"},
        {{"generate", "--width", "99", "-o", "m.ld"},
         "--width: expected an integer from 100 to 16384"},
        {{"generate", "--width", "16385", "-o", "m.ld"}, "100 to 16384"},
        {{"generate", "--height", "16385", "-o", "m.ld"},
         "--height: expected an integer from 100 to 16384"},
        {{"generate", "--width", "1e3", "-o", "m.ld"}, "--width"},
        {{"generate", "--width", " 200", "-o", "m.ld"}, "--width"},
        {{"generate", "--width", "+200", "-o", "m.ld"}, "--width"},
        {{"generate", "--width", "200x", "-o", "m.ld"}, "--width"},
        {{"generate", "--height", "", "-o", "m.ld"}, "--height"},
        {{"generate", "--unit-amount", "0", "-o", "m.ld"},
         "--unit-amount: expected an integer from 1 to 200"},
        {{"generate", "--points", "256", "-o", "m.ld"},
         "--points: expected an integer from 0 to 255"},
        {{"generate", "--seed", "-1", "-o", "m.ld"},
         "--seed: expected an integer from 0 to 18446744073709551615"},
        {{"generate", "--seed", "18446744073709551616", "-o", "m.ld"}, "--seed"},
        {{"generate", "--process-amount", "0", "-o", "m.ld"},
         "--process-amount: expected a number greater than 0 and at most 0.5"},
        {{"generate", "--process-amount", "0.5000000238", "-o", "m.ld"}, "--process-amount"},
        {{"generate", "--process-amount", "nan", "-o", "m.ld"}, "--process-amount"},
        {{"generate", "--concentration-rate", "inf", "-o", "m.ld"},
         "--concentration-rate: expected a number from 0 to 1"},
        {{"generate", "--concentration-rate", "1e999", "-o", "m.ld"}, "--concentration-rate"},
        {{"generate", "--concentration-amount", "-0.1", "-o", "m.ld"}, "--concentration-amount"},
        {{"generate", "--concentration-amount", "0x1p-1", "-o", "m.ld"}, "--concentration-amount"},
        {{"generate", "--water-level", "1.5", "-o", "m.ld"},
         "--water-level: expected a number from 0 to 1"},
        {{"generate", "--threads", "3", "-o", "m.ld"},
         "--threads: expected an integer from 1 to 2"},
        {{"generate", "--point", "5", "-o", "m.ld"}, "--point: expected X,Y"},
        {{"generate", "--point", "5,", "-o", "m.ld"}, "--point"},
        {{"generate", "--point", "1280,0", "-o", "m.ld"}, "0 <= X < 1280"},
        {{"generate", "--width", "200", "--point", "0,-1", "-o", "m.ld"}, "0 <= Y < 1024"},
        {{"generate", "--frobnicate", "-o", "m.ld"}, "unknown option \"--frobnicate\""},
        {{"generate", "--regions=yes", "-o", "m.ld"}, "--regions: takes no value"},
        {{"generate", "extra", "-o", "m.ld"}, "unexpected argument \"extra\""},
        {{"generate", "-o", "a.png", "--heightmap", "./a.png"}, "more than once"},
        {{"generate", "-o", "m.ld", "--heightmap", "h.tiff"},
         "--heightmap: FILE must end in .png, .r16, .tif or .exr"},
        {{"render", "in.ld", "-o", "o.png", "--heightmap", "h.raw"}, ".png, .r16, .tif or .exr"},
        {{"info", "a.ld", "--json=yes"}, "--json: takes no value"},
        {{"info", "a.ld", "--smooth", "33"}, "--smooth: expected an integer from 0 to 32"},
        {{"generate", "--edge", "clamp", "-o", "a.png"}, "--edge: expected wrap or repeat"},
        {{"info", "a.ld", "--erode", "1001"}, "--erode: expected an integer from 0 to 1000"},
        {{"generate", "--erodibility", "-1", "-o", "a.png"}, "--erodibility: expected a number"},
        {{"generate", "--layer", "rivers=r.tif"}, "--layer: rivers takes a png file"},
        {{"render", "a.ld", "--layer", "paths=p.png"}, "--layer: expected rivers=FILE.png"},
        {{"generate", "--layer", "flow=a.tif", "--heightmap", "a.tif"}, "more than once"},
        {{"render", "a.ld", "--engine", "ue5", "-o", "a.png"}, "--engine: expected unreal, unity"},
        {{"generate", "--tiles", "2x", "-o", "a.png"}, "--tiles: expected KxL"},
        {{"render", "a.ld", "--recipe", "p.png", "-o", "a.png"}, "unknown option \"--recipe\""},
        {{"render", "in.ld", "-o", "o.png", "--json"}, "unknown option \"--json\""},
        {{"render", "-o", "a.png"}, "no input file"},
        {{"render", "in.ld"}, "render: no output"},
        {{"render", "in.ld", "-o", "out.ld"}, "-o: FILE must end in .png"},
        {{"render", "in.ld", "-o", "o.png", "--seed", "3"}, "unknown option \"--seed\""},
        {{"render", "a.ld", "b.ld", "-o", "o.png"}, "unexpected argument \"b.ld\""},
        {{"info"}, "no input file"},
        {{"info", "a.ld", "--regions"}, "unknown option"},
    };
    for (const Refusal& r : refusals) {
        const std::string error = ErrorOf(r.args);
        EXPECT_NE(error.find(r.mentions), std::string::npos)
            << "error \"" << error << "\" lacks \"" << r.mentions << "\"";
    }
}

}  // namespace

namespace {

// A heightmap alone is an output; hand-placed points stop where region labels do.
TEST(CliOptions, HeightmapsAloneAndTheLastRegionLabel) {
    EXPECT_EQ(OptionsOf({"generate", "--heightmap", "x.r16"}).heightmaps.size(), 1u);
    EXPECT_EQ(OptionsOf({"render", "in.ld", "--heightmap", "x.tif"}).heightmaps.size(), 1u);

    Args args{"generate", "--width", "16384", "--height", "16384", "-o", "m.ld"};
    for (size_t i = 0; i < limits::maxHandPoints; ++i) {
        args.push_back("--point");
        args.push_back(std::to_string(i % 16384) + "," + std::to_string(i / 16384));
    }
    EXPECT_EQ(OptionsOf(args).terrain.concentrationPoints.GetSize(), 65536);
    args.insert(args.end(), {"--point", "0,0"});
    EXPECT_EQ(ErrorOf(args),
              "--point: expected 1 to 65536 points (region labels 0..65535), got 65537");
}

// The extensions offered for completion are exactly those the parser takes,
// in any case, and each gives the form that owns it.
TEST(CliOptions, FileOptionsTakeExactlyTheirListedExtensions) {
    std::vector<std::string> candidates = {".tiff", ".jpg", ".ld.bak", ""};
    for (const FileForm& form : FileForms())
        candidates.emplace_back(form.extension);
    for (const auto& [command, word] :
         {std::pair{cli::Command::Generate, "generate"}, std::pair{cli::Command::Render, "render"}})
        for (const std::string option : {"-o", "--heightmap"}) {
            const auto accepted = cli::AcceptedExtensions(command, option);
            EXPECT_FALSE(accepted.empty()) << word << ' ' << option;
            for (const std::string& ext : candidates)
                for (const std::string& spelt : {ext, std::string(ext.size() > 1 ? ".PnG" : "")}) {
                    if (spelt == ".PnG" && ext != ".png")
                        continue;
                    Args args = {word};
                    if (command == cli::Command::Render)
                        args.push_back("in.ld");
                    args.insert(args.end(), {option, "out" + spelt, "-o", "x.png"});
                    const cli::ParseResult r = Parse(args);
                    const bool listed =
                        std::find(accepted.begin(), accepted.end(), ext) != accepted.end();
                    EXPECT_EQ(r.options.has_value(), listed) << word << ' ' << option << spelt;
                    if (!r.options)
                        continue;
                    const auto& files = option == "-o" ? r.options->outputs : r.options->heightmaps;
                    EXPECT_EQ(FormOf(files.front().kind).extension, ext);
                }
        }
    EXPECT_EQ(cli::AcceptedExtensions(cli::Command::Info, ""),
              (std::vector<std::string_view>{".ld", ".dat"}));
}

}  // namespace

namespace {

TEST(CliOptions, ShapeTakesItsInputsEdgesAndRawSizes) {
    const cli::Options o =
        OptionsOf({"shape", "dem.tif", "--boundary", "wrap", "--size", "64x32", "--water-level-m",
                   "-12.5", "--cell-size-m", "30", "--crs", "EPSG:32633", "-o", "p.png"});
    EXPECT_EQ(o.command, cli::Command::Shape);
    EXPECT_EQ(o.input, "dem.tif");
    EXPECT_EQ(o.boundary, Boundary::Wrap);
    EXPECT_EQ(o.rawWidth, 64);
    EXPECT_EQ(o.rawHeight, 32);
    EXPECT_EQ(o.waterLevelUnits, -12.5);
    EXPECT_EQ(o.cellSizeMetres, 30);
    EXPECT_EQ(o.crs, "EPSG:32633");
    EXPECT_FALSE(OptionsOf({"shape", "h.png", "--heightmap", "o.tif"}).boundary.has_value());

    EXPECT_EQ(ErrorOf({"shape", "dem.tif"}),
              "shape: no output given; add -o FILE.png or --heightmap FILE");
    EXPECT_EQ(ErrorOf({"shape", "-o", "p.png"}),
              "shape: no input file given; see glenvar-cli shape --help");
    EXPECT_EQ(ErrorOf({"shape", "a.r16", "--size", "1x9", "-o", "p.png"}),
              "--size: expected WxH, each from 2 to 65536, got \"1x9\"");
    EXPECT_EQ(ErrorOf({"shape", "a.r16", "--size", "9", "-o", "p.png"}),
              "--size: expected WxH, each from 2 to 65536, got \"9\"");
    EXPECT_EQ(ErrorOf({"shape", "a.tif", "--water-level-m", "nan", "-o", "p.png"}),
              "--water-level-m: expected metres from -1000000 to 1000000, got \"nan\"");
    EXPECT_EQ(ErrorOf({"shape", "a.tif", "--boundary", "torus", "-o", "p.png"})
                  .rfind("--boundary: expected", 0),
              0u);
    EXPECT_EQ(ErrorOf({"generate", "--cell-size-m", "0", "-o", "p.png"}),
              "--cell-size-m: expected metres greater than 0 and at most 1000000, got \"0\"");
}

}  // namespace

// Writes the seed inputs of every fuzz target: valid files of each form made
// by the program's own writers, and truncated or hostile variants built by
// hand. Small on purpose (3 x 2 maps): the fuzzer grows what it needs.
// Usage: fuzz_seeds <corpus folder>

#include "core/GEO_MakeLand.h"
#include "core/MapFile.h"
#include "data/DiscStencil.h"
#include "data/FileDevices.h"
#include "data/GEO_LandCircle.h"
#include "export/ExrFile.h"
#include "export/HeightWindow.h"
#include "export/HeightmapFile.h"
#include "export/PngFile.h"
#include "export/RecipeText.h"
#include "export/Sidecar.h"
#include "tests/support/ByteWriter.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

fs::path root;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
    fs::create_directories(root / target);
    std::ofstream out(root / target / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

using testsupport::ByteWriter;

GEO_MakeLand SmallMap(int32_t w, int32_t h, int32_t points) {
    GEO_MakeLand t;
    t.seed = 0x0123456789ABCDEFull;
    t.width = t.gridWidth = w;
    t.height = t.gridHeight = h;
    t.unitAmount = 20;
    t.concentrationPointCount = points;
    for (int32_t i = 0; i < points; ++i)
        t.concentrationPoints.Add({i % w, i % h});
    t.SetSize(w * h);
    for (int32_t i = 0; i < w * h; ++i)
        t[i] = LandCell{
            double(i) / (w * h > 1 ? w * h - 1 : 1), uint16_t(i % (points > 0 ? points : 1)), {}};
    return t;
}

Bytes Stored(const GEO_MakeLand& t, bool raw) {
    return MapFileBytes(t, raw ? MapFileKind::Raw : MapFileKind::Map);
}

Bytes Cut(const Bytes& b, size_t n) {
    return Bytes(b.begin(), b.begin() + long(n < b.size() ? n : b.size()));
}

// The map form up to and including the first point list (empty).
ByteWriter MapHeader(int32_t w, int32_t h) {
    ByteWriter b;
    b.text("LS").u16(1).le(0, 8).i32(w).i32(h).i32(150);
    b.f64(0.01).f64(0.5).f64(0.2).f64(0.4).i32(4).i32(0).i32(0);
    return b;
}

void MapFileSeeds() {
    const std::string t = "map_file";
    Write(t, "DefaultTerrain.ld", Stored(GEO_MakeLand(), false));
    const Bytes map = Stored(SmallMap(3, 2, 2), false);
    const Bytes raw = Stored(SmallMap(3, 2, 2), true);
    Write(t, "Map3x2.ld", map);
    Write(t, "Raw3x2.dat", raw);
    Write(t, "Map1x1NoPoints.ld", Stored(SmallMap(1, 1, 0), false));
    Write(t, "Raw2x3NoPoints.dat", Stored(SmallMap(2, 3, 0), true));
    Write(t, "RawNoCells.dat", ByteWriter().text("LD").u16(1).i32(0).i32(7).i32(0).bytes);
    GEO_MakeLand odd = SmallMap(3, 2, 2);
    odd.waterLevel = std::nan("");
    odd[0].region = 0xFFFF;
    odd[5].altitude = -1e300;
    Write(t, "NaNWaterLevelAndWildCells.ld", Stored(odd, false));

    Write(t, "MapCutAfter20Bytes.ld", Cut(map, 20));
    Write(t, "MapCutInsideTheCells.ld", Cut(map, map.size() - 40));
    Write(t, "MapCutInsideTheLastPoints.ld", Cut(map, map.size() - 3));
    Write(t, "RawCutInsideTheCells.dat", Cut(raw, 30));
    Write(t, "RawCutInsideThePointCount.dat", Cut(raw, 12 + 96 + 2));
    Write(t, "OneByte.ld", {'L'});
    Write(t, "Empty.ld", {});
    Write(t, "OtherMarker.ld", ByteWriter().text("XY").raw(Cut(map, 40)).bytes);

    Write(t, "CellCountNegative.ld", MapHeader(3, 2).u16(0).i32(-1).bytes);
    Write(t, "CellCountHuge.ld", MapHeader(3, 2).u16(0).i32(0x7FFFFFFF).bytes);
    Write(t, "Announces3000x3000CellsHoldsFew.ld",
          MapHeader(3000, 3000).u16(0).i32(3000 * 3000).raw(Bytes(64, 0x3F)).bytes);
    Write(t, "CellCountNotWidthTimesHeight.ld",
          MapHeader(3, 2).u16(0).i32(5).raw(Bytes(80, 0)).u16(0).bytes);
    Write(t, "CellsWithZeroWidth.ld", MapHeader(0, 2).u16(0).i32(1).raw(Bytes(16, 0)).u16(0).bytes);
    Write(t, "PointCountEscapeForASmallCount.ld",
          MapHeader(1, 1)
              .u16(0xFFFF)
              .u32(1)
              .i32(0)
              .i32(0)
              .i32(1)
              .raw(Bytes(16, 0))
              .u16(0xFFFF)
              .u32(1)
              .i32(0)
              .i32(0)
              .bytes);
    Write(t, "PointCountEscapeHuge.ld", MapHeader(1, 1).u16(0xFFFF).u32(0xFFFFFFFF).bytes);
    Write(t, "SecondPointListHuge.ld",
          MapHeader(1, 1).u16(0).i32(0).u16(0xFFFF).u32(0x80000000).bytes);
    Write(t, "Raw3000x3000HoldsFew.dat",
          ByteWriter().text("LD").u16(1).i32(3000).i32(3000).raw(Bytes(64, 0)).bytes);
    Write(t, "RawNegativeSides.dat",
          ByteWriter().text("LD").u16(1).i32(-3).i32(-2).raw(Bytes(96, 0)).i32(0).bytes);
    Write(t, "RawSidesOverflowInt32.dat",
          ByteWriter().text("LD").u16(1).i32(65536).i32(65536).bytes);
    Write(t, "RawPointCountNegative.dat",
          ByteWriter().text("LD").u16(1).i32(1).i32(1).raw(Bytes(16, 0)).i32(-1).bytes);
}

Bytes TableBytes(const std::vector<PointArray>& stencils, int32_t statedCount) {
    ByteWriter b;
    b.i32(statedCount);
    for (const PointArray& s : stencils) {
        b.i32(s.GetSize());
        for (const Point& p : s)
            b.i32(p.x).i32(p.y);
    }
    return b.bytes;
}

void StencilCacheSeeds() {
    const std::string t = "stencil_cache";
    const int32_t n = GEO_LandCircleArray::stencilCount;
    const size_t count = size_t(n);
    std::vector<PointArray> empty(count);
    std::vector<PointArray> centres(count);
    for (PointArray& s : centres)
        s.Add({0, 0});
    // Our own discs for the small diameters, the rest empty: sane, and small.
    std::vector<PointArray> smallDiscs(count);
    for (int32_t d = 1; d <= 24; ++d)
        smallDiscs[size_t(d - 1)] = BuildDiscStencil(d);

    Write(t, "EmptyStencils.bin", TableBytes(empty, n));
    Write(t, "CentreOnly.bin", TableBytes(centres, n));
    Write(t, "SmallDiscsOnly.bin", TableBytes(smallDiscs, n));
    Write(t, "Empty.bin", {});
    Write(t, "CutInsideTheTableCount.bin", {0xC8, 0x00});
    Write(t, "OnlyTheTableCount.bin", {0xC8, 0x00, 0x00, 0x00});
    Write(t, "CutInsideAPoint.bin", Cut(TableBytes(smallDiscs, n), 1000));
    Write(t, "199Stencils.bin", TableBytes(std::vector<PointArray>(size_t(n - 1)), n - 1));
    Write(t, "201Stencils.bin", TableBytes(std::vector<PointArray>(size_t(n + 1)), n + 1));
    Write(t, "TableCountNegative.bin", ByteWriter().i32(-1).bytes);
    Write(t, "TableCountHuge.bin", ByteWriter().i32(0x7FFFFFFF).raw(Bytes(64, 0)).bytes);

    std::vector<PointArray> crowded = empty;
    crowded[0].Add({0, 0});
    crowded[0].Add({0, 0});
    Write(t, "MorePointsThanDSquared.bin", TableBytes(crowded, n));
    std::vector<PointArray> outside = centres;
    outside[9][0] = {5, 0};
    Write(t, "OffsetOutsideTheSquare.bin", TableBytes(outside, n));
    Bytes stencilHuge = TableBytes(empty, n);
    std::memcpy(stencilHuge.data() + 4 + 4 * 5, "\xFF\xFF\xFF\x7F", 4);
    Write(t, "StencilCountHuge.bin", stencilHuge);
    Bytes stencilNegative = TableBytes(empty, n);
    std::memcpy(stencilNegative.data() + 4 + 4 * 5, "\xFF\xFF\xFF\xFF", 4);
    Write(t, "StencilCountNegative.bin", stencilNegative);
    Bytes trailing = TableBytes(empty, n);
    trailing.push_back(0);
    Write(t, "AByteAfterTheTable.bin", trailing);
}

void CliArgsSeeds() {
    const std::string t = "cli_args";
    auto line = [&](const std::string& name, std::initializer_list<const char*> args) {
        Bytes b;
        bool first = true;
        for (const char* a : args) {
            if (!first)
                b.push_back(0);
            first = false;
            b.insert(b.end(), a, a + std::strlen(a));
        }
        Write(t, name, b);
    };
    line("Help", {"--help"});
    line("GenerateHelp", {"generate", "--width", "x", "--help"});
    line("GenerateDefaults", {"generate", "-o", "map.png"});
    line("GenerateEverything", {"generate",
                                "--seed",
                                "18446744073709551615",
                                "--width",
                                "100",
                                "--height=3000",
                                "--unit-amount",
                                "200",
                                "--process-amount",
                                "0.5",
                                "--concentration-rate",
                                "0",
                                "--concentration-amount=1",
                                "--points",
                                "255",
                                "--point",
                                "0,0",
                                "--point",
                                "99,2999",
                                "--keep-random-state",
                                "--water-level",
                                "0.25",
                                "--threads",
                                "2",
                                "--stencils",
                                "s.bin",
                                "--regions",
                                "-o",
                                "a.ld",
                                "-o",
                                "b.DAT",
                                "-o",
                                "c.png",
                                "--heightmap",
                                "h.png"});
    line("Render",
         {"render", "in.ld", "-o", "out.png", "--regions", "--water-level=0.5", "--threads=1"});
    line("Info", {"info", "in.dat"});
    line("UnknownCommand", {"grow"});
    line("WidthBelowRange", {"generate", "--width", "99", "-o", "a.png"});
    line("PointOffTheGrid", {"generate", "--width", "100", "--point", "100,0", "-o", "a.png"});
    line("PointWithoutComma", {"generate", "--point", "7", "-o", "a.png"});
    line("SameOutputTwice", {"generate", "-o", "a.png", "-o", "./a.png"});
    line("NegativeSeed", {"generate", "--seed=-1", "-o", "a.png"});
    line("NaNProcessAmount", {"generate", "--process-amount", "nan", "-o", "a.png"});
    line("FlagWithValue", {"generate", "--regions=1", "-o", "a.png"});
    line("MissingValue", {"generate", "-o"});
    line("RenderToMapFile", {"render", "in.ld", "-o", "x.ld"});
    line("InfoTwoInputs", {"info", "a.ld", "b.ld"});
    line("EmptyArguments", {"", ""});
}

Bytes FromText(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A recipe as the writer writes it, of settings of every kind: a point, each
// stage, the picture, edge, engine and height range, each set by its row.
std::string SeedRecipe() {
    GEO_MakeLand terrain;
    terrain.seed = 5;
    terrain.width = terrain.gridWidth = 100;
    terrain.height = terrain.gridHeight = 100;
    terrain.SetSize(100 * 100);
    RecipeOptions options;
    for (const auto& [option, value] : {std::pair{"--point", "3,4"},
                                        {"--smooth", "2"},
                                        {"--erode", "3"},
                                        {"--shade", ""},
                                        {"--edge", "repeat"},
                                        {"--engine", "unity"},
                                        {"--height-range-m", "800"}})
        SetStageSetting(*FindStageSetting(option), value, terrain, options);
    SetStageValue(StageRow(StageSettingId::ErosionK), {0.02}, options);
    return RecipeText(terrain, true, options);
}

// Each carrier as our writers make it, and variants that must be refused:
// outputs in the recipe, lengths past the bounds, bad escapes.
void RecipeSeeds() {
    const std::string t = "recipe";
    const std::string recipe = SeedRecipe();
    const std::string evil = "glenvar-cli generate --seed 5 -o victim.png --tiles 2x1";
    const AltitudeGrid grid(3, 2, 0.25);
    const HeightWindow heights = HeightWindow::OfGrid(grid);
    Picture picture(3, 2);
    Write(t, "Picture.png", EncodePicturePng(picture, recipe));
    Write(t, "PictureOutputs.png", EncodePicturePng(picture, evil));
    Write(t, "PictureNoRecipe.png", EncodePicturePng(picture));
    Write(t, "Heightmap.png", EncodeHeightmapPng(heights, recipe));
    Write(t, "Heightmap.tif", EncodeHeightmapTiff(heights, recipe));
    Write(t, "HeightmapShort.tif", EncodeHeightmapTiff(heights, "ab"));
    Write(t, "Heightmap.exr", EncodeHeightmapExr(heights, recipe));
    const Bytes exr = EncodeHeightmapExr(heights, evil);
    Write(t, "HeightmapOutputs.exr", exr);
    Write(t, "HeaderCut.exr", Cut(exr, exr.size() / 2));
    HeightmapSidecar sidecar;
    sidecar.recipe = recipe;
    sidecar.tiles = {{"h_x0_y0.png", {}}};
    Write(t, "Sidecar.json", FromText(SidecarJson(sidecar)));
    Write(t, "SidecarBadEscape.json", FromText("{\"recipe\": \"glenvar-cli generate \\uzzzz\"}"));
    Write(t, "SidecarEscapes.json",
          FromText("{\"recipe\": \"glenvar-cli generate --edge \\u0072epeat\\ud83d\\ude00\"}"));
    Write(t, "SidecarNul.json", FromText("{\"recipe\": \"glenvar-cli generate\\u0000 -o x\"}"));
    // A BigTIFF of one directory entry: the description, kept in the entry.
    Write(t, "BigTiffDescription.tif",
          ByteWriter()
              .text("II")
              .u16(43)
              .u16(8)
              .u16(0)
              .u64(16)
              .u64(1)
              .u16(270)
              .u16(2)
              .u64(8)
              .text("glenvar")
              .le(0, 1)
              .u64(0)
              .bytes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    root = argv[1];
    MapFileSeeds();
    StencilCacheSeeds();
    CliArgsSeeds();
    RecipeSeeds();
    return 0;
}

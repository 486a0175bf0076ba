// The memory check's arithmetic and sources, and the TIFF it budgets for.

#include "cli/CliOptions.h"
#include "core/GEO_MakeLand.h"
#include "export/HeightWindow.h"
#include "export/HeightmapFile.h"
#include "pipeline/MemoryNeed.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <string>

namespace {

using testsupport::ScratchDir;
using testsupport::WriteBytes;
constexpr uint64_t gib = uint64_t{1} << 30;

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    WriteBytes(path, testsupport::Bytes(text.begin(), text.end()));
}

TEST(MemoryNeed, ControlGroupV2RoomFromAFakeTree) {
    ScratchDir root;
    WriteText(root / "proc/self/cgroup", "0::/user.slice/glenvar.scope\n");
    const auto group = root / "sys/fs/cgroup/user.slice/glenvar.scope";
    WriteText(group / "memory.max", "4294967296\n");
    WriteText(group / "memory.current", "1073741824\n");
    const std::string proc = (root / "proc").string(), sys = (root / "sys").string();
    EXPECT_EQ(ControlGroupRoom(proc, sys), 3 * gib);

    WriteText(group / "memory.max", "max\n");  // no limit
    EXPECT_EQ(ControlGroupRoom(proc, sys), UINT64_MAX);
    // A version 1 hierarchy alone says nothing here.
    WriteText(root / "proc/self/cgroup", "4:memory:/user.slice\n");
    EXPECT_EQ(ControlGroupRoom(proc, sys), UINT64_MAX);
}

TEST(MemoryNeed, TheRefusalsFiguresDiffer) {
    const std::string refusal = MemoryRefusal(8192, 8192, gib / 2 + (uint64_t{5} << 20), gib / 2);
    EXPECT_NE(refusal.find("needs about 0.505 GiB of memory, but only 0.500 GiB"),
              std::string::npos)
        << refusal;
    EXPECT_NE(MemoryRefusal(100, 100, 3 * gib, gib).find("3.0 GiB of memory, but only 1.0 GiB"),
              std::string::npos);
    EXPECT_EQ(MemoryRefusal(100, 100, gib, gib), "");
}

// Little-endian with the baseline resolution tags, and never more memory than
// the estimate allowed for it.
TEST(MemoryNeed, TheFloatTiffAndItsBudget) {
    GEO_MakeLand terrain;
    terrain.width = terrain.gridWidth = 300;
    terrain.height = terrain.gridHeight = 200;
    terrain.SetSize(300 * 200);
    for (int32_t i = 0; i < terrain.GetSize(); ++i)
        terrain[i].altitude = double(i % 997) / 996;
    const std::vector<unsigned char> tiff = EncodeHeightmapTiff(HeightWindow::OfCells(terrain));
    ASSERT_GE(tiff.size(), 4u);
    EXPECT_EQ(std::vector<unsigned char>(tiff.begin(), tiff.begin() + 4),
              (std::vector<unsigned char>{0x49, 0x49, 0x2A, 0x00}));
    ScratchDir dir;
    WriteBytes(dir / "h.tif", tiff);
    TIFF* tif = TIFFOpen((dir / "h.tif").c_str(), "r");
    ASSERT_NE(tif, nullptr);
    float x = 0, y = 0;
    uint16_t unit = 0;
    EXPECT_TRUE(TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x) == 1 &&
                TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y) == 1 &&
                TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit) == 1);
    EXPECT_TRUE(x > 0 && y > 0 && unit == RESUNIT_NONE);
    TIFFClose(tif);

    // The writing stage dominates with a picture: the heightmap's share is what it adds.
    GEO_MakeLand parameters;
    parameters.width = 300;
    parameters.height = 200;
    PipelineOutputs outputs;
    outputs.files.push_back({"m.png", FileFormId::Picture});
    const uint64_t without = GenerationBytes(parameters, {}, outputs);
    outputs.heightmaps.push_back({"h.tif", FileFormId::HeightmapTiff});
    EXPECT_GE(GenerationBytes(parameters, {}, outputs) - without,
              tiff.capacity() + 300 * sizeof(float));
}

}  // namespace

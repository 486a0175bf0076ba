// LoadMapFile over arbitrary bytes, as the open command feeds it a file of
// either form. Beyond "no crash", the properties the rest of the program
// relies on: a refused or foreign file leaves the terrain exactly as it was;
// an accepted one holds a grid that matches its size, saves and reads back as
// itself, and renders as CellColour says.

#include "FuzzCheck.h"
#include "core/GEO_MakeLand.h"
#include "core/MapFile.h"
#include "data/Failures.h"
#include "data/FileDevices.h"
#include "tests/support/Terrains.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using testsupport::Bits;
using testsupport::DifferingFields;

bool SameTerrain(const GEO_MakeLand& a, const GEO_MakeLand& b) {
    return DifferingFields(a, b).empty();
}

// The map already open: different from any default in every field, so a
// half-taken load shows.
GEO_MakeLand OpenMap() {
    GEO_MakeLand t;
    t.seed = 0xFEEDFACECAFEBEEFull;
    t.width = t.gridWidth = 3;
    t.height = t.gridHeight = 2;
    t.unitAmount = 7;
    t.processAmount = 0.125;
    t.waterLevel = 0.375;
    t.concentrationRate = 0.625;
    t.concentrationAmount = 0.875;
    t.concentrationPointCount = 2;
    t.concentrationPoints.Add({1, 1});
    t.concentrationPoints.Add({2, 0});
    t.keepRandomState = 1;
    t.manualPlacement = 1;
    t.progressTotal = 11;
    t.progressCount = 5;
    t.twoThreads = 1;
    t.SetSize(6);
    for (int32_t i = 0; i < 6; ++i)
        t[i] = LandCell{i / 5.0, uint16_t(i % 2), {}};
    return t;
}

void CheckRendering(GEO_MakeLand& t) {
    const int32_t w = t.gridWidth, h = t.gridHeight;
    for (bool regions : {false, true}) {
        Picture picture(w, h);
        t.Render(picture, regions);
        for (int32_t i = 0; i < t.GetSize(); ++i)
            FUZZ_CHECK(picture.at(i % w, i / w) == PixelFromColorRef(t.CellColour(i, regions)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const GEO_MakeLand before = OpenMap();
    GEO_MakeLand terrain = before;
    MapFileKind kind;
    try {
        kind = LoadMapFileBytes(terrain, std::vector<unsigned char>(data, data + size));
    } catch (const CommandFailure&) {
        FUZZ_CHECK(SameTerrain(terrain, before));
        return 0;
    }
    bool marked = size >= 2 && (std::memcmp(data, "LS", 2) == 0 || std::memcmp(data, "LD", 2) == 0);
    FUZZ_CHECK(marked == (kind != MapFileKind::None));
    if (kind == MapFileKind::None) {
        FUZZ_CHECK(SameTerrain(terrain, before));
        return 0;
    }

    // Only a consistent grid gets through, and it records its own size.
    const int64_t cells = terrain.GetSize();
    if (cells > 0) {
        FUZZ_CHECK(terrain.width > 0 && terrain.height > 0);
        FUZZ_CHECK(int64_t{terrain.width} * terrain.height == cells);
        FUZZ_CHECK(terrain.gridWidth == terrain.width && terrain.gridHeight == terrain.height);
    } else {
        FUZZ_CHECK(terrain.gridWidth == 0 && terrain.gridHeight == 0);
    }
    // What the file does not hold stays as it was.
    FUZZ_CHECK(terrain.progressTotal == before.progressTotal &&
               terrain.progressCount == before.progressCount &&
               terrain.twoThreads == before.twoThreads);
    if (kind == MapFileKind::Raw) {
        FUZZ_CHECK(terrain.seed == before.seed && terrain.unitAmount == before.unitAmount &&
                   Bits(terrain.waterLevel) == Bits(before.waterLevel));
        FUZZ_CHECK(terrain.concentrationPointCount == terrain.concentrationPoints.GetSize());
    }

    // Saved in the same form and read back into the same open map, it is itself.
    GEO_MakeLand again = before;
    FUZZ_CHECK(LoadMapFileBytes(again, MapFileBytes(terrain, kind)) == kind);
    FUZZ_CHECK(SameTerrain(again, terrain));

    if (cells > 0)
        CheckRendering(terrain);
    return 0;
}

// The map and raw file forms: exact bytes, round trips over both forms, and
// loads that must leave the terrain untouched.

#include "core/MapFile.h"
#include "core/GEO_MakeLand.h"
#include "data/FileDevices.h"
#include "tests/support/ByteWriter.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/Terrains.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <sys/resource.h>

namespace {

using testsupport::Bytes;
using testsupport::ByteWriter;
using testsupport::DifferingFields;
using testsupport::ReadBytes;
using testsupport::SampleTerrain;
using testsupport::ScratchDir;
using testsupport::WriteBytes;

const std::filesystem::path fixtures = GLENVAR_TEST_DATA;

// Something to load into, different from the sample in every field.
GEO_MakeLand Target() {
    GEO_MakeLand t = SampleTerrain(5, 4, 3);
    t.seed = 42;
    t.unitAmount = 5;
    t.processAmount = 0.25;
    t.waterLevel = 0.75;
    t.concentrationRate = 0.5;
    t.concentrationAmount = 0.125;
    t.concentrationPointCount = 3;
    t.keepRandomState = 0;
    t.manualPlacement = 0;
    t.progressTotal = 13107;
    t.progressCount = 7;
    t.twoThreads = 0;
    return t;
}

Bytes DefaultMapBytes() {
    ByteWriter w;
    w.text("LS").u16(1).u64(0).i32(1280).i32(1024).i32(150);
    w.u64(0x3F847AE140000000ull).u64(0x3FE0000000000000ull);
    w.u64(0x3FC99999A0000000ull).u64(0x3FD99999A0000000ull);
    w.i32(4).i32(0).i32(0).u16(0).i32(0).u16(0);
    return w.bytes;
}

TEST(MapFile, DefaultTerrainIsTheSeventySixBytes) {
    GEO_MakeLand fresh;
    Bytes expected = DefaultMapBytes();
    ASSERT_EQ(expected.size(), 76u);
    EXPECT_EQ(MapFileBytes(fresh, MapFileKind::Map), expected);
    EXPECT_EQ(ReadBytes(fixtures / "DefaultTerrain.ld"), expected);

    ScratchDir dir;
    SaveMapFile(fresh, dir / "LandData.ld");
    EXPECT_EQ(ReadBytes(dir / "LandData.ld"), expected);

    GEO_MakeLand loaded = Target();
    loaded.twoThreads = 0;
    loaded.progressTotal = loaded.progressCount = 0;
    EXPECT_EQ(LoadMapFile(loaded, fixtures / "DefaultTerrain.ld"), MapFileKind::Map);
    EXPECT_EQ(DifferingFields(loaded, GEO_MakeLand()), "");
}

TEST(MapFile, BytesMatchTheLayoutByHand) {
    GEO_MakeLand t = SampleTerrain();
    ByteWriter w;
    w.text("LS").u16(1).u64(t.seed).i32(3).i32(2).i32(77);
    w.f64(t.processAmount).f64(t.waterLevel).f64(t.concentrationRate).f64(t.concentrationAmount);
    w.i32(9).i32(1).i32(1);
    ByteWriter points;
    points.u16(2).i32(-1).i32(100000).i32(2).i32(100001);
    w.raw(points.bytes.data(), points.bytes.size());
    w.i32(6).raw(t.GetData(), 6 * 16);
    w.raw(points.bytes.data(), points.bytes.size());
    EXPECT_EQ(MapFileBytes(t, MapFileKind::Map), w.bytes);

    ByteWriter r;
    r.text("LD").u16(1).i32(3).i32(2).raw(t.GetData(), 6 * 16);
    r.i32(2).i32(-1).i32(100000).i32(2).i32(100001);
    EXPECT_EQ(MapFileBytes(t, MapFileKind::Raw), r.bytes);
}

TEST(MapFile, FullSizeFilesHaveTheDocumentedLengths) {
    GEO_MakeLand t;
    t.SetSize(1280 * 1024);
    t.gridWidth = 1280;
    t.gridHeight = 1024;
    for (int i = 0; i < 4; ++i)
        t.concentrationPoints.Add({i, i});
    EXPECT_EQ(MapFileBytes(t, MapFileKind::Map).size(), 20971660u);
    EXPECT_EQ(MapFileBytes(t, MapFileKind::Raw).size(), 20971568u);
}

TEST(MapFile, SixtyFiveThousandPointsSwitchTheCountEncoding) {
    for (int32_t n : {65534, 65535}) {
        GEO_MakeLand t;
        t.concentrationPoints.SetSize(n);
        t.concentrationPoints[n - 1] = {7, 8};
        Bytes bytes = MapFileBytes(t, MapFileKind::Map);
        if (n == 65534) {
            EXPECT_EQ((Bytes(bytes.begin() + 68, bytes.begin() + 70)), (Bytes{0xFE, 0xFF}));
        } else {
            EXPECT_EQ((Bytes(bytes.begin() + 68, bytes.begin() + 74)),
                      (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
        }
        GEO_MakeLand back;
        ASSERT_EQ(LoadMapFileBytes(back, bytes), MapFileKind::Map);
        ASSERT_EQ(back.concentrationPoints.GetSize(), n);
        EXPECT_EQ(back.concentrationPoints[n - 1], (Point{7, 8}));
    }
}

// Both forms, through real files.
struct Form {
    const char* name;
    MapFileKind kind;
    void (*save)(const GEO_MakeLand&, const std::filesystem::path&);
    // What a terrain becomes when `file` is loaded into `target`.
    GEO_MakeLand (*expected)(const GEO_MakeLand& file, const GEO_MakeLand& target);
};

GEO_MakeLand AfterMapLoad(const GEO_MakeLand& file, const GEO_MakeLand& target) {
    GEO_MakeLand t = file;
    t.progressTotal = target.progressTotal;
    t.progressCount = target.progressCount;
    t.twoThreads = target.twoThreads;
    return t;
}

GEO_MakeLand AfterRawLoad(const GEO_MakeLand& file, const GEO_MakeLand& target) {
    GEO_MakeLand t = target;
    t.width = t.gridWidth = file.width;
    t.height = t.gridHeight = file.height;
    static_cast<GrowableArray<LandCell>&>(t) = file;
    t.concentrationPoints = file.concentrationPoints;
    t.concentrationPointCount = file.concentrationPoints.GetSize();
    return t;
}

const Form forms[] = {
    {"Map", MapFileKind::Map, &SaveMapFile, &AfterMapLoad},
    {"Raw", MapFileKind::Raw, &SaveRawFile, &AfterRawLoad},
};

class BothForms : public testing::TestWithParam<Form> {
  protected:
    Bytes Saved(const GEO_MakeLand& t) {
        GetParam().save(t, dir / "saved");
        return ReadBytes(dir / "saved");
    }
    MapFileKind LoadFile(GEO_MakeLand& t, const Bytes& bytes) {
        WriteBytes(dir / "loaded", bytes);
        return LoadMapFile(t, dir / "loaded");
    }
    ScratchDir dir;
};

TEST_P(BothForms, RoundTripIsBitForBit) {
    for (auto [w, h, n] : {std::tuple{3, 2, 2}, {1, 1, 0}, {17, 300, 300}, {0, 0, 1}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " " << n);
        GEO_MakeLand file = SampleTerrain(w, h, n);
        GEO_MakeLand target = Target();
        GEO_MakeLand expected = GetParam().expected(file, target);
        ASSERT_EQ(LoadFile(target, Saved(file)), GetParam().kind);
        EXPECT_EQ(DifferingFields(target, expected), "");
    }
}

// A map file cut inside its second point list still holds the whole map and
// loads as the uncut file does; every other cut is refused and changes nothing.
TEST_P(BothForms, EveryTruncationButInsideTheLastPointListIsRefused) {
    const GEO_MakeLand file = SampleTerrain();
    Bytes whole = Saved(file);
    size_t lastBlock = whole.size() - 8 * size_t(file.concentrationPoints.GetSize());
    for (size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        GEO_MakeLand target = Target();
        const GEO_MakeLand before = target;
        Bytes cut(whole.begin(), whole.begin() + long(length));
        if (length < 2) {
            EXPECT_EQ(LoadFile(target, cut), MapFileKind::None);
        } else if (GetParam().kind == MapFileKind::Map && length >= lastBlock) {
            EXPECT_EQ(LoadFile(target, cut), MapFileKind::Map);
            EXPECT_EQ(DifferingFields(target, GetParam().expected(file, before)), "");
            continue;
        } else {
            EXPECT_THROW(LoadFile(target, cut), EndOfFileFailure);
        }
        EXPECT_EQ(DifferingFields(target, before), "");
    }
}

// While hand placement has changed width/height ahead of the cells, a saved
// file still states the size of the grid it holds.
TEST_P(BothForms, SavesStateTheGridsOwnSize) {
    GEO_MakeLand t = SampleTerrain(3, 2, 2);
    t.width = 1000;
    t.height = 800;
    GEO_MakeLand back;
    ASSERT_EQ(LoadFile(back, Saved(t)), GetParam().kind);
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.gridWidth, 3);
    EXPECT_EQ(back.gridHeight, 2);
    ASSERT_EQ(back.GetSize(), 6);
    EXPECT_TRUE(testsupport::SameCells(back, t));
}

INSTANTIATE_TEST_SUITE_P(Forms, BothForms, testing::ValuesIn(forms),
                         [](const testing::TestParamInfo<Form>& info) { return info.param.name; });

// Raw save is offered only with cells: a raw file without them states a size
// whose cells it lacks, and reading it back is refused.
TEST(MapFile, WithoutCellsTheFieldsAreSavedAsTheyAre) {
    GEO_MakeLand t;
    t.width = 640;
    t.height = 480;
    Bytes map = MapFileBytes(t, MapFileKind::Map);
    EXPECT_EQ((Bytes(map.begin() + 12, map.begin() + 20)), ByteWriter().i32(640).i32(480).bytes);
    Bytes raw = MapFileBytes(t, MapFileKind::Raw);
    EXPECT_EQ(raw, ByteWriter().text("LD").u16(1).i32(640).i32(480).i32(0).bytes);

    GEO_MakeLand back = Target();
    ASSERT_EQ(LoadMapFileBytes(back, map), MapFileKind::Map);
    EXPECT_EQ(back.width, 640);
    EXPECT_EQ(back.height, 480);
    EXPECT_EQ(back.GetSize(), 0);
    EXPECT_EQ(back.gridWidth, 0);
    EXPECT_EQ(back.gridHeight, 0);
    EXPECT_THROW(LoadMapFileBytes(back, raw), EndOfFileFailure);
}

TEST(MapFile, OtherMarkersLoadNothing) {
    for (const Bytes& bytes : {Bytes{}, Bytes{'L'}, Bytes{'L', 's', 1, 0}, Bytes{'D', 'L', 1, 0},
                               Bytes{0, 0, 0, 0, 0, 0, 0, 0}}) {
        GEO_MakeLand target = Target();
        const GEO_MakeLand before = target;
        EXPECT_EQ(LoadMapFileBytes(target, bytes), MapFileKind::None);
        EXPECT_EQ(DifferingFields(target, before), "");
    }
}

TEST(MapFile, TheSecondPointListIsKept) {
    GEO_MakeLand t;
    ASSERT_EQ(LoadMapFile(t, fixtures / "PointListsDiffer.ld"), MapFileKind::Map);
    ASSERT_EQ(t.concentrationPoints.GetSize(), 3);
    EXPECT_EQ(t.concentrationPoints[0], (Point{0, 1}));
    EXPECT_EQ(t.concentrationPoints[2], (Point{1, 0}));
    EXPECT_EQ(t.concentrationPointCount, 2);  // the stored field, not the list's length
    EXPECT_EQ(t.GetSize(), 6);
    EXPECT_EQ(t[5].altitude, 1.0);
    EXPECT_EQ(t[5].region, 1);
}

// The second list read over the first: what the cut file still holds wins
// byte by byte, points past the first copy are zero, and a count the first
// copy and the bytes left cannot nearly cover is no cut copy.
TEST(MapFile, ACutSecondPointListKeepsTheFirstCopysRest) {
    auto cutMap = [](uint16_t second, const Bytes& tail) {
        ByteWriter b;
        b.text("LS").u16(1).u64(0).i32(0).i32(0).i32(150);
        b.f64(0.01).f64(0.5).f64(0.2).f64(0.4).i32(2).i32(0).i32(0);
        b.u16(2).i32(1).i32(2).i32(3).i32(4).i32(0).u16(second);
        return b.raw(tail.data(), tail.size()).bytes;
    };
    const Bytes tail = ByteWriter().i32(-5).i32(-6).u16(0xFFFF).raw("\x7F", 1).bytes;
    GEO_MakeLand t;
    ASSERT_EQ(LoadMapFileBytes(t, cutMap(4, tail)), MapFileKind::Map);
    ASSERT_EQ(t.concentrationPoints.GetSize(), 4);
    EXPECT_EQ(t.concentrationPoints[0], (Point{-5, -6}));
    EXPECT_EQ(t.concentrationPoints[1], (Point{0x7FFFFF, 4}));
    EXPECT_EQ(t.concentrationPoints[2], (Point{}));
    EXPECT_EQ(t.concentrationPoints[3], (Point{}));

    GEO_MakeLand untouched = Target();
    const GEO_MakeLand before = untouched;
    EXPECT_THROW(LoadMapFileBytes(untouched, cutMap(5, tail)), EndOfFileFailure);
    EXPECT_EQ(DifferingFields(untouched, before), "");

    ASSERT_EQ(LoadMapFileBytes(t, cutMap(1, {})), MapFileKind::Map);  // ends right after the count
    ASSERT_EQ(t.concentrationPoints.GetSize(), 1);
    EXPECT_EQ(t.concentrationPoints[0], (Point{1, 2}));
}

TEST(MapFile, InconsistentGridsAreRefused) {
    auto mapWith = [](int32_t w, int32_t h, int32_t cells) {
        ByteWriter b;
        b.text("LS").u16(1).u64(0).i32(w).i32(h).i32(150);
        b.f64(0.01).f64(0.5).f64(0.2).f64(0.4).i32(4).i32(0).i32(0).u16(0);
        b.i32(cells);
        if (cells > 0)
            b.bytes.resize(b.bytes.size() + 16 * size_t(cells));
        b.u16(0);
        return b.bytes;
    };
    const std::pair<const char*, Bytes> cases[] = {
        {"fixture: 5 cells in 3 x 2", ReadBytes(fixtures / "CellCountNotWidthTimesHeight.ld")},
        {"fixture: raw -2 x -3", ReadBytes(fixtures / "RawNegativeSides.dat")},
        {"7 cells in 3 x 2", mapWith(3, 2, 7)},
        {"cells with width 0", mapWith(0, 2, 2)},
        {"6 cells in -3 x -2", mapWith(-3, -2, 6)},
        {"1 cell in 65536 x 65536", mapWith(65536, 65536, 1)},
        {"negative cell count", mapWith(3, 2, -1)},
        {"raw -1 x -1", ByteWriter().text("LD").u16(1).i32(-1).i32(-1).bytes},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        GEO_MakeLand target = Target();
        const GEO_MakeLand before = target;
        EXPECT_THROW(LoadMapFileBytes(target, bytes), FormatFailure);
        EXPECT_EQ(DifferingFields(target, before), "");
    }
}

// Runs in a child whose address space is kept small, so a loader that tried to
// allocate what a count claims would fail with the memory message instead.
int LoadInSmallAddressSpace(const Bytes& bytes, bool formatFailure) {
    std::ifstream status("/proc/self/status");
    std::string key;
    uint64_t kilobytes = 0;
    while (status >> key && key != "VmSize:") {
    }
    status >> kilobytes;
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = (kilobytes + 256 * 1024) * 1024;
    if (::setrlimit(RLIMIT_AS, &limit) != 0)
        return 5;
    GEO_MakeLand target;
    try {
        LoadMapFileBytes(target, bytes);
    } catch (const FormatFailure&) {
        return formatFailure ? 0 : 2;
    } catch (const EndOfFileFailure&) {
        return formatFailure ? 3 : 0;
    } catch (const MemoryFailure&) {
        return 4;
    }
    return 1;
}

TEST(MapFileDeathTest, HostileCountsAreRefusedWithoutAllocating) {
    auto header = [] {
        ByteWriter b;
        b.text("LS").u16(1).u64(0).i32(1280).i32(1024).i32(150);
        b.f64(0.01).f64(0.5).f64(0.2).f64(0.4).i32(4).i32(0).i32(0);
        return b;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        bool formatFailure;
    };
    const Case cases[] = {
        {"cell count 0xFFFFFFFF", header().u16(0).u32(0xFFFFFFFF).bytes, true},
        {"cell count INT32_MIN", header().u16(0).i32(INT_MIN).bytes, true},
        {"cell count INT32_MAX", header().u16(0).i32(INT_MAX).bytes, false},
        {"1280 x 1024 cells, none there", header().u16(0).i32(1280 * 1024).bytes, false},
        {"point count escape + 0xFFFFFFFF", header().u16(0xFFFF).u32(0xFFFFFFFF).bytes, false},
        {"second point list huge", header().u16(0).i32(0).u16(0xFFFF).u32(0x80000000).bytes, false},
        {"raw 65536 x 65536", ByteWriter().text("LD").u16(1).i32(65536).i32(65536).bytes, false},
        {"raw INT32_MAX squared", ByteWriter().text("LD").u16(1).i32(INT_MAX).i32(INT_MAX).bytes,
         false},
        {"raw INT32_MIN x -1", ByteWriter().text("LD").u16(1).i32(INT_MIN).i32(-1).bytes, true},
        {"raw point count -1", ByteWriter().text("LD").u16(1).i32(0).i32(0).i32(-1).bytes, true},
        {"raw point count INT32_MAX",
         ByteWriter().text("LD").u16(1).i32(0).i32(0).i32(INT_MAX).bytes, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(std::_Exit(LoadInSmallAddressSpace(c.bytes, c.formatFailure)),
                    testing::ExitedWithCode(0), "");
    }
}

TEST(MapFile, UnreadablePathsAreFileFailures) {
    ScratchDir dir;
    GEO_MakeLand t;
    try {
        LoadMapFile(t, dir / "nothing.ld");
        FAIL();
    } catch (const FileFailure& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  (dir / "nothing.ld").string() + " が見つかりませんでした。");
    }
    try {
        LoadMapFile(t, dir.path());
        FAIL();
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.cause(), FileErrorCause::BadPath);
    }
}

TEST(MapFile, CopyParametersLeavesTheCellsAlone) {
    GEO_MakeLand from = SampleTerrain(3, 2, 2);
    from.progressTotal = 5;
    from.twoThreads = 1;
    GEO_MakeLand to = Target();
    GEO_MakeLand expected = from;
    static_cast<GrowableArray<LandCell>&>(expected) = to;
    expected.gridWidth = to.gridWidth;
    expected.gridHeight = to.gridHeight;
    to.CopyParametersFrom(from);
    EXPECT_EQ(DifferingFields(to, expected), "");
    from.concentrationPoints[0] = {0, 0};
    EXPECT_EQ(to.concentrationPoints[0], (Point{-1, 100000}));
}

}  // namespace

// Disc rasterization and the stencil table with its cache file.

#include "data/DiscStencil.h"
#include "data/FileDevices.h"
#include "data/GEO_LandCircle.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/StencilTables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using testsupport::BuiltCacheBytes;
using testsupport::BuiltTable;
using testsupport::Bytes;
using testsupport::PutInt32At;
using testsupport::ReadBytes;
using testsupport::SameTable;
using testsupport::ScratchDir;
using testsupport::Serialized;
using testsupport::WriteBytes;

constexpr int32_t tableSize = GEO_LandCircleArray::stencilCount;

TEST(DiscStencil, SmallestDiameters) {
    EXPECT_EQ(BuildDiscStencil(1).GetSize(), 0);
    EXPECT_EQ(BuildDiscStencil(2).GetSize(), 0);
    PointArray three = BuildDiscStencil(3);
    ASSERT_EQ(three.GetSize(), 1);
    EXPECT_EQ(three[0], (Point{0, 0}));
    // Even diameters reach one cell further left and up.
    PointArray four = BuildDiscStencil(4);
    ASSERT_EQ(four.GetSize(), 4);
    EXPECT_EQ(four[0], (Point{-1, -1}));
    EXPECT_EQ(four[3], (Point{0, 0}));
}

TEST(DiscStencil, CountsForTheFirstDiameters) {
    const int32_t counts[] = {0, 0, 1, 4, 9, 16, 21, 32, 45, 52, 69, 80};
    for (int32_t d = 1; d <= 12; ++d)
        EXPECT_EQ(BuildDiscStencil(d).GetSize(), counts[d - 1]) << d;
}

// The integer test against the plain geometric statement in doubles, far past
// where a 32-bit square would overflow.
TEST(DiscStencil, FilledDiscIsThePixelCentresInTheInscribedCircle) {
    for (int32_t d : {1, 2, 3, 10, 57, 200, 46341, 100001}) {
        double r = d / 2.0;
        for (int32_t y = -1; y <= d; y += (d > 300 ? 97 : 1)) {
            for (int32_t x = -1; x <= d; x += (d > 300 ? 89 : 1)) {
                bool inSquare = x >= 0 && y >= 0 && x < d && y < d;
                double dx = x + 0.5 - r, dy = y + 0.5 - r;
                bool expected = inSquare && dx * dx + dy * dy <= r * r;
                ASSERT_EQ(InsideFilledDisc(d, x, y), expected) << d << " " << x << " " << y;
            }
        }
    }
    EXPECT_FALSE(InsideFilledDisc(0, 0, 0));
    // The point marks use the filled disc of diameter 10.
    int filled = 0;
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x)
            filled += InsideFilledDisc(10, x, y);
    EXPECT_EQ(filled, 80);
}

TEST(DiscStencil, ShapeOfEveryStencil) {
    int32_t previousCount = 0;
    for (int32_t d = 1; d <= tableSize; ++d) {
        SCOPED_TRACE(d);
        PointArray points = BuildDiscStencil(d);
        const int32_t low = -(d / 2), high = d - 1 - d / 2;
        ASSERT_LE(int64_t{points.GetSize()}, int64_t{d} * d);
        ASSERT_GE(points.GetSize(), previousCount);
        previousCount = points.GetSize();

        std::vector<std::vector<bool>> in(size_t(d), std::vector<bool>(size_t(d), false));
        for (int32_t i = 0; i < points.GetSize(); ++i) {
            const Point& p = points[i];
            ASSERT_TRUE(p.x >= low && p.x <= high && p.y >= low && p.y <= high);
            if (i > 0) {  // row by row, left to right, no repeats
                const Point& q = points[i - 1];
                ASSERT_TRUE(q.y < p.y || (q.y == p.y && q.x < p.x));
            }
            in[size_t(p.y - low)][size_t(p.x - low)] = true;
            // Interior: the pixel and its four neighbours lie in the filled disc.
            int32_t x = p.x - low, y = p.y - low;
            ASSERT_TRUE(InsideFilledDisc(d, x - 1, y) && InsideFilledDisc(d, x + 1, y) &&
                        InsideFilledDisc(d, x, y - 1) && InsideFilledDisc(d, x, y + 1));
        }
        for (int32_t y = 0; y < d; ++y) {
            int spans = 0;
            for (int32_t x = 0; x < d; ++x) {
                // Symmetric about the square's centre, across both axes and the diagonal.
                ASSERT_EQ(in[size_t(y)][size_t(x)], in[size_t(d - 1 - y)][size_t(d - 1 - x)]);
                ASSERT_EQ(in[size_t(y)][size_t(x)], in[size_t(y)][size_t(d - 1 - x)]);
                ASSERT_EQ(in[size_t(y)][size_t(x)], in[size_t(x)][size_t(y)]);
                if (in[size_t(y)][size_t(x)] && (x == 0 || !in[size_t(y)][size_t(x - 1)]))
                    ++spans;
            }
            ASSERT_LE(spans, 1) << "row " << y;
        }
    }
}

// The cache.

TEST(StencilCache, WithoutACacheTheTableIsBuiltAndWritten) {
    ScratchDir dir;
    GEO_LandCircleArray table;
    table.LoadOrBuild(dir / "makeland.bin");
    EXPECT_TRUE(SameTable(table, BuiltTable()));

    Bytes file = ReadBytes(dir / "makeland.bin");
    int64_t points = 0;
    for (const GEO_LandCircle& c : table)
        points += c.GetSize();
    EXPECT_EQ(int64_t(file.size()), 804 + 8 * points);
    EXPECT_EQ((Bytes(file.begin(), file.begin() + 4)), (Bytes{0xC8, 0x00, 0x00, 0x00}));
    EXPECT_EQ(file, BuiltCacheBytes());
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"makeland.bin"});
}

TEST(StencilCache, AFilledTableIsLeftAlone) {
    ScratchDir dir;
    GEO_LandCircleArray table;
    table.AddCircle(PointArray());
    table.LoadOrBuild(dir / "makeland.bin");
    EXPECT_EQ(table.GetSize(), 1);
    EXPECT_TRUE(dir.Entries().empty());
}

// A sane cache from another rasterization is taken as it stands.
TEST(StencilCache, ASaneCacheIsUsedAsItStands) {
    ScratchDir dir;
    GEO_LandCircleArray other;
    for (int32_t d = 1; d <= tableSize; ++d) {
        PointArray points;
        points.Add({0, 0});
        if (d >= 2) {
            points.Add({-(d / 2), d - 1 - d / 2});
            points.Add({0, 0});  // duplicates are the generator's business
        }
        other.AddCircle(points);
    }
    Bytes bytes = Serialized(other);
    WriteBytes(dir / "makeland.bin", bytes);

    GEO_LandCircleArray table;
    table.LoadOrBuild(dir / "makeland.bin");
    EXPECT_TRUE(SameTable(table, other));
    EXPECT_EQ(ReadBytes(dir / "makeland.bin"), bytes);
}

TEST(StencilCache, ADamagedCacheIsRebuiltAndRewritten) {
    const Bytes& good = BuiltCacheBytes();
    // Offsets into the built file: stencil k's count.
    std::vector<size_t> countAt(tableSize);
    for (size_t at = 4, k = 0; k < size_t(tableSize); ++k) {
        countAt[k] = at;
        int32_t n;
        std::memcpy(&n, good.data() + at, 4);
        at += 4 + 8 * size_t(n);
    }
    auto with = [&](const std::function<void(Bytes&)>& change) {
        Bytes b = good;
        change(b);
        return b;
    };
    GEO_LandCircleArray shorter = BuiltTable();
    shorter.SetSize(tableSize - 1);
    GEO_LandCircleArray longer = BuiltTable();
    longer.AddCircle(PointArray());
    GEO_LandCircleArray crowded = BuiltTable();
    crowded[0].Add({0, 0});
    crowded[0].Add({0, 0});  // two points in a 1 x 1 square

    const std::pair<const char*, Bytes> cases[] = {
        {"empty", {}},
        {"cut inside the first count", {0xC8, 0x00}},
        {"only the table count", {0xC8, 0, 0, 0}},
        {"cut inside a point", Bytes(good.begin(), good.end() - 3)},
        {"cut after stencil 100", Bytes(good.begin(), good.begin() + long(countAt[100]))},
        {"199 stencils", Serialized(shorter)},
        {"201 stencils", Serialized(longer)},
        {"huge stencil count", with([&](Bytes& b) { PutInt32At(b, countAt[5], 0x7FFFFFFF); })},
        {"negative stencil count", with([&](Bytes& b) { PutInt32At(b, countAt[5], -1); })},
        {"more points than d squared", Serialized(crowded)},
        {"offset outside the square", with([&](Bytes& b) { PutInt32At(b, countAt[9] + 4, 5); })},
        {"a byte after the table", with([](Bytes& b) { b.push_back(0); })},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        WriteBytes(dir / "makeland.bin", bytes);
        GEO_LandCircleArray table;
        EXPECT_EQ(table.LoadOrBuild(dir / "makeland.bin"), GEO_LandCircleArray::CacheUse::Written);
        EXPECT_TRUE(SameTable(table, BuiltTable()));
        EXPECT_EQ(ReadBytes(dir / "makeland.bin"), good);
        EXPECT_EQ(dir.Entries().size(), 1u);
    }
}

// A file that does not begin as a stencil table is someone's, named by
// mistake: it is never written over, and the table is used from memory.
TEST(StencilCache, AFileThatIsNoCacheIsLeftAlone) {
    Bytes map(6, 0);
    map[0] = 'L';
    map[1] = 'S';
    const std::pair<const char*, Bytes> cases[] = {
        {"a map file", map},
        {"table count -1", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}},
        {"table count 2147483647", {0xFF, 0xFF, 0xFF, 0x7F}},
        {"cut inside another count", {0xC8, 0x01}},
        {"garbage", Bytes(5000, 0xA5)},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        WriteBytes(dir / "precious.ld", bytes);
        GEO_LandCircleArray table;
        EXPECT_EQ(table.LoadOrBuild(dir / "precious.ld"), GEO_LandCircleArray::CacheUse::NotACache);
        EXPECT_TRUE(SameTable(table, BuiltTable()));
        EXPECT_EQ(ReadBytes(dir / "precious.ld"), bytes);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"precious.ld"});
    }
}

TEST(StencilCache, ADirectoryInThePlaceOfTheCacheStillGivesATable) {
    ScratchDir dir;
    std::filesystem::create_directory(dir / "makeland.bin");
    GEO_LandCircleArray table;
    table.LoadOrBuild(dir / "makeland.bin");
    EXPECT_TRUE(SameTable(table, BuiltTable()));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "makeland.bin"));
}

}  // namespace

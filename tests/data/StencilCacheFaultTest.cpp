// The stencil cache "makeland.bin" in every state a crash, a full disk or a
// stranger can leave it in. Each case must end with a table the generator can
// use, and the generation made with it must be the one a fresh table gives:
// a damaged cache must never stop or change a generation.

#include "tests/support/FaultSupport.h"
#include "core/NUM_Random.h"
#include "data/DiscStencil.h"
#include "data/FileDevices.h"
#include "data/GEO_LandCircle.h"
#include "tests/support/ArchiveBytes.h"

#include <sys/stat.h>

namespace robustness {
namespace {

using testsupport::PutInt32At;
using testsupport::Serialized;

constexpr int32_t stencils = GEO_LandCircleArray::stencilCount;

GEO_LandCircleArray FreshTable() { return GEO_LandCircleArray::Built(); }

const Bytes& GoodCache() {
    static const Bytes bytes = Serialized(FreshTable());
    return bytes;
}

// A small map with stencils up to the default largest diameter.
Bytes Generation(const GEO_LandCircleArray& table) {
    GEO_MakeLand t;
    t.width = t.height = 100;
    t.processAmount = 0.01;
    t.seed = 20240601;
    NUM_AdvancedRandom source;
    t.Generate(table, &source);
    Bytes grid(reinterpret_cast<const unsigned char*>(t.GetData()),
               reinterpret_cast<const unsigned char*>(t.GetData() + t.GetSize()));
    for (const Point& p : t.concentrationPoints) {
        const auto* b = reinterpret_cast<const unsigned char*>(&p);
        grid.insert(grid.end(), b, b + sizeof p);
    }
    return grid;
}

const Bytes& FreshGeneration() {
    static const Bytes grid = Generation(FreshTable());
    return grid;
}

// What the generate command does with the cache at `cache`.
void ExpectUsableTable(const fs::path& cache) {
    GEO_LandCircleArray table;
    ASSERT_TRUE(table.LoadOrBuild(cache));
    ASSERT_EQ(table.GetSize(), stencils);
    EXPECT_TRUE(Generation(table) == FreshGeneration()) << "the generation differs from a fresh table's";
}

// Each case in a directory of its own; the 16 MB rewrites stay off the disk.
class StencilCacheFault : public testing::Test {
protected:
    ScratchDir dir{MemoryBackedTemp()};
    fs::path cache = dir / "makeland.bin";

    void ExpectRewritten() {
        EXPECT_TRUE(ReadBytes(cache) == GoodCache()) << "the cache was not rewritten";
        EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"makeland.bin"});
    }
};

TEST_F(StencilCacheFault, MissingOrEmpty) {
    ExpectUsableTable(cache);
    ExpectRewritten();
    WriteBytes(cache, {});
    ExpectUsableTable(cache);
    ExpectRewritten();
}

// As a crash or a full disk part-way through writing it would leave it.
TEST_F(StencilCacheFault, CutAtEveryFourByteBoundaryOfTheFirstKilobyte) {
    for (size_t length = 4; length <= 1024; length += 4) {
        SCOPED_TRACE(testing::Message() << length << " bytes");
        WriteBytes(cache, Bytes(GoodCache().begin(), GoodCache().begin() + long(length)));
        ExpectUsableTable(cache);
        ExpectRewritten();
        if (testing::Test::HasFailure()) break;
    }
}

TEST_F(StencilCacheFault, WrongOrHugeCounts) {
    GEO_LandCircleArray fewer = FreshTable();
    fewer.SetSize(stencils - 1);
    GEO_LandCircleArray more = FreshTable();
    more.AddCircle(PointArray());
    Bytes hugeTable = GoodCache();
    PutInt32At(hugeTable, 0, 0x7FFFFFFF);
    Bytes hugeStencil = GoodCache();
    PutInt32At(hugeStencil, 4, 0x7FFFFFFF);  // stencil 0's point count
    Bytes negativeTable = GoodCache();
    PutInt32At(negativeTable, 0, -200);

    const std::pair<const char*, Bytes> cases[] = {
        {"199 stencils", Serialized(fewer)},
        {"201 stencils", Serialized(more)},
        {"a table count of 2147483647", hugeTable},
        {"a stencil of 2147483647 points", hugeStencil},
        {"a table count of -200", negativeTable},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        WriteBytes(cache, bytes);
        ExpectUsableTable(cache);
        ExpectRewritten();
    }
}

TEST_F(StencilCacheFault, APipeInItsPlace) {
    ASSERT_EQ(::mkfifo(cache.c_str(), 0644), 0) << std::strerror(errno);
    int code = InChild([&] {
        ::alarm(30);
        ExpectUsableTable(cache);
        return testing::Test::HasFailure() ? 1 : 0;
    });
    EXPECT_EQ(code, 0) << (code == -SIGALRM ? "reading the pipe hung" : "no usable table");
}

// Where the cache cannot be written, the table built in memory is used.
TEST(StencilCacheUnwritable, BelowARegularFile) {
    ScratchDir dir;
    WriteBytes(dir / "file", {1});
    ExpectUsableTable(dir / "file" / "makeland.bin");
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"file"});
}

TEST(StencilCacheUnwritable, OnAReadOnlyDisk) {
    SmallDisk disk("64k");
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    const fs::path cache = disk.path() / "makeland.bin";
    const Bytes damaged(GoodCache().begin(), GoodCache().begin() + 1000);
    WriteBytes(cache, damaged);
    ASSERT_TRUE(disk.MakeReadOnly()) << std::strerror(errno);
    ExpectUsableTable(cache);
    EXPECT_EQ(ReadBytes(cache), damaged);
    EXPECT_EQ(Entries(disk.path()), std::vector<std::string>{"makeland.bin"});
}

// Full before the 16 MB table fits: the half-written copy must not stay.
TEST(StencilCacheUnwritable, OnAFullDisk) {
    SmallDisk disk("16k");
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    const fs::path cache = disk.path() / "makeland.bin";
    ExpectUsableTable(cache);
    EXPECT_TRUE(Entries(disk.path()).empty());
}

}  // namespace
}  // namespace robustness

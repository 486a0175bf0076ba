// The stencil cache "makeland.bin" as a crash, a full disk or a stranger can
// leave it, and places it cannot be written to. Each case must end with the
// table a fresh build gives. The damaged files that load whole are in
// StencilTest.cpp.

#include "data/DiscStencil.h"
#include "data/FileDevices.h"
#include "data/GEO_LandCircle.h"
#include "tests/support/FaultSupport.h"
#include "tests/support/StencilTables.h"

#include <sys/stat.h>

namespace robustness {
namespace {

using testsupport::BuiltCacheBytes;
using testsupport::BuiltTable;
using testsupport::SameTable;

// What the generate command does with the cache at `cache`: the table it
// gets is the one a fresh build gives, so no state of the cache can stop or
// change a generation.
void ExpectUsableTable(const fs::path& cache) {
    GEO_LandCircleArray table;
    table.LoadOrBuild(cache);
    EXPECT_TRUE(SameTable(table, BuiltTable())) << "the table differs from a fresh build";
}

// Each case in a directory of its own; the 16 MB rewrites stay off the disk.
class StencilCacheFault : public testing::Test {
  protected:
    ScratchDir dir{MemoryBackedTemp()};
    fs::path cache = dir / "makeland.bin";

    void ExpectRewritten() {
        EXPECT_TRUE(ReadBytes(cache) == BuiltCacheBytes()) << "the cache was not rewritten";
        EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"makeland.bin"});
    }
};

// As a crash or a full disk part-way through writing it would leave it.
TEST_F(StencilCacheFault, CutAtEveryFourByteBoundaryOfTheFirstKilobyte) {
    for (size_t length = 4; length <= 1024; length += 4) {
        SCOPED_TRACE(testing::Message() << length << " bytes");
        const Bytes& whole = BuiltCacheBytes();
        WriteBytes(cache, Bytes(whole.begin(), whole.begin() + long(length)));
        ExpectUsableTable(cache);
        ExpectRewritten();
        if (testing::Test::HasFailure())
            break;
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
    if (!disk.mounted())
        GTEST_SKIP() << disk.why();
    const fs::path cache = disk.path() / "makeland.bin";
    const Bytes damaged(BuiltCacheBytes().begin(), BuiltCacheBytes().begin() + 1000);
    WriteBytes(cache, damaged);
    ASSERT_TRUE(disk.MakeReadOnly()) << std::strerror(errno);
    ExpectUsableTable(cache);
    EXPECT_EQ(ReadBytes(cache), damaged);
    EXPECT_EQ(Entries(disk.path()), std::vector<std::string>{"makeland.bin"});
}

// Full before the 16 MB table fits: the half-written copy must not stay.
TEST(StencilCacheUnwritable, OnAFullDisk) {
    SmallDisk disk("16k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.why();
    const fs::path cache = disk.path() / "makeland.bin";
    ExpectUsableTable(cache);
    EXPECT_TRUE(Entries(disk.path()).empty());
}

}  // namespace
}  // namespace robustness

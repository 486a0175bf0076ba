// Opening a map whose file is no longer what the open dialog saw: gone,
// replaced, unreadable, or cut short while it is read. Each ends with the
// platform file error's text (or the end-of-file text) and the open map as it
// was. And a file that announces far more cells than it holds costs no memory.

#include "core/MapFile.h"
#include "data/Failures.h"
#include "data/FileDevices.h"
#include "tests/support/FaultSupport.h"
#include "tests/support/Terrains.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace robustness {
namespace {

using testsupport::DifferingFields;
using testsupport::SampleTerrain;

std::string Text(const char* pattern, const fs::path& path) {
    std::string text = pattern;
    text.replace(text.find("%1"), 2, fs::absolute(path).string());
    return text;
}

class LoadFault : public testing::Test {
  protected:
    void SetUp() override {
        path = dir / "LandData.ld";
        SaveMapFile(SampleTerrain(7, 3, 3), path);  // what the dialog saw
    }
    // The failure the open command reports, or "" when the load went through.
    std::string LoadFailure() {
        try {
            LoadMapFile(terrain, path);
        } catch (const CommandFailure& failure) {
            return failure.what();
        }
        return "";
    }

    ScratchDir dir;
    fs::path path;
    GEO_MakeLand terrain = SampleTerrain(40, 30, 3);
    const GEO_MakeLand before = terrain;
};

TEST_F(LoadFault, AFileThatVanishedIsNotFound) {
    fs::remove(path);
    EXPECT_EQ(LoadFailure(), Text("%1 が見つかりませんでした。", path));
    EXPECT_EQ(DifferingFields(terrain, before), "");

    fs::create_symlink(dir / "elsewhere.ld", path);  // a link left pointing nowhere
    EXPECT_EQ(LoadFailure(), Text("%1 が見つかりませんでした。", path));
    EXPECT_EQ(DifferingFields(terrain, before), "");
}

TEST_F(LoadFault, AFileReplacedByAFolderIsAnInvalidPath) {
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_EQ(LoadFailure(), Text("%1 には無効なﾊﾟｽが含まれています。", path));
    EXPECT_EQ(DifferingFields(terrain, before), "");

    // Its folder replaced by a file.
    fs::path inside = dir / "maps" / "LandData.ld";
    fs::create_directory(dir / "maps");
    SaveMapFile(SampleTerrain(7, 3, 3), inside);
    fs::remove_all(dir / "maps");
    WriteBytes(dir / "maps", {1, 2, 3});
    path = inside;
    EXPECT_EQ(LoadFailure(), Text("%1 には無効なﾊﾟｽが含まれています。", path));
    EXPECT_EQ(DifferingFields(terrain, before), "");
}

// A pipe has no writer to wait for: opening it must not hang the program.
// Runs in a child under an alarm so that a hang fails the test.
TEST_F(LoadFault, AFileReplacedByAPipeIsRefusedAtOnce) {
    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0) << std::strerror(errno);
    int code = InChild([&] {
        ::alarm(10);
        std::string failure = LoadFailure();
        if (failure != Text("%1 には無効なﾊﾟｽが含まれています。", path))
            return 1;
        return ::testing::Test::HasFailure() ? 2 : 0;
    });
    ASSERT_EQ(code, 0) << (code == -SIGALRM ? "opening the pipe hung" : "wrong failure");
    EXPECT_EQ(LoadFailure(), Text("%1 には無効なﾊﾟｽが含まれています。", path));
    EXPECT_EQ(DifferingFields(terrain, before), "");
}

// Permission bits do not stop root, so the read is tried as nobody.
TEST_F(LoadFault, AFileMadeUnreadableIsAccessDenied) {
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    int code = InChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        if (LoadFailure() != Text("%1 へのｱｸｾｽは拒否されました。", path))
            return 1;
        EXPECT_EQ(DifferingFields(terrain, before), "");
        return ::testing::Test::HasFailure() ? 2 : 0;
    });
    if (code == 10)
        GTEST_SKIP() << "cannot drop to an unprivileged user here";
    EXPECT_EQ(code, 0);
}

// The file is cut short after it was opened and its size taken.
TEST_F(LoadFault, AFileCutShortWhileOpenEndsWithTheEndOfFileText) {
    for (uintmax_t length : {uintmax_t{0}, uintmax_t{1}, uintmax_t{30}, uintmax_t{100}}) {
        SCOPED_TRACE(length);
        SaveMapFile(SampleTerrain(7, 3, 3), path);
        FileSource source(path);
        fs::resize_file(path, length);
        Archive archive(source);
        try {
            MapFileKind kind = LoadMapFile(terrain, archive);
            EXPECT_EQ(kind, MapFileKind::None)
                << "loaded from a file cut to " << length << " bytes";
        } catch (const EndOfFileFailure& failure) {
            EXPECT_STREQ(failure.what(), "無題のﾌｧｲﾙ の末尾以降にｱｸｾｽしようとしました。");
        }
        EXPECT_EQ(DifferingFields(terrain, before), "");
    }
}

// The peak resident size of a child, in kilobytes, grown while loading
// `file`; negative when the load did not end with the end-of-file failure.
long PeakGrowthLoading(const fs::path& file) {
    int pipe[2];
    if (::pipe(pipe) != 0)
        return -1;
    int code = InChild([&] {
        ::close(pipe[0]);
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        long before = usage.ru_maxrss;
        GEO_MakeLand t = SampleTerrain(40, 30, 3);
        const GEO_MakeLand unchanged = t;
        bool refused = false;
        try {
            LoadMapFile(t, file);
        } catch (const EndOfFileFailure&) {
            refused = true;
        }
        ::getrusage(RUSAGE_SELF, &usage);
        long growth = refused ? usage.ru_maxrss - before : -2;
        EXPECT_EQ(DifferingFields(t, unchanged), "");
        if (::testing::Test::HasFailure())
            growth = -3;
        return ::write(pipe[1], &growth, sizeof growth) == sizeof growth ? 0 : 1;
    });
    ::close(pipe[1]);
    long growth = -4;
    if (code != 0 || ::read(pipe[0], &growth, sizeof growth) != sizeof growth)
        growth = -4;
    ::close(pipe[0]);
    return growth;
}

// 3000 x 3000 cells are 144 MB; the file holds a few kilobytes of them.
TEST(LoadMemory, AnAnnounced3000x3000GridIsRefusedBeforeAllocation) {
    ScratchDir dir;
    GEO_MakeLand announcing = SampleTerrain(64, 16, 3);  // 1024 cells of real bytes
    announcing.width = announcing.gridWidth = 3000;
    announcing.height = announcing.gridHeight = 3000;
    constexpr int32_t announced = 3000 * 3000;
    for (bool raw : {false, true}) {
        SCOPED_TRACE(raw ? "raw data file" : "map file");
        fs::path file = dir / (raw ? "big.dat" : "big.ld");
        // In the raw form the count is width x height.
        Bytes bytes = MapFileBytes(announcing, raw ? MapFileKind::Raw : MapFileKind::Map);
        if (!raw) {
            // The cell count sits after the 76-byte header's first point list.
            size_t at = 68 + 2 + 8 * size_t(announcing.concentrationPoints.GetSize());
            std::memcpy(bytes.data() + at, &announced, 4);
        }
        WriteBytes(file, bytes);

        long growth = PeakGrowthLoading(file);
        ASSERT_GE(growth, 0) << "the load was not refused with the end-of-file failure";
        std::cout << (raw ? "raw" : "map") << " file announcing 3000 x 3000 cells in "
                  << bytes.size() << " bytes: peak resident size grew by " << growth << " kB\n";
        RecordProperty(raw ? "rawPeakGrowthKB" : "mapPeakGrowthKB", std::to_string(growth));
        EXPECT_LT(growth, 8 * 1024) << "kB; the whole grid would be 140625 kB";
    }
}

}  // namespace
}  // namespace robustness

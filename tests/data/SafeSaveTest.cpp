// Saving never destroys the previous file: failures part-way leave it
// byte-identical and leave no temporary file behind.

#include "TestFiles.h"
#include "core/GEO_MakeLand.h"
#include "core/MapFile.h"
#include "data/SafeSave.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <optional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::function<void(Archive&)> BodyOf(size_t n, unsigned char fill) {
    return [n, fill](Archive& archive) {
        Bytes bytes(n, fill);
        archive.Write(bytes.data(), bytes.size());
    };
}

mode_t ModeOf(const std::filesystem::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class SafeSave : public testing::Test {
protected:
    void SetUp() override {
        target = dir / "LandData.ld";
        WriteFileBytes(target, old);
    }

    // The old file as it was, and nothing else in the directory.
    void ExpectUntouched() {
        EXPECT_EQ(ReadFileBytes(target), old);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"LandData.ld"});
    }

    ScratchDir dir;
    std::filesystem::path target;
    const Bytes old = Bytes(100, 0x5A);
};

TEST_F(SafeSave, ReplacesTheFileWhenEverythingWasWritten) {
    SaveSafely(target, BodyOf(10000, 0x11));
    EXPECT_EQ(ReadFileBytes(target), Bytes(10000, 0x11));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"LandData.ld"});
}

TEST_F(SafeSave, ABodyThatFailsLeavesTheOldFile) {
    auto failing = [](Archive& archive) {
        Bytes bytes(50000, 0x22);
        archive.Write(bytes.data(), bytes.size());  // partly on the disk already
        throw FileFailure(FileErrorCause::DiskFull, "elsewhere", ENOSPC);
    };
    EXPECT_THROW(SaveSafely(target, failing), FileFailure);
    ExpectUntouched();
    EXPECT_THROW(SaveSafely(target, [](Archive&) { throw MemoryFailure(); }), MemoryFailure);
    ExpectUntouched();
}

// The file size limit makes write() come back short and then fail, as a full
// disk does. It runs in a child so the limit never reaches the test runner.
TEST_F(SafeSave, AWriteThatComesBackShortLeavesTheOldFile) {
    for (bool map : {false, true}) {
        SCOPED_TRACE(map ? "map file" : "plain body");
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            limit.rlim_cur = limit.rlim_max = 6000;
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(10);
            try {
                if (map) {
                    GEO_MakeLand terrain;
                    terrain.SetSize(100 * 100);
                    terrain.gridWidth = terrain.gridHeight = 100;
                    SaveMapFile(terrain, target);
                } else {
                    SaveSafely(target, BodyOf(20000, 0x33));
                }
            } catch (const FileFailure& failure) {
                bool namesTarget = failure.path() == target &&
                                   std::string(failure.what()).find(target.string()) == 0;
                std::_Exit(namesTarget && failure.error() == EFBIG ? 0 : 2);
            } catch (...) {
                std::_Exit(3);
            }
            std::_Exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        ExpectUntouched();
    }
}

TEST_F(SafeSave, NewFilesGetTheUsualPermissionsAndReplacementsKeepTheirs) {
    mode_t saved = ::umask(027);
    std::filesystem::path fresh = dir / "fresh.ld";
    SaveSafely(fresh, BodyOf(10, 1));
    ::umask(saved);
    EXPECT_EQ(ModeOf(fresh), mode_t{0640});

    ::chmod(target.c_str(), 0604);
    SaveSafely(target, BodyOf(10, 1));
    EXPECT_EQ(ModeOf(target), mode_t{0604});
}

TEST_F(SafeSave, ALinkKeepsPointingAtTheSavedFile) {
    std::filesystem::path link = dir / "link.ld";
    std::filesystem::create_symlink(target, link);
    SaveSafely(link, BodyOf(10, 7));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(target), Bytes(10, 7));
}

TEST_F(SafeSave, UnusablePlacesNameTheTarget) {
    struct Case {
        std::filesystem::path path;
        FileErrorCause cause;
    };
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    const Case cases[] = {
        {dir / "pipe", FileErrorCause::BadPath},  // renaming over it would replace the node
        {dir / "missing" / "a.ld", FileErrorCause::FileNotFound},
        {target / "a.ld", FileErrorCause::BadPath},  // below a regular file
        {dir / "folder", FileErrorCause::BadPath},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            SaveSafely(c.path, BodyOf(10, 1));
            ADD_FAILURE() << "saved";
        } catch (const FileFailure& failure) {
            EXPECT_EQ(failure.cause(), c.cause);
            EXPECT_EQ(failure.path(), c.path);
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "folder"));
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe"));
    EXPECT_EQ(ReadFileBytes(target), old);
}

// A small tmpfs: full after a few kilobytes, or remounted read-only.
class SmallDisk : public testing::Test {
protected:
    void SetUp() override {
        disk.emplace("16k");  // here, not in the constructor, so errno is still mount()'s below
        if (!disk->mounted())
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        mountPoint = disk->path();
        target = mountPoint / "LandData.ld";
        WriteFileBytes(target, old);
    }
    void ExpectUntouched() {
        EXPECT_EQ(ReadFileBytes(target), old);
        const std::vector<std::string> names = Entries(mountPoint);
        EXPECT_EQ(names, std::vector<std::string>{"LandData.ld"});
    }

    std::optional<testsupport::SmallDisk> disk;  // qualified: SmallDisk here names this fixture
    std::filesystem::path mountPoint, target;
    const Bytes old = Bytes(3000, 0x44);
};

TEST_F(SmallDisk, AFullDiskLeavesTheOldFile) {
    try {
        SaveSafely(target, BodyOf(64 * 1024, 0x55));
        FAIL() << "64 KiB fitted on a 16 KiB disk";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.cause(), FileErrorCause::DiskFull);
        EXPECT_EQ(std::string(failure.what()), target.string() + " へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
    }
    ExpectUntouched();
}

TEST_F(SmallDisk, AReadOnlyDiskLeavesTheOldFile) {
    ASSERT_EQ(::mount(nullptr, mountPoint.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    try {
        SaveSafely(target, BodyOf(10, 1));
        FAIL() << "saved on a read-only disk";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.cause(), FileErrorCause::AccessDenied);
        EXPECT_EQ(failure.path(), target);
    }
    ExpectUntouched();
}

}  // namespace

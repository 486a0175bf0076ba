// Saving never destroys the previous file: failures part-way leave it
// byte-identical and leave no temporary file behind. A disk that fills up
// part-way is in tests/core/SaveFaultTest.cpp.

#include "data/SafeSave.h"
#include "data/Archive.h"
#include "data/Failures.h"
#include "data/SaveTarget.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::Bytes;
using testsupport::Entries;
using testsupport::ReadBytes;
using testsupport::ScratchDir;
using testsupport::WriteBytes;
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
        WriteBytes(target, old);
    }

    // The old file as it was, and nothing else in the directory.
    void ExpectUntouched() {
        EXPECT_EQ(ReadBytes(target), old);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"LandData.ld"});
    }

    ScratchDir dir;
    std::filesystem::path target;
    const Bytes old = Bytes(100, 0x5A);
};

TEST_F(SafeSave, ReplacesTheFileWhenEverythingWasWritten) {
    SaveSafely(target, BodyOf(10000, 0x11));
    EXPECT_EQ(ReadBytes(target), Bytes(10000, 0x11));
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
    EXPECT_EQ(ReadBytes(target), Bytes(10, 7));
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
    EXPECT_EQ(ReadBytes(target), old);
}

// The check made before a run writes anything agrees with the file system
// at both of its limits: a name's length, and the whole path's with the
// temporary name beside it, which is up to 8 bytes longer.
TEST_F(SafeSave, NamesAreRefusedUpFrontExactlyWhenTheSaveCouldNotBeMade) {
    // What the kernel says: the file and its temporary file can both be created.
    const auto creatable = [](const std::filesystem::path& target) {
        std::string leaf = target.filename().string();
        leaf.resize(std::min<size_t>(leaf.size(), 247));
        const std::filesystem::path temporary = target.parent_path() / ("." + leaf + ".XXXXXX");
        bool made = true;
        for (const std::filesystem::path& file : {target, temporary}) {
            const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_EXCL, 0600);
            const bool ok = fd >= 0 && ::close(fd) == 0 && ::unlink(file.c_str()) == 0;
            made = made && ok;
        }
        return made;
    };
    std::filesystem::path deep = dir.path();
    while (deep.native().size() < 3900)
        deep /= std::string(200, 'd');
    std::filesystem::create_directories(deep);
    std::vector<std::filesystem::path> targets;
    for (size_t length : {254, 255, 256})
        targets.push_back(dir / std::string(length, 'n'));
    for (size_t length = 4084; length <= 4090; ++length)
        targets.push_back(deep / std::string(length - deep.native().size() - 1, 'p'));
    for (const std::filesystem::path& target : targets) {
        SCOPED_TRACE(std::to_string(target.native().size()) + " bytes, name of " +
                     std::to_string(target.filename().native().size()));
        EXPECT_EQ(SaveTargetProblem(target), creatable(target) ? 0 : ENAMETOOLONG);
    }
}

// A small tmpfs remounted read-only.
class SmallDisk : public testing::Test {
  protected:
    void SetUp() override {
        disk.emplace("16k");  // here, not in the constructor, so errno is still mount()'s below
        if (!disk->mounted())
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        mountPoint = disk->path();
        target = mountPoint / "LandData.ld";
        WriteBytes(target, old);
    }
    void ExpectUntouched() {
        EXPECT_EQ(ReadBytes(target), old);
        const std::vector<std::string> names = Entries(mountPoint);
        EXPECT_EQ(names, std::vector<std::string>{"LandData.ld"});
    }

    std::optional<testsupport::SmallDisk> disk;  // qualified: SmallDisk here names this fixture
    std::filesystem::path mountPoint, target;
    const Bytes old = Bytes(3000, 0x44);
};

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

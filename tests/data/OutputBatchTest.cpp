// A set of outputs changes together: a name the file system refuses, or a
// rename that fails part-way, leaves every old file as it was and nothing
// else behind.

#include "data/OutputBatch.h"
#include "data/Archive.h"
#include "data/Failures.h"
#include "tests/support/ScratchFiles.h"

#include "tests/support/FaultSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using testsupport::Bytes;
using testsupport::ReadBytes;
using testsupport::ScratchDir;
using testsupport::WriteBytes;
namespace fs = std::filesystem;

std::function<void(Archive&)> BodyOf(size_t n, unsigned char fill) {
    return [n, fill](Archive& archive) {
        Bytes bytes(n, fill);
        archive.Write(bytes.data(), bytes.size());
    };
}

class OutputBatchTest : public testing::Test {
  protected:
    void SetUp() override {
        WriteBytes(dir / "a", old);
        WriteBytes(dir / "c", old);
        fs::create_symlink("c", dir / "link");
    }
    void ExpectOldSet() {
        EXPECT_EQ(ReadBytes(dir / "a"), old);
        EXPECT_EQ(ReadBytes(dir / "c"), old);
        EXPECT_FALSE(fs::exists(dir / "b"));
    }

    ScratchDir dir;
    const Bytes old = Bytes(30, 0x0D);
};

TEST_F(OutputBatchTest, ARenameFailingPartWayPutsTheEarlierFilesBack) {
    WriteBytes(dir / "d", old);
    {
        OutputBatch batch;
        batch.Add(dir / "a", BodyOf(10, 1));
        batch.Add(dir / "b", BodyOf(10, 2));     // a new file
        batch.Add(dir / "link", BodyOf(10, 3));  // c, through the link
        batch.Add(dir / "d", BodyOf(10, 4));
        // Something takes d's place between the writing and the renames.
        fs::remove(dir / "d");
        fs::create_directory(dir / "d");
        try {
            batch.CommitAll();
            ADD_FAILURE() << "committed over a folder";
        } catch (const FileFailure& failure) {
            EXPECT_EQ(failure.path(), dir / "d");
        }
    }
    ExpectOldSet();
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a", "c", "d", "link"}));

    fs::remove(dir / "d");
    OutputBatch batch;
    batch.Add(dir / "a", BodyOf(10, 1));
    batch.Add(dir / "b", BodyOf(10, 2));
    batch.Add(dir / "link", BodyOf(10, 3));
    batch.CommitAll();
    EXPECT_EQ(ReadBytes(dir / "a"), Bytes(10, 1));
    EXPECT_EQ(ReadBytes(dir / "b"), Bytes(10, 2));
    EXPECT_EQ(ReadBytes(dir / "c"), Bytes(10, 3));
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a", "b", "c", "link"}));
}

// Refused when added, before the batch can rename anything.
TEST_F(OutputBatchTest, ANameTooLongIsRefusedWhenAdded) {
    {
        OutputBatch batch;
        batch.Add(dir / "a", BodyOf(10, 1));
        batch.Add(dir / "b", BodyOf(10, 2));
        try {
            batch.Add(dir / (std::string(251, 'n') + ".json"), BodyOf(10, 3));
            ADD_FAILURE() << "a 256-byte name was staged";
        } catch (const FileFailure& failure) {
            EXPECT_EQ(failure.cause(), FileErrorCause::BadPath);
        }
    }
    ExpectOldSet();
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a", "c", "link"}));
}

// What a signal handler sees of a set of one-byte files: the files are
// renamed in order, so a set caught half-way has its first file new and its
// last still old.
namespace seen {
constexpr int files = 2000;
char names[files][64];
std::atomic<int> signals{0};
std::atomic<int> mixed{0};

char ByteOf(const char* name) {
    char byte = 0;
    const int fd = ::open(name, O_RDONLY);
    if (fd >= 0) {
        if (::read(fd, &byte, 1) != 1)
            byte = 0;
        ::close(fd);
    }
    return byte;
}

void Look(int) {
    const int saved = errno;
    mixed += ByteOf(names[0]) != ByteOf(names[files - 1]);
    ++signals;
    errno = saved;
}
}  // namespace seen

// An ending signal during the renames is taken once the whole set is in
// place: whenever it comes, the handler sees every old file or every new one.
TEST(OutputBatchSignals, AnEndingSignalNeverSeesAHalfReplacedSet) {
    ScratchDir dir(robustness::MemoryBackedTemp());
    for (int i = 0; i < seen::files; ++i) {
        const fs::path name = dir / ("tile" + std::to_string(i));
        WriteBytes(name, {'o'});
        std::snprintf(seen::names[i], sizeof seen::names[i], "%s", name.c_str());
        ASSERT_EQ(name.native(), seen::names[i]) << "the scratch folder's name is too long";
    }
    struct sigaction look {
    }, previous{};
    look.sa_handler = &seen::Look;
    look.sa_flags = SA_RESTART;
    sigemptyset(&look.sa_mask);
    ASSERT_EQ(::sigaction(SIGHUP, &look, &previous), 0);

    const pthread_t committer = ::pthread_self();
    std::atomic<bool> done{false};
    std::thread sender([&] {
        while (!done)
            ::pthread_kill(committer, SIGHUP);
    });
    // Each round replaces the whole set; a few rounds give the signals more chances.
    for (const char* content : {"a", "b", "c"}) {
        OutputBatch batch;
        for (int i = 0; i < seen::files; ++i)
            batch.Add(seen::names[i], [content](Archive& archive) { archive.Write(content, 1); });
        batch.CommitAll();
    }
    done = true;
    sender.join();
    ::sigaction(SIGHUP, &previous, nullptr);

    EXPECT_GT(seen::signals.load(), 0);
    EXPECT_EQ(seen::mixed.load(), 0) << "of " << seen::signals.load() << " signals";
    EXPECT_EQ(ReadBytes(dir / "tile1999"), Bytes{'c'});
}

}  // namespace

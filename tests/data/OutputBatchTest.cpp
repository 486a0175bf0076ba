// A set of outputs changes together: a rename that fails part-way puts back
// the files already renamed, and a signal during the renames waits for the
// whole set.

#include "data/OutputBatch.h"
#include "data/Archive.h"
#include "data/Failures.h"
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

std::function<void(Archive&)> BodyOf(const char* text) {
    return [text](Archive& archive) { archive.Write(text, 1); };
}

TEST(OutputBatch, ARenameFailingPartWayPutsTheEarlierFilesBack) {
    ScratchDir dir;
    for (const char* name : {"a", "c", "d"})
        WriteBytes(dir / name, {'o'});
    fs::create_symlink("c", dir / "link");
    OutputBatch batch;
    batch.Add(dir / "a", BodyOf("n"));
    batch.Add(dir / "b", BodyOf("n"));     // a new file
    batch.Add(dir / "link", BodyOf("n"));  // c, through the link
    batch.Add(dir / "d", BodyOf("n"));
    // A folder takes d's place between the writing and the renames.
    fs::remove(dir / "d");
    fs::create_directory(dir / "d");
    try {
        batch.CommitAll();
        ADD_FAILURE() << "committed over a folder";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.path(), dir / "d");
    }
    EXPECT_EQ(ReadBytes(dir / "a"), Bytes{'o'});
    EXPECT_EQ(ReadBytes(dir / "c"), Bytes{'o'});
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a", "c", "d", "link"}));
}

// What a signal handler sees of a set of one-byte files, renamed in order:
// a set caught half-way has its first file new and its last still old.
namespace seen {
constexpr int files = 2000;
char names[files][64];
std::atomic<int> signals{0};
std::atomic<int> mixed{0};

char ByteOf(const char* name) {
    char byte = 0;
    const int fd = ::open(name, O_RDONLY);
    if (fd < 0)
        return 0;
    if (::read(fd, &byte, 1) != 1)
        byte = 0;
    ::close(fd);
    return byte;
}

void Look(int) {
    const int saved = errno;
    mixed += ByteOf(names[0]) != ByteOf(names[files - 1]);
    ++signals;
    errno = saved;
}
}  // namespace seen

TEST(OutputBatch, AnEndingSignalNeverSeesAHalfReplacedSet) {
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
    ASSERT_EQ(::sigaction(SIGHUP, &look, &previous), 0);
    const pthread_t committer = ::pthread_self();
    std::atomic<bool> done{false};
    std::thread sender([&] {
        while (!done)
            ::pthread_kill(committer, SIGHUP);
    });
    // Each round replaces the whole set: a few rounds give the signals more chances.
    for (const char* content : {"a", "b", "c"}) {
        OutputBatch batch;
        for (const char* name : seen::names)
            batch.Add(name, BodyOf(content));
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

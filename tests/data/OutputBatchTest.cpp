// A set of outputs changes together: a name the file system refuses, or a
// rename that fails part-way, leaves every old file as it was and nothing
// else behind.

#include "data/OutputBatch.h"
#include "data/Archive.h"
#include "data/Failures.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <string>
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

}  // namespace

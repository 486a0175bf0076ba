// The archive's encodings and buffering, the failure texts and the file devices.

#include "data/Archive.h"
#include "data/Failures.h"
#include "data/FileDevices.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <random>
#include <unistd.h>

namespace {

using testsupport::Bytes;
using testsupport::ScratchDir;
Bytes Stored(const std::function<void(Archive&)>& put) {
    MemorySink sink;
    Archive archive(sink);
    put(archive);
    archive.Close();
    return sink.bytes();
}

TEST(ArchiveEncoding, ShortCountsSwitchToSixBytesAt65535) {
    struct Case {
        uint32_t count;
        Bytes bytes;
    };
    const Case cases[] = {
        {0, {0x00, 0x00}},
        {3, {0x03, 0x00}},
        {65534, {0xFE, 0xFF}},
        {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
        {0xFFFFFFFFu, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(Stored([&](Archive& a) { a.PutShortCount(c.count); }), c.bytes);
        MemorySource source(c.bytes);
        Archive archive(source);
        EXPECT_EQ(archive.GetShortCount(), c.count);
        EXPECT_EQ(archive.BytesLeft(), 0u);
    }
    // A reader takes the escape followed by a small count as that count.
    MemorySource source({0xFF, 0xFF, 0x05, 0x00, 0x00, 0x00});
    Archive archive(source);
    EXPECT_EQ(archive.GetShortCount(), 5u);
}

TEST(ArchiveEncoding, ValuesAreLittleEndianWithoutGaps) {
    Bytes bytes = Stored([](Archive& a) {
        a.PutUInt16(0x0102);
        a.PutInt32(-2);
        a.PutUInt32(0x0A0B0C0D);
        a.PutFloat64(0.5);
    });
    Bytes expected = {0x02, 0x01, 0xFE, 0xFF, 0xFF, 0xFF, 0x0D, 0x0C, 0x0B,
                      0x0A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x3F};
    EXPECT_EQ(bytes, expected);

    MemorySource source(bytes);
    Archive archive(source);
    EXPECT_EQ(archive.GetUInt16(), 0x0102);
    EXPECT_EQ(archive.GetInt32(), -2);
    EXPECT_EQ(archive.GetUInt32(), 0x0A0B0C0Du);
    EXPECT_EQ(archive.GetFloat64(), 0.5);
}

// Mixed small and large transfers against a plain byte-by-byte reference.
TEST(ArchiveStore, AnyMixOfWritesGivesTheBytesInOrder) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        Bytes expected;
        MemorySink sink;
        Archive archive(sink);
        for (int i = 0; i < 30; ++i) {
            size_t n = random() % 3 == 0 ? random() % 20000 : random() % 9;
            Bytes chunk(n);
            for (auto& b : chunk)
                b = static_cast<unsigned char>(random());
            archive.Write(chunk.data(), n);
            expected.insert(expected.end(), chunk.begin(), chunk.end());
        }
        archive.Close();
        ASSERT_EQ(sink.bytes(), expected);
    }
}

// Takes `capacity` bytes, then fails like a full disk.
class FailingSink : public ByteSink {
  public:
    explicit FailingSink(size_t capacity) : capacity_(capacity) {}
    void WriteAll(const void*, size_t n) override {
        if (n > capacity_)
            throw FileFailure(FileErrorCause::DiskFull, "/m/out.ld", ENOSPC);
        capacity_ -= n;
    }

  private:
    size_t capacity_;
};

TEST(ArchiveStore, SinkFailuresReachTheCaller) {
    // Failing while the buffer is written out, on a large direct write, and on closing.
    FailingSink full(0);
    Archive buffered(full);
    Bytes block(Archive::bufferSize, 1);
    EXPECT_THROW(buffered.Write(block.data(), block.size()), FileFailure);

    FailingSink small(Archive::bufferSize);
    Archive direct(small);
    Bytes large(5 * Archive::bufferSize, 2);
    EXPECT_THROW(direct.Write(large.data(), large.size()), FileFailure);

    FailingSink tiny(3);
    Archive closing(tiny);
    closing.PutInt32(1);
    EXPECT_THROW(closing.Close(), FileFailure);
}

TEST(ArchiveLoad, AnyMixOfReadsGivesTheBytesInOrder) {
    std::mt19937 random(11);
    Bytes data(100000);
    for (auto& b : data)
        b = static_cast<unsigned char>(random());
    for (int round = 0; round < 20; ++round) {
        MemorySource source(data);
        Archive archive(source);
        size_t at = 0;
        while (at < data.size()) {
            ASSERT_EQ(archive.BytesLeft(), data.size() - at);
            size_t n = random() % 3 == 0 ? random() % 20000 : random() % 9;
            Bytes got(n);
            size_t read = archive.Read(got.data(), n);
            ASSERT_EQ(read, std::min(n, data.size() - at));
            ASSERT_TRUE(std::equal(got.begin(), got.begin() + long(read), data.begin() + long(at)));
            at += read;
        }
        EXPECT_EQ(archive.BytesLeft(), 0u);
    }
}

TEST(ArchiveLoad, PlainReadTakesWhatIsLeftAndKeepsTheRest) {
    MemorySource source({1, 2, 3});
    Archive archive(source);
    unsigned char destination[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(archive.Read(destination, 6), 3u);
    const unsigned char expected[6] = {1, 2, 3, 9, 9, 9};
    EXPECT_EQ(std::memcmp(destination, expected, 6), 0);
    EXPECT_EQ(archive.Read(destination, 6), 0u);
}

TEST(ArchiveLoad, StrictGetsFailAtTheEnd) {
    const std::function<void(Archive&)> gets[] = {
        [](Archive& a) { a.GetUInt16(); },     [](Archive& a) { a.GetInt32(); },
        [](Archive& a) { a.GetUInt32(); },     [](Archive& a) { a.GetFloat64(); },
        [](Archive& a) { a.GetShortCount(); },
    };
    for (const auto& get : gets) {
        MemorySource source({0x01});
        Archive archive(source);
        EXPECT_THROW(get(archive), EndOfFileFailure);
    }
    // The escape promises four more bytes.
    MemorySource source({0xFF, 0xFF, 0x01, 0x00});
    Archive archive(source);
    EXPECT_THROW(archive.GetShortCount(), EndOfFileFailure);
}

TEST(ArchiveLoad, RequireBytesCountsBufferedAndUnreadBytes) {
    MemorySource source(Bytes(10000, 0));
    Archive archive(source);
    archive.GetInt32();
    EXPECT_EQ(archive.BytesLeft(), 9996u);
    EXPECT_NO_THROW(archive.RequireBytes(9996));
    EXPECT_THROW(archive.RequireBytes(9997), EndOfFileFailure);
    EXPECT_THROW(archive.RequireBytes(UINT64_MAX), EndOfFileFailure);
}

TEST(Failures, TextsAndKinds) {
    MemoryFailure memory;
    EXPECT_STREQ(memory.what(), "ﾒﾓﾘが不足しています。");
    EXPECT_EQ(memory.kind(), FailureKind::OutOfMemory);

    EndOfFileFailure endOfFile;
    EXPECT_STREQ(endOfFile.what(), "無題のﾌｧｲﾙ の末尾以降にｱｸｾｽしようとしました。");
    EXPECT_EQ(endOfFile.kind(), FailureKind::EndOfFile);

    FormatFailure format;
    EXPECT_STREQ(format.what(), "予期しない形式のﾌｧｲﾙです。");
    EXPECT_EQ(format.kind(), FailureKind::Format);
}

// The one translation every front end reports through.
TEST(Failures, InFlightKeepsTheModelsOwnAndNamesTheRestOther) {
    const auto inFlight = [](auto thrown) {
        try {
            throw thrown;
        } catch (const std::exception&) {
            return FailureInFlight();
        }
    };
    const CommandFailure format = inFlight(FormatFailure());
    EXPECT_EQ(format.kind(), FailureKind::Format);
    EXPECT_STREQ(format.what(), FormatFailure().what());
    const CommandFailure memory = inFlight(std::bad_alloc());
    EXPECT_EQ(memory.kind(), FailureKind::OutOfMemory);
    EXPECT_STREQ(memory.what(), MemoryFailure().what());
    const CommandFailure other = inFlight(std::runtime_error("no thread"));
    EXPECT_EQ(other.kind(), FailureKind::Other);
    EXPECT_STREQ(other.what(), "no thread");
}

TEST(Failures, FileErrorsNameTheFullPath) {
    struct Case {
        FileErrorCause cause;
        const char* text;
    };
    const Case cases[] = {
        {FileErrorCause::Generic, "/m/a.ld へのｱｸｾｽ中に不明なｴﾗｰが発生しました。"},
        {FileErrorCause::FileNotFound, "/m/a.ld が見つかりませんでした。"},
        {FileErrorCause::BadPath, "/m/a.ld には無効なﾊﾟｽが含まれています。"},
        {FileErrorCause::TooManyOpenFiles,
         "開いているﾌｧｲﾙが多すぎるため、/m/a.ld を開けませんでした。"},
        {FileErrorCause::AccessDenied, "/m/a.ld へのｱｸｾｽは拒否されました。"},
        {FileErrorCause::DirectoryFull,
         "/m/a.ld を作成できませんでした。そのﾃﾞｨﾚｸﾄﾘはいっぱいです。"},
        {FileErrorCause::HardIO, "/m/a.ld へのｱｸｾｽ中にﾊｰﾄﾞｳｪｱ I/O ｴﾗｰが報告されました。"},
        {FileErrorCause::SharingViolation, "/m/a.ld へのｱｸｾｽ中に共有違反が発生しました。"},
        {FileErrorCause::LockViolation, "/m/a.ld へのｱｸｾｽ中にﾛｯｸ違反が発生しました。"},
        {FileErrorCause::DiskFull, "/m/a.ld へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"},
    };
    for (const Case& c : cases) {
        FileFailure failure(c.cause, "/m/a.ld", 0);
        EXPECT_STREQ(failure.what(), c.text);
        EXPECT_EQ(failure.kind(), FailureKind::File);
        EXPECT_NE(std::string(fileErrorTemplate(c.cause)).find("%1"), std::string::npos);
    }
    // A relative name is shown in full; a "%1" inside a name is not expanded again.
    FileFailure relative(FileErrorCause::FileNotFound, "x%1.ld", ENOENT);
    std::string expected =
        (std::filesystem::current_path() / "x%1.ld").string() + " が見つかりませんでした。";
    EXPECT_EQ(relative.what(), expected);
    EXPECT_EQ(relative.path(), "x%1.ld");
    EXPECT_EQ(relative.error(), ENOENT);
}

TEST(Failures, ErrnoMapsOntoTheMessageTable) {
    using C = FileErrorCause;
    const std::pair<int, C> cases[] = {
        {ENOENT, C::FileNotFound},
        {EACCES, C::AccessDenied},
        {EPERM, C::AccessDenied},
        {EROFS, C::AccessDenied},
        {ENOSPC, C::DiskFull},
        {EDQUOT, C::DiskFull},
        {EMFILE, C::TooManyOpenFiles},
        {ENFILE, C::TooManyOpenFiles},
        {ENAMETOOLONG, C::BadPath},
        {ENOTDIR, C::BadPath},
        {EISDIR, C::BadPath},
        {EINVAL, C::BadPath},
        {EIO, C::HardIO},
        {EFBIG, C::DiskFull},
        {0, C::Generic},
    };
    for (const auto& [error, cause] : cases)
        EXPECT_EQ(fileErrorCauseFromErrno(error), cause) << error;
}

TEST(FileDevices, SourceRefusesMissingFilesAndDirectories) {
    ScratchDir dir;
    try {
        FileSource source(dir / "missing.ld");
        FAIL() << "opened a missing file";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.cause(), FileErrorCause::FileNotFound);
        EXPECT_EQ(std::string(failure.what()),
                  (dir / "missing.ld").string() + " が見つかりませんでした。");
    }
    try {
        FileSource source(dir.path());
        FAIL() << "opened a directory";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.cause(), FileErrorCause::BadPath);
        EXPECT_EQ(failure.error(), EISDIR);
    }
    // A device never ends, so no count read from it could be checked.
    EXPECT_THROW(FileSource("/dev/zero"), FileFailure);
}

TEST(FileDevices, SinkReportsAFullDevice) {
    int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        GTEST_SKIP() << "no /dev/full here";
    FileSink sink(fd, "/m/out.ld");
    try {
        sink.WriteAll("abc", 3);
        FAIL() << "a write to a full device succeeded";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.cause(), FileErrorCause::DiskFull);
        EXPECT_EQ(failure.path(), "/m/out.ld");
    }
    ::close(fd);
}

}  // namespace

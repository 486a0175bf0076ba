// Both save commands when the disk fills up part-way: the failure names the
// file with the disk-full text, the previous file stays byte-identical, and no
// temporary file is left beside it to keep the disk full.

#include "core/MapFile.h"
#include "data/Failures.h"
#include "tests/support/FaultSupport.h"
#include "tests/support/Terrains.h"

#include <csignal>
#include <sys/resource.h>

namespace robustness {
namespace {

using testsupport::SampleTerrain;

struct SaveCommand {
    const char* name;
    void (*save)(const GEO_MakeLand&, const fs::path&);
};

void PrintTo(const SaveCommand& command, std::ostream* out) {
    *out << command.name;
}

const SaveCommand saveCommands[] = {{"Map", &SaveMapFile}, {"Raw", &SaveRawFile}};

std::string DiskFullText(const fs::path& target) {
    return fs::absolute(target).string() + " へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。";
}

// 0 when the save failed as a full disk should, with the system's `error`,
// else a code naming what went wrong.
int SaveExpectingDiskFull(const SaveCommand& command, const GEO_MakeLand& terrain,
                          const fs::path& target, int error) {
    try {
        command.save(terrain, target);
    } catch (const FileFailure& failure) {
        if (failure.cause() != FileErrorCause::DiskFull)
            return 2;
        if (failure.path() != target)
            return 3;
        if (failure.what() != DiskFullText(target))
            return 4;
        if (failure.error() != error)
            return 6;
        return 0;
    } catch (...) {
        return 5;
    }
    return 1;  // saved
}

const char* Explain(int code) {
    switch (code) {
    case 0:
        return "";
    case 1:
        return "the save succeeded";
    case 2:
        return "failed, but not as a full disk";
    case 3:
        return "the failure names another file";
    case 4:
        return "the message is not the disk-full text";
    case 5:
        return "failed with something other than a file failure";
    case 6:
        return "the failure carries another system error";
    case 10:
        return "could not set the file size limit";
    default:
        return "the child died";
    }
}

class SaveFault : public testing::TestWithParam<SaveCommand> {
  protected:
    // The file saved earlier, in `dir`, is a real save of another map.
    void SaveOld(const fs::path& dir) {
        target = dir / "LandData.ld";
        GetParam().save(SampleTerrain(5, 4, 3), target);
        old = ReadBytes(target);
        ASSERT_FALSE(old.empty());
    }
    void ExpectOldFileAlone(const fs::path& dir) {
        EXPECT_EQ(ReadBytes(target), old);
        EXPECT_EQ(Entries(dir), std::vector<std::string>{"LandData.ld"});
    }

    const GEO_MakeLand big = SampleTerrain(100, 100, 3);  // 160 kB in either form
    fs::path target;
    Bytes old;
};

// The file size limit makes write() come back short and then fail, as a disk
// that fills up does. Limits before, at and after the archive's first buffer.
TEST_P(SaveFault, AWriteLimitFailsAsAFullDiskAndKeepsTheOldFile) {
    ScratchDir dir;
    SaveOld(dir.path());
    for (rlim_t limit : {rlim_t{0}, rlim_t{70}, rlim_t{4096}, rlim_t{100000}}) {
        SCOPED_TRACE(testing::Message() << "limit " << limit);
        int code = InChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit fsize{limit, limit};
            if (::setrlimit(RLIMIT_FSIZE, &fsize) != 0)
                return 10;
            return SaveExpectingDiskFull(GetParam(), big, target, EFBIG);
        });
        EXPECT_EQ(code, 0) << Explain(code);
        ExpectOldFileAlone(dir.path());
    }
}

TEST_P(SaveFault, AFullDiskKeepsTheOldFileAndFreesItsSpace) {
    SmallDisk disk("16k");
    if (!disk.mounted())
        GTEST_SKIP() << disk.why();
    SaveOld(disk.path());
    int code = SaveExpectingDiskFull(GetParam(), big, target, ENOSPC);
    EXPECT_EQ(code, 0) << Explain(code);
    ExpectOldFileAlone(disk.path());

    // Nothing of the failed save still holds the space: a map that fits is saved.
    const GEO_MakeLand small = SampleTerrain(6, 5, 3);
    GetParam().save(small, target);
    GEO_MakeLand back;
    LoadMapFile(back, target);
    EXPECT_EQ(back.GetSize(), 30);
    EXPECT_EQ(Entries(disk.path()), std::vector<std::string>{"LandData.ld"});
}

INSTANTIATE_TEST_SUITE_P(BothForms, SaveFault, testing::ValuesIn(saveCommands),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace robustness

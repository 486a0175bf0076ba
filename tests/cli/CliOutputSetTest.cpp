// A run's outputs, a heightmap's tiles and sidecar among them, change
// together or not at all: every name is checked before anything is written,
// and an interrupt leaves the old set and no temporary file.

#include "CliHarness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace clitest;

Args Joined(Args args, const Args& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

std::map<std::string, Bytes> Contents(const ScratchDir& dir) {
    std::map<std::string, Bytes> files;
    for (const std::string& name : dir.Entries())
        files[name] = ReadBytes(dir / name);
    return files;
}

size_t HiddenCount(const ScratchDir& dir) {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        count += entry.path().filename().string()[0] == '.';
    return count;
}

TEST(CliOutputSet, TilesAndSidecarsAreCheckedAgainstTheOtherFiles) {
    ScratchDir dir;
    RunResult r =
        RunCli(Small({"generate", "--heightmap", "h.png", "--tiles", "2x1", "-o", "h_x0_y0.png"}),
               dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(
        r.err,
        "glenvar-cli: --heightmap h.png's tile h_x0_y0.png: the same file as -o h_x0_y0.png\n");
    EXPECT_TRUE(dir.Entries().empty());

    ASSERT_EQ(RunCli(Small({"generate", "-o", "m.ld"}), dir.path()).exitCode, 0);
    const std::map<std::string, Bytes> before = Contents(dir);
    // A sidecar's name that is a link to the input.
    fs::create_symlink("m.ld", dir / "h.png.json");
    r = RunCli({"render", "m.ld", "--heightmap", "h.png"}, dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(
        r.err,
        "glenvar-cli: --heightmap h.png's sidecar h.png.json: the same file as the input m.ld\n");
    fs::remove(dir / "h.png.json");
    // A layer over a tile.
    r = RunCli({"render", "m.ld", "--heightmap", "t.png", "--tiles", "2x2", "--layer",
                "rivers=t_x1_y1.png"},
               dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "glenvar-cli: --layer t_x1_y1.png: the same file as --heightmap t.png's tile "
                     "t_x1_y1.png\n");
    EXPECT_EQ(Contents(dir), before);
}

// A name the file system refuses is found before the first file is written:
// the files the run would also have replaced are left byte for byte.
TEST(CliOutputSet, ANameTooLongChangesNoOtherFile) {
    ScratchDir dir;
    const Args old{"generate", "--seed", "1", "-o", "m.ld", "-o", "p.png"};
    ASSERT_EQ(RunCli(Small(old), dir.path()).exitCode, 0);
    const std::map<std::string, Bytes> before = Contents(dir);
    const std::string legal = std::string(251, 'h') + ".png";    // its sidecar's name has 260 bytes
    const std::string shorter = std::string(248, 't') + ".png";  // its tiles' names have 258
    const struct {
        Args more;
        std::string error;
    } cases[] = {
        {{"--heightmap", legal},
         "--heightmap " + legal + "'s sidecar " + legal + ".json: File name too long"},
        {{"--heightmap", shorter, "--tiles", "2x2"},
         "--heightmap " + shorter + "'s tile " + std::string(248, 't') +
             "_x0_y0.png: File name too long"},
        {{"--layer", "lakes=nowhere/l.png"}, "--layer nowhere/l.png: No such file or directory"},
        {{"--heightmap", "m.ld/h.png"}, "--heightmap m.ld/h.png: Not a directory"},
    };
    for (const auto& c : cases) {
        const RunResult r =
            RunCli(Small(Joined({"generate", "--seed", "2", "-o", "m.ld", "-o", "p.png"}, c.more)),
                   dir.path());
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.err, "glenvar-cli: " + c.error + "\n");
        EXPECT_EQ(Contents(dir), before);
    }
}

// SIGINT while thousands of tiles are staged, far more than a fixed table of
// temporary names could hold: none is left, and the old set stays whole.
TEST(CliOutputSet, AnInterruptAmongThousandsOfTilesLeavesTheOldSet) {
    ScratchDir dir;
    const Args tiles{"--heightmap", "h.png", "--tiles", "64x64"};
    ASSERT_EQ(RunCli(Small(Joined({"generate", "--seed", "1"}, tiles)), dir.path()).exitCode, 0);
    const std::map<std::string, Bytes> before = Contents(dir);
    ASSERT_EQ(before.size(), 64u * 64u + 1u);

    StartedCli cli(Small(Joined({"generate", "--seed", "2"}, tiles)), dir.path());
    // Polled, not timed: the signal goes once a hundred temporary files are there.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (HiddenCount(dir) < 100 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GE(HiddenCount(dir), 100u) << "the tiles were not staged";
    ::kill(cli.pid(), SIGINT);
    const RunResult r = cli.Finish();
    EXPECT_EQ(r.exitCode, 128 + SIGINT) << r.err;
    EXPECT_EQ(HiddenCount(dir), 0u);
    EXPECT_TRUE(Contents(dir) == before) << "the old tiles were changed";
}

}  // namespace

// Every kind of failure glenvar-cli can meet, as a script sees it: one line
// "glenvar-cli: ..." on standard error, the exit status of its kind (2 for
// what the user gave wrongly, 1 for what could not be done), nothing written.

#include "CliHarness.h"
#include "core/MapFile.h"
#include "tests/support/RecipeCarriers.h"
#include "tests/support/Terrains.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace clitest;

struct Case {
    const char* kind;
    Args args;
    std::string message;  // after "glenvar-cli: "
    int exitCode;
    uint64_t fileSizeLimit = 0;
};

}  // namespace

TEST(CliFailure, EachKindIsOneNamedLineWithTheExitStatusOfItsKind) {
    ScratchDir dir;
    ASSERT_EQ(RunCli(Small({"generate", "-o", "whole.ld"}), dir.path()).exitCode, 0);
    const Bytes whole = ReadBytes(dir / "whole.ld");
    WriteBytes(dir / "cut.ld", Bytes(whole.begin(), whole.begin() + 20));
    WriteBytes(dir / "notes.txt", {'h', 'i'});
    SaveMapFile(testsupport::SampleTerrain(3, 2), dir / "tiny.ld");
    ASSERT_TRUE(testsupport::WritePngRecipe(dir / "evil.png", "glenvar-cli generate -o x.ld"));
    ASSERT_TRUE(testsupport::WritePngRecipe(dir / "wide.png",
                                            "glenvar-cli generate --smooth 40 --width 200"));
    const std::vector<std::string> before = dir.Entries();

    const std::vector<Case> cases = {
        {"file", {"info", "missing.ld"}, "missing.ld: No such file or directory", 1},
        {"file", Small({"generate", "--recipe", "/dev/null", "-o", "m.png"}),
         "/dev/null: not a regular file", 1},
        {"file", Small({"generate", "--heightmap", "h.tif"}), "h.tif: File too large", 1, 4096},
        {"end of file", {"render", "cut.ld", "-o", "cut.png"}, "cut.ld: unexpected end of file", 1},
        {"recipe", Small({"generate", "--recipe", "notes.txt", "-o", "m.png"}),
         "notes.txt: not a PNG, TIFF, EXR or sidecar file", 2},
        {"recipe", Small({"generate", "--recipe", "evil.png", "-o", "m.png"}),
         "evil.png: the recipe holds \"-o\", which is not a setting", 2},
        {"recipe", Small({"generate", "--recipe", "wide.png", "-o", "m.png"}),
         "wide.png: --smooth: expected an integer from 0 to 32, got \"40\"", 2},
        {"layout",
         {"render", "tiny.ld", "--heightmap", "h.png", "--tiles", "3x1"},
         "--tiles: 3x1 tiles of a 3 x 2 heightmap would have fewer than two samples a side",
         1},
    };
    for (const Case& c : cases) {
        const RunResult r = RunCli(c.args, dir.path(), c.fileSizeLimit);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.kind << ": " << r.err;
        EXPECT_EQ(r.err, "glenvar-cli: " + c.message + "\n") << c.kind;
        EXPECT_EQ(dir.Entries(), before) << c.kind << ": a failed run wrote a file";
    }
}

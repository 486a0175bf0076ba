// generate --recipe FILE takes settings from the file and nothing else: a
// recipe naming an output, a file or a run option is refused with the file's
// name in every carrier, before anything is written; a recipe that cannot
// be read says what is wrong with which file; the line's own options
// override the recipe's.

#include "CliHarness.h"
#include "cli/CliOptions.h"
#include "cli/RecipeArguments.h"
#include "tests/support/RecipeCarriers.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace clitest;

// Every file of the folder with its bytes.
std::map<std::string, Bytes> Snapshot(const fs::path& dir) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        files[entry.path().string()] = entry.is_regular_file() ? ReadBytes(entry.path()) : Bytes{};
    return files;
}

RunResult GenerateFrom(const std::string& file, const fs::path& dir) {
    return RunCli(
        {"generate", "--recipe", file, "--stencils", GLENVAR_TEST_STENCILS, "-o", "out.png"}, dir);
}

bool WriteCarrier(const fs::path& path, const std::string& recipe) {
    const std::string ext = path.extension().string();
    if (ext == ".png")
        return testsupport::WritePngRecipe(path, recipe);
    if (ext == ".tif")
        return testsupport::WriteTiffRecipe(path, recipe);
    if (ext == ".exr") {
        testsupport::WriteExrRecipe(path, recipe);
        return true;
    }
    return testsupport::WriteSidecarRecipe(path, recipe);
}

TEST(CliRecipe, OutputsAndFilesInEveryCarrierRefusedWithNothingWritten) {
    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"-o", "-o victim.ld"},
        {"--heightmap", "--heightmap victim.png"},
        {"--layer", "--layer rivers=victim.png"},
        {"--stencils", "--stencils victim.bin"},
        {"--tiles", "--tiles 2x1"},
    };
    ScratchDir dir;
    WriteBytes(dir / "out.png", {'o', 'l', 'd'});
    WriteBytes(dir / "victim.png", {'m', 'i', 'n', 'e'});
    for (const char* carrier : {"evil.png", "evil.tif", "evil.exr", "evil.png.json"}) {
        for (const auto& [option, words] : hostile) {
            ASSERT_TRUE(WriteCarrier(dir / carrier,
                                     "glenvar-cli generate --seed 5 --width 100 --height 100 " +
                                         words + " --smooth 1"));
            const auto before = Snapshot(dir.path());
            const RunResult run = GenerateFrom(carrier, dir.path());
            EXPECT_EQ(2, run.exitCode) << carrier << " " << option;
            EXPECT_EQ("glenvar-cli: " + std::string(carrier) + ": the recipe holds \"" + option +
                          "\", which is not a setting\n",
                      run.err);
            EXPECT_EQ(before, Snapshot(dir.path())) << carrier << " " << option;
        }
    }
}

TEST(CliRecipe, UnreadableRecipesSayWhatIsWrongWithWhichFile) {
    ScratchDir dir;
    const auto sidecar = [&dir](const std::string& name, const std::string& value) {
        const std::string json = "{\"width\": 100, \"recipe\": \"" + value + "\"}";
        WriteBytes(dir / name, Bytes(json.begin(), json.end()));
        return name;
    };
    const std::string head = "glenvar-cli generate --seed 5 ";
    struct Case {
        std::string file;
        int exitCode;
        std::string err;
    };
    fs::create_directory(dir / "folder");
    const Case cases[] = {
        {sidecar("escape.json", head + "\\uzzzz"), 2,
         "escape.json: the sidecar's recipe has a bad escape \"\\uzzzz\""},
        {sidecar("nul.json", head + "--smooth 1\\u0000 -o victim.png"), 2,
         "nul.json: the recipe holds the control byte 0x00"},
        {sidecar("value.json", head + "--smooth 99"), 2,
         "value.json: --smooth: expected an integer from 0 to 32, got \"99\""},
        {sidecar("none.json", ""), 2, "none.json: the file holds no recipe"},
        {"folder", 1, "folder: Is a directory"},
        {"/dev/zero", 1, "/dev/zero: not a regular file"},
        {"missing.png", 1, "missing.png: No such file or directory"},
    };
    for (const Case& c : cases) {
        const RunResult run = GenerateFrom(c.file, dir.path());
        EXPECT_EQ(c.exitCode, run.exitCode) << c.file;
        EXPECT_EQ("glenvar-cli: " + c.err + "\n", run.err) << c.file;
    }
    EXPECT_FALSE(fs::exists(dir / "out.png"));
    EXPECT_FALSE(fs::exists(dir / "victim.png"));

    // A value refused in a recipe is refused in the words of the command line.
    const RunResult line = RunCli({"generate", "--smooth", "99", "-o", "out.png"}, dir.path());
    EXPECT_EQ("glenvar-cli: --smooth: expected an integer from 0 to 32, got \"99\"\n", line.err);

    // A huge word is cut in the message, not echoed whole.
    const RunResult huge = GenerateFrom(
        sidecar("huge.json", head + "--edge " + std::string(1500000, 'w')), dir.path());
    EXPECT_EQ(2, huge.exitCode);
    EXPECT_LT(huge.err.size(), 160u) << huge.err.substr(0, 300);
    EXPECT_NE(std::string::npos, huge.err.find(std::string(60, 'w') + "\xE2\x80\xA6\""));
}

// The recipe's settings come first, so the line's own override them and its
// points add to the recipe's.
TEST(CliRecipe, TheLinesOptionsOverrideTheRecipes) {
    const std::vector<RecipeSetting> recipe = {{"--seed", "5"},
                                               {"--smooth", "3"},
                                               {"--point", "1,2"},
                                               {"--shade", std::nullopt},
                                               {"--edge", "repeat"}};
    const cli::ParseResult parsed = cli::Parse(cli::ArgumentsWithRecipe(
        {"generate", "--recipe", "r.png", "--smooth", "1", "--point", "3,4", "-o", "a.png"},
        recipe));
    ASSERT_TRUE(parsed.options) << parsed.error;
    const cli::Options& o = *parsed.options;
    EXPECT_EQ(5u, o.terrain.seed);
    EXPECT_EQ(1, o.stages.smoothRadius);
    EXPECT_TRUE(o.shade);
    EXPECT_EQ(HeightEdge::Repeat, o.edge);
    ASSERT_EQ(2, o.terrain.concentrationPoints.GetSize());
    EXPECT_EQ(3, o.terrain.concentrationPoints[1].x);
    EXPECT_EQ(std::vector<cli::Output>{{"a.png"}}, o.outputs);
    EXPECT_TRUE(o.recipe.empty());
}

}  // namespace

// Recipes read back from every form that carries one, and their words.

#include "export/ExrFile.h"
#include "export/HeightWindow.h"
#include "export/RecipeFile.h"
#include "export/Sidecar.h"

#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(Recipe, WordsRoundTripThroughTheRecipeText) {
    const std::vector<std::string> words = {"--seed", "7", "--point", "1,2", "--engine", "godot"};
    std::string recipe = "glenvar-cli generate";
    for (const std::string& w : words)
        recipe += " " + RecipeWord(w);
    const std::vector<RecipeSetting> settings = {
        {"--seed", "7"}, {"--point", "1,2"}, {"--engine", "godot"}};
    EXPECT_EQ(settings, RecipeSettings(recipe));
    EXPECT_EQ(settings,
              RecipeSettings("glenvar-cli generate '--seed' 7 --point='1,2' --engine godot"));
    EXPECT_THROW(RecipeSettings("glenvar-cli render x.ld"), RecipeFailure);
    EXPECT_THROW(RecipeSettings("glenvar-cli generate 'open"), RecipeFailure);
}

TEST(Recipe, ReadFromSidecarAndExrAndRefusedElsewhere) {
    const testsupport::ScratchDir dir;
    const std::string recipe = "glenvar-cli generate --seed 7 --points '1,2;3,4' \"q\"\\";
    HeightmapSidecar sidecar;
    sidecar.recipe = recipe;
    Write(dir.path() / "w.png.json", SidecarJson(sidecar));
    EXPECT_EQ(recipe, RecipeOfFile(dir.path() / "w.png.json"));

    const AltitudeGrid flat(2, 2, 0.5);
    const std::vector<unsigned char> exr = EncodeHeightmapExr(HeightWindow::OfGrid(flat), recipe);
    Write(dir.path() / "w.exr", std::string(exr.begin(), exr.end()));
    EXPECT_EQ(recipe, RecipeOfFile(dir.path() / "w.exr"));

    const std::vector<unsigned char> bare = EncodeHeightmapExr(HeightWindow::OfGrid(flat));
    Write(dir.path() / "bare.exr", std::string(bare.begin(), bare.end()));
    EXPECT_THROW(RecipeOfFile(dir.path() / "bare.exr"), RecipeFailure);
    Write(dir.path() / "map.ld", "GEO_MakeLand");
    EXPECT_THROW(RecipeOfFile(dir.path() / "map.ld"), RecipeFailure);
}

}  // namespace

// Recipes as settings: the grammar refuses every word that is no setting,
// values are checked, the writer writes nothing the reader refuses; recipes
// read back from sidecars and EXR files, escapes included.

#include "core/GEO_MakeLand.h"
#include "core/ParameterTable.h"
#include "export/ExrFile.h"
#include "export/HeightWindow.h"
#include "export/RecipeFile.h"
#include "export/Sidecar.h"

#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <fstream>
#include <set>
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

// The failure's text, or "" when the call succeeds.
std::string Refusal(const std::string& recipe) {
    try {
        RecipeSettings(recipe);
    } catch (const RecipeFailure& e) {
        return e.what();
    }
    return "";
}

TEST(RecipeGrammar, OutputsFilesActionsAndOtherWordsAreNoSettings) {
    const std::string head = "glenvar-cli generate --seed 5 ";
    for (const char* word : {"-o", "--heightmap", "--layer", "--stencils", "--tiles", "--recipe",
                             "--threads", "--help", "-h", "--version", "--json",
                             "--heightmap=x.png", "x.png", "-", "--", "seed", "--Seed"}) {
        const std::string option = std::string(word).substr(0, std::string(word).find('='));
        EXPECT_EQ("the recipe holds \"" + option + "\", which is not a setting",
                  Refusal(head + RecipeWord(word) + " evil.png"))
            << word;
    }
    // A setting's value is taken as its value, whatever it looks like.
    EXPECT_EQ("--smooth: expected an integer from 0 to 32, got \"-o\"",
              Refusal(head + "--smooth -o x.png"));
    EXPECT_EQ("--width: expected an integer from 100 to 16384, got \"99\"",
              Refusal(head + "--width 99"));
    EXPECT_EQ("--erodibility: expected a number from 0 to 1, got \"nan\"",
              Refusal(head + "--erode 3 --erodibility nan"));
    EXPECT_EQ("--smooth: missing value", Refusal(head + "--smooth"));
    EXPECT_EQ("--shade: takes no value, got \"x.png\"", Refusal(head + "--shade=x.png"));
}

TEST(RecipeGrammar, ControlBytesHugeWordsAndHugeRecipesRefusedInFewWords) {
    for (const char c : {'\0', '\n', '\t', '\x1B', '\x7F'}) {
        const std::string refusal = Refusal("glenvar-cli generate --seed 5" + std::string(1, c));
        EXPECT_EQ(0u, refusal.find("the recipe holds the control byte 0x")) << int(c);
    }
    const std::string word(100000, 'w');
    for (const std::string& recipe :
         {"glenvar-cli generate --" + word + " 1", "glenvar-cli generate --smooth " + word}) {
        const std::string refusal = Refusal(recipe);
        EXPECT_LT(refusal.size(), 140u) << refusal.substr(0, 200);
        EXPECT_NE(std::string::npos, refusal.find(std::string(58, 'w') + "\xE2\x80\xA6\""))
            << refusal.substr(0, 200);
    }
    // Cut where a character starts, never inside one.
    const std::string accents = "glenvar-cli generate --edge " + std::string(59, 'a') + "\xC3\xA9z";
    EXPECT_NE(std::string::npos, Refusal(accents).find(std::string(59, 'a') + "\xE2\x80\xA6"));
    EXPECT_EQ("the recipe is longer than 2 MiB",
              Refusal("glenvar-cli generate" + std::string(maxRecipeBytes, ' ')));
}

// Every setting the writer can write, the reader reads back as written.
TEST(RecipeGrammar, ReadsEveryRowTheWriterWrites) {
    GEO_MakeLand terrain;
    terrain.width = terrain.gridWidth = 100;
    terrain.height = terrain.gridHeight = 100;
    terrain.SetSize(100 * 100);
    terrain.manualPlacement = 1;
    terrain.concentrationPoints.Add({3, 4});
    RecipeOptions o;
    o.stages = {2, 5, 0.03, 7};
    o.stages.uplift = 0.001;
    o.stages.deposition = 1.5;
    o.stages.diffusion = 0.25;
    o.stages.crossLakes = true;
    o.stages.droplets = 1000;
    o.riverThreshold = 40;
    o.regions = o.shade = true;
    o.edge = HeightEdge::Repeat;
    o.engine = EngineNamed("unreal");
    o.heightRangeMetres = 2500.5;
    o.climate.north = 40;
    o.climate.south = -20.5;
    o.climate.lapseRate = 9;
    o.climate.wind = WindFrom::NW;
    o.biomeColours = true;
    o.boundary = Boundary::Open;
    o.cellSizeMetres = 30;
    o.stages.multipleFlow = true;
    const std::vector<RecipeSetting> settings = RecipeSettings(RecipeText(terrain, true, o));
    std::set<std::string> read;
    for (const RecipeSetting& s : settings)
        read.insert(s.option);
    for (const StageSetting& row : StageSettings())
        EXPECT_EQ(row.kind == SettingKind::RunOption ? 0u : 1u, read.count(std::string(row.option)))
            << row.option;
    for (const ParameterRow& row : ParameterTable()) {
        if (!row.option.empty() && row.kind != ParameterKind::Flag) {
            EXPECT_EQ(1u, read.count(std::string(row.option))) << row.option;
        }
    }
    const auto range = std::find_if(settings.begin(), settings.end(), [](const RecipeSetting& s) {
        return s.option == "--height-range-m";
    });
    ASSERT_NE(range, settings.end());
    EXPECT_EQ("2500.5", range->value);
    EXPECT_EQ((RecipeSetting{"--latitudes", "40,-20.5"}), *(range + 1));
    EXPECT_EQ((RecipeSetting{"--wind-from", "NW"}), *(range + 3));
    EXPECT_EQ((RecipeSetting{"--colours", "biomes"}), *(range + 4));
    EXPECT_EQ((RecipeSetting{"--boundary", "open"}), *(range + 5));
    EXPECT_EQ((RecipeSetting{"--cell-size-m", "30"}), *(range + 6));
    EXPECT_EQ((RecipeSetting{"--flow-directions", "mfd"}), settings.back());
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

// Escapes as JSON has them; a bad one is named, not thrown as a number error.
TEST(Recipe, SidecarEscapesDecodedOrRefusedByName) {
    const testsupport::ScratchDir dir;
    const auto read = [&dir](const std::string& value) {
        Write(dir.path() / "s.json", "{\"width\": 2, \"recipe\": \"" + value + "\"}");
        try {
            return RecipeOfFile(dir.path() / "s.json");
        } catch (const RecipeFailure& e) {
            return std::string(e.what());
        }
    };
    EXPECT_EQ("a\"\\/\b\f\n\r\tA\xC3\xA9\xF0\x9F\x98\x80",
              read("a\\\"\\\\\\/\\b\\f\\n\\r\\t\\u0041\\u00e9\\ud83d\\ude00"));
    const std::string file = (dir.path() / "s.json").string() + ": ";
    EXPECT_EQ(file + "the sidecar's recipe has a bad escape \"\\uzzzz\"", read("x\\uzzzz"));
    EXPECT_EQ(file + "the sidecar's recipe has a bad escape \"\\ud800\"", read("\\ud800x"));
    EXPECT_EQ(file + "the sidecar's recipe has a bad escape \"\\q\"", read("\\q"));
    EXPECT_EQ(file + "the sidecar's recipe has a bad escape \"\\u12\"", read("\\u12"));
    EXPECT_EQ(file + "the sidecar's recipe is cut short", read("abc\\"));
}

}  // namespace

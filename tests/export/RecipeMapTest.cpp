// A recipe taken into a map's parameters and options: everything the writer
// writes comes back as it was, and what glenvar-cli refuses on the whole
// command line (points off the grid) is refused here too; a file of no form
// that carries a recipe is told apart from one that holds none.

#include "export/RecipeMap.h"

#include "core/ParameterTable.h"
#include "export/RecipeFile.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

RecipeMap Applied(const std::string& recipe) {
    return AppliedRecipe(RecipeSettings(recipe));
}

TEST(RecipeMap, EveryParameterAndOptionComesBackAsWritten) {
    GEO_MakeLand terrain;
    terrain.seed = 18446744073709551615u;
    terrain.width = terrain.gridWidth = 120;
    terrain.height = terrain.gridHeight = 100;
    terrain.SetSize(120 * 100);
    terrain.concentrationPointCount = 7;
    terrain.processAmount = 0.0123;
    terrain.waterLevel = 0.375;
    terrain.manualPlacement = 1;
    terrain.concentrationPoints.Add({3, 4});
    terrain.concentrationPoints.Add({119, 99});
    RecipeOptions o;
    o.stages = {2, 5, 0.03, 7};
    o.riverThreshold = 40;
    o.regions = o.shade = true;
    o.edge = HeightEdge::Repeat;
    o.engine = EngineNamed("godot");
    o.heightRangeMetres = 2500.5;

    const RecipeMap map = Applied(RecipeText(terrain, true, o));
    for (const ParameterRow& row : ParameterTable()) {
        if (!row.option.empty() && row.kind != ParameterKind::Flag) {
            EXPECT_EQ(row.Text(terrain), row.Text(map.terrain)) << row.option;
        }
    }
    EXPECT_EQ(1, map.terrain.manualPlacement);
    ASSERT_EQ(2, map.terrain.concentrationPoints.GetSize());
    EXPECT_EQ(119, map.terrain.concentrationPoints[1].x);
    EXPECT_EQ(99, map.terrain.concentrationPoints[1].y);
    const RecipeOptions& r = map.options;
    EXPECT_EQ(2, r.stages.smoothRadius);
    EXPECT_EQ(5, r.stages.erodeSteps);
    EXPECT_EQ(0.03, r.stages.erodibility);
    EXPECT_EQ(7, r.stages.thermalSteps);
    EXPECT_EQ(40u, r.riverThreshold);
    EXPECT_TRUE(r.regions && r.shade);
    EXPECT_EQ(HeightEdge::Repeat, r.edge);
    EXPECT_EQ(EngineNamed("godot"), r.engine);
    EXPECT_EQ(2500.5, r.heightRangeMetres);
}

TEST(RecipeMap, ParametersNotNamedKeepTheirDefaults) {
    const RecipeMap map = Applied("glenvar-cli generate --seed 3");
    for (const ParameterRow& row : ParameterTable()) {
        if (row.name != "seed") {
            EXPECT_EQ(row.Text(NewTerrain()), row.Text(map.terrain)) << row.name;
        }
    }
    EXPECT_FALSE(map.options.stages.Active());
}

TEST(RecipeMap, PointsOffTheGridRefusedAsTheCommandLineRefusesThem) {
    const std::string grid = "glenvar-cli generate --width 120 --height 100 ";
    EXPECT_NO_THROW(Applied(grid + "--point 119,99"));
    try {
        Applied(grid + "--point 119,100");
        FAIL() << "a point below the grid was taken";
    } catch (const RecipeFailure& failure) {
        EXPECT_STREQ("--point: expected X,Y with 0 <= X < 120 and 0 <= Y < 100, got \"119,100\"",
                     failure.what());
    }
    // The size may come after the points: they are held to the final grid.
    EXPECT_THROW(Applied("glenvar-cli generate --point 150,3 --width 120"), RecipeFailure);
}

TEST(RecipeMap, AFileOfNoCarryingFormIsToldApartFromOneWithoutARecipe) {
    const testsupport::ScratchDir dir;
    std::ofstream(dir.path() / "m.r16", std::ios::binary) << std::string(32, '\0');
    std::ofstream(dir.path() / "empty.json") << "{\"width\": 3}";
    const std::string r16 = (dir.path() / "m.r16").string();
    try {
        RecipeSettingsOfFile(r16);
        FAIL();
    } catch (const NoRecipeForm& failure) {
        EXPECT_EQ(r16 + ": not a PNG, TIFF, EXR or sidecar file", failure.what());
    }
    try {
        RecipeSettingsOfFile(dir.path() / "empty.json");
        FAIL();
    } catch (const NoRecipeForm&) {
        FAIL() << "a sidecar without a recipe is a carrying form";
    } catch (const RecipeFailure& failure) {
        EXPECT_NE(std::string::npos, std::string(failure.what()).find("holds no recipe"));
    }
}

}  // namespace

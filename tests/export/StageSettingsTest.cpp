// The stage settings' rows: the recipe they write, byte for byte; the values
// they refuse (whatever the front end: text as glenvar-cli and the page read
// it, numbers as Python holds them); the texts every refusal and the help
// take from them.

#include "export/StageSettings.h"
#include "core/GEO_MakeLand.h"
#include "export/RecipeText.h"
#include "export/SettingText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <variant>

namespace {

using Id = StageSettingId;

bool Refused(const StageReading& reading) {
    return std::holds_alternative<StageRefusal>(reading);
}

// The refusal glenvar-cli prints for the text.
std::string CommandLine(Id id, const std::string& text) {
    try {
        GEO_MakeLand terrain;
        RecipeOptions options;
        SetStageSetting(StageRow(id), text, terrain, options);
    } catch (const SettingRefusal& refusal) {
        return refusal.what();
    }
    return "";
}

TEST(StageSettings, RecipeTextIsByteForByteTheCommandLinesOrder) {
    GEO_MakeLand terrain;
    terrain.width = terrain.gridWidth = 100;
    terrain.height = terrain.gridHeight = 80;
    terrain.SetSize(100 * 80);
    terrain.manualPlacement = 1;
    terrain.concentrationPoints.Add({3, 4});
    terrain.concentrationPoints.Add({99, 0});
    RecipeOptions o;
    o.stages = {2, 5, 0.03, 7};
    o.riverThreshold = 40;
    o.regions = o.shade = true;
    o.edge = HeightEdge::Repeat;
    o.engine = EngineNamed("godot");
    o.heightRangeMetres = 2500.5;
    const std::string recipe = RecipeText(terrain, true, o);
    EXPECT_EQ(" --point 3,4 --point 99,0 --smooth 2 --erode 5 --erodibility 0.03 --thermal 7 "
              "--rivers 40 --regions --shade --edge repeat --engine godot --height-range-m 2500.5",
              recipe.substr(recipe.find(" --point ")));
    // Defaults and settings that mean nothing alone (K without erosion) are left out.
    RecipeOptions quiet;
    quiet.stages.erodibility = 0.5;
    terrain.manualPlacement = 0;
    const std::string plain = RecipeText(terrain, true, quiet);
    EXPECT_EQ(std::string::npos, plain.find("--", plain.find("--water-level") + 2)) << plain;
}

TEST(StageSettings, TextRefusalsKeepTheCommandLinesWords) {
    EXPECT_EQ("--smooth: expected an integer from 0 to 32, got \"0x10\"",
              CommandLine(Id::Smooth, "0x10"));
    EXPECT_EQ("--erode: expected an integer from 0 to 1000, got \"1e1\"",
              CommandLine(Id::Erode, "1e1"));
    EXPECT_EQ("--erodibility: expected a number from 0 to 1, got \"NaN\"",
              CommandLine(Id::ErosionK, "NaN"));
    EXPECT_EQ("--rivers: expected a cell count from 0 to 268435456, got \"268435457\"",
              CommandLine(Id::Rivers, "268435457"));
    EXPECT_EQ("--height-range-m: expected metres greater than 0 and at most 1000000, got \"0\"",
              CommandLine(Id::HeightRange, "0"));
    EXPECT_EQ("--edge: expected wrap or repeat, got \"Wrap\"", CommandLine(Id::Edge, "Wrap"));
    EXPECT_EQ("--engine: expected unreal, unity or godot, got \"\"", CommandLine(Id::Engine, ""));
    EXPECT_EQ("--point: expected X,Y with 0 <= X < width and 0 <= Y < height, got \"1;2\"",
              CommandLine(Id::Point, "1;2"));
    EXPECT_EQ("", CommandLine(Id::ErosionK, "1e0"));  // an exponent is decimal text
    EXPECT_EQ("", CommandLine(Id::HeightRange, "1e6"));
    const StageReading tiles = ReadStageText(StageRow(Id::Tiles), "64x1");
    ASSERT_FALSE(Refused(tiles));
    EXPECT_EQ(64, std::get<StageValue>(tiles).first);
    for (const char* text : {"65x1", "0x1", "1x", "x1", "1x1x1", "1X1", " 1x1"})
        EXPECT_TRUE(Refused(ReadStageText(StageRow(Id::Tiles), text))) << text;
}

// Python and the page hold numbers: the same ranges, and no NaN, infinity or
// fraction of a step slips through as std::clamp let NaN through.
TEST(StageSettings, TypedNumbersMeetTheTextsRanges) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const StageSetting& row : StageSettings()) {
        if (row.type != SettingType::Integer && row.type != SettingType::Number)
            continue;
        const double low = row.lowOpen ? row.low + 1e-9 : row.low;
        for (double fits : {low, row.high}) {
            EXPECT_FALSE(Refused(CheckStageNumber(row, fits))) << row.option << " " << fits;
            EXPECT_FALSE(Refused(ReadStageText(row, ShortestText(fits)))) << row.option;
        }
        for (double out : {row.low - 1, row.high + 1, nan, inf, -inf}) {
            const StageReading reading = CheckStageNumber(row, out);
            ASSERT_TRUE(Refused(reading)) << row.option << " " << out;
            EXPECT_EQ(ExpectedText(row), std::get<StageRefusal>(reading).expected);
        }
        if (row.lowOpen) {
            EXPECT_TRUE(Refused(CheckStageNumber(row, row.low))) << row.option;
        }
        if (row.type == SettingType::Integer) {
            EXPECT_TRUE(Refused(CheckStageNumber(row, 1.5))) << row.option;
        }
    }
    EXPECT_EQ("nan", std::get<StageRefusal>(CheckStageNumber(StageRow(Id::ErosionK), nan)).got);
    EXPECT_EQ("1001", std::get<StageRefusal>(CheckStageNumber(StageRow(Id::Erode), 1001)).got);
    // A recipe never carries a negative zero.
    EXPECT_FALSE(
        std::signbit(std::get<StageValue>(CheckStageNumber(StageRow(Id::ErosionK), -0.0)).number));
    EXPECT_FALSE(
        std::signbit(std::get<StageValue>(ReadStageText(StageRow(Id::ErosionK), "-0")).number));
}

// The rows name every setting once in each front end's spelling.
TEST(StageSettings, NamesAreUniqueAndRecipesCarryNoRunOption) {
    std::set<std::string_view> options, keywords, links;
    for (const StageSetting& row : StageSettings()) {
        EXPECT_TRUE(options.insert(row.option).second) << row.option;
        EXPECT_TRUE(row.keyword.empty() || keywords.insert(row.keyword).second) << row.keyword;
        EXPECT_TRUE(row.link.empty() || links.insert(row.link).second) << row.link;
        EXPECT_EQ(row.type != SettingType::Switch, row.takesValue) << row.option;
        EXPECT_EQ(&row, FindStageSetting(row.option));
        EXPECT_EQ(row.option.substr(2), row.link.empty() ? row.option.substr(2) : row.link);
    }
    EXPECT_THROW(RecipeSettings("glenvar-cli generate --tiles 2x2"), RecipeFailure);
}

// The page builds a field from each row that has a label: its id is the link
// key, a checkbox holds a switch or a choice of two, a list a longer choice,
// a text field a span (its default read as the row reads it), its arrows step
// by the row's step (whole for an integer), and its default lies on that
// step, or the browser shows the untouched field as invalid.
TEST(StageSettings, PageFieldsFitTheirRows) {
    for (const StageSetting& row : StageSettings()) {
        if (row.japanese.empty()) {
            EXPECT_TRUE(row.englishLabel.empty() && row.gloss.empty() && !row.slider) << row.option;
            continue;
        }
        EXPECT_FALSE(row.link.empty() || row.englishLabel.empty() || row.gloss.empty())
            << row.option;
        const bool number = row.type == SettingType::Integer || row.type == SettingType::Number;
        if (row.type == SettingType::Choice)
            EXPECT_GE(std::count(row.choices.begin(), row.choices.end(), '|'), 1) << row.option;
        else if (row.type == SettingType::Span)
            EXPECT_FALSE(Refused(ReadStageText(row, row.fallback))) << row.option;
        else
            EXPECT_TRUE(number || row.type == SettingType::Switch) << row.option;
        if (!number || row.slider) {
            EXPECT_EQ(row.step, 0) << row.option;  // a slider moves by one
            EXPECT_TRUE(!row.slider || row.type == SettingType::Integer) << row.option;
            continue;
        }
        ASSERT_GT(row.step, 0) << row.option;
        EXPECT_TRUE(row.type == SettingType::Number || row.step == std::floor(row.step))
            << row.option;
        const double steps = (StageDefault(row) - row.low) / row.step;
        EXPECT_NEAR(steps, std::round(steps), 1e-9) << row.option;
        EXPECT_FALSE(Refused(CheckStageNumber(row, row.low + row.step))) << row.option;
    }
}

}  // namespace

// Every refusal of the file forms, recipes and layouts arrives as a
// CommandFailure of its kind, which is all a front end switches on: a
// failure thrown as anything else would reach Python as the wrong exception
// and glenvar-cli with the wrong exit status.

#include "core/GEO_MakeLand.h"
#include "export/ExrFile.h"
#include "export/FileForm.h"
#include "export/HeightWindow.h"
#include "export/HeightmapSet.h"
#include "export/PngFile.h"
#include "export/RecipeFile.h"
#include "export/SettingText.h"
#include "export/StageSettings.h"
#include "landform/AltitudeGrid.h"

#include "tests/support/FailureKinds.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testsupport::FailureKindOf;

}  // namespace

TEST(ExportFailureKinds, LibrariesRefusingToEncodeAreEncodingFailures) {
    EXPECT_EQ(FailureKind::Encoding, FailureKindOf([] { EncodePicturePng(Picture(0, 0)); }));
    Picture torn(2, 2);
    torn.pixels.pop_back();
    EXPECT_EQ(FailureKind::Encoding, FailureKindOf([&] { EncodePicturePng(torn); }));
    // OpenEXR's own refusal of a window without samples.
    const AltitudeGrid none(0, 0);
    EXPECT_EQ(FailureKind::Encoding,
              FailureKindOf([&] { EncodeHeightmapExr(HeightWindow::OfGrid(none)); }));
}

TEST(ExportFailureKinds, RecipesSettingsLayoutsAndFilesEachHaveTheirKind) {
    EXPECT_EQ(FailureKind::Recipe,
              FailureKindOf([] { RecipeSettings("glenvar-cli generate --heightmap h.png"); }));
    EXPECT_EQ(FailureKind::Recipe, FailureKindOf([] { RecipeWord("it's"); }));
    EXPECT_EQ(FailureKind::Recipe, FailureKindOf([] { RecipeOfBytes("GIF89a"); }));

    GEO_MakeLand terrain;
    RecipeOptions options;
    EXPECT_EQ(FailureKind::Setting, FailureKindOf([&] {
                  SetStageSetting(*FindStageSetting("--smooth"), "33", terrain, options);
              }));
    EXPECT_EQ(FailureKind::Setting, FailureKindOf([] { PointText("1"); }));

    // A map whose cells form no grid of its size (none at all, here).
    EXPECT_EQ(FailureKind::Layout, FailureKindOf([&] { HeightWindow::OfCells(terrain); }));
    EXPECT_EQ(FailureKind::Layout, FailureKindOf([&] { AltitudesOf(terrain); }));
    EXPECT_EQ(FailureKind::Layout, FailureKindOf([&] {
                  HeightmapParts(FormOf(FileFormId::HeightmapTiff), terrain, {}, "h.tif");
              }));

    const testsupport::ScratchDir dir;
    EXPECT_EQ(FailureKind::File, FailureKindOf([&] { RecipeOfFile(dir.path() / "missing.png"); }));
    EXPECT_EQ(FailureKind::File, FailureKindOf([] { RecipeOfFile("/dev/null"); }));
    EXPECT_EQ(FailureKind::File,
              FailureKindOf([&] { SaveBytes(dir.path() / "no" / "such.png", {'x'}); }));
    EXPECT_TRUE(dir.Entries().empty());
}

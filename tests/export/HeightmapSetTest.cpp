// The names a run checks before it writes are the names of the files a
// heightmap set writes: no tile or sidecar escapes the check.

#include "export/HeightmapSet.h"

#include "core/GEO_MakeLand.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/Terrains.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

TEST(HeightmapSet, ThePathsKnownBeforehandAreTheFilesWritten) {
    const GEO_MakeLand terrain = testsupport::SampleTerrain(20, 12);
    for (const auto& [columns, rows] : {std::pair{1, 1}, {2, 3}, {4, 1}, {1, 5}}) {
        SCOPED_TRACE(std::to_string(columns) + "x" + std::to_string(rows));
        testsupport::ScratchDir dir;
        HeightmapLayout layout;
        layout.tileColumns = columns;
        layout.tileRows = rows;
        const std::string path = (dir / "h.r16").string();
        SaveHeightmapSet(FormOf(FileFormId::HeightmapR16), terrain, layout, path);
        std::vector<std::string> names;
        for (const std::string& file : HeightmapPaths(path, columns, rows))
            names.push_back(std::filesystem::path(file).filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(dir.Entries(), names);
    }
}

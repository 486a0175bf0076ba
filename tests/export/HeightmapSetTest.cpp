// The names a run checks before it writes are the names of the files a
// heightmap set writes: no tile or sidecar escapes the check.

#include "export/HeightmapSet.h"

#include "core/GEO_MakeLand.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/Terrains.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

TEST(HeightmapSet, ThePathsKnownBeforehandAreTheFilesWritten) {
    const GEO_MakeLand terrain = testsupport::SampleTerrain(20, 12);
    for (const auto& [columns, rows] : {std::pair{1, 1}, {2, 3}, {4, 1}, {1, 5}}) {
        for (const HeightEdge edge : {HeightEdge::Wrap, HeightEdge::Repeat}) {
            SCOPED_TRACE(std::to_string(columns) + "x" + std::to_string(rows));
            testsupport::ScratchDir dir;
            const std::string path = (dir / "h.r16").string();
            HeightmapLayout layout;
            layout.edge = edge;
            layout.tileColumns = columns;
            layout.tileRows = rows;
            const std::vector<std::string> known = HeightmapPaths(path, columns, rows);
            std::vector<std::string> parts;
            for (const HeightmapPart& part :
                 HeightmapParts(FormOf(FileFormId::HeightmapR16), terrain, layout, path))
                parts.push_back(part.path);
            EXPECT_EQ(known, parts);  // in the order written: the sidecar last

            SaveHeightmapSet(FormOf(FileFormId::HeightmapR16), terrain, layout, path);
            std::vector<std::string> names;
            for (const std::string& file : known)
                names.push_back(std::filesystem::path(file).filename().string());
            std::sort(names.begin(), names.end());
            EXPECT_EQ(dir.Entries(), names);
        }
    }
}

}  // namespace

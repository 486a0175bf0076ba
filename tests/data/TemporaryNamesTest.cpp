// The signal handler's clean-up finds every temporary file a run holds,
// however many, and none that was given up.

#include "data/TemporaryNames.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

TEST(TemporaryNames, ThousandsAreAllRemovedAndGivenUpOnesKept) {
    testsupport::ScratchDir dir;
    std::vector<std::unique_ptr<TemporaryName>> names;
    std::vector<std::string> kept;
    for (int i = 0; i < 5000; ++i) {
        const std::string file = (dir / (".t" + std::to_string(i))).string();
        testsupport::WriteBytes(file, {1});
        names.push_back(std::make_unique<TemporaryName>(file.c_str()));
        // Given up at the ends and in between, as by a save that renamed its file away.
        if (i % 7 == 0 || i == 4999) {
            names.back().reset();
            kept.push_back(".t" + std::to_string(i));
        }
    }
    std::sort(kept.begin(), kept.end());
    RemoveTemporaryFiles();
    EXPECT_EQ(dir.Entries(), kept);
    names.clear();  // the list unlinks cleanly after a clean-up
    RemoveTemporaryFiles();
    EXPECT_EQ(dir.Entries(), kept);
}

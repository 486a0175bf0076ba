// Every temporary file a run holds is found by the signal handler's clean-up,
// however many there are, and none that was given up.

#include "data/TemporaryNames.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using testsupport::ScratchDir;
using testsupport::WriteBytes;

TEST(TemporaryNames, ThousandsAreAllRemovedAndGivenUpOnesKept) {
    ScratchDir dir;
    constexpr int count = 5000;  // 64 x 64 tiles and then some
    std::vector<std::unique_ptr<TemporaryName>> names;
    for (int i = 0; i < count; ++i) {
        const std::string file = (dir / (".t" + std::to_string(i))).string();
        WriteBytes(file, {1});
        names.push_back(std::make_unique<TemporaryName>(file.c_str()));
    }
    // Given up at the head, the tail and in between: a save that renamed its file away.
    std::vector<std::string> kept;
    for (int i = 0; i < count; i += 7) {
        names[size_t(i)].reset();
        kept.push_back(".t" + std::to_string(i));
    }
    names.back().reset();
    kept.push_back(".t" + std::to_string(count - 1));
    std::sort(kept.begin(), kept.end());

    RemoveTemporaryFiles();
    EXPECT_EQ(dir.Entries(), kept);
    names.clear();  // the list unlinks cleanly after a clean-up, too
    RemoveTemporaryFiles();
    EXPECT_EQ(dir.Entries(), kept);
}

}  // namespace

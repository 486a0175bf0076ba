// Recipes read from the metadata of every carrier as other writers make
// them, and only from there: a recipe after a PNG's image data is not found,
// lengths past the bounds are refused before anything is read, and files that
// are no regular files are refused before they are opened.

#include "export/RecipeFile.h"

#include "data/Failures.h"
#include "tests/support/RecipeCarriers.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using testsupport::ScratchDir;

const std::string recipe = "glenvar-cli generate --seed 7 --smooth 2 --engine godot";

// The failure's text, or "" when the call succeeds.
template <class F> std::string Refusal(F call) {
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

TEST(RecipeFile, FoundInEveryCarrierAsItsOwnLibraryWritesIt) {
    const ScratchDir dir;
    ASSERT_TRUE(testsupport::WritePngRecipe(dir / "p.png", recipe));
    ASSERT_TRUE(testsupport::WriteTiffRecipe(dir / "h.tif", recipe));
    ASSERT_TRUE(testsupport::WriteTiffRecipe(dir / "big.tif", recipe, true));
    testsupport::WriteExrRecipe(dir / "h.exr", recipe);
    ASSERT_TRUE(testsupport::WriteSidecarRecipe(dir / "h.json", recipe));
    for (const char* name : {"p.png", "h.tif", "big.tif", "h.exr", "h.json"})
        EXPECT_EQ(recipe, RecipeOfFile(dir / name)) << name;

    // A short description sits in the directory entry itself.
    ASSERT_TRUE(testsupport::WriteTiffRecipe(dir / "short.tif", "abc"));
    EXPECT_EQ("abc", RecipeOfFile(dir / "short.tif"));
}

TEST(RecipeFile, PictureReadUpToItsImageDataOnly) {
    const ScratchDir dir;
    ASSERT_TRUE(testsupport::WritePngRecipe(dir / "after.png", recipe, true));
    EXPECT_EQ((dir / "after.png").string() + ": the file holds no recipe",
              Refusal([&] { RecipeOfFile(dir / "after.png"); }));
}

// The header alone carries the recipe: the EXR's pixels are never needed.
TEST(RecipeFile, ExrReadFromItsHeaderOnly) {
    const ScratchDir dir;
    testsupport::WriteExrRecipe(dir / "h.exr", recipe);
    const testsupport::Bytes bytes = testsupport::ReadBytes(dir / "h.exr");
    const std::string text(bytes.begin(), bytes.end());
    const size_t end = text.find(recipe) + recipe.size();
    EXPECT_EQ(recipe, RecipeOfBytes(std::string_view(text).substr(0, end)));

    // An attribute claiming 2 GiB less a byte is refused, not allocated.
    std::string huge = text;
    const size_t size = huge.find(recipe) - 4;
    huge.replace(size, 4, std::string("\xFF\xFF\xFF\x7F", 4));
    EXPECT_NE(std::string::npos,
              Refusal([&] { RecipeOfBytes(huge); }).find("recipe is longer than 2 MiB"));
}

// The description's length is checked before its bytes are read.
TEST(RecipeFile, TiffDescriptionLengthCheckedFirst) {
    const ScratchDir dir;
    ASSERT_TRUE(testsupport::WriteTiffRecipe(dir / "h.tif", recipe));
    const testsupport::Bytes bytes = testsupport::ReadBytes(dir / "h.tif");
    std::string text(bytes.begin(), bytes.end());
    // The entry: tag 270, type 2 (ASCII), its count (with the terminator).
    const std::string entry("\x0E\x01\x02\x00", 4);
    const size_t at = text.find(entry + char(recipe.size() + 1));
    ASSERT_NE(std::string::npos, at);
    text.replace(at + 4, 4, std::string("\x00\x00\x00\xC0", 4));  // 3 GiB
    EXPECT_EQ("the TIFF's description is longer than 2 MiB", Refusal([&] { RecipeOfBytes(text); }));
}

TEST(RecipeFile, NoRegularFileRefusedBeforeItIsOpened) {
    const ScratchDir dir;
    EXPECT_THROW(RecipeOfFile(dir.path()), FileFailure);
    EXPECT_EQ("/dev/zero: not a regular file", Refusal([] { RecipeOfFile("/dev/zero"); }));

    // A reader that opened the pipe would wait for a writer: this one comes,
    // writes a sidecar with a recipe, and is let go when nobody reads.
    const fs::path pipe = dir / "pipe.json";
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    std::thread writer([&pipe] {
        const int fd = ::open(pipe.c_str(), O_WRONLY);
        if (fd >= 0) {
            const std::string sidecar = "{\"recipe\": \"" + recipe + "\"}";
            (void)!::write(fd, sidecar.data(), sidecar.size());
            ::close(fd);
        }
    });
    EXPECT_EQ(pipe.string() + ": not a regular file", Refusal([&] { RecipeOfFile(pipe); }));
    const int release = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    writer.join();
    ::close(release);
}

}  // namespace

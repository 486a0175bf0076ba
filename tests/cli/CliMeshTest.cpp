// Meshes refused before any work: settings out of range, unknown forms, a
// whole mesh with more triangles than a mesh may hold, a mesh the memory
// cannot hold. Each refusal names the setting and its limit; nothing is
// written, not even the stencil cache.

#include "CliHarness.h"
#include "core/GEO_MakeLand.h"
#include "pipeline/MemoryNeed.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace clitest;

TEST(CliMesh, BadSettingsAndFormsAreRefusedAndNothingIsWritten) {
    const struct {
        Args args;
        std::string message;
    } cases[] = {
        {{"--print-size-mm", "0"},
         "--print-size-mm: expected millimetres greater than 0 and at most 10000, got \"0\""},
        {{"--print-size-mm", "-5"},
         "--print-size-mm: expected millimetres greater than 0 and at most 10000, got \"-5\""},
        {{"--base-mm", "0"},
         "--base-mm: expected millimetres greater than 0 and at most 1000, got \"0\""},
        {{"--cell-size-m", "0"},
         "--cell-size-m: expected metres greater than 0 and at most 1000000, got \"0\""},
        {{"--mesh-error", "-1"}, "--mesh-error: expected metres from 0 to 1000000, got \"-1\""},
        {{"--mesh-error", "nan"}, "--mesh-error: expected metres from 0 to 1000000, got \"nan\""},
        {{"--mesh", "m.fbx"}, "--mesh: FILE must end in .glb, .stl or .obj, got \"m.fbx\""},
        {{"--mesh", "m.png"}, "--mesh: FILE must end in .glb, .stl or .obj, got \"m.png\""},
        // Every triangle of a 16384 x 16384 map kept: refused with the count,
        // at once, not after the map was grown.
        {{"--width", "16384", "--height", "16384"},
         "--mesh-error: 0 keeps all 536805378 triangles of a 16384 x 16384 mesh, more than "
         "the 134217728 a mesh may have; give an error in metres"},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        Args args = {"generate", "--stencils", "s.bin", "-o", "m.ld"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        if (std::find(c.args.begin(), c.args.end(), "--mesh") == c.args.end())
            args.insert(args.end(), {"--mesh", "m.glb"});
        const RunResult r = RunCli(args, dir.path());
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_EQ(r.err, "glenvar-cli: " + c.message + "\n");
        EXPECT_TRUE(dir.Entries().empty()) << c.message;
    }
}

// A mesh holds its vertices, the simplifier's tables and the file beside the
// map: the memory check counts them before the map is grown.
TEST(CliMesh, TheMemoryCheckCountsTheMesh) {
    GEO_MakeLand parameters;
    parameters.width = parameters.height = 4096;
    const uint64_t cells = 4096ull * 4096ull;
    PipelineOutputs plain;
    plain.heightmaps.push_back({"h.r16", FileFormId::HeightmapR16});
    for (FileFormId form : {FileFormId::MeshGlb, FileFormId::MeshStl, FileFormId::MeshObj}) {
        PipelineOutputs meshes = plain;
        meshes.meshes.push_back({"m", form});
        EXPECT_GE(GenerationBytes(parameters, {}, meshes),
                  GenerationBytes(parameters, {}, plain) + 200 * cells);
    }
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    ScratchDir dir;
    const RunResult r = RunCli({"generate", "--width", "4096", "--height", "4096", "--stencils",
                                "s.bin", "--mesh-error", "1", "--mesh", "m.stl"},
                               dir.path(), 0, uint64_t{1} << 30);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("4096 x 4096 map needs about "), std::string::npos) << r.err;
    EXPECT_TRUE(dir.Entries().empty());
#endif
}

}  // namespace

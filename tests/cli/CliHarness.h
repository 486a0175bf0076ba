#pragma once
// Runs the built glenvar-cli in a scratch directory and reads what it wrote.

#include "tests/support/ScratchFiles.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace clitest {

namespace fs = std::filesystem;
using testsupport::Bytes;
using testsupport::ReadBytes;
using testsupport::ScratchDir;
using testsupport::WriteBytes;

struct RunResult {
    int exitCode = -1;  // -1: killed by a signal
    std::string out;
    std::string err;
};

// Runs the CLI with `dir` as its working directory. A fileSizeLimit above 0
// caps every file it writes (RLIMIT_FSIZE, SIGXFSZ left as the shell leaves
// it: the CLI must ignore it itself), so writes past it fail as on a full
// disk; a memoryLimit above 0 caps its address space (RLIMIT_AS), as on a
// machine with that much memory.
RunResult RunCli(const std::vector<std::string>& args, const fs::path& dir,
                 uint64_t fileSizeLimit = 0, uint64_t memoryLimit = 0);

using Args = std::vector<std::string>;

// Small maps keep each run short: the arguments on a 200 x 150 map, with the
// stencil cache every test shares; the rest of the parameters stay at their defaults.
inline Args Small(Args args) {
    for (const char* a : {"--width", "200", "--height", "150", "--stencils", GLENVAR_TEST_STENCILS})
        args.push_back(a);
    return args;
}

// The same, started: the caller may signal `pid` before Finish waits for it.
class StartedCli {
  public:
    StartedCli(const std::vector<std::string>& args, const fs::path& dir,
               uint64_t fileSizeLimit = 0, uint64_t memoryLimit = 0);
    int pid() const { return pid_; }
    RunResult Finish();

  private:
    ScratchDir capture_;
    int pid_ = -1;
};

struct PngImage {
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colourType = 0;
    Bytes data;  // rows as stored: RGB triples or big-endian 16-bit samples
};

// Decodes without any transformation; false when libpng refuses the file.
bool ReadPng(const fs::path& path, PngImage& image);

}  // namespace clitest

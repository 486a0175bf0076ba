#pragma once
// Runs the built glenvar-cli in a scratch directory and reads what it wrote.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace clitest {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// A fresh directory under the system temp folder, removed with its contents.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    std::vector<std::string> Entries() const;  // sorted names

private:
    fs::path path_;
};

struct RunResult {
    int exitCode = -1;  // -1: killed by a signal
    std::string out;
    std::string err;
};

// Runs the CLI with `dir` as its working directory. A fileSizeLimit above 0
// caps every file it writes (RLIMIT_FSIZE, with SIGXFSZ ignored), so writes
// past it fail as on a full disk.
RunResult RunCli(const std::vector<std::string>& args, const fs::path& dir,
                 uint64_t fileSizeLimit = 0);

Bytes ReadBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const Bytes& bytes);

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

#include "CliHarness.h"

#include <png.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace clitest {

namespace {

std::string ReadText(const fs::path& path) {
    const Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

bool ReadRows(png_structp png, png_infop info, FILE* file, PngImage* image) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_read_info(png, info);
    image->width = png_get_image_width(png, info);
    image->height = png_get_image_height(png, info);
    image->bitDepth = png_get_bit_depth(png, info);
    image->colourType = png_get_color_type(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    image->data.resize(rowBytes * image->height);
    for (uint32_t y = 0; y < image->height; ++y)
        png_read_row(png, image->data.data() + rowBytes * y, nullptr);
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

StartedCli::StartedCli(const std::vector<std::string>& args, const fs::path& dir,
                       uint64_t fileSizeLimit, uint64_t memoryLimit) {
    // Captured output goes to a directory of its own, so `dir` holds only what the CLI wrote.
    const std::string outPath = (capture_ / "out").string();
    const std::string errPath = (capture_ / "err").string();
    std::vector<std::string> argv{GLENVAR_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& a : argv)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);

    pid_ = fork();
    if (pid_ == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::chdir(dir.c_str()) != 0)
            _exit(126);
        std::signal(SIGXFSZ, SIG_DFL);
        if (fileSizeLimit > 0) {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                _exit(126);
        }
        if (memoryLimit > 0) {
            const rlimit limit{memoryLimit, memoryLimit};
            if (::setrlimit(RLIMIT_AS, &limit) != 0)
                _exit(126);
        }
        ::execv(pointers[0], pointers.data());
        _exit(127);
    }
}

RunResult StartedCli::Finish() {
    RunResult result;
    int status = 0;
    if (pid_ < 0 || ::waitpid(pid_, &status, 0) != pid_)
        return result;
    pid_ = -1;
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.out = ReadText(capture_ / "out");
    result.err = ReadText(capture_ / "err");
    return result;
}

RunResult RunCli(const std::vector<std::string>& args, const fs::path& dir, uint64_t fileSizeLimit,
                 uint64_t memoryLimit) {
    return StartedCli(args, dir, fileSizeLimit, memoryLimit).Finish();
}

bool ReadPng(const fs::path& path, PngImage& image) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool ok = info != nullptr && ReadRows(png, info, file, &image);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return ok;
}

}  // namespace clitest

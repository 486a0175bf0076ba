#pragma once
// Scratch places, small disks and child processes for the fault-injection
// tests.

#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace robustness {

namespace fs = std::filesystem;
using testsupport::Bytes;
using testsupport::Entries;
using testsupport::ReadBytes;
using testsupport::ScratchDir;
using testsupport::SmallDisk;
using testsupport::WriteBytes;

// Where a test that rewrites the 16 MB stencil cache many times should work.
inline fs::path MemoryBackedTemp() {
    std::error_code error;
    return fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
               ? fs::path("/dev/shm")
               : fs::temp_directory_path();
}

// Runs body in a forked child; returns its exit code, or -signal when it was
// killed. The child never returns into the test runner.
inline int InChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child < 0)
        return -1000;
    if (child == 0) {
        int code = 99;
        try {
            code = body();
        } catch (...) {
            code = 98;
        }
        std::_Exit(code);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

}  // namespace robustness

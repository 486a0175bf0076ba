#pragma once
// Scratch places, small disks and child processes for the fault-injection
// tests, and a terrain that differs from the defaults in every field.

#include "core/GEO_MakeLand.h"
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
    return fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm")
                                                                                  : fs::temp_directory_path();
}

// Runs body in a forked child; returns its exit code, or -signal when it was
// killed. The child never returns into the test runner.
inline int InChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child < 0) return -1000;
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
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// The map that is open when the fault strikes: no field at its default.
inline GEO_MakeLand OpenMap(int32_t w = 40, int32_t h = 30) {
    GEO_MakeLand t;
    t.seed = 0x0BADC0DE12345678ull;
    t.width = t.gridWidth = w;
    t.height = t.gridHeight = h;
    t.unitAmount = 33;
    t.processAmount = 0.03125;
    t.waterLevel = 0.4375;
    t.concentrationRate = 0.3;
    t.concentrationAmount = 0.6;
    t.concentrationPointCount = 3;
    for (Point p : {Point{1, 2}, Point{20, 10}, Point{39, 29}}) t.concentrationPoints.Add(p);
    t.keepRandomState = 1;
    t.manualPlacement = 1;
    t.progressTotal = 1234;
    t.progressCount = 99;
    t.twoThreads = 1;
    t.SetSize(w * h);
    for (int32_t i = 0; i < w * h; ++i) t[i] = LandCell{double(i % 97) / 96, uint16_t(i % 3), {}};
    return t;
}

inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Field for field and byte for byte.
inline void ExpectSameTerrain(const GEO_MakeLand& a, const GEO_MakeLand& b) {
    EXPECT_EQ(a.seed, b.seed);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.unitAmount, b.unitAmount);
    EXPECT_TRUE(SameBits(a.processAmount, b.processAmount));
    EXPECT_TRUE(SameBits(a.waterLevel, b.waterLevel));
    EXPECT_TRUE(SameBits(a.concentrationRate, b.concentrationRate));
    EXPECT_TRUE(SameBits(a.concentrationAmount, b.concentrationAmount));
    EXPECT_EQ(a.concentrationPointCount, b.concentrationPointCount);
    EXPECT_TRUE(std::equal(a.concentrationPoints.begin(), a.concentrationPoints.end(),
                           b.concentrationPoints.begin(), b.concentrationPoints.end()));
    EXPECT_EQ(a.keepRandomState, b.keepRandomState);
    EXPECT_EQ(a.manualPlacement, b.manualPlacement);
    EXPECT_EQ(a.progressTotal, b.progressTotal);
    EXPECT_EQ(a.progressCount, b.progressCount);
    EXPECT_EQ(a.twoThreads, b.twoThreads);
    EXPECT_EQ(a.gridWidth, b.gridWidth);
    EXPECT_EQ(a.gridHeight, b.gridHeight);
    ASSERT_EQ(a.GetSize(), b.GetSize());
    if (a.GetSize() > 0) {
        EXPECT_EQ(std::memcmp(a.GetData(), b.GetData(), sizeof(LandCell) * size_t(a.GetSize())), 0);
    }
}

}  // namespace robustness

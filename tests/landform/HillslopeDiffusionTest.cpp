// Diffusion against the heat equation's own solution: a sine of wavenumber
// k decays as exp(-D k^2 t) on a wrapping grid; held cells stay, and no
// step, however large, takes a height beyond its neighbourhood's range.

#include "landform/HillslopeDiffusion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;

std::vector<double> Wave(int32_t w, int32_t h, int kx, int ky) {
    std::vector<double> a(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            a[size_t(y * w + x)] =
                1 + 0.5 * std::sin(2 * pi * kx * x / w) * std::cos(2 * pi * ky * y / h);
    return a;
}

}  // namespace

TEST(HillslopeDiffusion, SineDecaysAsTheHeatEquationSays) {
    const int32_t w = 64, h = 48;
    // D k^2 small per step: the scheme is first-order in time.
    for (const auto& [kx, ky, d] : {std::tuple{1, 0, 1.0}, {2, 1, 0.2}, {0, 2, 0.1}}) {
        std::vector<double> a = Wave(w, h, kx, ky);
        HillslopeDiffusion diffusion(w, h, Boundary::Wrap, {});
        ChunkWorker worker(false);
        const int steps = 100;
        for (int s = 0; s < steps; ++s)
            diffusion.Step(a, 0.0, d, worker);
        const double k2 = std::pow(2 * pi * kx / w, 2) + std::pow(2 * pi * ky / h, 2);
        const double decay = std::exp(-d * k2 * steps);
        const std::vector<double> start = Wave(w, h, kx, ky);
        double worst = 0;
        for (size_t i = 0; i < a.size(); ++i)
            worst = std::max(worst, std::fabs((a[i] - 1) - (start[i] - 1) * decay));
        EXPECT_LT(worst, 0.01 * 0.5 * decay) << kx << "," << ky;
    }
}

TEST(HillslopeDiffusion, HugeStepsStayBoundedAndKeepHeldCells) {
    const int32_t w = 40, h = 30;
    std::vector<double> a = Wave(w, h, 3, 2);
    a[5] = 0.2;  // water at level 0.3
    for (int32_t y = 0; y < h; ++y)
        a[size_t(y * w + 7)] = 0.1;  // a river of water across the map
    HillslopeDiffusion diffusion(w, h, Boundary::Wrap, {});
    ChunkWorker worker(false);
    for (int s = 0; s < 50; ++s)
        diffusion.Step(a, 0.3, 1000.0, worker);
    EXPECT_EQ(a[5], 0.2);
    for (int32_t y = 0; y < h; ++y)
        EXPECT_EQ(a[size_t(y * w + 7)], 0.1);
    for (const double v : a)
        EXPECT_TRUE(v >= 0.1 - 1e-9 && v <= 1.5 + 1e-9) << v;
}

TEST(HillslopeDiffusion, OpenBorderIsHeld) {
    const int32_t w = 20, h = 16;
    std::vector<double> a = Wave(w, h, 1, 1);
    const std::vector<double> start = a;
    HillslopeDiffusion diffusion(w, h, Boundary::Open, {});
    ChunkWorker worker(false);
    diffusion.Step(a, 0.0, 5.0, worker);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            if (OnBorder(x, y, w, h)) {
                EXPECT_EQ(a[size_t(y * w + x)], start[size_t(y * w + x)]);
            }
    EXPECT_NE(a[size_t(5 * w + 5)], start[size_t(5 * w + 5)]);
}
